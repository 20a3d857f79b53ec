#pragma once
// The main window's device list: one page per page-table row that has an interface row, built at
// start-up and kept to the end; arrivals and removals bind and unbind the pages' engines, switch a
// product between cable and receiver, and show, hide and select the entries of the device strip.
// Everything here runs on the UI thread.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/UIDefs.h"
#include "device/registry/InterfaceMatching.h"
#include "platform/CriticalSection.h"

namespace DuiLib {
class CPaintManagerUI;
class CTabLayoutUI;
class CContainerUI;
}  // namespace DuiLib
class CDeviceOptionUI;
class CMpDevicePowerUI;
class CTorvanelUSBDevice;

enum class DeviceFamily { Keyboard, Mouse, MousePad, Headset, None };
DeviceFamily FamilyOfKind(int deviceKind);

struct DevicePageRecord {
    CMpDevicePowerUI* power = nullptr;
    CDeviceOptionUI* entry = nullptr;
    int pageRow = -1;
    CTorvanelUSBDevice* engine = nullptr;
    DeviceFamily family = DeviceFamily::None;
    // Run-time interface row the engine stands for now (its identity).
    int identityRow = -1;
};

class CDeviceList {
public:
    // rows and rowsLock are the run-time interface list shared with the scanning thread.
    CDeviceList(DuiLib::CPaintManagerUI& manager, InterfaceList& rows, CriticalSection& rowsLock);
    ~CDeviceList();
    CDeviceList(const CDeviceList&) = delete;
    CDeviceList& operator=(const CDeviceList&) = delete;

    // Closing the main window's child windows when the selected device goes away.
    void SetCloseChildWindows(std::function<void()> close) { closeChildWindows_ = std::move(close); }
    // The lighting panel of one engine learns whether shared lighting can be offered.
    void SetSharedAvailableHook(std::function<void(CTorvanelUSBDevice&, bool)> hook) { sharedHook_ = std::move(hook); }

    // Window initialisation: every page, hidden. callback creates the engines and panels.
    int CreatePages(DuiLib::IDialogBuilderCallback* callback, const std::string& profileId);

    // Messages 3090 and 3091 (wParam = run-time row) and 3331 (page row, 0 absent / 1 present).
    void OnDeviceArrival(int row);
    void OnDeviceRemoval(int row);
    void OnPresenceReport(int pageRow, int present);
    // Toolkit notifications; true when one was the device list's.
    bool Notify(const DuiLib::TNotifyUI& msg);

    // The engine of the first visible, selected entry; null when none.
    CTorvanelUSBDevice* ActiveDevice() const;
    void SetLightControl(int on);
    // The window's active flag (activation, hover, leave): engines repaint their page per frame
    // only while it is set.
    void SetWindowActive(int active);

    // Entry operations by page index (creation order).
    void ShowSelectBind(int index, bool show, bool select);
    void HideEntry(int index);
    void SelectPrevious();
    void SelectNext();

    const std::vector<DevicePageRecord>& Pages() const { return pages_; }
    const std::vector<CTorvanelUSBDevice*>& Family(DeviceFamily family) const;
    const std::vector<CTorvanelUSBDevice*>& Keyboards() const { return Family(DeviceFamily::Keyboard); }
    int VisibleCount() const;
    int SelectedIndex() const { return selectedIndex_; }
    // Ids of the entry the user selected last.
    int SelectedVendorId() const { return selectedVendorId_; }
    int SelectedProductId() const { return selectedProductId_; }
    int IndexOfPageRow(int pageRow) const;

private:
    struct RowView {
        DeviceInterfaceEntry row;
        bool partnerLinked = false;  // the partner is present with a path and names this row back
        DeviceInterfaceEntry partner;
    };
    bool ReadRow(int row, RowView& view);
    void ForgetRow(int row);
    int BuildPage(int interfaceRow, DuiLib::IDialogBuilderCallback* callback, const std::string& profileId);
    int FindByIdentity(int row, const RowView& view, bool partnerToo) const;
    int FindByProduct(DeviceFamily family, int vendorId, int productId) const;
    int FindEventOwner(const RowView& view) const;
    void ArriveCommand(int row, const RowView& view);
    void ArriveEvent(int row, const RowView& view);
    void RemoveCommand(int row, const RowView& view);
    void RemoveEvent(const RowView& view);
    void SwitchConnection(int row, const RowView& view);
    void OnEnginePresence(CDeviceOptionUI& entry, bool present);
    void SetPresent(int index, bool present);
    void SetSharedLightingAvailable(bool available);
    void UpdateEmptyState(int visible);
    void SelectNearest(int step);
    DuiLib::CTabLayoutUI* Tabs(const char* name) const;
    DuiLib::CContainerUI* EntryStrip() const;

    DuiLib::CPaintManagerUI& manager_;
    InterfaceList& rows_;
    CriticalSection& rowsLock_;
    std::vector<DevicePageRecord> pages_;
    std::array<std::vector<CTorvanelUSBDevice*>, 4> families_;
    int selectedIndex_ = -1;
    int selectedVendorId_ = 0;
    int selectedProductId_ = 0;
    std::function<void()> closeChildWindows_;
    std::function<void(CTorvanelUSBDevice&, bool)> sharedHook_;
};

// Registers "CDeviceOptionUI" and "CMpDevicePowerUI" with the control factory.
void RegisterDeviceListControls();
