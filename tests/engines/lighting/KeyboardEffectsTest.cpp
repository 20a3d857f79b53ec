// Frames of the keyboard's clock-driven effects, checked against values worked out from the tables.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "LightingTestSupport.h"
#include "engines/lighting/KeyboardEffectTable.h"

namespace {

using Render = void (CKeyboardLightRenderer::*)();
using K = CKeyboardLightRenderer;

struct Expect {
    size_t point;
    LightRecord record;
};

struct EffectCase {
    std::string name;
    uint16_t product;
    StateSpec state;
    Render render;
    int steps;
    std::function<void(KeyboardRig&)> prepare;  // may be empty
    std::vector<Expect> expected;
};

void RunCases(const std::vector<EffectCase>& cases) {
    for (const EffectCase& c : cases) {
        KeyboardRig rig(c.product, c.state);
        if (c.prepare) c.prepare(rig);
        for (int i = 0; i < c.steps; ++i) (rig.renderer.*c.render)();
        for (const Expect& e : c.expected) {
            EXPECT_EQ(rig.At(e.point), e.record) << c.name << ", point " << e.point;
        }
    }
}

const Rgb kColour{10, 20, 30};
const LightRecord kUntouched{9, 9, 9, 9};
auto PresetPoint(size_t point) {
    return [point](KeyboardRig& rig) { rig.renderer.SetLightValue(int(point), kUntouched.Pack()); };
}
auto StartPhase(uint8_t phase) {
    return [phase](KeyboardRig& rig) { rig.renderer.SetEffectPhase(phase); };
}

}  // namespace

TEST(KeyboardWaveEffects, Frames) {
    RunCases({
        {"columns multicolour", 0x5062, {.effect = 1, .multi = 1}, &K::RenderWaveColumns, 1, {},
         {{126, Rec(Spec(2), 255)}, {1, Rec({255, 152, 0}, 255)}}},
        {"columns single colour", 0x5062, {.effect = 1, .brightness = 2}, &K::RenderWaveColumns, 1, {},
         {{126, Rec(kColour, 13)}, {127, Rec(kColour, 24)}}},
        {"fast columns multicolour", 0x5062, {.effect = 2, .multi = 1}, &K::RenderWaveColumnsFast, 1, {},
         {{0, Rec({255, 14, 0}, 255)}}},
        {"fast columns single colour", 0x5062, {.effect = 2}, &K::RenderWaveColumnsFast, 1, {},
         {{0, Rec(kColour, 13)}}},
        {"rows ignore the multicolour flag", 0x5062, {.effect = 12}, &K::RenderWaveRows, 1, {},
         {{21, Rec({255, 188, 0}, 255)}, {126, Rec(Spec(2), 255)}}},
        {"order multicolour walks the 0x5062 list", 0x5085, {.effect = 3, .multi = 1}, &K::RenderWaveOrder, 1, {},
         {{20, Rec(Spec(1), 255)}, {19, Rec(Spec(6), 255)}}},
        // The trailing 0s of the 0x5085 list are visited too; the last one (entry 169) wins.
        {"order single colour walks the model's list", 0x5085, {.effect = 3}, &K::RenderWaveOrder, 1, {},
         {{15, Rec(kColour, 23)}, {0, Rec(kColour, 80)}}},
        {"matrix rows share one colour", 0x5062, {.effect = 18}, &K::RenderWaveMatrix, 1, PresetPoint(16),
         {{51, Rec(Spec(8), 255)}, {30, Rec(Spec(15), 255)}, {16, kUntouched}}},
        {"matrix of 0x5085", 0x5085, {.effect = 18}, &K::RenderWaveMatrix, 1, PresetPoint(16),
         {{49, Rec(Spec(8), 255)}, {16, kUntouched}}},
    });
}

TEST(KeyboardBasicEffects, Frames) {
    RunCases({
        {"breath by column", 0x5062, {.effect = 5, .multi = 1}, &K::RenderBreathCycle, 1, StartPhase(63),
         {{2, Rec({255, 213, 0}, 254)}, {126, Rec(Spec(0), 254)}}},
        {"static multicolour by matrix row", 0x5086, {.effect = 6, .multi = 1}, &K::RenderStatic, 1, PresetPoint(16),
         {{51, Rec({18, 0, 255}, 255)}, {30, Rec({0, 8, 255}, 255)}, {16, kUntouched}}},
        {"static single colour", 0x5062, {.effect = 6, .brightness = 1}, &K::RenderStatic, 1, {},
         {{16, Rec(kColour, 64)}}},
        {"preset colour of auxiliary mode 2", 0x5062, {.effect = 17, .aux = 2}, &K::RenderPresetColour, 1, {},
         {{7, Rec({0, 255, 18}, 255)}}},
        {"preset colour of any other mode", 0x5062, {.effect = 17, .aux = 9}, &K::RenderPresetColour, 1, {},
         {{7, Rec({255, 0, 85}, 255)}}},
        {"spectrum keys from the default colour indexes", 0x5062, {.effect = 11}, &K::RenderSpectrumKeys, 1, {},
         {{0, Rec({220, 255, 0}, 255)}, {5, Rec({255, 22, 0}, 255)}}},
        {"custom keeps colours", 0x5062, {.effect = 20, .brightness = 3}, &K::RenderCustom, 1,
         [](KeyboardRig& rig) { rig.renderer.SetLightValue(3, Rec({1, 2, 3}, 0).Pack()); },
         {{3, Rec({1, 2, 3}, 192)}}},
        {"gradient single colour", 0x5062, {.effect = 21}, &K::RenderColumnGradient, 1, {},
         {{0, Rec(kColour, 244)}}},
        {"gradient multicolour by row", 0x5085, {.effect = 21, .multi = 1}, &K::RenderColumnGradient, 1, {},
         {{106, Rec({0, 255, 188}, 249)}}},
        {"sweep single colour", 0x5062, {.effect = 32}, &K::RenderSweep, 1, {}, {{26, Rec(kColour, 249)}}},
        {"sweep multicolour", 0x5062, {.effect = 32, .multi = 1}, &K::RenderSweep, 1, {},
         {{26, Rec({255, 7, 0}, 255)}}},
        {"bursts light point 20 for random order entry 58", 0x5062, {.effect = 10, .multi = 1},
         &K::RenderRandomBursts, 1, [](KeyboardRig& rig) { rig.random = 58; },
         {{20, Rec({12, 255, 0}, 214)}}},
        {"snake head", 0x5062, {.effect = 28}, &K::RenderSnake, 1, {}, {{0, Rec(kColour, 213)}}},
        {"snake lights point 0 again past the path", 0x5062, {.effect = 28}, &K::RenderSnake, 1, StartPhase(130),
         {{0, Rec(kColour, 213)}}},
        {"breathing keys", 0x5062, {.effect = 15, .multi = 1}, &K::RenderBreathKeys, 1,
         [](KeyboardRig& rig) { rig.random = 100; },
         {{47, Rec({124, 255, 0}, 7)}, {10, Rec(Spec(100), 0)}}},
        {"twinkle", 0x5062, {.effect = 22, .multi = 1}, &K::RenderTwinkle, 1, {}, {{21, Rec({255, 22, 0}, 6)}}},
    });
}

