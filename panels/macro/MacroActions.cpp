#include "panels/macro/MacroActions.h"

#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "panels/keyset/KeySetActions.h"
#include "panels/keyset/KeySetControlUI.h"
#include "panels/keyset/KeySetTables.h"
#include "panels/macro/MacroControlUI.h"
#include "panels/macro/MacroDialogs.h"
#include "panels/profile/DeviceProfileUI.h"
#include "panels/profile/ProfileActions.h"
#include "panels/profile/ProfileDialogs.h"
#include "store/JsonAccess.h"
#include "store/JsonFile.h"
#include "toolkit/PaintManager.h"

using namespace DuiLib;

namespace {

constexpr int kNotice = 0;
constexpr int kQuestion = 1;

struct MenuInsert {
    const char* item;
    unsigned message;
    int variant;
    bool click;  // press then release
};
constexpr MenuInsert kMenuInserts[] = {
    {"left_down", 0x201, 0, false},    {"left_up", 0x202, 0, false},    {"left_click", 0x201, 0, true},
    {"middle_down", 0x207, 0, false},  {"middle_up", 0x208, 0, false},  {"middle_click", 0x207, 0, true},
    {"right_down", 0x204, 0, false},   {"right_up", 0x205, 0, false},   {"right_click", 0x204, 0, true},
    {"forward_down", 0x20B, 0, false}, {"forward_up", 0x20C, 0, false}, {"forward_click", 0x20B, 0, true},
    {"back_down", 0x20B, 1, false},    {"back_up", 0x20C, 1, false},    {"back_click", 0x20B, 1, true},
};

struct MoveButton {
    const char* name;
    MouseMoveDirection direction;
};
constexpr MoveButton kMoveButtons[] = {
    {"macro_inset_moveleftkey_btn", MouseMoveDirection::Left},
    {"macro_inset_moverightkey_btn", MouseMoveDirection::Right},
    {"macro_inset_moveupkey_btn", MouseMoveDirection::Up},
    {"macro_inset_movedownkey_btn", MouseMoveDirection::Down},
};

struct RowMoveButton {
    const char* name;
    MacroMove move;
};
constexpr RowMoveButton kRowMoveButtons[] = {
    {"macro_btn_up", MacroMove::Up},
    {"macro_btn_down", MacroMove::Down},
    {"macro_btn_uptop", MacroMove::Top},
    {"macro_btn_downbottom", MacroMove::Bottom},
};

HWND OwnerOf(const CControlUI& control) { return control.GetManager() ? control.GetManager()->GetPaintWindow() : 0; }

int Ask(const CControlUI& anchor, const std::string& textKey, int buttons) {
    return AskProfileMessage(OwnerOf(anchor), anchor.GetManager() ? anchor.GetManager()->GetDPI() : 96, textKey, true,
                             buttons);
}

CTorvanelKeyboardDevice* KeyboardOf(CTorvanelUSBDevice& engine) {
    return static_cast<CTorvanelKeyboardDevice*>(engine.GetInterface(CTorvanelKeyboardDevice::kClassName));
}

bool IsMacroCode(const KeyAssignment& code) { return code[0] == kCodeMacroRepeat || code[0] == kCodeMacroCount; }

// The page's name lists follow the library.
void ReloadNameLists(CTorvanelUSBDevice& engine) {
    engine.LoadLists();
    if (CTorvanelKeyboardDevice* keyboard = KeyboardOf(engine)) keyboard->RefreshKeyLabels();
}

void NameAdded(CTorvanelUSBDevice& engine, const std::string& name) {
    if (name.empty()) return;
    if (CKeySetControlUI* keys = FindKeySetPanel(engine)) keys->AddMacroName(name);
    ReloadNameLists(engine);
}

// The key table and the macro image after the macro numbering changed.
void ResendKeys(CTorvanelKeyboardDevice& keyboard) {
    if (CDeviceProfileUI* strip = FindProfilePanel(keyboard)) {
        UploadMacros(keyboard, *strip);
        return;
    }
    if (keyboard.WriteMacros(keyboard.GetMacroList()) == 0) keyboard.WriteOwnKeyAssignments(0);
}

void AddNewMacro(CTorvanelUSBDevice& engine, CMacroControlUI& panel) {
    if (panel.Count() >= kMaxMacros) {
        Ask(panel, "message_text_32", kNotice);
        return;
    }
    NameAdded(engine, panel.AddMacro());
}

void Rename(CTorvanelUSBDevice& engine, CMacroControlUI& panel) {
    const RenameMacroResult result = panel.Library().RenameMacro(panel.Controls().Text("macro_edit_macroname"));
    if (result.index < 0) return;
    if (result.writeFailed) {
        Ask(panel, "message_text_7", kNotice);
        return;
    }
    if (result.name.empty()) {
        Ask(panel, "message_text_5", kNotice);
        return;
    }
    panel.Controls().SetText("macro_edit_macroname", "");
    if (CKeySetControlUI* keys = FindKeySetPanel(engine)) keys->RenameMacroName(result.index, result.name);
    ReloadNameLists(engine);
}

void Import(CTorvanelUSBDevice& engine, CMacroControlUI& panel) {
    const std::string path = ChooseMacroFile(OwnerOf(panel), false);
    if (!path.empty()) ImportMacroFile(&engine, panel, path);
}

void Export(CMacroControlUI& panel) {
    if (panel.Library().GetSelectedMacro() < 0) return;
    const std::string path = ChooseMacroFile(OwnerOf(panel), true);
    if (path.empty()) return;
    panel.SaveMacro();
    if (panel.Library().ExportMacro(path) < 0) Ask(panel, "message_text_34", kNotice);
}

}  // namespace

