#include "panels/keyset/KeySetControlUI.h"

#include <algorithm>
#include <cstdlib>

#include "input/KeyCaptureTable.h"
#include "panels/keyset/KeySetTables.h"
#include "toolkit/ControlFactory.h"

using namespace DuiLib;

namespace {

constexpr int kChoiceItemHeight = 30;
constexpr uint8_t kNibble = 0x0F;
constexpr uint8_t kCount7 = 0x7F;
constexpr uint8_t kDirectionBit = 0x80;

const char* const kModifierOptionNames[kModifierOptions] = {"key_ComBox_check_0", "key_ComBox_check_1",
                                                            "key_ComBox_check_2", "key_ComBox_check_3",
                                                            "key_ComBox_check_4"};

CListLabelElementUI* ChoiceItem(const std::string& text, bool textIsKey) {
    auto* item = new CListLabelElementUI;
    item->SetFixedHeight(kChoiceItemHeight);
    item->SetResourceText(textIsKey);
    item->SetText(text);
    return item;
}

}  // namespace

CKeySetControlUI::CKeySetControlUI() : controls_(*this) {}

std::string CKeySetControlUI::GetClass() const { return kClassName; }

void* CKeySetControlUI::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CKeySetControlUI::DoInit() {
    CHorizontalLayoutUI::DoInit();
    FillChoiceLists();
}

void CKeySetControlUI::FillChoiceLists() {
    if (filled_) return;
    auto fill = [this](const std::string& name, auto&& texts) {
        CComboUI* combo = controls_.Combo(name);
        if (!combo) return;
        combo->RemoveAll();
        for (const auto& text : texts) {
            if constexpr (std::is_same_v<std::decay_t<decltype(text)>, KeyCodeName>) combo->Add(ChoiceItem(text.textKey, true));
            else combo->Add(ChoiceItem(text, true));
        }
    };
    fill("keyset_mousekey_combo", kMouseCodeTable);
    fill("keyset_mousedpi_combo", kDpiCodeTable);
    fill("keyset_media_combo", kMediaCodeTable);
    fill("keyset_system_combo", kSystemCodeTable);
    fill("keyset_combokey_combo", kCombinationCodeTable);
    fill("keyset_mouseswing_combo", kSwingDirections);
    fill("keyset_mousewheel_combo", kWheelDirections);
    fill("keyset_macro_over_combo", kMacroRepeatModes);
    fill("keyset_gunkey_combo", kGunKeys);
    filled_ = controls_.Combo("keyset_mousekey_combo") != nullptr;
    SetPanelKind(panelKind_);
}

void CKeySetControlUI::SetPanelKind(int kind) {
    panelKind_ = kind;
    CComboUI* functions = controls_.Combo("keyset_function_combo");
    if (!functions) return;
    for (int i = 0; i < functions->GetCount(); ++i) {
        CControlUI* item = functions->GetItemAt(i);
        const int function = std::atoi(item->GetUserData().c_str());
        item->SetVisible(kind != 1 || (function != kFunctionDpi && function != kFunctionGunKey));
    }
}

// ---- macro names ---------------------------------------------------------------------------

void CKeySetControlUI::SetMacroList(const std::vector<std::string>& names) {
    CComboUI* combo = controls_.Combo("keyset_macro_combo");
    if (!combo) return;
    combo->RemoveAll();
    for (const std::string& name : names) combo->Add(ChoiceItem(name, false));
    combo->SelectItem(-1, false, false);
}

void CKeySetControlUI::AddMacroName(const std::string& name) {
    if (CComboUI* combo = controls_.Combo("keyset_macro_combo")) combo->Add(ChoiceItem(name, false));
}

void CKeySetControlUI::RemoveMacroName(int index) {
    CComboUI* combo = controls_.Combo("keyset_macro_combo");
    if (combo && index >= 0 && index < combo->GetCount()) combo->RemoveAt(index);
}

void CKeySetControlUI::RenameMacroName(int index, const std::string& name) {
    CComboUI* combo = controls_.Combo("keyset_macro_combo");
    if (combo && index >= 0 && index < combo->GetCount()) combo->GetItemAt(index)->SetText(name);
}

int CKeySetControlUI::MacroCount() const {
    CComboUI* combo = controls_.Combo("keyset_macro_combo");
    return combo ? combo->GetCount() : 0;
}

