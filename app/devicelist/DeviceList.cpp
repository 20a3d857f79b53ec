// Page creation and the entries of the device strip: show, hide, select, and what follows from
// how many are visible.
#include "app/devicelist/DeviceList.h"

#include "app/devicelist/DeviceOption.h"
#include "app/devicelist/MpDevicePower.h"
#include "toolkit/Button.h"
#include "toolkit/DialogBuilder.h"
#include "toolkit/Label.h"
#include "toolkit/PaintManager.h"
#include "device/registry/ModelLookup.h"
#include "device/registry/ModelRegistry.h"
#include "engines/device/TorvanelUSBDevice.h"

using namespace DuiLib;

namespace {

constexpr const char* kStripName = "device_select_layout";
constexpr const char* kPageTabsName = "device_switch";
constexpr const char* kNoDeviceName = "No_device_Link";
constexpr const char* kEmptyStripHintName = "device_strip_empty";
constexpr const char* kPrevName = "device_select_prev";
constexpr const char* kNextName = "device_select_next";

// Every family follows the window's light-control and active flags (the headset streams its
// lighting only while the switch is on).
constexpr DeviceFamily kAllFamilies[] = {DeviceFamily::Keyboard, DeviceFamily::Mouse, DeviceFamily::MousePad,
                                         DeviceFamily::Headset};

template <typename T>
T* BuildAs(const std::string& layout, const char* interfaceName, IDialogBuilderCallback* callback,
           CPaintManagerUI& manager, CControlUI*& built) {
    CDialogBuilder builder;
    built = builder.Create(layout, {}, callback, &manager);
    return built ? static_cast<T*>(built->GetInterface(interfaceName)) : nullptr;
}

// The card glyph of a family whose card layout is the keyboards' one; null for the keyboards.
const char* FamilyGlyph(DeviceFamily family) {
    switch (family) {
    case DeviceFamily::Mouse: return "XML/CustomControlXML/devicelist/glyph_mouse.svg";
    case DeviceFamily::MousePad: return "XML/CustomControlXML/devicelist/glyph_mousepad.svg";
    case DeviceFamily::Headset: return "XML/CustomControlXML/devicelist/glyph_headset.svg";
    default: return nullptr;
    }
}

}  // namespace

DeviceFamily FamilyOfKind(int deviceKind) {
    switch (deviceKind) {
    case kKindKeyboard:
    case kKindKeyboardViaReceiver: return DeviceFamily::Keyboard;
    case kKindMouse:
    case kKindMouseViaReceiver: return DeviceFamily::Mouse;
    case kKindMousePad: return DeviceFamily::MousePad;
    case kKindHeadset: return DeviceFamily::Headset;
    default: return DeviceFamily::None;
    }
}

CDeviceList::CDeviceList(CPaintManagerUI& manager, InterfaceList& rows, CriticalSection& rowsLock)
    : manager_(manager), rows_(rows), rowsLock_(rowsLock) {}

CDeviceList::~CDeviceList() {
    // The controls outlive the list inside the window's tree; they must not call back into it.
    for (DevicePageRecord& page : pages_) page.entry->SetPresenceHandler(nullptr);
}

const std::vector<CTorvanelUSBDevice*>& CDeviceList::Family(DeviceFamily family) const {
    static const std::vector<CTorvanelUSBDevice*> none;
    return family == DeviceFamily::None ? none : families_[static_cast<size_t>(family)];
}

CTabLayoutUI* CDeviceList::Tabs(const char* name) const {
    CControlUI* control = manager_.FindControl(name);
    return control ? static_cast<CTabLayoutUI*>(control->GetInterface("TabLayout")) : nullptr;
}

CContainerUI* CDeviceList::EntryStrip() const {
    CControlUI* control = manager_.FindControl(kStripName);
    return control ? static_cast<CContainerUI*>(control->GetInterface("Container")) : nullptr;
}

int CDeviceList::CreatePages(IDialogBuilderCallback* callback, const std::string& profileId) {
    int built = 0;
    for (const DevicePageEntry& page : PageTable()) {
        const int row = FindInterfaceRow(static_cast<uint16_t>(page.vendorId), static_cast<uint16_t>(page.productId),
                                         static_cast<uint16_t>(page.deviceKind), static_cast<uint16_t>(page.interfaceRole));
        if (row >= 0 && BuildPage(row, callback, profileId) >= 0) ++built;
    }
    UpdateEmptyState(VisibleCount());
    return built;
}

