#pragma once
// The main window of this process on the session's X server, an emulated keyboard through the
// real HID layer, and real input injected with xdotool. Without an X display or xdotool the tests
// skip and say why.
#include <json/json.h>

#include <string>
#include <vector>

#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "panels/keyset/KeySetControlUI.h"
#include "panels/macro/MacroControlUI.h"
#include "tests/e2e/journey/JourneyFixture.h"

namespace keystest {

inline constexpr uint16_t kProduct = 0x5062;
// The key caps of the T5K1 page used by the tests: A and F1.
inline constexpr int kKeyA = 64;
inline constexpr int kKeyF1 = 1;

// Why input cannot be injected here, or "" when it can.
std::string InputUnavailableReason();

class KeysTest : public journey::JourneyTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the window (with the given bus, or none), plugs the keyboard and waits for its read.
    void OpenWithKeyboard(CMessageBus* bus = nullptr);
    CTorvanelKeyboardDevice& Keyboard() const { return *Engine(kProduct); }
    emu::EmulatedKeyboard& Device() { return *keyboards_.front(); }
    CMacroControlUI& Macros() const;
    CKeySetControlUI& Keys() const;
    DuiLib::CControlUI* Control(const std::string& name) const { return PageControl(kProduct, name); }

    // Runs xdotool with these arguments while the window keeps handling its messages.
    void Xdotool(const std::vector<std::string>& arguments);
    // A settings tab of the page ("key_Op_tab", "macro_Op_tab").
    void ShowTab(const std::string& tab);
    // Adds a macro and selects it; its name.
    std::string AddMacro();
    void StartRecording();
    void StopRecording();
    // A menu item of the event row menu, as the menu window posts it.
    void ChooseMenuItem(const std::string& item);
    // The selected macro's file.
    Json::Value MacroFile() const;
    // "down 10:4 120" per event of the selected macro's file.
    std::vector<std::string> FileEvents() const;
    // Waits until the event list holds rows (the events of injected input arrived).
    bool WaitRows(int rows, int timeoutMs = 5000);
    // Selects a key cap on the key tab and the function of the key assignment panel.
    void SelectKeyAndFunction(int key, int function);
    // Picks an item of a combo of the panel as the user does (the selection notification).
    void Pick(const std::string& combo, int index);
    // The three bytes the keyboard holds for a key of the page.
    std::vector<uint8_t> DeviceKey(int key);
    // The message box texts asked since the last call, answered with OK.
    std::vector<std::string> TakeMessages();

    std::vector<std::string> messages_;
};

}  // namespace keystest
