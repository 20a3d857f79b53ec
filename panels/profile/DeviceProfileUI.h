#pragma once
// The profile strip along the top of a device page: the family's profiles in a drop-down list
// with the name edit and the profile buttons in a foldable area, and the row of settings tabs.
// It holds the family's profile list and shows it in "device_profile_combo".
#include <string>

#include "toolkit/Container.h"
#include "engines/device/DeviceLinks.h"
#include "store/ProfileList.h"

namespace DuiLib {
class CComboUI;
class CEditUI;
class COptionUI;
}  // namespace DuiLib

class CTorvanelUSBDevice;

class CDeviceProfileUI : public DuiLib::CHorizontalLayoutUI, public IProfileListView, public IProfilePanel {
public:
    static constexpr const char* kClassName = "DeviceProfile";

    CDeviceProfileUI();
    ~CDeviceProfileUI() override;

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    void SetDeviceCategory(int category) { profileList_.SetDeviceCategory(category); }
    int GetDeviceCategory() const { return profileList_.GetDeviceCategory(); }
    void SetFolders(const std::string& userDataFolder, const std::string& defaultProfilePath) {
        profileList_.SetFolders(userDataFolder, defaultProfilePath);
    }
    // Fills the list from "ProfileList.ini" (again, when called twice) and applies the tab
    // visibility of the device category.
    int InitProfileList();
    const std::string& GetCurrentUuid() const { return profileList_.GetCurrentUuid(); }
    // Marks tab n (1 to 8) selected and clears the others, without notifications; any other n
    // clears tabs 1 to 7.
    void SelectSettingsTab(int n);
    // "profile_menu_layout" shown when hidden and hidden when shown.
    void ToggleMenu();
    bool IsMenuShown() const;

    // IProfilePanel: the category comes from the engine that owns the page.
    std::string LoadProfiles(const std::string& userDataFolder, const std::string& defaultProfilePath) override;

    CProfileList& ProfileList() { return profileList_; }
    // Text of "device_profile_name_edit" ("" without the control).
    std::string NameEditText() const;
    // The engine whose page holds this strip, nullptr outside one.
    CTorvanelUSBDevice* OwningEngine() const;

    // IProfileListView over "device_profile_combo" and "device_profile_name_edit".
    int Count() const override;
    void AddItem(const std::string& text, const std::string& userData) override;
    void RemoveItem(int index) override;
    std::string ItemText(int index) const override;
    void SetItemText(int index, const std::string& text) override;
    std::string ItemData(int index) const override;
    void SetItemData(int index, const std::string& userData) override;
    int SelectedIndex() const override;
    void Select(int index, bool notify) override;
    void ShowName(const std::string& name) override;

private:
    DuiLib::CComboUI* Combo() const;
    DuiLib::CEditUI* NameEdit() const;
    DuiLib::COptionUI* Tab(int n) const;
    DuiLib::CControlUI* Named(const std::string& name) const;
    void ApplyTabVisibility();
    void ClearList();

    CProfileList profileList_;
};

// Registers "CDeviceProfileUI" (tag "DeviceProfile") with the control factory.
void RegisterProfileControls();