int CDeviceList::BuildPage(int interfaceRow, IDialogBuilderCallback* callback, const std::string& profileId) {
    const int p = FindPageRowForInterface(interfaceRow);
    CTabLayoutUI* powerTabs = Tabs(kPowerSwitchControl);
    CTabLayoutUI* pageTabs = Tabs(kPageTabsName);
    CContainerUI* strip = EntryStrip();
    if (p < 0 || !powerTabs || !pageTabs || !strip) return -1;
    const DevicePageEntry& pageRow = PageTable()[static_cast<size_t>(p)];
    const DeviceLayoutEntry& layout = LayoutTable()[static_cast<size_t>(p)];
    DeviceInterfaceEntry row;
    {
        CriticalSectionLock hold(rowsLock_);
        if (interfaceRow >= static_cast<int>(rows_.size())) return -1;
        row = rows_[interfaceRow];
    }

    CControlUI *powerRoot = nullptr, *pageRoot = nullptr, *entryRoot = nullptr;
    auto* power = BuildAs<CMpDevicePowerUI>(kPowerLayoutFile, CMpDevicePowerUI::kClassName, callback, manager_, powerRoot);
    auto* engine = BuildAs<CTorvanelUSBDevice>(layout.pageLayout, CTorvanelUSBDevice::kClassName, callback, manager_, pageRoot);
    auto* entry = BuildAs<CDeviceOptionUI>(pageRow.listEntryLayout, CDeviceOptionUI::kClassName, callback, manager_, entryRoot);
    if (!power || !engine || !entry) {
        delete powerRoot;
        delete pageRoot;
        delete entryRoot;
        return -1;
    }

    powerTabs->Add(power);
    power->SetDeviceKind(row.deviceKind);
    power->SetInterfaceRole(row.interfaceRole);
    const int powerIndex = powerTabs->GetItemIndex(power);

    engine->SetPageLayoutPath(layout.pageLayout);
    engine->SetMainWindow(manager_.GetPaintWindow());
    engine->SetKeyCount(layout.keyCount);
    engine->SetLightCount(layout.lightCount);
    engine->SetPageRow(p);
    engine->SetReceiverCapable(layout.receiverCapable != 0);
    engine->SetProfileId(profileId);
    engine->SetTypeFolderName(pageRow.typeFolderName);
    engine->SetPowerControl(power);
    engine->SetInterfaceRow(row);
    engine->SetModelIndex(pageRow.modelIndex);
    engine->SetDefaultLightingName(layout.defaultLightingName);
    engine->InitPage();

    pageTabs->Add(engine);
    const int tabIndex = pageTabs->GetItemIndex(engine);
    const DeviceFamily family = FamilyOfKind(row.deviceKind);
    if (family != DeviceFamily::None) families_[static_cast<size_t>(family)].push_back(engine);

    strip->Add(entry);
    if (CControlUI* sync = entry->SyncOption()) sync->SetVisible(false);
    if (COptionUI* select = entry->SelectOption()) {
        select->SetGroup(pageRow.tabHeaderControl);
        select->BindTabLayoutName(kPageTabsName);
        select->BindTabIndex(tabIndex);
    }
    entry->BindPowerTab(pageRow.powerSwitchControl, powerIndex);
    entry->SetIds(pageRow.vendorId, pageRow.productId);
    entry->SetVisible(false);
    if (CLabelUI* name = entry->NameLabel()) {
        name->SetResourceText(true);
        name->SetText(pageRow.typeFolderName);
    }
    // The shared card layout draws a keyboard; the other families show their own glyph.
    if (const char* glyph = FamilyGlyph(family))
        if (CControlUI* picture = entry->FindSubControl("device_select_glyph")) picture->SetBkImage(glyph);
    // Two keyboards would read alike; the model (product row of the model index) tells them apart.
    if (CControlUI* model = entry->FindSubControl("device_select_model")) model->SetText(PageModelName(p));
    entry->SetEngine(engine, engine);
    engine->SetListEntry(entry);
    entry->SetPresenceHandler([this](CDeviceOptionUI& e, bool present) {
        for (size_t i = 0; i < pages_.size(); ++i)
            if (pages_[i].entry == &e) SetPresent(static_cast<int>(i), present);
    });

    pages_.push_back({power, entry, p, engine, family, interfaceRow});
    return static_cast<int>(pages_.size()) - 1;
}

int CDeviceList::VisibleCount() const {
    int visible = 0;
    for (const DevicePageRecord& page : pages_) visible += page.entry->IsEntryShown() ? 1 : 0;
    return visible;
}

int CDeviceList::IndexOfPageRow(int pageRow) const {
    for (size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i].pageRow == pageRow) return static_cast<int>(i);
    return -1;
}

CTorvanelUSBDevice* CDeviceList::ActiveDevice() const {
    for (const DevicePageRecord& page : pages_)
        if (page.entry->IsEntryShown() && page.entry->IsSelected()) return page.engine;
    return nullptr;
}

void CDeviceList::SetLightControl(int on) {
    for (DeviceFamily family : kAllFamilies)
        for (CTorvanelUSBDevice* engine : Family(family)) engine->SetLightControl(on);
}

void CDeviceList::SetWindowActive(int active) {
    for (DeviceFamily family : kAllFamilies)
        for (CTorvanelUSBDevice* engine : Family(family)) engine->SetPreview(active != 0);
}