// ---- showing a record ----------------------------------------------------------------------

void CKeySetControlUI::SetAssignment(const KeySetRecord& record) {
    current_ = device_ = record;
    Show(record);
}

void CKeySetControlUI::SelectCodeRow(const std::string& combo, std::span<const KeyCodeName> table,
                                     const KeyAssignment& code) {
    int found = -1;
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].code == code) {
            found = static_cast<int>(i);
            break;
        }
    }
    controls_.Select(combo, found);
}

void CKeySetControlUI::ShowNibbles(const std::string& delayEdit, const std::string& speedEdit, uint8_t value) {
    SetNumber(delayEdit, value >> 4);
    SetNumber(speedEdit, value & kNibble);
}

int CKeySetControlUI::Number(const std::string& edit) const {
    return std::atoi(controls_.Text(edit).c_str());
}

void CKeySetControlUI::SetNumber(const std::string& edit, int value) { controls_.SetText(edit, std::to_string(value)); }

void CKeySetControlUI::Show(const KeySetRecord& record) {
    FillChoiceLists();
    const KeyAssignment& code = record.code;
    const uint8_t p1 = code[1], p2 = code[2];
    int tab = kFunctionNone;
    switch (code[0]) {
    case 0x00: tab = kFunctionNone; break;
    case kCodeMouse: tab = kFunctionMouse; SelectCodeRow("keyset_mousekey_combo", kMouseCodeTable, code); break;
    case kCodeDpi: tab = kFunctionDpi; SelectCodeRow("keyset_mousedpi_combo", kDpiCodeTable, code); break;
    case kCodeMedia: tab = kFunctionMedia; SelectCodeRow("keyset_media_combo", kMediaCodeTable, code); break;
    case kCodeSystem: tab = kFunctionSystem; SelectCodeRow("keyset_system_combo", kSystemCodeTable, code); break;
    case kCodeSwing:
    case kCodeWheel: {
        const bool swing = code[0] == kCodeSwing;
        tab = swing ? kFunctionSwing : kFunctionWheel;
        const std::string prefix = swing ? "keyset_mouseswing_" : "keyset_mousewheel_";
        ShowNibbles(prefix + "delay_edit", prefix + "speed_edit", p1);
        const bool reverse = (p2 & kDirectionBit) != 0;
        controls_.Select(prefix + "combo", reverse ? 1 : 0);
        int count = reverse ? (p2 & kCount7) : p2;
        if (!swing && reverse) count = 128 - (p2 & kCount7);
        SetNumber(prefix + "num_edit", count);
        break;
    }
    case kCodeFire:
        tab = kFunctionFire;
        SetNumber("keyset_mousefire_interval_edit", p1);
        SetNumber("keyset_mousefire_num_edit", p2);
        break;
    case kCodeKey:
        if (p1 > 128) {
            tab = kFunctionCombination;
            SelectCodeRow("keyset_combokey_combo", kCombinationCodeTable, code);
            break;
        }
        tab = kFunctionKeyboard;
        if (p1 == 0) {
            keyRow_ = -1;
            for (size_t row = kModifierRows; row < kKeyboardCodeTable.size(); ++row) {
                const KeyAssignment& candidate = kKeyboardCodeTable[row].code;
                if (candidate[0] == kCodeKey && candidate[1] == 0 && candidate[2] == p2) {
                    keyRow_ = static_cast<int>(row);
                    break;
                }
            }
            if (keyRow_ < 0) {
                SetModifier(-1);
                SetKeyText("");
                current_.code[1] = current_.code[2] = 0;
            } else {
                SetModifier(0);
                SetKeyText(kKeyboardCodeTable[keyRow_].textKey);
            }
            break;
        } else {
            int option = -1;
            for (size_t row = 0; row < kModifierRows; ++row) {
                if (kKeyboardCodeTable[row].code[1] == p1) {
                    option = ModifierOptionOfRow(row);
                    break;
                }
            }
            if (option < 0) {
                option = 0;
                current_.code[1] = 0;
            }
            SetModifier(option);
            keyRow_ = -1;
            for (size_t row = kModifierRows; row < kKeyboardCodeTable.size(); ++row) {
                const KeyAssignment& candidate = kKeyboardCodeTable[row].code;
                if (candidate[1] == 0 && candidate[2] == p2) {
                    keyRow_ = static_cast<int>(row);
                    break;
                }
            }
            SetKeyText(keyRow_ >= 0 ? kKeyboardCodeTable[keyRow_].textKey : "");
        }
        break;
    case kCodeMacroRepeat:
    case kCodeMacroCount: {
        tab = kFunctionMacro;
        const bool counted = code[0] == kCodeMacroCount;
        const bool missing = MacroCount() < p1 + 1;
        if (missing) {
            controls_.Select("keyset_macro_combo", -1);
            controls_.Select("keyset_macro_over_combo", -1);
        } else {
            controls_.Select("keyset_macro_combo", p1);
            controls_.Select("keyset_macro_over_combo", counted ? kMacroRepeatCountMode : p2);
        }
        if (counted) SetNumber("keyset_macro_cycle_edit", p2);
        controls_.SetVisible("keyset_macro_cycle_layout", counted && !missing);
        break;
    }
    case kCodeGunKey:
        tab = kFunctionGunKey;
        controls_.Select("keyset_gunkey_combo", p1 < std::size(kGunKeys) ? p1 : -1);
        break;
    case kCodeCombinationOnly: tab = kFunctionCombination; break;
    default: tab = -1; break;
    }
    ShowTab(tab);
}

