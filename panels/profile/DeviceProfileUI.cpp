#include "panels/profile/DeviceProfileUI.h"

#include <algorithm>

#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/ControlFactory.h"
#include "toolkit/Edit.h"
#include "toolkit/List.h"
#include "engines/device/TorvanelUSBDevice.h"
#include "panels/profile/SettingsTabs.h"

using namespace DuiLib;

namespace {

constexpr const char* kComboName = "device_profile_combo";
constexpr const char* kNameEditName = "device_profile_name_edit";
constexpr const char* kMenuLayoutName = "profile_menu_layout";
constexpr int kItemHeight = 30;
// SelectSettingsTab with any other number clears these (all but the surround tab).
constexpr int kTabsClearedByOtherNumbers = 7;

}  // namespace

CDeviceProfileUI::CDeviceProfileUI() : profileList_(*this) {}

CDeviceProfileUI::~CDeviceProfileUI() = default;

std::string CDeviceProfileUI::GetClass() const { return kClassName; }

void* CDeviceProfileUI::GetInterface(const std::string& name) {
    if (name == kClassName || name == "DeviceProfileUI") return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

CControlUI* CDeviceProfileUI::Named(const std::string& name) const {
    return const_cast<CDeviceProfileUI*>(this)->FindSubControl(name);
}

CComboUI* CDeviceProfileUI::Combo() const {
    CControlUI* control = Named(kComboName);
    return control ? static_cast<CComboUI*>(control->GetInterface("Combo")) : nullptr;
}

CEditUI* CDeviceProfileUI::NameEdit() const {
    CControlUI* control = Named(kNameEditName);
    return control ? static_cast<CEditUI*>(control->GetInterface("Edit")) : nullptr;
}

COptionUI* CDeviceProfileUI::Tab(int n) const {
    if (n < 1 || n > kSettingsTabCount) return nullptr;
    CControlUI* control = Named(kSettingsTabNames[n - 1]);
    return control ? static_cast<COptionUI*>(control->GetInterface("Option")) : nullptr;
}

CTorvanelUSBDevice* CDeviceProfileUI::OwningEngine() const {
    for (CControlUI* c = GetParent(); c; c = c->GetParent())
        if (void* engine = c->GetInterface(CTorvanelUSBDevice::kClassName)) return static_cast<CTorvanelUSBDevice*>(engine);
    return nullptr;
}

void CDeviceProfileUI::ClearList() {
    if (CComboUI* combo = Combo()) combo->RemoveAll();
}

int CDeviceProfileUI::InitProfileList() {
    // A second load (the page bound again) starts from an empty list, not a doubled one.
    ClearList();
    const int result = profileList_.InitProfileList();
    ApplyTabVisibility();
    return result;
}

void CDeviceProfileUI::ApplyTabVisibility() {
    const TabVisibilityRule* rule = TabRuleOf(GetDeviceCategory());
    if (!rule) return;
    for (int n = 1; n <= kSettingsTabCount; ++n) {
        COptionUI* tab = Tab(n);
        if (!tab) continue;
        if (rule->hiddenTabs & TabBit(n)) tab->SetVisible(false);
        else if (rule->shownTabs & TabBit(n)) tab->SetVisible(true);
    }
}

void CDeviceProfileUI::SelectSettingsTab(int n) {
    const bool valid = n >= 1 && n <= kSettingsTabCount;
    const int last = valid ? kSettingsTabCount : kTabsClearedByOtherNumbers;
    for (int i = 1; i <= last; ++i)
        if (COptionUI* tab = Tab(i)) tab->Selected(i == n, false);
}

void CDeviceProfileUI::ToggleMenu() {
    if (CControlUI* menu = Named(kMenuLayoutName)) menu->SetVisible(!menu->IsVisible());
}

bool CDeviceProfileUI::IsMenuShown() const {
    CControlUI* menu = Named(kMenuLayoutName);
    return menu && menu->IsVisible();
}

std::string CDeviceProfileUI::LoadProfiles(const std::string& userDataFolder, const std::string& defaultProfilePath) {
    // Every page includes the same strip; its tabs must not deselect the other pages' tabs.
    ScopeOptionGroups(this, std::to_string(reinterpret_cast<uintptr_t>(this)));
    if (CTorvanelUSBDevice* engine = OwningEngine()) {
        int category = CategoryOfDeviceKind(engine->InterfaceRow().deviceKind);
        // A page bound before its interface row is known still names its family by class.
        if (category == 0) category = CategoryOfEngineClass(engine->GetClass());
        if (category != 0) SetDeviceCategory(category);
    }
    SetFolders(userDataFolder, defaultProfilePath);
    InitProfileList();
    SelectSettingsTab(1);
    return GetCurrentUuid();
}

std::string CDeviceProfileUI::NameEditText() const {
    CEditUI* edit = NameEdit();
    return edit ? edit->GetText() : std::string();
}

int CDeviceProfileUI::Count() const {
    CComboUI* combo = Combo();
    return combo ? combo->GetCount() : 0;
}

void CDeviceProfileUI::AddItem(const std::string& text, const std::string& userData) {
    CComboUI* combo = Combo();
    if (!combo) return;
    auto* item = new CListLabelElementUI;
    // Profile names are the user's own words, never language keys.
    item->SetResourceText(false);
    item->SetText(text);
    item->SetUserData(userData);
    item->SetFixedHeight(kItemHeight);
    combo->Add(item);
}

void CDeviceProfileUI::RemoveItem(int index) {
    CComboUI* combo = Combo();
    if (!combo || index < 0 || index >= combo->GetCount()) return;
    const bool wasSelected = combo->GetCurSel() == index;
    combo->RemoveAt(index);
    // The list selects the neighbour before the removed item and says so, which switches the
    // device to that profile (the stored selection already names it).
    if (wasSelected && combo->GetCount() > 0) Select(std::max(index - 1, 0), true);
}

std::string CDeviceProfileUI::ItemText(int index) const {
    CComboUI* combo = Combo();
    CControlUI* item = combo ? combo->GetItemAt(index) : nullptr;
    return item ? item->GetText() : std::string();
}

void CDeviceProfileUI::SetItemText(int index, const std::string& text) {
    CComboUI* combo = Combo();
    CControlUI* item = combo ? combo->GetItemAt(index) : nullptr;
    if (!item) return;
    item->SetText(text);
    combo->OnItemChanged(item);
}

std::string CDeviceProfileUI::ItemData(int index) const {
    CComboUI* combo = Combo();
    CControlUI* item = combo ? combo->GetItemAt(index) : nullptr;
    return item ? item->GetUserData() : std::string();
}

void CDeviceProfileUI::SetItemData(int index, const std::string& userData) {
    CComboUI* combo = Combo();
    CControlUI* item = combo ? combo->GetItemAt(index) : nullptr;
    if (!item) return;
    item->SetUserData(userData);
    combo->OnItemChanged(item);
}

int CDeviceProfileUI::SelectedIndex() const {
    CComboUI* combo = Combo();
    return combo ? combo->GetCurSel() : -1;
}

void CDeviceProfileUI::Select(int index, bool notify) {
    if (CComboUI* combo = Combo()) combo->SelectItem(index, false, notify);
}

void CDeviceProfileUI::ShowName(const std::string& name) {
    if (CEditUI* edit = NameEdit()) {
        edit->SetResourceText(false);
        edit->SetText(name);
    }
}

void RegisterProfileControls() {
    CControlFactory::GetInstance()->RegistControl("CDeviceProfileUI", [] { return new CDeviceProfileUI; });
}
