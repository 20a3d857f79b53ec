#pragma once
// One lighting point of a frame: red, green, blue and a brightness factor (0-255), kept as one
// 32-bit word (bytes in that order, little-endian) so that it can be written whole without a lock.
#include <cstdint>

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct LightRecord {
    uint8_t red = 0, green = 0, blue = 0, factor = 0;

    constexpr uint32_t Pack() const {
        return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16 | uint32_t(factor) << 24;
    }
    static constexpr LightRecord Unpack(uint32_t word) {
        return {uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16), uint8_t(word >> 24)};
    }
    static constexpr LightRecord Of(Rgb colour, uint8_t factor) {
        return {colour.red, colour.green, colour.blue, factor};
    }
    constexpr Rgb Colour() const { return {red, green, blue}; }
    bool operator==(const LightRecord&) const = default;
};
