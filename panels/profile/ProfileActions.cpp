#include "panels/profile/ProfileActions.h"

#include <array>

#include "toolkit/MessageBox.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ResourceManager.h"
#include "engines/device/TorvanelUSBDevice.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "panels/profile/DeviceProfileUI.h"
#include "panels/profile/ProfileDialogs.h"
#include "panels/profile/SettingsTabs.h"

using namespace DuiLib;

namespace {

constexpr int kMacroWriteFailed = -1;
constexpr uint8_t kMacroRepeatCode = 0x70;
constexpr uint8_t kMacroCountCode = 0x71;

enum class ProfileCommand { Add, Delete, Copy, Export, Import, Rename, Reset, Spread };

struct CommandButton {
    const char* name;
    ProfileCommand command;
};

constexpr std::array<CommandButton, 8> kCommandButtons{{
    {"device_add_btn", ProfileCommand::Add},
    {"device_sub_btn", ProfileCommand::Delete},
    {"device_copy_btn", ProfileCommand::Copy},
    {"device_export_btn", ProfileCommand::Export},
    {"device_import_btn", ProfileCommand::Import},
    {"device_profile_edit_save_btn", ProfileCommand::Rename},
    {"device_reset_btn", ProfileCommand::Reset},
    {"profile_fun_spread_btn", ProfileCommand::Spread},
}};

bool SameNoCase(const std::string& a, const char* b) { return NamesEqual(a, b); }

const CommandButton* FindCommand(const std::string& sender) {
    for (const CommandButton& button : kCommandButtons)
        if (SameNoCase(sender, button.name)) return &button;
    return nullptr;
}

HWND OwnerOf(const CDeviceProfileUI& panel) {
    return panel.GetManager() ? panel.GetManager()->GetPaintWindow() : 0;
}

int DpiOf(const CDeviceProfileUI& panel) { return panel.GetManager() ? panel.GetManager()->GetDPI() : 96; }

int Tell(const CDeviceProfileUI& panel, const std::string& text, bool textIsKey, int buttons = kMessageBoxNotice) {
    return AskProfileMessage(OwnerOf(panel), DpiOf(panel), text, textIsKey, buttons);
}

// The current language's text of a key, through the page's "str_test" probe when it has one.
std::string Localised(CTorvanelUSBDevice& engine, const std::string& key) {
    if (CControlUI* probe = engine.FindSubControl("str_test")) {
        probe->SetResourceText(true);
        probe->SetText(key);
        return probe->GetText();
    }
    return CResourceManager::GetInstance()->GetText(key);
}

// The engine takes the profile file as it now is, shows it and writes it to the device.
void LoadIntoDevice(CTorvanelUSBDevice& engine, ScreenSize screen) {
    engine.LoadProfile();
    engine.RefreshPage();
    engine.WriteLightParams(0, 0, 1, screen.width, screen.height);
}

void Export(CDeviceProfileUI& panel) {
    const int index = panel.ProfileList().GetSelectedIndex();
    if (index < 0) return;
    const std::string path = ChooseProfileFile(OwnerOf(panel), true);
    if (!path.empty()) panel.ProfileList().ExportProfile(index, path);
}

void Import(CDeviceProfileUI& panel) {
    if (panel.ProfileList().GetSelectedIndex() < 0) return;
    const std::string path = ChooseProfileFile(OwnerOf(panel), false);
    // Only an exported profile is taken; any other file ends the command without a word.
    if (!path.empty()) panel.ProfileList().ImportExportedProfile(path);
}

void Rename(CDeviceProfileUI& panel) {
    const std::string name = panel.NameEditText();
    if (name.empty()) return;
    const int result = panel.ProfileList().RenameProfile(name);
    if (result == kRenameTaken) Tell(panel, "message_text_5", true);
    else if (result == kRenameBlank) Tell(panel, "message_text_25", true);
}

int Reset(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel, ScreenSize screen, bool confirmed) {
    if (confirmed && Tell(panel, "message_text_22", true, kMessageBoxQuestion) != 1) return 0;
    if (panel.ProfileList().ResetProfile() != kProfileDone) return 0;
    LoadIntoDevice(engine, screen);
    const int category = panel.GetDeviceCategory();
    if (category == kCategoryKeyboard || (confirmed && category == kCategoryMouse)) {
        if (CControlUI* keyPanel = engine.FindSubControl("KeySetControlItem")) keyPanel->SetVisible(false);
        UploadMacros(engine, panel);
    }
    return 1;
}

// The image did not reach the keyboard, so no key may name a macro there: the macro keys get their
// default codes on the keyboard and on the page alike. The profile file keeps its assignments
// until the user saves another change.
void KeepKeysWithoutMacros(CTorvanelUSBDevice& engine) {
    auto* keyboard = static_cast<CTorvanelKeyboardDevice*>(engine.GetInterface(CTorvanelKeyboardDevice::kClassName));
    if (!keyboard) return;
    std::vector<KeyListEntry> keys = keyboard->KeyList();
    bool changed = false;
    for (KeyListEntry& entry : keys) {
        if (entry.assignment[0] != kMacroRepeatCode && entry.assignment[0] != kMacroCountCode) continue;
        entry.assignment = entry.defaultAssignment;
        changed = true;
    }
    if (!changed) return;
    keyboard->SetKeyList(keys);
    keyboard->WriteOwnKeyAssignments(0);
    keyboard->RefreshKeyLabels();
}

}  // namespace

