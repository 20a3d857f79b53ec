// Key labels: the name of each key's assignment code, shown on its key cap.
#include <algorithm>
#include <cctype>
#include <span>

#include "engines/device/DeviceKeyButton.h"
#include "engines/keyboard/KeyCodeTables.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"

namespace {

// Shown for an unknown type; a fixed text, not a language key.
constexpr const char* kOffText = "关闭";
constexpr char kUnchanged[] = "";

const char* FindName(std::span<const KeyCodeName> table, const KeyAssignment& code, bool typeToo, bool p1Too,
                     bool p2Too) {
    for (const KeyCodeName& row : table) {
        if ((!typeToo || row.code[0] == code[0]) && (!p1Too || row.code[1] == code[1]) &&
            (!p2Too || row.code[2] == code[2]))
            return row.textKey;
    }
    return nullptr;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y)); });
}

}  // namespace

std::string CTorvanelKeyboardDevice::LabelForCode(const KeyAssignment& code) const {
    const uint8_t type = code[0];
    auto name = [](const char* key) { return std::string(key ? key : kUnchanged); };
    switch (type) {
    case 0x00:
    case 0x20: {
        if (const char* key = FindName(kKeyboardCodeTable, code, false, true, true)) return key;
        if (code[1] == 0 && code[2] == 0) return "close_text";
        std::string joined;
        // A combination: the modifier rows whose bit is set, then the key row of the usage. Plain
        // keys all carry p1 0, so matching p1 alone would name every one of them.
        for (const KeyCodeName& row : kKeyboardCodeTable) {
            if (row.code[0] != type) continue;
            const bool modifier = row.code[1] != 0 && row.code[2] == 0 && (code[1] & row.code[1]) == row.code[1];
            const bool key = row.code[1] == 0 && code[2] != 0 && row.code[2] == code[2];
            if (modifier || key) {
                if (!joined.empty()) joined += "+";
                joined += row.textKey;
            }
        }
        return joined;
    }
    case 0x10: return name(FindName(kMouseCodeTable, code, false, true, false));
    case 0x11: return (code[2] & 0x80) ? "mouse_key_right_Swing" : "mouse_key_left_Swing";
    case 0x12: return (code[2] & 0x80) ? "mouse_key_down_Swing" : "mouse_key_up_Swing";
    case 0x13: return name(FindName(kDpiCodeTable, code, false, true, false));
    case 0x14: return "mouse_key_fire_key";
    case 0x16: return name(FindName(kDisplayCodeTable, code, true, false, false));
    case 0x23: return name(FindName(kDisplayCodeTable, code, true, true, true));
    case 0x22: return name(FindName(kShortcutCodeTable, code, false, true, true));
    case 0x30: return name(FindName(kMediaCodeTable, code, false, true, true));
    case 0x40: return name(FindName(kSystemCodeTable, code, false, true, true));
    case 0x70:
    case 0x71: return code[1] < macroNames_.size() ? macroNames_[code[1]] : kUnchanged;
    case 0xA0:
    case 0xD0:
        if (const char* key = FindName(kDisplayCodeTable, code, true, true, false)) return key;
        return name(FindName(kKeyboardCodeTable, code, true, true, true));
    case 0x15: case 0x21: case 0x50: case 0x60: case 0xB0: case 0xC0: return kUnchanged;
    default: return kOffText;
    }
}

void CTorvanelKeyboardDevice::RefreshKeyLabels() {
    for (size_t i = 0; i < keyList_.size(); ++i) {
        CDeviceKeyButtonUI* button = KeyButton(static_cast<int>(i));
        if (!button) continue;
        const std::string labelKey = LabelForCode(keyList_[i].assignment);
        if (labelKey.empty()) continue;
        // Macro names and the fixed off text are shown as they are; the rest are language keys.
        const bool isMacro = keyList_[i].assignment[0] == 0x70 || keyList_[i].assignment[0] == 0x71;
        const std::string label = isMacro || labelKey == kOffText ? labelKey : Localised(labelKey);
        std::string own;
        if (i < kFactoryKeyRows) {
            if (const char* key = FindName(kKeyboardCodeTable, kFactoryKeyTable[i], true, true, true)) own = Localised(key);
        }
        button->SetText(own);
        button->SetKeyLayerVisible(!SameIgnoringCase(own, label));
        button->SetToolTip(Localised("Key_Set") + label);
    }
    RefreshRepeatControls();
}
