#include "panels/keyset/KeySetActions.h"

#include <cstdlib>

#include "engines/device/TorvanelUSBDevice.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "engines/mouse/TorvanelMouseDevice.h"
#include "panels/keyset/KeySetControlUI.h"
#include "panels/keyset/KeySetTables.h"
#include "panels/profile/DeviceProfileUI.h"
#include "panels/profile/ProfileActions.h"
#include "panels/profile/ProfileDialogs.h"
#include "toolkit/PaintManager.h"

using namespace DuiLib;

namespace {

constexpr int kKeyFunctionPage = 2;
constexpr int kLightingPage = 1;
constexpr int kMessageNotice = 0;

CTorvanelKeyboardDevice* KeyboardOf(CTorvanelUSBDevice& engine) {
    return static_cast<CTorvanelKeyboardDevice*>(engine.GetInterface(CTorvanelKeyboardDevice::kClassName));
}

void Tell(CControlUI& anchor, const std::string& textKey) {
    CPaintManagerUI* manager = anchor.GetManager();
    AskProfileMessage(manager ? manager->GetPaintWindow() : 0, manager ? manager->GetDPI() : 96, textKey, true,
                      kMessageNotice);
}

CTorvanelMouseDevice* MouseOf(CTorvanelUSBDevice& engine) {
    return static_cast<CTorvanelMouseDevice*>(engine.GetInterface(CTorvanelMouseDevice::kClassName));
}

// The mouse keeps one button table: the new code goes to the profile and the whole table to the
// mouse; a table the mouse did not take leaves the old code in place.
int ApplyMouseAssignment(CTorvanelMouseDevice& mouse, CKeySetControlUI& panel) {
    const int key = mouse.SelectedKey();
    std::vector<KeyListEntry> keys = mouse.KeyList();
    if (key < 0 || static_cast<size_t>(key) >= keys.size()) return 0;
    const KeySetRecord record = panel.BuildAssignment();
    const KeyAssignment previous = keys[key].assignment;
    panel.EnableEditButtons(true);
    if (record.code == previous) return 1;
    keys[key].assignment = record.code;
    mouse.SetKeyList(keys);
    mouse.SaveProfile();
    if (mouse.WriteOwnKeyAssignments(0) == 1) return 1;
    keys[key].assignment = previous;
    mouse.SetKeyList(keys);
    mouse.SaveProfile();
    panel.SetAssignment({record.keyValue, previous});
    return -1;
}

// The left button may only be reassigned while another button also clicks left.
bool OnlyLeftButton(const CTorvanelMouseDevice& mouse, int key) {
    constexpr KeyAssignment kLeftClick = {0x10, 0x01, 0x00};
    const std::vector<KeyListEntry>& keys = mouse.KeyList();
    if (key < 0 || static_cast<size_t>(key) >= keys.size() || keys[key].assignment != kLeftClick) return false;
    for (size_t i = 0; i < keys.size(); ++i)
        if (static_cast<int>(i) != key && keys[i].assignment == kLeftClick) return false;
    return true;
}

bool IsMacroCode(const KeyAssignment& code) { return code[0] == kCodeMacroRepeat || code[0] == kCodeMacroCount; }

// The macro image, then the key table that names macros by their place in it. 0 sent.
int SendKeyTable(CTorvanelKeyboardDevice& keyboard, CKeySetControlUI& panel) {
    if (CDeviceProfileUI* strip = FindProfilePanel(keyboard)) return UploadMacros(keyboard, *strip);
    const int result = keyboard.WriteMacros(keyboard.GetMacroList());
    if (result != 0) {
        Tell(panel, result == -1 ? "message_text_7" : "message_text_16");
        return result;
    }
    keyboard.WriteOwnKeyAssignments(0);
    return 0;
}

}  // namespace

CKeySetControlUI* FindKeySetPanel(CTorvanelUSBDevice& engine) {
    CControlUI* control = engine.FindSubControl("KeySetControlItem");
    return control ? static_cast<CKeySetControlUI*>(control->GetInterface(CKeySetControlUI::kClassName)) : nullptr;
}

