#pragma once
// The code tables of the key assignment panel that the keyboard engine does not already hold:
// the combination keys, the function list and the names of the choice lists.
#include <array>
#include <cstdint>
#include <span>

#include "engines/keyboard/KeyCodeTables.h"

// Functions of "keyset_function_combo" (item user data) and tabs of "function_switch_tablayout".
enum KeySetFunction : int {
    kFunctionNone = 0,
    kFunctionMouse = 1,
    kFunctionSwing = 2,
    kFunctionWheel = 3,
    kFunctionDpi = 4,
    kFunctionFire = 5,
    kFunctionKeyboard = 6,
    kFunctionMedia = 7,
    kFunctionSystem = 8,
    kFunctionMacro = 9,
    kFunctionGunKey = 10,
    kFunctionCombination = 11,
};

inline constexpr uint8_t kCodeMouse = 0x10;
inline constexpr uint8_t kCodeSwing = 0x11;
inline constexpr uint8_t kCodeWheel = 0x12;
inline constexpr uint8_t kCodeDpi = 0x13;
inline constexpr uint8_t kCodeFire = 0x14;
inline constexpr uint8_t kCodeKey = 0x20;
inline constexpr uint8_t kCodeMedia = 0x30;
inline constexpr uint8_t kCodeSystem = 0x40;
inline constexpr uint8_t kCodeMacroRepeat = 0x70;
inline constexpr uint8_t kCodeMacroCount = 0x71;
inline constexpr uint8_t kCodeGunKey = 0x72;
inline constexpr uint8_t kCodeCombinationOnly = 0xB0;

inline constexpr int kMacroRepeatCountMode = 4;
inline constexpr int kModifierOptions = 5;  // none, Ctrl, Shift, Alt, Win
inline constexpr uint8_t kModifierBits[kModifierOptions] = {0x00, 0x01, 0x02, 0x04, 0x08};

// Ctrl with O, N, Z, S, C, X, V, F, A, "-", "=".
inline constexpr KeyCodeName kCombinationCodeTable[] = {
    {"keyset_combo_ctrl_o", {0x20, 0x01, 0x12}}, {"keyset_combo_ctrl_n", {0x20, 0x01, 0x11}},
    {"keyset_combo_ctrl_z", {0x20, 0x01, 0x1D}}, {"keyset_combo_ctrl_s", {0x20, 0x01, 0x16}},
    {"keyset_combo_ctrl_c", {0x20, 0x01, 0x06}}, {"keyset_combo_ctrl_x", {0x20, 0x01, 0x1B}},
    {"keyset_combo_ctrl_v", {0x20, 0x01, 0x19}}, {"keyset_combo_ctrl_f", {0x20, 0x01, 0x09}},
    {"keyset_combo_ctrl_a", {0x20, 0x01, 0x04}}, {"keyset_combo_ctrl_minus", {0x20, 0x01, 0x2D}},
    {"keyset_combo_ctrl_equal", {0x20, 0x01, 0x2E}},
};

inline constexpr const char* kSwingDirections[] = {"mouse_key_left_Swing", "mouse_key_right_Swing"};
inline constexpr const char* kWheelDirections[] = {"mouse_key_up_Swing", "mouse_key_down_Swing"};
inline constexpr const char* kMacroRepeatModes[] = {"keyset_macro_mode_0", "keyset_macro_mode_1",
                                                    "keyset_macro_mode_2", "keyset_macro_mode_3",
                                                    "keyset_macro_mode_4"};
inline constexpr const char* kGunKeys[] = {"gun_1_txt", "gun_2_txt", "gun_3_txt", "gun_4_txt"};

// The Windows virtual-key code kept with a keyboard table row's record (its first two bytes).
uint16_t KeyboardRowVirtualKey(size_t row);
// The modifier option of keyboard table rows 0 to 7: both Ctrls give 1, Shifts 2, Alts 3, Wins 4.
inline int ModifierOptionOfRow(size_t row) { return static_cast<int>((row + 1) % 5 + (row + 1) / 5); }