TEST(KeyboardBasicEffects, SnakeRunsBothWays) {
    KeyboardRig rig(0x5062, {.effect = 28, .direction = 1});
    rig.renderer.SetEffectPhase(170);
    rig.renderer.RenderSnake();
    EXPECT_EQ(rig.renderer.EffectPhase(), 0);
    rig.renderer.SetLightState(MakeState({.effect = 28, .direction = 0}));
    rig.renderer.RenderSnake();
    EXPECT_EQ(rig.renderer.EffectPhase(), 170);  // at 0 nothing lights
    rig.renderer.RenderSnake();
    EXPECT_EQ(rig.renderer.EffectPhase(), 169);  // 170 lights nothing
    for (size_t p = 0; p < 170; ++p) EXPECT_EQ(rig.renderer.Intensity(p), 0) << p;
}

TEST(KeyboardBasicEffects, EntriesSetTheirStartingState) {
    KeyboardRig twinkle(0x5062, {.effect = 22});
    EXPECT_EQ(twinkle.renderer.TwinklePhase(105), 140);
    EXPECT_EQ(twinkle.renderer.TwinklePhase(84), 167);  // wrapped by −98
    EXPECT_EQ(twinkle.renderer.PointColourIndex(84), 7);

    KeyboardRig breath(0x5062, {.effect = 15});
    EXPECT_EQ(breath.renderer.Intensity(0), 120);
    EXPECT_EQ(breath.renderer.PointColourIndex(0), 14);

    KeyboardRig other(0x5062, {.effect = 4});
    EXPECT_EQ(other.renderer.PointColourIndex(0), 33);
    EXPECT_EQ(other.renderer.PointColourIndex(169), (33 * 170) % 192);
}

TEST(KeyboardBasicEffects, ResetKeepsTwinkleHeldAndBandOffset) {
    KeyboardRig rig(0x5062, {.effect = 22});
    rig.renderer.SetIntensity(3, 99);
    rig.renderer.SetColumnBits(K::kColumnsC, 4, 0x10);
    rig.renderer.EnterEffect(7);
    EXPECT_EQ(rig.renderer.Intensity(3), 0);
    EXPECT_EQ(rig.renderer.ColumnBits(K::kColumnsC, 4), 0);
    EXPECT_EQ(rig.renderer.TwinklePhase(105), 140);
}

TEST(KeyboardGeometry, FindKeyByLightForEveryModel) {
    for (uint16_t product : {0x5062, 0x5085, 0x5086}) {
        KeyboardRig rig(product);
        EXPECT_EQ(rig.renderer.FindKeyByLight(0), 0) << std::hex << product;
        EXPECT_EQ(rig.renderer.FindKeyByLight(16), kNoPoint) << std::hex << product;
        EXPECT_EQ(rig.renderer.FindKeyByLight(170), kNoPoint) << std::hex << product;
    }
    KeyboardRig k5085(0x5085);
    EXPECT_EQ(k5085.renderer.FindKeyByLight(20), kNoPoint);  // not on that model
    EXPECT_EQ(&GeometryForProduct(0x1234), &kGeometry5062);
}

TEST(KeyboardEffectTable, RowsAndPlayerEffects) {
    using lighting::FindEffect;
    for (uint8_t effect : {0, 19, 31, 36, 255}) EXPECT_EQ(FindEffect(effect), nullptr) << int(effect);
    EXPECT_EQ(FindEffect(12)->speedRow, 1);
    EXPECT_EQ(FindEffect(34)->speedRow, 5);
    EXPECT_EQ(FindEffect(35)->speedRow, 30);
    EXPECT_EQ(lighting::SpeedTicks(16, 0), 4);
    EXPECT_EQ(lighting::SpeedTicks(16, 9), 0);  // levels above the row wait 0
}