int ApplyKeyAssignment(CTorvanelUSBDevice& engine, CKeySetControlUI& panel) {
    if (CTorvanelMouseDevice* mouse = MouseOf(engine)) return ApplyMouseAssignment(*mouse, panel);
    CTorvanelKeyboardDevice* keyboard = KeyboardOf(engine);
    if (!keyboard) return 0;
    const int key = keyboard->SelectedKey();
    std::vector<KeyListEntry> keys = keyboard->KeyList();
    if (key < 0 || static_cast<size_t>(key) >= keys.size()) return 0;
    const KeySetRecord record = panel.BuildAssignment();
    const KeyAssignment previous = keys[key].assignment;
    panel.EnableEditButtons(true);
    if (record.code == previous) return 1;  // nothing new for the keyboard
    keys[key].assignment = record.code;
    keyboard->SetKeyList(keys);
    keyboard->SaveProfile();
    int result = 0;
    if (IsMacroCode(record.code) || IsMacroCode(previous)) {
        result = SendKeyTable(*keyboard, panel);
    } else {
        keyboard->WriteOwnKeyAssignments(0);
    }
    if (result != 0) {
        // The keyboard kept its old table: the page must not claim otherwise.
        keys[key].assignment = previous;
        keyboard->SetKeyList(keys);
        keyboard->SaveProfile();
        panel.SetAssignment({record.keyValue, previous});
    }
    keyboard->RefreshKeyLabels();
    return result == 0 ? 1 : -1;
}

void HandleKeySetNotify(CTorvanelUSBDevice& engine, CKeySetControlUI& panel, const std::string& type,
                        const std::string& name) {
    if (type == "click") {
        if (name == "key_butt_keydefalut") {
            panel.ShowDeviceRecord();
            panel.EnableEditButtons(true);
        } else if (name == "key_butt_keycancel") {
            panel.ShowCurrent();
            panel.EnableEditButtons(false);
        } else if (name == "key_butt_keysave") {
            ApplyKeyAssignment(engine, panel);
        } else if (name == "key_butt_prosave") {
            if (CTorvanelKeyboardDevice* keyboard = KeyboardOf(engine)) SendKeyTable(*keyboard, panel);
            if (CTorvanelMouseDevice* mouse = MouseOf(engine)) mouse->WriteOwnKeyAssignments(0);
            panel.EnableEditButtons(false);
        }
        return;
    }
    if (type == "itemselect" && name == "keyset_function_combo") {
        panel.OnFunctionChanged();
        // The keyboard tab waits for a key; every other function applies at once.
        if (panel.SelectedFunction() != kFunctionKeyboard) ApplyKeyAssignment(engine, panel);
        return;
    }
    if (type == "itemselect" && name == "keyset_macro_over_combo") panel.OnMacroRepeatChanged();
    if (type == "selectchanged" && name.starts_with("key_ComBox_check_")) {
        COptionUI* option = panel.Controls().Option(name);
        if (!option || !option->IsSelected()) return;  // the cleared neighbour reports too
        panel.SetModifier(std::atoi(name.substr(name.rfind('_') + 1).c_str()));
    }
    if (type == "killfocus" && name == "keyset_keyboard_text_edit") return;  // the capture's end only
    ApplyKeyAssignment(engine, panel);
}

void SelectKeyOnPage(CTorvanelUSBDevice& engine, int key) {
    if (key < 0) return;
    if (engine.GetFunctionPage() == kKeyFunctionPage) {
        CTorvanelMouseDevice* mouse = MouseOf(engine);
        if (mouse && OnlyLeftButton(*mouse, key)) {
            if (CKeySetControlUI* panel = FindKeySetPanel(engine)) Tell(*panel, "message_text_6");
            return;
        }
        engine.SelectKey(key);
        if (CKeySetControlUI* panel = FindKeySetPanel(engine)) panel->EnableEditButtons(false);
        return;
    }
    CTorvanelKeyboardDevice* keyboard = KeyboardOf(engine);
    if (engine.GetFunctionPage() != kLightingPage || !keyboard) return;
    const auto light = keyboard->KeyToLight().find(key);
    const int lightIndex = light != keyboard->KeyToLight().end() && light->second != kNoKeyPosition ? light->second : key;
    keyboard->PaintCustomKey(lightIndex);
}

void CaptureKeyForPanel(CTorvanelUSBDevice& engine, size_t row) {
    CKeySetControlUI* panel = FindKeySetPanel(engine);
    if (panel && panel->OnCapturedKey(row)) ApplyKeyAssignment(engine, *panel);
}