void CKeySetControlUI::ShowTab(int tab) {
    CComboUI* functions = controls_.Combo("keyset_function_combo");
    int item = -1;
    if (functions && tab > 0) {
        for (int i = 0; i < functions->GetCount(); ++i)
            if (std::atoi(functions->GetItemAt(i)->GetUserData().c_str()) == tab) item = i;
    }
    if (functions) functions->SelectItem(item, false, false);
    controls_.SetVisible("keyset_layout", item >= 0 || tab == kFunctionNone);
    if (CTabLayoutUI* tabs = controls_.Tabs("function_switch_tablayout")) tabs->SelectItem(std::max(tab, 0), false);
}

int CKeySetControlUI::SelectedFunction() const {
    CComboUI* functions = controls_.Combo("keyset_function_combo");
    if (!functions || functions->GetCurSel() < 0) return kFunctionNone;
    return std::atoi(functions->GetItemAt(functions->GetCurSel())->GetUserData().c_str());
}

void CKeySetControlUI::OnFunctionChanged() {
    const int function = SelectedFunction();
    if (CTabLayoutUI* tabs = controls_.Tabs("function_switch_tablayout")) tabs->SelectItem(function, false);
    if (function == kFunctionKeyboard) {
        SetKeyText("");
        SetModifier(-1);
    }
}

void CKeySetControlUI::OnMacroRepeatChanged() {
    controls_.SetVisible("keyset_macro_cycle_layout", controls_.Selected("keyset_macro_over_combo") == kMacroRepeatCountMode);
}

// ---- building a record ---------------------------------------------------------------------

