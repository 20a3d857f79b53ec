#include "store/ProfileRecords.h"

#include <cstring>

namespace {
uint32_t Pack4(const uint8_t* b) {
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
           static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}
void Unpack4(uint32_t w, uint8_t* b) {
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(w >> (8 * i));
}
uint32_t Halves(uint16_t low, uint16_t high) { return static_cast<uint32_t>(high) << 16 | low; }
uint16_t Low(uint32_t w) { return static_cast<uint16_t>(w & 0xFFFF); }
uint16_t High(uint32_t w) { return static_cast<uint16_t>(w >> 16); }
}  // namespace

LightInfoRecord::Words LightInfoRecord::ToWords() const {
    uint8_t b[14];
    std::memcpy(b, this, sizeof b);
    return {Pack4(b), Pack4(b + 4), Pack4(b + 8), static_cast<uint16_t>(b[12] | b[13] << 8)};
}

LightInfoRecord LightInfoRecord::FromWords(const Words& words) {
    uint8_t b[14];
    Unpack4(words.w0, b);
    Unpack4(words.w1, b + 4);
    Unpack4(words.w2, b + 8);
    b[12] = static_cast<uint8_t>(words.w3 & 0xFF);
    b[13] = static_cast<uint8_t>(words.w3 >> 8);
    LightInfoRecord r;
    std::memcpy(&r, b, sizeof b);
    return r;
}

AudioLightInfoRecord::Words AudioLightInfoRecord::ToWords() const {
    uint8_t b[9];
    std::memcpy(b, this, sizeof b);
    return {Pack4(b), Pack4(b + 4), b[8]};
}

AudioLightInfoRecord AudioLightInfoRecord::FromWords(const Words& words) {
    uint8_t b[9];
    Unpack4(words.w0, b);
    Unpack4(words.w1, b + 4);
    b[8] = words.b8;
    AudioLightInfoRecord r;
    std::memcpy(&r, b, sizeof b);
    return r;
}

int32_t AssignmentToInt(const KeyAssignment& a) { return a[0] * 65536 + a[1] * 256 + a[2]; }

KeyAssignment AssignmentFromInt(int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

std::array<uint32_t, 4> KeyboardSystemStages::ToWords() const {
    return {Halves(Repeat, RepeatDelay), Halves(Key6Flag, PollingRate), Halves(WFlag, WinFlag),
            ModeFlag};
}

KeyboardSystemStages KeyboardSystemStages::FromWords(const std::array<uint32_t, 4>& w) {
    return {Low(w[0]), High(w[0]), Low(w[1]), High(w[1]), Low(w[2]), High(w[2]), Low(w[3])};
}

std::array<uint32_t, 3> MouseSystemStages::ToWords() const {
    return {Halves(DoubleClickTime, MouseSpeed), Halves(PointerPrecision, ScorllPage),
            Halves(WheelScorlllinse, ReportRate)};
}

MouseSystemStages MouseSystemStages::FromWords(const std::array<uint32_t, 3>& w) {
    return {Low(w[0]), High(w[0]), Low(w[1]), High(w[1]), Low(w[2]), High(w[2])};
}
