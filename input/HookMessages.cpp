#include "input/HookMessages.h"

#include <span>
#include <string>

#include "toolkit/WindowMessages.h"

namespace {

constexpr const char* kNames[] = {
    "WM_HOOK_KEY_SINGLEKEY_MSG",       "WM_HOOK_KEY_HITKEY_MSG",         "WM_HOOK_KEY_KBMACRO_MSG",
    "WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "WM_HOOK_KEY_KBMACROLATER_MSG",   "WM_HOOK_KEY_KBMACROSINGLE_MSG",
    "WM_HOOK_KEY_MSMACRO_MSG",         "WM_HOOK_KEY_MSMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG",
    "WM_HOOK_KEY_MSMACROSINGLE_MSG",   "WM_HOOK_MOU_SINGLEKEY_MSG",      "WM_HOOK_MOU_HITKEY_MSG",
    "WM_HOOK_MOU_KBMACRO_MSG",         "WM_HOOK_MOU_MSMACRO_MSG",
};
static_assert(std::size(kNames) == static_cast<size_t>(HookMsg::Count));

// Registered so that the numbering matches the original's, though nothing sends them.
constexpr const char* kPointerMessages[] = {
    "UWM_MOUSELBUTTONDOWN_USER_MSG", "UWM_MOUSELBUTTONUP_USER_MSG", "UWM_MOUSERBUTTONDOWN_USER_MSG",
    "UWM_MOUSERBUTTONUP_USER_MSG",   "UWM_MOUSEMOVE_USER_MSG",
};

struct ModeRow {
    int mode;
    HookMsg message;
};
constexpr ModeRow kKeyboardModes[] = {
    {HookMode::kSingleKey, HookMsg::KeySingleKey},          {HookMode::kHitKey, HookMsg::KeyHitKey},
    {HookMode::kKbMacro, HookMsg::KeyKbMacro},              {HookMode::kKbMacroPrevious, HookMsg::KeyKbMacroPrevious},
    {HookMode::kKbMacroLater, HookMsg::KeyKbMacroLater},    {HookMode::kKbMacroSingle, HookMsg::KeyKbMacroSingle},
    {HookMode::kMouSingleKey, HookMsg::MouSingleKey},       {HookMode::kMouHitKey, HookMsg::MouHitKey},
    {HookMode::kMouKbMacro, HookMsg::MouKbMacro},
};
constexpr ModeRow kMouseModes[] = {
    {HookMode::kKbMacro, HookMsg::KeyMsMacro},
    {HookMode::kKbMacroPrevious, HookMsg::KeyMsMacroPrevious},
    {HookMode::kKbMacroLater, HookMsg::KeyMsMacroLater},
    {HookMode::kKbMacroSingle, HookMsg::KeyMsMacroSingle},
};

std::optional<HookMsg> FindMode(std::span<const ModeRow> rows, int mode) {
    for (const ModeRow& row : rows)
        if (row.mode == mode) return row.message;
    return std::nullopt;
}

}  // namespace

const char* HookMessageName(HookMsg id) {
    const auto index = static_cast<size_t>(id);
    return index < std::size(kNames) ? kNames[index] : "";
}

DuiLib::UINT HookMessage(HookMsg id) { return DuiLib::RegisterWindowMessage(HookMessageName(id)); }

void RegisterHookMessages() {
    for (const char* name : kNames) DuiLib::RegisterWindowMessage(name);
    for (const char* name : kPointerMessages) DuiLib::RegisterWindowMessage(name);
}

std::optional<HookMsg> FindHookMessage(DuiLib::UINT msg) {
    if (msg < DuiLib::kRegisteredMessageBase) return std::nullopt;
    for (size_t i = 0; i < std::size(kNames); ++i)
        if (DuiLib::RegisterWindowMessage(kNames[i]) == msg) return static_cast<HookMsg>(i);
    return std::nullopt;
}

std::optional<HookMsg> KeyboardMessageForMode(int mode) { return FindMode(kKeyboardModes, mode); }

std::optional<HookMsg> MouseMessageForMode(int mode) { return FindMode(kMouseModes, mode); }