CMacroControlUI* FindMacroPanel(CTorvanelUSBDevice& engine) {
    CControlUI* control = engine.FindSubControl("MacroControlItem");
    return control ? static_cast<CMacroControlUI*>(control->GetInterface(CMacroControlUI::kClassName)) : nullptr;
}

MacroFileCheck CheckMacroFile(const std::string& path) {
    const Json::Value doc = ReadJsonValue(path);
    if (!doc.isObject()) return doc.isNull() ? MacroFileCheck::Unreadable : MacroFileCheck::NotMacro;
    const Json::Value& events = MemberOf(doc, "Events");
    if (!events.isArray()) return MacroFileCheck::NotMacro;
    if (ArraySize(events) > kMaxMacroEvents) return MacroFileCheck::TooManyEvents;
    for (const Json::Value& event : events) {
        if (!event.isObject()) return MacroFileCheck::NotMacro;
        const Json::Value& type = MemberOf(event, "Type");
        const Json::Value& button = MemberOf(event, "Button");
        const Json::Value& action = MemberOf(event, "Action");
        if (!type.isIntegral() || !button.isIntegral() || !action.isString()) return MacroFileCheck::NotMacro;
        const Json::Value& delay = MemberOf(event, "Delay");
        if (!delay.isNull() && !delay.isString() && !delay.isNumeric()) return MacroFileCheck::NotMacro;
    }
    return MacroFileCheck::Ok;
}

std::string ImportMacroFile(CTorvanelUSBDevice* engine, CMacroControlUI& panel, const std::string& path) {
    switch (CheckMacroFile(path)) {
    case MacroFileCheck::Ok: break;
    case MacroFileCheck::Unreadable: Ask(panel, "message_text_30", kNotice); return {};
    case MacroFileCheck::NotMacro: Ask(panel, "message_text_30", kNotice); return {};
    case MacroFileCheck::TooManyEvents: Ask(panel, "message_text_31", kNotice); return {};
    }
    if (panel.Count() >= kMaxMacros) {
        Ask(panel, "message_text_32", kNotice);
        return {};
    }
    const std::string name = panel.Library().ImportMacro(path);
    if (name.empty()) {
        Ask(panel, "message_text_34", kNotice);
        return {};
    }
    panel.OnMacroSelected();
    if (engine) NameAdded(*engine, name);
    return name;
}

