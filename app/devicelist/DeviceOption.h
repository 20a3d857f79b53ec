#pragma once
// One card of the device strip: the entry of one device page. Its timers drive the page's engine,
// its "device_select" option shows the page and the power control bound to it.
#include <functional>
#include <string>

#include "toolkit/Container.h"
#include "engines/device/DeviceLinks.h"

namespace DuiLib {
class COptionUI;
class CLabelUI;
}  // namespace DuiLib
class CTorvanelUSBDevice;

class CDeviceOptionUI : public DuiLib::CHorizontalLayoutUI, public IDeviceListEntry {
public:
    static constexpr const char* kClassName = "DeviceOption";
    static constexpr const char* kSelectName = "device_select";
    static constexpr const char* kSyncName = "synchro_device_select";
    static constexpr const char* kNameLabel = "device_select_name";

    CDeviceOptionUI() = default;
    ~CDeviceOptionUI() override;

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    // Stores the flag before showing or hiding, so IsEntryShown answers what was asked for even
    // while a parent hides the strip.
    void SetVisible(bool visible = true) override;
    bool Activate() override;
    void DoEvent(DuiLib::TEventUI& event) override;

    // IDeviceListEntry: engine-driven presence changes go through the presence handler (the
    // device list) so that selection and the empty state follow; without one it is plain
    // visibility.
    void StartTimer(unsigned id, unsigned elapseMs) override;
    bool IsEntryShown() const override { return visible_; }
    void ShowEntry(bool shown) override;
    bool IsPageSelected() const override;

    void SetPresenceHandler(std::function<void(CDeviceOptionUI&, bool)> handler) { presenceHandler_ = std::move(handler); }

    // Sub-controls, looked up on first use (null when the layout lacks them).
    DuiLib::COptionUI* SelectOption();
    DuiLib::COptionUI* SyncOption();
    DuiLib::CLabelUI* NameLabel();
    bool IsSelected();
    bool IsMarkedForSharing();

    void SetEngine(CTorvanelUSBDevice* engine, DuiLib::CControlUI* page) {
        engine_ = engine;
        enginePage_ = page;
    }
    CTorvanelUSBDevice* Engine() const { return engine_; }
    DuiLib::CControlUI* EnginePage() const { return enginePage_; }
    void BindPowerTab(const std::string& name, int index) {
        powerTabName_ = name;
        powerTabIndex_ = index;
    }
    const std::string& PowerTabName() const { return powerTabName_; }
    int PowerTabIndex() const { return powerTabIndex_; }
    void SetIds(int vendorId, int productId) {
        vendorId_ = vendorId;
        productId_ = productId;
    }
    int VendorId() const { return vendorId_; }
    int ProductId() const { return productId_; }

private:
    DuiLib::CControlUI* Sub(DuiLib::CControlUI*& cache, const char* name);

    CTorvanelUSBDevice* engine_ = nullptr;
    DuiLib::CControlUI* enginePage_ = nullptr;
    bool visible_ = true;
    std::string powerTabName_;
    int powerTabIndex_ = -1;
    int vendorId_ = 0;
    int productId_ = 0;
    DuiLib::CControlUI* selectOption_ = nullptr;
    DuiLib::CControlUI* syncOption_ = nullptr;
    DuiLib::CControlUI* nameLabel_ = nullptr;
    std::function<void(CDeviceOptionUI&, bool)> presenceHandler_;
};
