#pragma once
// The main window of this process (offscreen) with its device list, pages and panels, and
// emulated keyboards plugged into the real HID layer, as a user meets them.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/MainWnd.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "store/ProfileRecords.h"
#include "tools/zorv-emulator/EmulatedKeyboard.h"

namespace journey {

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
void Pump(int ms);

class JourneyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    CMainWnd& Open();
    emu::EmulatedKeyboard& Plug(uint16_t productId, const std::string& name);
    // The engine of the page built for a product, whether connected or not.
    CTorvanelKeyboardDevice* Engine(uint16_t productId) const;
    // Waits until the product's page is shown and its engine has read the device.
    bool WaitConnected(uint16_t productId);
    DuiLib::CControlUI* PageControl(uint16_t productId, const std::string& name) const;
    template <class T>
    T* PageControlAs(uint16_t productId, const std::string& name, const char* interfaceName) const {
        DuiLib::CControlUI* control = PageControl(productId, name);
        return control ? static_cast<T*>(control->GetInterface(interfaceName)) : nullptr;
    }
    // A real mouse click on a control's widget.
    void Click(DuiLib::CControlUI* control);
    // What the toolkit raises for a user edit, through the main window.
    void Raise(DuiLib::CControlUI* control, const std::string& type);
    // Command codes the keyboard received since its log was cleared.
    static std::vector<uint8_t> Codes(const emu::EmulatedKeyboard& keyboard);
    static bool Received(const emu::EmulatedKeyboard& keyboard, uint8_t code);
    // The lighting record of the active profile in the device, and in the profile file.
    static std::vector<uint8_t> DeviceRecord(const emu::EmulatedKeyboard& keyboard);
    LightInfoRecord StoredLight(uint16_t productId) const;
    bool EntryShown(uint16_t productId) const;
    bool NoDeviceShown() const;
    void Screenshot(const std::string& name);

    std::filesystem::path dir_;
    std::unique_ptr<CMainWnd> window_;
    std::vector<std::unique_ptr<emu::EmulatedKeyboard>> keyboards_;
};

}  // namespace journey
