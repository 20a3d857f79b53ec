#pragma once
// Which key a captured keyboard event is: the capture table names the first 113 rows of the
// keyboard table (modifiers, then the ordinary keys) by their set-1 scan code and extended flag,
// as the system reports them. Backends translate their own key numbers into that form.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

inline constexpr size_t kCaptureTableRows = 113;
inline constexpr size_t kModifierRows = 8;

struct CaptureKey {
    uint16_t vkCode;
    uint8_t scanCode;
    uint8_t extended;
};

extern const std::array<CaptureKey, kCaptureTableRows> kCaptureTable;

struct ScanCode {
    uint8_t code = 0;
    bool extended = false;
};

// The first row with this scan code and extended flag; nullopt for a key not in the table.
std::optional<size_t> FindCaptureRow(uint8_t scanCode, bool extended);
// A Linux input key number (KEY_*) as a set-1 scan code; nullopt for keys without one.
std::optional<ScanCode> ScanCodeOfLinuxKey(uint16_t linuxKey);
// Lock keys (Caps Lock, Num Lock, Scroll Lock) stay with the desktop while input is captured.
bool IsLockKey(uint16_t linuxKey);
