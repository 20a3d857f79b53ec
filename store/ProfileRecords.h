#pragma once
// Fixed-layout records the profile data hands to the engines, which copy them into device reports.
#include <array>
#include <cstdint>
#include <string>

struct LightInfoRecord {
    uint8_t SelectItem = 0;  // lighting effect index
    uint8_t Light = 0;       // brightness
    uint8_t Speed = 0;
    uint8_t Fx = 0;          // direction
    uint8_t MultiColor = 0;
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    uint8_t EngineBytes[3] = {0, 0, 0};  // the lighting engine's; never stored in a profile
    uint8_t ZZCCLedMode = 0;
    uint8_t CustomGroup = 0;
    uint8_t OldLedmode = 0;  // effect active before the current one

    // Three little-endian words (bytes 0-3, 4-7, 8-11) and one 16-bit word (bytes 12-13).
    struct Words {
        uint32_t w0 = 0, w1 = 0, w2 = 0;
        uint16_t w3 = 0;
    };
    Words ToWords() const;
    static LightInfoRecord FromWords(const Words& words);
    bool operator==(const LightInfoRecord&) const = default;
};
static_assert(sizeof(LightInfoRecord) == 14);

struct AudioLightInfoRecord {
    uint8_t AudioMode = 0;
    uint8_t BkColorR = 0, BkColorG = 0, BkColorB = 0;
    uint8_t FgColorR = 0, FgColorG = 0, FgColorB = 0;
    uint8_t SevenColorFlags = 0;  // key "7ColorFlags"
    uint8_t ColorTypeFlags = 0;

    struct Words {
        uint32_t w0 = 0, w1 = 0;
        uint8_t b8 = 0;
    };
    Words ToWords() const;
    static AudioLightInfoRecord FromWords(const Words& words);
    bool operator==(const AudioLightInfoRecord&) const = default;
};
static_assert(sizeof(AudioLightInfoRecord) == 9);

struct LightListEntry {
    uint8_t LEDREGMode = 0;
    uint8_t LEDBrightness = 0;
    uint8_t LEDSpeed = 0;
    uint8_t LEDDirection = 0;
    uint8_t LEDMultiColor = 0;
    uint8_t red = 0, green = 0, blue = 0;
    uint8_t reserved[2] = {0, 0};
    uint8_t present = 0;  // 1 for an object in the list, 0 for a null entry
    uint8_t reserved2[3] = {0, 0, 0};
    bool operator==(const LightListEntry&) const = default;
};
static_assert(sizeof(LightListEntry) == 14);

// Three assignment bytes: function type, then two code bytes. In JSON: b0 * 65536 + b1 * 256 + b2.
using KeyAssignment = std::array<uint8_t, 3>;
int32_t AssignmentToInt(const KeyAssignment& a);
KeyAssignment AssignmentFromInt(int32_t value);

struct KeyListEntry {
    uint16_t keyIndex = 0;
    KeyAssignment assignment{};
    uint8_t reserved = 0;
    uint16_t keyIndexAgain = 0;
    KeyAssignment defaultAssignment{};
    uint8_t reserved2 = 0;
    bool operator==(const KeyListEntry&) const = default;
};
static_assert(sizeof(KeyListEntry) == 12);

struct KeyboardSystemStages {
    uint16_t Repeat = 0, RepeatDelay = 0, Key6Flag = 0, PollingRate = 0, WFlag = 0, WinFlag = 0,
             ModeFlag = 0;

    // word 1 = RepeatDelay << 16 | Repeat, 2 = PollingRate << 16 | Key6Flag,
    // 3 = WinFlag << 16 | WFlag, 4 = ModeFlag.
    std::array<uint32_t, 4> ToWords() const;
    static KeyboardSystemStages FromWords(const std::array<uint32_t, 4>& words);
    bool operator==(const KeyboardSystemStages&) const = default;
};

struct CustomLightColor {
    uint8_t Red = 0, Green = 0, Blue = 0, Alpha = 0;
    bool operator==(const CustomLightColor&) const = default;
};
static_assert(sizeof(CustomLightColor) == 4);

struct DpiStage {
    uint8_t StageActive = 0;
    uint8_t StageXY = 0;
    uint8_t StageDPIX[2] = {0, 0};  // 16-bit little-endian
    uint8_t StageDPIY[2] = {0, 0};
    uint8_t StageColorR = 0, StageColorG = 0, StageColorB = 0;

    uint16_t DpiX() const { return static_cast<uint16_t>(StageDPIX[0] | StageDPIX[1] << 8); }
    uint16_t DpiY() const { return static_cast<uint16_t>(StageDPIY[0] | StageDPIY[1] << 8); }
    void SetDpiX(uint16_t v) { StageDPIX[0] = v & 0xFF, StageDPIX[1] = v >> 8; }
    void SetDpiY(uint16_t v) { StageDPIY[0] = v & 0xFF, StageDPIY[1] = v >> 8; }
    bool operator==(const DpiStage&) const = default;
};
static_assert(sizeof(DpiStage) == 9);

struct MouseSystemStages {
    uint16_t DoubleClickTime = 0, MouseSpeed = 0, PointerPrecision = 0, ScorllPage = 0,
             WheelScorlllinse = 0, ReportRate = 0;  // ReportRate: ReportStages.StageActive

    // word 1 = MouseSpeed << 16 | DoubleClickTime, 2 = ScorllPage << 16 | PointerPrecision,
    // 3 = report-rate index << 16 | WheelScorlllinse.
    std::array<uint32_t, 3> ToWords() const;
    static MouseSystemStages FromWords(const std::array<uint32_t, 3>& words);
    bool operator==(const MouseSystemStages&) const = default;
};

struct CorrectionEntry {
    uint8_t CorrectPixThresh = 0;
    uint8_t CorrectMinSq = 0;
    uint8_t CorrectSelect = 0;
    std::string CorrectName;
    bool operator==(const CorrectionEntry&) const = default;
};

struct HeadsetSystemSetStages {
    int32_t MagicEnable = 0, MagicType = 0, EqType = 0, CustomEqSeletIndex = 0, MicInSelect = 0,
            MicInValue = 0, MicMoniterSelect = 0, MicMoniterValue = 0;
    bool operator==(const HeadsetSystemSetStages&) const = default;
};

struct LedEffectFrame {
    uint8_t LEDREGMode = 0;
    uint8_t LEDBrightness = 0;
    uint8_t LEDSpeed = 0;
    uint8_t LEDDirection = 0;
    uint8_t LEDMultiColor = 0;
    uint8_t red = 0, green = 0, blue = 0;
    uint8_t reserved[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int32_t Time = 0;  // milliseconds the frame is shown
    int32_t Cyle = 0;
    bool operator==(const LedEffectFrame&) const = default;
};
static_assert(sizeof(LedEffectFrame) == 24);
