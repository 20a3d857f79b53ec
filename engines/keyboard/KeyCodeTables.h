#pragma once
// Constant code tables of the keyboard engine (data only).
#include <array>
#include <cstddef>

#include "store/ProfileRecords.h"

inline constexpr size_t kFactoryKeyRows = 170;
inline constexpr size_t kKeyboardTableRows = 142;

struct KeyCodeName {
    const char* textKey;
    KeyAssignment code;  // type, parameter 1, parameter 2
};

extern const std::array<KeyAssignment, kFactoryKeyRows> kFactoryKeyTable;
extern const std::array<KeyCodeName, kKeyboardTableRows> kKeyboardCodeTable;

// Names of codes that are not keyboard keys, looked up by type and parameters.
inline constexpr KeyCodeName kDisplayCodeTable[] = {
    {"mouse_key_left", {0x10, 0x01, 0}},      {"mouse_key_middle", {0x10, 0x02, 0}},
    {"mouse_key_right", {0x10, 0x04, 0}},     {"mouse_key_forward", {0x10, 0x10, 0}},
    {"mouse_key_back", {0x10, 0x08, 0}},      {"mouse_key_fire_key", {0x14, 0x50, 0x02}},
    {"mouse_key_shortcut_key", {0x20, 0, 0}}, {"win_key_text", {0x20, 0x80, 0}},
    {"mouse_key_smart_key", {0xA0, 0x02, 0}}, {"close_text", {0xA0, 0, 0}},
    {"mouse_key_DPI_loop", {0x13, 0x03, 0}},  {"mouse_key_DPI_add", {0x13, 0x01, 0}},
    {"mouse_key_DPI_sub", {0x13, 0x02, 0}},   {"mouse_key_DPI_shift", {0x16, 0, 0}},
    {"show_window", {0x23, 0, 0}},
};

// The mouse buttons as the key assignment panel codes them (middle 0x04, right 0x02).
inline constexpr KeyCodeName kMouseCodeTable[] = {
    {"mouse_key_left", {0x10, 0x01, 0}},  {"mouse_key_middle", {0x10, 0x04, 0}},
    {"mouse_key_right", {0x10, 0x02, 0}}, {"mouse_key_forward", {0x10, 0x10, 0}},
    {"mouse_key_back", {0x10, 0x08, 0}},
};

inline constexpr KeyCodeName kDpiCodeTable[] = {
    {"mouse_key_DPI_add", {0x13, 0x01, 0}}, {"mouse_key_DPI_sub", {0x13, 0x02, 0}},
    {"mouse_key_DPI_loop", {0x13, 0x03, 0}},
};

inline constexpr KeyCodeName kShortcutCodeTable[] = {
    {"custem_cut", {0x22, 0, 0}},        {"custem_copy", {0x22, 0, 1}}, {"custem_paste", {0x22, 0, 2}},
    {"custem_undo", {0x22, 0, 3}},       {"custem_select_all", {0x22, 0, 4}}, {"custem_find", {0x22, 0, 5}},
    {"custem_new", {0x22, 0, 6}},        {"custem_save", {0x22, 0, 7}}, {"custem_open", {0x22, 0, 8}},
};

inline constexpr KeyCodeName kMediaCodeTable[] = {
    {"media_text", {0x30, 0x83, 0x01}},   {"media_play", {0x30, 0xCD, 0x00}},  {"media_stop", {0x30, 0xB7, 0x00}},
    {"media_prev", {0x30, 0xB6, 0x00}},   {"media_next", {0x30, 0xB5, 0x00}},  {"media_vol_sub", {0x30, 0xEA, 0x00}},
    {"media_vol_add", {0x30, 0xE9, 0x00}}, {"media_mute", {0x30, 0xE2, 0x00}}, {"web_text", {0x30, 0x23, 0x02}},
    {"web_refresh", {0x30, 0x27, 0x02}},  {"wed_stop", {0x30, 0x26, 0x02}},    {"wed_back", {0x30, 0x24, 0x02}},
    {"wed_forward", {0x30, 0x25, 0x02}},  {"wed_favorite", {0x30, 0x2A, 0x02}}, {"web_search", {0x30, 0x21, 0x02}},
    {"media_mypc", {0x30, 0x94, 0x01}},   {"media_calc", {0x30, 0x92, 0x01}},  {"media_mail", {0x30, 0x8A, 0x01}},
};

inline constexpr KeyCodeName kSystemCodeTable[] = {
    {"system_power", {0x40, 0x01, 0}}, {"system_sleep", {0x40, 0x02, 0}}, {"system_wake_up", {0x40, 0x04, 0}},
};

// The keys that cannot be reassigned: disabled while the key assignment page is shown.
inline constexpr int kFixedKeys[] = {0, 106, 109, 110, 125};
