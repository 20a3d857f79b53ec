#pragma once
// The registered messages of the input hook and the records they carry. Each keyboard or mouse
// event reaches the target window as one of these messages, sent on the UI thread, with lParam
// pointing at a record that lives while the handler runs.
#include <cstdint>
#include <optional>

#include "toolkit/UIDefs.h"

// Hook modes: which message the keyboard hook sends per event.
namespace HookMode {
inline constexpr int kNone = 0;
inline constexpr int kSingleKey = 1;
inline constexpr int kHitKey = 2;
inline constexpr int kKbMacro = 4;
inline constexpr int kKbMacroPrevious = 8;
inline constexpr int kKbMacroLater = 16;
inline constexpr int kKbMacroSingle = 32;
inline constexpr int kMouSingleKey = 256;
inline constexpr int kMouHitKey = 512;
inline constexpr int kMouKbMacro = 1024;
}  // namespace HookMode

enum class HookMsg {
    KeySingleKey,
    KeyHitKey,
    KeyKbMacro,
    KeyKbMacroPrevious,
    KeyKbMacroLater,
    KeyKbMacroSingle,
    KeyMsMacro,
    KeyMsMacroPrevious,
    KeyMsMacroLater,
    KeyMsMacroSingle,
    MouSingleKey,
    MouHitKey,
    MouKbMacro,
    MouMsMacro,
    Count
};

// Keyboard messages (wParam of the keyboard hook messages).
inline constexpr DuiLib::UINT kMsgKeyDown = 0x0100;
inline constexpr DuiLib::UINT kMsgKeyUp = 0x0101;
inline constexpr DuiLib::UINT kMsgSysKeyDown = 0x0104;
inline constexpr DuiLib::UINT kMsgSysKeyUp = 0x0105;
// Mouse messages (wParam of the mouse hook messages).
inline constexpr DuiLib::UINT kMsgMouseMove = 0x0200;
inline constexpr DuiLib::UINT kMsgLButtonDown = 0x0201;
inline constexpr DuiLib::UINT kMsgLButtonUp = 0x0202;
inline constexpr DuiLib::UINT kMsgRButtonDown = 0x0204;
inline constexpr DuiLib::UINT kMsgRButtonUp = 0x0205;
inline constexpr DuiLib::UINT kMsgMButtonDown = 0x0207;
inline constexpr DuiLib::UINT kMsgMButtonUp = 0x0208;
inline constexpr DuiLib::UINT kMsgXButtonDown = 0x020B;
inline constexpr DuiLib::UINT kMsgXButtonUp = 0x020C;
// High word of the mouse data of an X button message.
inline constexpr uint32_t kXButtonBack = 1;
inline constexpr uint32_t kXButtonForward = 2;

// Bit 0 of KeyboardHookRecord::flags: the key sends the extended prefix.
inline constexpr uint32_t kKeyFlagExtended = 0x01;

// The low-level keyboard record.
struct KeyboardHookRecord {
    uint32_t vkCode = 0;
    uint32_t scanCode = 0;  // PC scan code set 1, without the prefix
    uint32_t flags = 0;
    uint32_t time = 0;  // milliseconds
    uintptr_t dwExtraInfo = 0;
};

// The low-level mouse record.
struct MouseHookRecord {
    DuiLib::POINT pt;  // screen coordinates
    uint32_t mouseData = 0;
    uint32_t flags = 0;
    uint32_t time = 0;
    uintptr_t dwExtraInfo = 0;
};

const char* HookMessageName(HookMsg id);
// The registered value of a hook message (registers it the first time).
DuiLib::UINT HookMessage(HookMsg id);
// Registers every hook message, including the five pointer messages nobody sends.
void RegisterHookMessages();
std::optional<HookMsg> FindHookMessage(DuiLib::UINT msg);
// The keyboard hook's message for a mode; nullopt when the mode sends none.
std::optional<HookMsg> KeyboardMessageForMode(int mode);
// The mouse hook library's message for a mode (4, 8, 16, 32); nullopt otherwise.
std::optional<HookMsg> MouseMessageForMode(int mode);
