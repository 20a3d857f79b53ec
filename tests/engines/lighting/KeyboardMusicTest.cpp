// The music input and the music styles of effect 26, and the audio colour of effect 27.
#include <gtest/gtest.h>

#include <cstring>

#include "LightingTestSupport.h"

namespace {

using K = CKeyboardLightRenderer;
const Rgb kBackground{1, 2, 3};
const Rgb kForeground{40, 50, 60};

std::array<uint32_t, 3> AudioWords(uint8_t mode, bool sevenColour = false) {
    return {uint32_t(mode) | uint32_t(kBackground.red) << 8 | uint32_t(kBackground.green) << 16 |
                uint32_t(kBackground.blue) << 24,
            uint32_t(kForeground.red) | uint32_t(kForeground.green) << 8 | uint32_t(kForeground.blue) << 16 |
                uint32_t(sevenColour ? 1 : 0) << 24,
            0};
}

std::array<uint8_t, 100> Bands(std::initializer_list<std::pair<size_t, int32_t>> levels, int32_t rest = 0) {
    std::array<int32_t, 25> values;
    values.fill(rest);
    for (auto [band, level] : levels) values[band] = level;
    std::array<uint8_t, 100> bytes{};
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

struct MusicRig : KeyboardRig {
    explicit MusicRig(uint8_t mode, uint8_t effect = 26, bool seven = false) : KeyboardRig(0x5062, {.effect = effect}) {
        renderer.SetAudioLight(AudioWords(mode, seven));
    }
    void Feed(const std::array<uint8_t, 100>& bytes) { renderer.FeedAudioSpectrum(bytes, 500); }
};

const LightRecord kBg = Rec(kBackground, 255);
const LightRecord kLit = Rec(kForeground, 254);

}  // namespace

TEST(MusicInput, OutsideMode2TheBandsAreOnlyStored) {
    for (auto [effect, mode] : {std::pair<uint8_t, uint8_t>{25, 2}, {26, 0}}) {
        MusicRig rig(mode, effect);
        const auto bytes = Bands({}, 2000);
        for (int i = 0; i < 5; ++i) rig.Feed(bytes);
        EXPECT_EQ(rig.renderer.SpectrumInput(), bytes);
        EXPECT_EQ(rig.shared.spectrumRunningSum, 0);
    }
}

TEST(MusicInput, Mode2SeedsAFrontOnceTheRunningSumReaches71) {
    MusicRig rig(2);
    rig.Feed(Bands({}, 0));  // silence adds 25 − 600 × 25 / 600 = 0
    EXPECT_EQ(rig.shared.spectrumRunningSum, 0);
    rig.Feed(Bands({}, 2000));  // full level adds 25
    rig.Feed(Bands({}, 2000));
    EXPECT_EQ(rig.shared.spectrumRunningSum, 50);
    EXPECT_EQ(rig.renderer.ColumnBits(K::kColumnsA, 10), 0);
    EXPECT_EQ(rig.renderer.SpectrumInput(), Bands({}));  // taken and cleared
    rig.Feed(Bands({}, 2000));
    EXPECT_EQ(rig.shared.spectrumRunningSum, 0);
    EXPECT_EQ(rig.renderer.ColumnBits(K::kColumnsA, 10), 0b100);  // key 51: column 10, row 2
}

TEST(MusicInput, HugeBandValuesDoNotOverflow) {
    MusicRig rig(2);
    rig.Feed(Bands({}, INT32_MAX));
    rig.Feed(Bands({}, INT32_MIN));
    MusicRig bars(0);
    bars.Feed(Bands({}, INT32_MIN));
    bars.renderer.RenderMusic();
    EXPECT_EQ(bars.At(126), kBg);  // the quietest possible band lights nothing
}

TEST(MusicStyles, Frames) {
    struct Expect { size_t point; LightRecord record; };
    struct Case {
        const char* name;
        uint8_t mode;
        std::array<uint8_t, 100> bands;
        std::vector<Expect> expected;
    };
    const Case cases[] = {
        {"0: band 0 lights no row, 2000 rows 1-5, more all six", 0, Bands({{0, 0}, {1, 2000}, {2, 2400}}),
         {{126, kBg}, {124, kBg}, {127, kBg}, {21, kLit}, {105, kLit}, {0, kLit}}},
        {"1: silence lights nothing", 1, Bands({}), {{126, kBg}, {0, kBg}, {17, kBg}}},
        {"1: full level", 1, Bands({}, 2000), {{127, kBg}, {0, kLit}, {17, kLit}, {18, kBg}}},
        {"5: the bottom row shows the lowest bands", 5, Bands({}, 2000),
         {{110, kLit}, {111, kBg}, {126, kLit}, {127, kBg}}},
        {"6: silence lights the first cell of odd rows", 6, Bands({}), {{120, kLit}, {21, kBg}, {126, kBg}}},
        {"3: full level lights every ring", 3, Bands({}, 2000), {{51, Rec(Spec(9), 254)}, {30, Rec(Spec(18), 254)}}},
        {"4: a drop is lit from the next call on", 4, Bands({{1, 2000}}), {{126, kBg}, {120, kBg}}},
    };
    for (const Case& c : cases) {
        MusicRig rig(c.mode);
        rig.Feed(c.bands);
        rig.renderer.RenderMusic();
        for (const Expect& e : c.expected) EXPECT_EQ(rig.At(e.point), e.record) << c.name << ", point " << e.point;
        if (c.mode != 2) {
            EXPECT_EQ(rig.renderer.SpectrumInput(), Bands({})) << c.name;
        }
    }
}

TEST(MusicStyles, BarsFadeUnlessTheCellAboveHoldsThem) {
    MusicRig rig(0);
    rig.Feed(Bands({{1, 2000}}));
    rig.renderer.RenderMusic();
    rig.renderer.RenderMusic();  // silence now: the input was taken
    EXPECT_EQ(rig.At(21), Rec(kForeground, 209));  // row 1 decays (the cell above is dark): 210
    EXPECT_EQ(rig.At(42), kLit);                   // held by the cell above
    EXPECT_EQ(rig.renderer.Intensity(42), 255);
}

TEST(MusicStyles, DropsLatchPerColumn) {
    MusicRig rig(4);
    rig.Feed(Bands({{1, 2000}}));
    rig.renderer.RenderMusic();
    for (size_t p : {120, 121, 122, 123, 124}) EXPECT_EQ(rig.renderer.Intensity(p), 255) << p;
    EXPECT_EQ(rig.renderer.Intensity(126), 0);
    rig.renderer.RenderMusic();
    EXPECT_EQ(rig.At(120), Rec(kForeground, 209));  // the cell above is dark: it fades
    EXPECT_EQ(rig.At(124), kLit);                   // held by the lit cell above
}

TEST(MusicStyles, ModesAboveSixDrawNothing) {
    MusicRig rig(7);
    rig.renderer.SetLightValue(5, 0x01020304);
    rig.Feed(Bands({}, 2000));
    rig.renderer.RenderMusic();
    EXPECT_EQ(rig.renderer.GetLightValue(5), 0x01020304u);
}

TEST(AudioColour, Effect27ShowsTheFirstThreeColourValues) {
    KeyboardRig rig(0x5062, {.effect = 27, .brightness = 2});
    const uint32_t peaks[] = {0x1FF, 0x80, 0x7F, 9, 9, 9, 9};  // one value too many
    rig.renderer.FeedAudioPeaks(peaks, 7);
    rig.renderer.RenderAudioColour();
    EXPECT_EQ(rig.At(100), Rec({0xFF, 0x80, 0x7F}, 128));
    EXPECT_EQ(rig.renderer.ColourInput()[5], 9u);
}

TEST(MusicStyles, KeysOffTheStyleMapShowTheBackgroundNotTheEffectBefore) {
    // Point 79 is in neither map, 120 only in the column map; 51 is in both.
    const struct { uint8_t mode; std::vector<size_t> off; } cases[] = {{0, {79, 16}}, {1, {79}}, {3, {79, 120}}, {5, {79}}};
    for (const auto& c : cases) {
        KeyboardRig rig(0x5062, {.effect = 27});
        const uint32_t peaks[] = {200, 0, 0, 0, 0, 0};
        rig.renderer.FeedAudioPeaks(peaks, 6);
        rig.renderer.RenderAudioColour();
        ASSERT_EQ(rig.At(79).Colour(), (Rgb{200, 0, 0}));
        rig.Apply({.effect = 26});
        rig.renderer.SetAudioLight(AudioWords(c.mode));
        rig.renderer.RenderMusic();  // silence
        for (size_t p : c.off) EXPECT_EQ(rig.At(p), kBg) << "mode " << int(c.mode) << ", point " << p;
    }
}
