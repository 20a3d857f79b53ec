#pragma once
// The registered message names this program knows. A message from another program reaches a
// window only when its name is listed here (and its arguments are well formed).
#include <cstddef>
#include <cstdint>
#include <string_view>

enum class MessageReach {
    // May arrive from any program over the bus.
    AnyProgram,
    // lParam is a pointer to a record inside this process; over the bus it would be an address in
    // someone else's memory, so such a message is never taken from another program.
    InProcessOnly,
};

// The values an argument may take from another program (both ends included).
struct WParamRange {
    uint64_t min = 0;
    uint64_t max = UINT64_MAX;
};
struct LParamRange {
    int64_t min = INT64_MIN;
    int64_t max = INT64_MAX;
};

// One row per message. A new message is one more row; without ranges it takes any arguments.
struct KnownMessage {
    std::string_view name;      // the registered string
    std::string_view codeName;  // the name used in code, where there is one
    MessageReach reach;
    std::string_view role;      // what it carries and who sends it
    WParamRange wParam = {};
    LParamRange lParam = {};
};

// Game events name a lighting effect by its index; no device has nearly this many.
inline constexpr int64_t kMaxLightingEffectIndex = 255;

inline constexpr KnownMessage kKnownMessages[] = {
    // Start-up and the main window.
    {"Zorv Wired Manager 1.0", "UWM_APP_INSTANCE", MessageReach::AnyProgram,
     "second instance asks the running one to come to the front (broadcast, w 0, l 1)", {0, 0}, {0, 1}},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", "UWM_UPDATE_STATUS", MessageReach::AnyProgram,
     "update status from outside, relayed unchanged to the open settings window"},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF16}", "UWM_LIGHT_CONTROL_NOTIFY", MessageReach::AnyProgram,
     "broadcast: this program controls the lighting (w 1, l 1) or not (w 1, l 0)", {1, 1}, {0, 1}},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "UWM_LIGHT_CONTROL_REQUEST", MessageReach::AnyProgram,
     "from outside: take (w 1, l 1) or release (w 1, l 0) the lighting", {1, 1}, {0, 1}},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBF18}", "UWM_DEVICE_LIST_REQUEST", MessageReach::AnyProgram,
     "from outside: report the device list to the window titled \"ZuzaZoro\" (data copy 5)"},
    {"{4695579F-999A-41d4-9FAF-EFFCE93EBE19}", "UWM_AUDIO_RECORD_CONTROL", MessageReach::AnyProgram,
     "to the audio capture window: control code in w (0..5), main window handle in l for code 0", {0, 5}},

    // Input hook: keyboard and mouse records, always delivered inside the process.
    {"WM_HOOK_KEY_SINGLEKEY_MSG", "", MessageReach::InProcessOnly, "key capture (hook mode 1)"},
    {"WM_HOOK_KEY_HITKEY_MSG", "", MessageReach::InProcessOnly, "hook mode 2, ignored"},
    {"WM_HOOK_KEY_KBMACRO_MSG", "", MessageReach::InProcessOnly, "recording: append key (mode 4)"},
    {"WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "", MessageReach::InProcessOnly, "recording: insert key before (mode 8)"},
    {"WM_HOOK_KEY_KBMACROLATER_MSG", "", MessageReach::InProcessOnly, "recording: insert key after (mode 16)"},
    {"WM_HOOK_KEY_KBMACROSINGLE_MSG", "", MessageReach::InProcessOnly, "recording: replace key (mode 32)"},
    {"WM_HOOK_KEY_MSMACRO_MSG", "", MessageReach::InProcessOnly, "recording: append mouse button"},
    {"WM_HOOK_KEY_MSMACROPREVIOUS_MSG", "", MessageReach::InProcessOnly, "recording: insert mouse button before"},
    {"WM_HOOK_KEY_MSMACROLATER_MSG", "", MessageReach::InProcessOnly, "recording: insert mouse button after"},
    {"WM_HOOK_KEY_MSMACROSINGLE_MSG", "", MessageReach::InProcessOnly, "recording: replace mouse button"},
    {"WM_HOOK_MOU_SINGLEKEY_MSG", "", MessageReach::InProcessOnly, "hook mode 256, not handled"},
    {"WM_HOOK_MOU_HITKEY_MSG", "", MessageReach::InProcessOnly, "hook mode 512, not handled"},
    {"WM_HOOK_MOU_KBMACRO_MSG", "", MessageReach::InProcessOnly, "hook mode 1024, not handled"},
    {"WM_HOOK_MOU_MSMACRO_MSG", "", MessageReach::InProcessOnly, "registered, sent by nobody"},

    // Registered and admitted only; nobody sends them.
    {"UWM_MOUSELBUTTONDOWN_USER_MSG", "", MessageReach::AnyProgram, "registered only"},
    {"UWM_MOUSELBUTTONUP_USER_MSG", "", MessageReach::AnyProgram, "registered only"},
    {"UWM_MOUSERBUTTONDOWN_USER_MSG", "", MessageReach::AnyProgram, "registered only"},
    {"UWM_MOUSERBUTTONUP_USER_MSG", "", MessageReach::AnyProgram, "registered only"},
    {"UWM_MOUSEMOVE_USER_MSG", "", MessageReach::AnyProgram, "registered only"},

    // Game events from an outside program: w sub-command 0..2, l lighting effect index.
    {"Game_Start", "", MessageReach::AnyProgram, "game event lighting for 5 s", {0, 2}, {0, kMaxLightingEffectIndex}},
    {"Game_End", "", MessageReach::AnyProgram, "game event lighting for 5 s", {0, 2}, {0, kMaxLightingEffectIndex}},
    {"Game_Kill", "", MessageReach::AnyProgram, "game event lighting for 5 s", {0, 2}, {0, kMaxLightingEffectIndex}},
    {"Game_Death", "", MessageReach::AnyProgram, "game event lighting for 5 s", {0, 2}, {0, kMaxLightingEffectIndex}},
};

// Data-copy messages: identified by their data id (dwData), not by name. Only these ids are
// admitted; a new one is one more row.
struct KnownCopyData {
    uint64_t dataId;
    size_t size;  // bytes the sender puts in; receivers take at most this much
    std::string_view role;
};

inline constexpr KnownCopyData kKnownCopyData[] = {
    {1, 2000, "audio capture -> main window: 500 32-bit band levels"},
    {2, 24, "audio capture -> main window: six 32-bit peak and colour values"},
    {5, 1024, "main window -> \"ZuzaZoro\": device list report"},
    {10, 40, "main window -> audio capture: R, G, B of the selected music style"},
};

// Larger data-copy payloads are refused: no message of this program comes near it.
inline constexpr size_t kMaxCopyDataBytes = 1024 * 1024;

constexpr const KnownMessage* FindKnownMessage(std::string_view name) {
    for (const auto& known : kKnownMessages)
        if (known.name == name) return &known;
    return nullptr;
}

constexpr const KnownMessage* FindKnownMessageByCodeName(std::string_view codeName) {
    if (codeName.empty()) return nullptr;
    for (const auto& known : kKnownMessages)
        if (known.codeName == codeName) return &known;
    return nullptr;
}

constexpr const KnownCopyData* FindKnownCopyData(uint64_t dataId) {
    for (const auto& known : kKnownCopyData)
        if (known.dataId == dataId) return &known;
    return nullptr;
}
