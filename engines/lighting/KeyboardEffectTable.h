#pragma once
// Which renderer steps each keyboard effect and how many 2 ms ticks it waits per speed level.
#include <array>
#include <cstddef>
#include <cstdint>

class CKeyboardLightRenderer;

namespace lighting {

inline constexpr size_t kSpeedLevels = 7;
using SpeedRow = std::array<uint8_t, kSpeedLevels>;

// Rows 0 to 24 are the device's; rows 25 to 33 are chosen here for the effects that name them:
// 25 (reactive fade) and 32, 33 like the other key effects (7 6 5 4 3 2 1); 26 the music effect's
// fixed two ticks; 27 two ticks too, so the audio colour follows its input; 28 (snake) like row 5;
// 29 (off) a slow constant 7; 30 (blinks, which follow their own clock) a constant 5; 31 unused.
inline constexpr std::array<SpeedRow, 34> kSpeedTable = {{
    {4, 3, 2, 1, 0, 0, 0},  // 0
    {5, 4, 3, 2, 1, 2, 1},  // 1
    {5, 4, 3, 2, 1, 2, 1},  // 2
    {4, 3, 2, 1, 0, 0, 0},  // 3
    {7, 6, 5, 4, 3, 2, 1},  // 4
    {5, 4, 3, 2, 1, 0, 0},  // 5
    {7, 6, 5, 4, 3, 2, 1},  // 6
    {7, 6, 5, 4, 3, 2, 1},  // 7
    {7, 6, 5, 4, 3, 2, 1},  // 8
    {7, 6, 5, 4, 3, 2, 1},  // 9
    {7, 6, 5, 4, 3, 2, 1},  // 10
    {7, 6, 5, 4, 3, 0, 0},  // 11
    {5, 4, 3, 2, 1, 0, 0},  // 12
    {5, 4, 3, 2, 1, 2, 1},  // 13
    {5, 4, 3, 2, 1, 0, 0},  // 14
    {6, 5, 4, 3, 2, 1, 1},  // 15
    {4, 4, 4, 4, 4, 2, 1},  // 16
    {7, 6, 5, 4, 3, 2, 1},  // 17
    {3, 3, 3, 3, 3, 2, 1},  // 18
    {5, 4, 3, 2, 1, 0, 0},  // 19
    {7, 6, 5, 4, 3, 2, 1},  // 20
    {7, 6, 5, 4, 3, 2, 1},  // 21
    {7, 6, 5, 4, 3, 2, 1},  // 22
    {7, 6, 5, 4, 3, 2, 1},  // 23
    {7, 6, 5, 4, 3, 2, 1},  // 24
    {7, 6, 5, 4, 3, 2, 1},  // 25
    {2, 2, 2, 2, 2, 2, 2},  // 26
    {2, 2, 2, 2, 2, 2, 2},  // 27
    {5, 4, 3, 2, 1, 0, 0},  // 28
    {7, 7, 7, 7, 7, 7, 7},  // 29
    {5, 5, 5, 5, 5, 5, 5},  // 30
    {0, 0, 0, 0, 0, 0, 0},  // 31
    {7, 6, 5, 4, 3, 2, 1},  // 32
    {7, 6, 5, 4, 3, 2, 1},  // 33
}};

// Ticks to wait in a row at a speed level; levels above the row wait 0.
constexpr uint8_t SpeedTicks(size_t row, unsigned speed) {
    return row < kSpeedTable.size() && speed < kSpeedLevels ? kSpeedTable[row][speed] : 0;
}

using EffectRenderer = void (CKeyboardLightRenderer::*)();
struct EffectEntry {
    uint8_t speedRow;
    EffectRenderer render;
};

// The entry of an effect, or nullptr for the effects the user effect player plays (0, 19, 31 and
// above 35).
const EffectEntry* FindEffect(uint8_t effect);

}  // namespace lighting
