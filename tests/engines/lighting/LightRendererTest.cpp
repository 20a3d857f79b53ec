// The shared tables, phase stepping, the basic effects and the reactive key state.
#include <gtest/gtest.h>

#include "engines/lighting/LightRenderer.h"
#include "LightingTestSupport.h"

using namespace lighting;

TEST(LightingTables, SpectrumSegmentsJoinAsDescribed) {
    struct Case { unsigned index; Rgb colour; };
    const Case cases[] = {
        {0, {255, 1, 0}},   {1, {255, 3, 0}},   {31, {255, 255, 0}}, {32, {248, 255, 0}},
        {63, {0, 255, 0}},  {64, {0, 255, 1}},  {96, {0, 248, 255}}, {128, {1, 0, 255}},
        {160, {255, 0, 248}}, {191, {255, 0, 0}}, {192, {255, 1, 0}},  // indexes wrap
    };
    for (const Case& c : cases) EXPECT_EQ(Spectrum(c.index), c.colour) << c.index;
}

TEST(LightingTables, CurvesAndLevels) {
    EXPECT_EQ(kBreathCurve[0], 0);
    EXPECT_EQ(kBreathCurve[63], 255);
    EXPECT_EQ(kBreathCurve[64], 255);
    EXPECT_EQ(kBreathCurve[127], 0);
    EXPECT_EQ(kBreathCurve[11], 12);
    EXPECT_EQ(BrightnessLevel(2), 128);
    EXPECT_EQ(BrightnessLevel(200), 255);  // out-of-range levels take the top level
    EXPECT_EQ(BlinkPeriodMs(4), 1400u);
    EXPECT_EQ(BlinkPeriodMs(0), 5600u);
}

TEST(LightingTables, StepPhase) {
    struct Case { bool direction; unsigned limit; uint8_t phase; unsigned step; uint8_t expected; };
    const Case cases[] = {
        {true, 128, 0, 1, 1},    {true, 128, 127, 1, 0},  {false, 128, 0, 1, 127},
        {false, 128, 5, 1, 4},   {true, 192, 190, 3, 0},  {false, 192, 2, 3, 189},
        {false, 52, 0, 1, 51},   {true, 25, 24, 0, 24},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StepPhase(c.direction, c.limit, c.phase, c.step), c.expected)
            << c.direction << " " << c.limit << " " << int(c.phase) << " " << c.step;
    }
}

class BaseRenderer : public ::testing::Test {
protected:
    void SetUp() override {
        renderer.SetLightCount(4);
        renderer.SetClock([this] { return now; });
    }
    void State(const StateSpec& s) { renderer.SetLightState(MakeState(s)); }
    LightRecord At(size_t i) const { return renderer.Frame().Record(i); }

    CLightRenderer renderer;
    uint32_t now = 50000;
};

TEST_F(BaseRenderer, BreathCycleWithDirectionClearCountsDownAndAdvancesColourOnZero) {
    State({.brightness = 4, .direction = 0, .multi = 1});
    renderer.RenderBreathCycle();  // 0 -> 127
    EXPECT_EQ(renderer.EffectPhase(), 127);
    EXPECT_EQ(renderer.ColourIndex(), 0);
    for (int i = 0; i < 127; ++i) renderer.RenderBreathCycle();
    EXPECT_EQ(renderer.EffectPhase(), 0);
    EXPECT_EQ(renderer.ColourIndex(), 16);
    EXPECT_EQ(At(3), Rec(Spec(16), 0));
    renderer.RenderBreathCycle();
    EXPECT_EQ(renderer.EffectPhase(), 127);
}

TEST_F(BaseRenderer, BreathCycleFactorFollowsCurveAndLevel) {
    State({.brightness = 2, .direction = 1});
    for (int i = 0; i < 11; ++i) renderer.RenderBreathCycle();  // phase 11: curve 12
    EXPECT_EQ(At(0), Rec({10, 20, 30}, 6));                       // 12 * 128 / 256
}

TEST_F(BaseRenderer, FourColourBreathWrapsAfterTheLastColour) {
    State({.brightness = 4, .direction = 1, .multi = 1});
    for (int cycle = 0; cycle < 4; ++cycle) {
        for (int i = 0; i < 128; ++i) renderer.RenderBreathFourColours();
    }
    EXPECT_EQ(renderer.ColourIndex(), 0);  // 1, 2, 3, then back to 0
    EXPECT_EQ(At(1).Colour(), (Rgb{0, 255, 180}));
}