int DeleteSelectedMacro(CTorvanelUSBDevice& engine, CMacroControlUI& panel) {
    if (Ask(panel, "message_text_4", kQuestion) != 1) return 0;
    const int index = panel.Library().GetSelectedMacro();
    if (index < 0) return 0;
    CTorvanelKeyboardDevice* keyboard = KeyboardOf(engine);
    std::vector<KeyListEntry> keys = keyboard ? keyboard->KeyList() : std::vector<KeyListEntry>{};
    bool used = false;
    for (const KeyListEntry& entry : keys) used = used || (IsMacroCode(entry.assignment) && entry.assignment[1] == index);
    if (used && Ask(panel, "message_text_2", kQuestion) != 1) return 0;
    bool changed = false;
    for (KeyListEntry& entry : keys) {
        if (!IsMacroCode(entry.assignment)) continue;
        if (entry.assignment[1] == index) {
            entry.assignment = entry.defaultAssignment;
            changed = true;
        } else if (entry.assignment[1] > index) {
            --entry.assignment[1];
            changed = true;
        }
    }
    if (changed && keyboard) {
        keyboard->SetKeyList(keys);
        keyboard->SaveProfile();
    }
    if (panel.Library().DeleteMacro() < 0) return 0;
    panel.OnMacroSelected();
    if (CKeySetControlUI* keyPanel = FindKeySetPanel(engine)) keyPanel->RemoveMacroName(index);
    ReloadNameLists(engine);
    if (changed && keyboard) ResendKeys(*keyboard);
    if (panel.Count() == 0) panel.EnableEventControls(false);
    return 1;
}

bool InsertFromMenu(CMacroControlUI& panel, const std::string& item) {
    for (const MenuInsert& insert : kMenuInserts) {
        if (item != insert.item) continue;
        panel.InsertMouseEvent(insert.message, insert.variant);
        if (insert.click) panel.InsertMouseEvent(insert.message + 1, insert.variant);
        panel.SaveMacro();
        return true;
    }
    return false;
}

void HandleMacroNotify(CTorvanelUSBDevice& engine, CMacroControlUI& panel, const std::string& type,
                       const std::string& name) {
    if (type == "itemselect" && name == "macro_name_list") return panel.OnMacroSelected();
    if (type == "killfocus" && name == "macro_delay") {
        panel.SaveMacro();
        return;
    }
    if (type != "click") return;
    if (name == "macro_btn_name_add") return AddNewMacro(engine, panel);
    if (name == "macro_btn_name_sub") {
        DeleteSelectedMacro(engine, panel);
        return;
    }
    if (name == "macro_btn_name_edit") return Rename(engine, panel);
    if (name == "macro_btn_save") {
        if (panel.SaveMacro() < 0) Ask(panel, "message_text_34", kNotice);
        return;
    }
    if (name == "macro_btn_cancel") return panel.OnMacroSelected();
    if (name == "macro_btn_import") return Import(engine, panel);
    if (name == "macro_btn_export") return Export(panel);
    for (const RowMoveButton& button : kRowMoveButtons) {
        if (name != button.name) continue;
        panel.MoveSelectedRow(button.move);
        panel.SaveMacro();
        return;
    }
    if (name == "macro_btn_delete") {
        if (panel.SelectedRow() < 0) return;
        panel.DeleteSelectedRow();
        panel.SaveMacro();
        return;
    }
    if (name == "macro_btn_deleteall") {
        panel.DeleteAllRows();
        panel.SaveMacro();
        return;
    }
    for (const MoveButton& button : kMoveButtons) {
        if (name != button.name) continue;
        panel.InsertMouseEvent(0x200, static_cast<int>(button.direction));
        panel.SaveMacro();
        return;
    }
}