KeySetRecord CKeySetControlUI::BuildAssignment() {
    KeySetRecord record = current_;
    auto fromTable = [&](const std::string& combo, std::span<const KeyCodeName> table) {
        const int index = controls_.Selected(combo);
        if (index >= 0 && static_cast<size_t>(index) < table.size()) record.code = table[index].code;
    };
    auto nibbles = [&](const std::string& prefix) {
        return static_cast<uint8_t>((Number(prefix + "delay_edit") & kNibble) * 16 + (Number(prefix + "speed_edit") & kNibble));
    };
    switch (SelectedFunction()) {
    case kFunctionMouse: fromTable("keyset_mousekey_combo", kMouseCodeTable); break;
    case kFunctionDpi: fromTable("keyset_mousedpi_combo", kDpiCodeTable); break;
    case kFunctionMedia: fromTable("keyset_media_combo", kMediaCodeTable); break;
    case kFunctionSystem: fromTable("keyset_system_combo", kSystemCodeTable); break;
    case kFunctionCombination: fromTable("keyset_combokey_combo", kCombinationCodeTable); break;
    case kFunctionSwing: {
        const int count = Number("keyset_mouseswing_num_edit") & kCount7;
        const bool reverse = controls_.Selected("keyset_mouseswing_combo") == 1;
        record.code = {kCodeSwing, nibbles("keyset_mouseswing_"), static_cast<uint8_t>(count + (reverse ? kDirectionBit : 0))};
        break;
    }
    case kFunctionWheel: {
        const int count = Number("keyset_mousewheel_num_edit");
        const bool reverse = controls_.Selected("keyset_mousewheel_combo") == 1;
        const uint8_t p2 = reverse ? static_cast<uint8_t>(((128 - count) & kCount7) | kDirectionBit)
                                   : static_cast<uint8_t>(count & kCount7);
        record.code = {kCodeWheel, nibbles("keyset_mousewheel_"), p2};
        break;
    }
    case kFunctionFire:
        record.code = {kCodeFire, static_cast<uint8_t>(Number("keyset_mousefire_interval_edit")),
                       static_cast<uint8_t>(Number("keyset_mousefire_num_edit"))};
        break;
    case kFunctionKeyboard: {
        const int option = GetModifier();
        const uint8_t bits = option > 0 ? kModifierBits[option] : 0;
        const bool hasKey = keyRow_ >= 0 && !controls_.Text("keyset_keyboard_text_edit").empty();
        record.code = {kCodeKey, bits, hasKey ? kKeyboardCodeTable[keyRow_].code[2] : uint8_t{0}};
        if (hasKey) record.keyValue = KeyboardRowVirtualKey(static_cast<size_t>(keyRow_));
        break;
    }
    case kFunctionMacro: {
        const int macro = controls_.Selected("keyset_macro_combo");
        if (macro < 0) break;  // no macro chosen: the assignment stays
        const int mode = std::max(controls_.Selected("keyset_macro_over_combo"), 0);
        if (mode == kMacroRepeatCountMode)
            record.code = {kCodeMacroCount, static_cast<uint8_t>(macro), static_cast<uint8_t>(Number("keyset_macro_cycle_edit"))};
        else
            record.code = {kCodeMacroRepeat, static_cast<uint8_t>(macro), static_cast<uint8_t>(mode)};
        break;
    }
    case kFunctionGunKey: {
        const int gun = controls_.Selected("keyset_gunkey_combo");
        if (gun >= 0) record.code = {kCodeGunKey, static_cast<uint8_t>(gun), 0};
        break;
    }
    default: break;
    }
    current_ = record;
    return record;
}

// ---- key text and modifiers ----------------------------------------------------------------

void CKeySetControlUI::SetKeyText(const std::string& textKey) {
    if (textKey.empty()) keyRow_ = -1;
    std::string shown;
    if (CControlUI* probe = controls_.Find("text_test"); probe && !textKey.empty()) {
        probe->SetResourceText(true);
        probe->SetText(textKey);
        shown = probe->GetText();
    } else if (!textKey.empty()) {
        shown = textKey;
    }
    controls_.SetText("keyset_keyboard_text_edit", shown);
}

void CKeySetControlUI::SetModifier(int option) {
    for (int i = 0; i < kModifierOptions; ++i)
        if (COptionUI* box = controls_.Option(kModifierOptionNames[i])) box->Selected(i == option, false);
}

int CKeySetControlUI::GetModifier() const {
    for (int i = 0; i < kModifierOptions; ++i)
        if (COptionUI* box = controls_.Option(kModifierOptionNames[i]); box && box->IsSelected()) return i;
    return -1;
}

void CKeySetControlUI::EnableEditButtons(bool enabled) {
    for (const char* name : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"}) controls_.SetEnabled(name, enabled);
}

bool CKeySetControlUI::OnCapturedKey(size_t row) {
    if (row >= kKeyboardCodeTable.size() || kKeyboardCodeTable[row].code[0] != kCodeKey) return false;
    if (row < kModifierRows) {
        SetModifier(ModifierOptionOfRow(row));
        SetKeyText("");
        return true;
    }
    if (GetModifier() < 0) SetModifier(0);
    SetKeyText(kKeyboardCodeTable[row].textKey);
    keyRow_ = static_cast<int>(row);
    const int option = GetModifier();
    current_.keyValue = KeyboardRowVirtualKey(row);
    current_.code = {kCodeKey, option > 0 ? kModifierBits[option] : uint8_t{0}, kKeyboardCodeTable[row].code[2]};
    return true;
}

void RegisterKeySetControls() {
    CControlFactory::GetInstance()->RegistControl("CKeySetControlUI", [] { return new CKeySetControlUI(); });
}
