#pragma once
// The factory assignment of every key number of the keyboard page: the code each key carries when
// the keyboard leaves the factory. The host finds a key on the device by looking for this code.
#include <array>
#include <cstddef>
#include <cstdint>

namespace emu {

struct KeyCode {
    uint8_t type = 0;
    uint8_t p1 = 0;
    uint8_t p2 = 0;
    friend constexpr bool operator==(const KeyCode&, const KeyCode&) = default;
};

inline constexpr size_t kPageKeyCount = 170;
// 20 00 00: a key number the keyboard does not have.
inline constexpr KeyCode kNoKeyCode{0x20, 0x00, 0x00};

const std::array<KeyCode, kPageKeyCount>& FactoryKeyTable();

}  // namespace emu