std::string FormatCount(const std::string& text, int n) {
    std::string out = text;
    const size_t at = out.find("%d");
    if (at != std::string::npos) out.replace(at, 2, std::to_string(n));
    return out;
}

int UploadMacros(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel) {
    const int result = engine.WriteMacros(engine.GetMacroList());
    if (result == kMacroWriteFailed) {
        Tell(panel, "message_text_7", true);
    } else if (result != 0) {
        Tell(panel, FormatCount(Localised(engine, "message_text_16"), result), false);
    }
    // The key table names macros by their place in the image; it goes out only after the
    // image it refers to was accepted.
    if (result == 0) engine.WriteOwnKeyAssignments(0);
    else KeepKeysWithoutMacros(engine);
    return result;
}

int SwitchToSelectedProfile(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel, ScreenSize screen) {
    const int index = panel.ProfileList().GetSelectedIndex();
    if (index < 0) return 0;
    panel.ProfileList().SelectProfile(index, false);
    engine.SetProfileId(panel.GetCurrentUuid());
    LoadIntoDevice(engine, screen);
    UploadMacros(engine, panel);
    return 1;
}

int ResetWithConfirmation(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel, ScreenSize screen) {
    return Reset(engine, panel, screen, true);
}

int ResetWithoutConfirmation(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel, ScreenSize screen) {
    return Reset(engine, panel, screen, false);
}

ProfileNotifyResult HandleProfileNotify(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel, const std::string& type,
                                        const std::string& senderName, ScreenSize screen) {
    if (type == "itemselect") {
        return senderName == "device_profile_combo" ? ProfileNotifyResult::StartSelectTimer
                                                    : ProfileNotifyResult::NotHandled;
    }
    if (type == "selectchanged") {
        const int tab = SettingsTabNumber(senderName);
        if (tab == 0) return ProfileNotifyResult::NotHandled;
        engine.ShowFunctionPage(tab);
        panel.SelectSettingsTab(tab);
        return ProfileNotifyResult::Handled;
    }
    if (type != "click") return ProfileNotifyResult::NotHandled;
    const CommandButton* button = FindCommand(senderName);
    if (!button) return ProfileNotifyResult::NotHandled;
    CProfileList& list = panel.ProfileList();
    switch (button->command) {
        case ProfileCommand::Add: list.AddProfile(); break;
        // The list then selects the neighbour and raises its selection, which switches to it.
        case ProfileCommand::Delete: list.DeleteProfile(); break;
        case ProfileCommand::Copy: list.CopyProfile(); break;
        case ProfileCommand::Export: Export(panel); break;
        case ProfileCommand::Import: Import(panel); break;
        case ProfileCommand::Rename: Rename(panel); break;
        case ProfileCommand::Reset: ResetWithConfirmation(engine, panel, screen); break;
        case ProfileCommand::Spread: panel.ToggleMenu(); break;
    }
    return ProfileNotifyResult::Handled;
}

CDeviceProfileUI* FindProfilePanel(CTorvanelUSBDevice& engine) {
    CDeviceProfileUI* found = nullptr;
    engine.VisitTree([&found](CControlUI* control) {
        found = static_cast<CDeviceProfileUI*>(control->GetInterface(CDeviceProfileUI::kClassName));
        return found == nullptr;
    });
    return found;
}
