#pragma once
// Brightness curves of the keyboard's own effects (the shared tables are in LightingTables.h).
#include <array>
#include <cstdint>

#include "engines/lighting/LightingTables.h"

namespace lighting {

inline constexpr std::array<uint8_t, 48> kWaveRise = {
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
inline constexpr std::array<uint8_t, 96> kWaveCurve = Mirrored(kWaveRise);

constexpr std::array<uint8_t, 192> MakePulseCurve() {
    constexpr uint8_t head[] = {
        0,   4,   8,   14,  22,  33,  45,  61,  77,  84,  100, 110, 120, 130, 140, 150, 158, 166,
        175, 182, 191, 204, 220, 234, 255, 248, 241, 234, 227, 220, 213, 206, 200, 194, 188, 182,
        176, 170, 164, 158, 152, 146, 140, 134, 129, 124, 119, 114, 109, 104, 99,  94,  89,  85,
        81,  77,  73,  69,  65,  61,  57,  53,  49,  45,  42,  39,  36,  33,  30,  27,  24,  22,
        20,  18,  16,  14,  12,  10,  9,   8,   7,   6,   5,   4,   3,   2,   2,   1,   0};
    std::array<uint8_t, 192> curve{};
    for (size_t i = 0; i < sizeof(head); ++i) curve[i] = head[i];
    return curve;
}
inline constexpr std::array<uint8_t, 192> kPulseCurve = MakePulseCurve();

// Effect 21: brightness of each column, bright on the left.
inline constexpr std::array<uint8_t, 23> kColumnGradient = {
    255, 250, 245, 240, 235, 230, 225, 220, 210, 200, 190, 180,
    160, 150, 140, 130, 100, 80,  60,  40,  20,  10,  0};

}  // namespace lighting
