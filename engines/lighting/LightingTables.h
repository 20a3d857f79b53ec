#pragma once
// Colour tables and phase stepping shared by every engine's software lighting.
#include <array>
#include <cstddef>
#include <cstdint>

#include "engines/lighting/LightRecord.h"

namespace lighting {

inline constexpr std::array<uint8_t, 32> kSpectrumRise = {
    1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
    81,  89,  99,  109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
inline constexpr std::array<uint8_t, 32> kSpectrumFall = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

constexpr std::array<Rgb, 192> MakeSpectrum() {
    std::array<Rgb, 192> table{};
    for (size_t k = 0; k < 32; ++k) {
        const uint8_t up = kSpectrumRise[k], down = kSpectrumFall[k];
        table[k] = {255, up, 0};
        table[32 + k] = {down, 255, 0};
        table[64 + k] = {0, 255, up};
        table[96 + k] = {0, down, 255};
        table[128 + k] = {up, 0, 255};
        table[160 + k] = {255, 0, down};
    }
    return table;
}
inline constexpr std::array<Rgb, 192> kSpectrum = MakeSpectrum();

inline constexpr std::array<Rgb, 4> kFourColours = {
    Rgb{0, 255, 180}, Rgb{0, 255, 0}, Rgb{255, 255, 255}, Rgb{255, 0, 0}};

inline constexpr std::array<uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

// A rising half followed by the same values falling.
template <size_t N>
constexpr std::array<uint8_t, 2 * N> Mirrored(const std::array<uint8_t, N>& rise) {
    std::array<uint8_t, 2 * N> curve{};
    for (size_t i = 0; i < N; ++i) curve[i] = curve[2 * N - 1 - i] = rise[i];
    return curve;
}
inline constexpr std::array<uint8_t, 128> kBreathCurve = Mirrored(kBreathRise);

inline constexpr std::array<uint8_t, 5> kBrightnessLevels = {0, 64, 128, 192, 255};
// Units of 200 ms, by speed level.
inline constexpr std::array<uint8_t, 5> kBlinkPeriods = {28, 23, 18, 13, 7};

// Table lookups that never leave the table: colour indexes wrap, levels and speeds beyond the
// table take its last entry (a device or file may hand over any byte).
constexpr Rgb Spectrum(unsigned index) { return kSpectrum[index % kSpectrum.size()]; }
constexpr uint8_t BrightnessLevel(unsigned level) {
    return kBrightnessLevels[level < kBrightnessLevels.size() ? level : kBrightnessLevels.size() - 1];
}
constexpr uint32_t BlinkPeriodMs(unsigned speed) {
    return speed < kBlinkPeriods.size() ? kBlinkPeriods[speed] * 200u : 0u;
}
// Passes to wait per speed level in the user effect player and overlay mode 3; 0 above level 4.
constexpr uint32_t PassWait(unsigned speed) {
    return speed < kBlinkPeriods.size() ? kBlinkPeriods[speed] : 0u;
}

// value × factor / 256: the high byte of the 16-bit product.
constexpr uint8_t Scale(unsigned value, unsigned factor) { return uint8_t((value * factor) >> 8); }

// Direction set: count up and wrap to 0 at the limit. Direction clear: count down (8-bit) and wrap
// to limit − step once the value leaves the range.
constexpr uint8_t StepPhase(bool direction, unsigned limit, uint8_t phase, unsigned step) {
    if (direction) {
        const unsigned next = phase + step;
        return next >= limit ? 0 : uint8_t(next);
    }
    const uint8_t next = uint8_t(phase - step);
    return next < limit ? next : uint8_t(limit - step);
}

}  // namespace lighting