TEST_F(BaseRenderer, StaticAndSpectrumAndOff) {
    State({.brightness = 3});
    renderer.RenderStatic();
    EXPECT_EQ(At(2), Rec({10, 20, 30}, 192));
    State({.brightness = 1, .direction = 0});
    renderer.RenderSpectrum();
    EXPECT_EQ(At(0), Rec(Spec(191), 64));
    renderer.RenderOff();
    EXPECT_EQ(renderer.GetLightValue(0), 0u);
}

TEST_F(BaseRenderer, BlinkTogglesOnItsPeriod) {
    struct Case { uint8_t speed; uint32_t period; };
    for (const Case c : {Case{4, 1400}, Case{0, 5600}}) {
        CLightRenderer blink;
        blink.SetLightCount(2);
        uint32_t t = 10000;
        blink.SetClock([&t] { return t; });
        blink.SetLightState(MakeState({.brightness = 4, .speed = c.speed}));
        blink.RenderBlink();  // first toggle: on
        ASSERT_TRUE(blink.BlinkOn());
        EXPECT_EQ(blink.Frame().Record(1), Rec({10, 20, 30}, 255));
        t += c.period - 1;
        blink.RenderBlink();
        EXPECT_TRUE(blink.BlinkOn()) << int(c.speed);
        t += 1;
        blink.RenderBlink();
        EXPECT_FALSE(blink.BlinkOn()) << int(c.speed);
        EXPECT_EQ(blink.GetLightValue(1), 0u);
        EXPECT_EQ(blink.ColourIndex(), 32);  // advanced on both toggles
    }
}

TEST_F(BaseRenderer, LightValueOutsideTheFrameIsIgnored) {
    renderer.SetLightValue(-1, 0x11223344);
    renderer.SetLightValue(4, 0x11223344);
    renderer.SetLightValue(3, 0x11223344);
    EXPECT_EQ(renderer.GetLightValue(-1), 0u);
    EXPECT_EQ(renderer.GetLightValue(4), 0u);
    EXPECT_EQ(renderer.GetLightValue(3), 0x11223344u);
    EXPECT_EQ(At(3), (LightRecord{0x44, 0x33, 0x22, 0x11}));
}

TEST_F(BaseRenderer, StepReactiveByStyleAndBand) {
    struct Case { unsigned style; uint8_t from, to; };
    const Case cases[] = {
        {0, 200, 160}, {0, 100, 70}, {0, 40, 25}, {0, 20, 12}, {0, 10, 6}, {0, 0, 0},
        {7, 200, 160}, {7, 100, 70}, {7, 40, 30}, {7, 20, 12}, {7, 10, 9},
        {26, 255, 210}, {26, 16, 0}, {26, 75, 40}, {26, 40, 5}, {26, 5, 4},
        {0, 3, 0},   // saturates instead of wrapping to 255
        {26, 33, 0},
    };
    for (const Case& c : cases) {
        renderer.SetIntensity(5, c.from);
        EXPECT_EQ(renderer.StepReactive(5, c.style), c.to) << c.style << " " << int(c.from);
        EXPECT_EQ(renderer.Intensity(5), c.to);
    }
    EXPECT_EQ(renderer.StepReactive(170, 0), 0);  // outside the key range
}

TEST_F(BaseRenderer, TriggerAndRotateColumns) {
    renderer.SetColumnPattern(2, 1);
    renderer.SetColumnPattern(9, 1);  // beyond column 8: never triggers
    renderer.TriggerReactive();
    EXPECT_EQ(renderer.Intensity(2), 255);
    EXPECT_EQ(renderer.Intensity(9), 0);
    renderer.SetColumnPattern(22, 7);
    renderer.RotateColumns(true);
    EXPECT_EQ(renderer.ColumnPattern(0), 7);
    EXPECT_EQ(renderer.ColumnPattern(3), 1);
    renderer.RotateColumns(false);
    renderer.RotateColumns(false);
    EXPECT_EQ(renderer.ColumnPattern(21), 7);
    EXPECT_EQ(renderer.ColumnPattern(1), 1);
    renderer.ClearReactive();
    EXPECT_EQ(renderer.ColumnPattern(21), 0);
    EXPECT_EQ(renderer.Intensity(2), 0);
}