void CDeviceList::ShowSelectBind(int index, bool show, bool select) {
    if (index < 0 || index >= static_cast<int>(pages_.size())) return;
    CDeviceOptionUI& entry = *pages_[index].entry;
    entry.SetVisible(show);
    if (select) {
        COptionUI* option = entry.SelectOption();
        if (CTabLayoutUI* pages = Tabs(kPageTabsName); pages && option) pages->SelectItem(option->GetBindTabLayoutIndex());
        if (CTabLayoutUI* power = Tabs(entry.PowerTabName().c_str())) {
            power->SetVisible(entry.PowerTabIndex() >= 0);
            if (entry.PowerTabIndex() >= 0) power->SelectItem(entry.PowerTabIndex());
        }
        if (option) option->Selected(true, false);
        selectedIndex_ = index;
    }
    int visible = 0, marked = 0;
    for (const DevicePageRecord& page : pages_) {
        if (!page.entry->IsEntryShown()) continue;
        ++visible;
        marked += page.entry->IsMarkedForSharing() ? 1 : 0;
    }
    UpdateEmptyState(visible);
    SetSharedLightingAvailable(visible > 1);
    if (marked <= 1)
        for (const DevicePageRecord& page : pages_)
            if (COptionUI* sync = page.entry->SyncOption()) sync->Selected(false, false);
}

void CDeviceList::UpdateEmptyState(int visible) {
    if (CControlUI* empty = manager_.FindControl(kNoDeviceName)) empty->SetVisible(visible == 0);
    // The main layout lets the empty view and the pages share one area, and hints in the strip.
    if (CControlUI* hint = manager_.FindControl(kEmptyStripHintName)) hint->SetVisible(visible == 0);
    if (CTabLayoutUI* pages = Tabs(kPageTabsName)) {
        pages->SetVisible(visible != 0);
        if (visible == 0) pages->SelectItem(0);
    }
    if (visible != 0) return;
    selectedIndex_ = -1;
    // A power area of a device that is gone would only show stale values.
    if (CTabLayoutUI* power = Tabs(kPowerSwitchControl)) {
        power->SelectItem(0);
        power->SetVisible(false);
    }
}

void CDeviceList::SetSharedLightingAvailable(bool available) {
    for (DeviceFamily family : kAllFamilies)
        for (CTorvanelUSBDevice* engine : Family(family)) {
            if (sharedHook_) sharedHook_(*engine, available);
            if (!available) engine->CommandChannel().SetStreamPaused(false);
        }
}

void CDeviceList::HideEntry(int index) {
    if (index < 0 || index >= static_cast<int>(pages_.size())) return;
    CDeviceOptionUI& entry = *pages_[index].entry;
    int other = -1;
    if (entry.IsEntryShown() && entry.IsSelected()) {
        if (closeChildWindows_) closeChildWindows_();
        for (size_t i = 0; i < pages_.size() && other < 0; ++i)
            if (static_cast<int>(i) != index && pages_[i].entry->IsEntryShown()) other = static_cast<int>(i);
    }
    ShowSelectBind(index, false, false);
    if (other >= 0) ShowSelectBind(other, true, true);
}

void CDeviceList::SetPresent(int index, bool present) {
    if (index < 0 || index >= static_cast<int>(pages_.size())) return;
    if (!present) return HideEntry(index);
    if (pages_[index].entry->IsEntryShown()) return;
    ShowSelectBind(index, true, VisibleCount() == 0);
}

void CDeviceList::OnPresenceReport(int pageRow, int present) { SetPresent(IndexOfPageRow(pageRow), present != 0); }

void CDeviceList::SelectNearest(int step) {
    if (selectedIndex_ < 0) return;
    for (int i = selectedIndex_ + step; i >= 0 && i < static_cast<int>(pages_.size()); i += step)
        if (pages_[i].entry->IsEntryShown()) return ShowSelectBind(i, true, true);
}

void CDeviceList::SelectPrevious() { SelectNearest(-1); }
void CDeviceList::SelectNext() { SelectNearest(1); }

bool CDeviceList::Notify(const TNotifyUI& msg) {
    if (!msg.pSender) return false;
    const std::string& name = msg.pSender->GetName();
    if (msg.sType == DUI_MSGTYPE_CLICK && name == kPrevName) {
        SelectPrevious();
        return true;
    }
    if (msg.sType == DUI_MSGTYPE_CLICK && name == kNextName) {
        SelectNext();
        return true;
    }
    if (msg.sType != DUI_MSGTYPE_SELECTCHANGED || name != CDeviceOptionUI::kSelectName) return false;
    for (size_t i = 0; i < pages_.size(); ++i) {
        CDeviceOptionUI& entry = *pages_[i].entry;
        if (entry.SelectOption() != msg.pSender || !entry.IsSelected()) continue;
        selectedIndex_ = static_cast<int>(i);
        selectedVendorId_ = entry.VendorId();
        selectedProductId_ = entry.ProductId();
        ShowSelectBind(selectedIndex_, entry.IsEntryShown(), true);
        return true;
    }
    return false;
}
