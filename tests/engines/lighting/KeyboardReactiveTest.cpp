// Column fronts, key reactions and the reactive effects.
#include <gtest/gtest.h>

#include "LightingTestSupport.h"

namespace {

using K = CKeyboardLightRenderer;
constexpr K::ColumnSet kSets[] = {K::kColumnsA, K::kColumnsB, K::kColumnsC, K::kColumnsD};

struct PointValue {
    size_t point;
    uint8_t intensity;
};

void ExpectIntensities(const KeyboardRig& rig, std::initializer_list<PointValue> values, const char* what) {
    for (const PointValue& v : values) EXPECT_EQ(rig.renderer.Intensity(v.point), v.intensity) << what << ", point " << v.point;
}

}  // namespace

TEST(ColumnFronts, ShiftSpreadsAAndDToColumnZeroAndBAndCToColumn22) {
    KeyboardRig rig;
    for (K::ColumnSet set : kSets) rig.renderer.SetColumnBits(set, 5, 0b100);
    rig.renderer.ShiftColumns();
    struct Case { K::ColumnSet set; size_t column; uint8_t bits; };
    const Case cases[] = {
        {K::kColumnsA, 4, 0b100}, {K::kColumnsA, 5, 0b010}, {K::kColumnsA, 6, 0},
        {K::kColumnsB, 6, 0b100}, {K::kColumnsB, 5, 0b010}, {K::kColumnsB, 4, 0},
        {K::kColumnsC, 6, 0b100}, {K::kColumnsC, 5, 0b1000},
        {K::kColumnsD, 4, 0b100}, {K::kColumnsD, 5, 0b1000},
    };
    for (const Case& c : cases) EXPECT_EQ(rig.renderer.ColumnBits(c.set, c.column), c.bits) << c.set << " " << c.column;
}

TEST(ColumnFronts, MarkUsesTheModelsSecondColumnMap) {
    KeyboardRig k5085(0x5085);
    k5085.renderer.SetColumnBits(K::kColumnsB, 1, 0b10001);  // rows 0 (empty cell) and 4
    k5085.renderer.MarkColumnKeys();
    ExpectIntensities(k5085, {{84, 255}, {127, 0}, {21, 0}}, "0x5085");

    KeyboardRig k5062(0x5062);
    k5062.renderer.SetColumnBits(K::kColumnsB, 1, 0b00001);
    k5062.renderer.MarkColumnKeys();
    ExpectIntensities(k5062, {{127, 255}}, "0x5062");
}

TEST(KeyEvents, PositionsMapToKeysAndStartTheEffectsReaction) {
    KeyboardRig rig(0x5062, {.effect = 8});
    rig.renderer.SetKeyMaps({{51, 7}, {16, 9}, {60, 255}}, {}, 170);
    rig.renderer.OnKeyEvent(7, 3);   // neither down nor up
    rig.renderer.OnKeyEvent(12, 1);  // no key at that position
    rig.renderer.OnKeyEvent(255, 1); // 255 marks "no position", never a key
    rig.renderer.OnKeyEvent(9, 1);   // key 16 is not in the column map: no front
    for (size_t c = 0; c < kMapColumns; ++c) ASSERT_EQ(rig.renderer.ColumnBits(K::kColumnsA, c), 0) << c;
    rig.renderer.OnKeyEvent(7, 2);   // a release starts no front
    EXPECT_EQ(rig.renderer.ColumnBits(K::kColumnsA, 10), 0);
    rig.renderer.OnKeyEvent(7, 1);   // key 51 sits at column 10, row 2
    for (K::ColumnSet set : kSets) EXPECT_EQ(rig.renderer.ColumnBits(set, 10), 0b100);
}

TEST(KeyEvents, ReactionsByEffect) {
    struct Case { uint8_t effect; uint8_t intensity; uint8_t reaction; };
    const Case cases[] = {{7, 255, 1}, {33, 255, 1}, {23, 0, 0}, {25, 0, 0}};
    for (const Case& c : cases) {
        KeyboardRig rig(0x5062, {.effect = c.effect, .multi = 1});
        rig.random = 200;
        rig.renderer.StartKeyReaction(44, 1);
        EXPECT_EQ(rig.renderer.Intensity(44), c.intensity) << int(c.effect);
        EXPECT_EQ(rig.renderer.ReactionState(44), c.reaction) << int(c.effect);
    }
    KeyboardRig glow(0x5062, {.effect = 7});
    glow.random = 200;
    glow.renderer.StartKeyReaction(44, 2);
    EXPECT_EQ(glow.renderer.PointColourIndex(44), 200 % 192);
}

TEST(KeyEvents, Effect33PressAtTheCornerTouchesOnlyCellsInsideTheMap) {
    KeyboardRig rig(0x5062, {.effect = 33});
    rig.renderer.StartKeyReaction(126, 1);  // column 0, row 0
    ExpectIntensities(rig, {{126, 255}, {120, 150}, {121, 90}, {127, 150}, {21, 90}, {0, 60},
                            {122, 0}, {42, 0}, {1, 0}}, "corner press");
    EXPECT_EQ(rig.renderer.HeldFlag(126), 1);
    EXPECT_EQ(rig.renderer.ReactionState(0), 1);
}

TEST(KeyEvents, Effect33ReleaseLeavesCellsTheOtherHeldKeyCovers) {
    KeyboardRig rig(0x5062, {.effect = 33});
    rig.renderer.StartKeyReaction(22, 1);  // column 2, row 1
    rig.renderer.StartKeyReaction(23, 1);  // column 3, row 1
    ExpectIntensities(rig, {{0, 240}, {43, 240}, {64, 90}, {21, 210}, {127, 90}, {42, 90},
                            {23, 255}, {1, 240}, {44, 240}, {120, 60}, {24, 210}}, "both held");
    rig.renderer.StartKeyReaction(22, 2);
    ExpectIntensities(rig, {{0, 240}, {43, 240}, {21, 210}, {23, 255}, {1, 240}, {44, 240}, {24, 210},
                            {64, 0}, {127, 0}, {42, 0}, {120, 0}}, "after release");
    EXPECT_EQ(rig.renderer.HeldFlag(22), 0);
    EXPECT_EQ(rig.renderer.ReactionState(22), 1);  // its neighbour 23 is still held
    EXPECT_EQ(rig.renderer.ReactionState(64), 2);
    EXPECT_EQ(rig.renderer.ReactionState(0), 1);
}

TEST(ReactiveRenderers, GlowAndPressFadeFollowTheReactionState) {
    struct Case { uint8_t effect; uint8_t reaction; uint8_t from, to; };
    const Case cases[] = {
        {7, 1, 250, 255}, {7, 1, 100, 115}, {7, 2, 3, 0}, {7, 2, 100, 95}, {7, 0, 100, 100},
        {23, 1, 10, 0}, {23, 2, 100, 115}, {24, 2, 250, 255},
    };
    for (const Case& c : cases) {
        KeyboardRig rig(0x5062, {.effect = c.effect});
        rig.renderer.ReactKeyGlow(30, c.reaction);  // sets the state (and full intensity)
        rig.renderer.SetIntensity(30, c.from);
        if (c.effect == 7) rig.renderer.RenderKeyGlow(); else rig.renderer.RenderKeyPressFade();
        EXPECT_EQ(rig.renderer.Intensity(30), c.to) << int(c.effect) << " " << int(c.reaction) << " " << int(c.from);
        EXPECT_EQ(rig.At(30), Rec({10, 20, 30}, uint8_t(255 * c.to >> 8)));
    }
}

TEST(ReactiveRenderers, ColumnReactionsFadeWithTheEffectsStyle) {
    KeyboardRig eight(0x5062, {.effect = 8});
    eight.renderer.ReactColumn(51, 1);
    eight.renderer.RenderColumnReaction();
    // Marked at 255, then decayed with style 8 (−40).
    EXPECT_EQ(eight.renderer.Intensity(51), 215);
    EXPECT_EQ(eight.renderer.ColumnBits(K::kColumnsA, 9), 0b100);  // the front moved on

    KeyboardRig nine(0x5062, {.effect = 9});
    nine.renderer.ReactColumn(51, 1);
    nine.renderer.RenderColumnReaction9();
    EXPECT_EQ(nine.renderer.Intensity(51), 215);
    for (K::ColumnSet set : kSets) EXPECT_EQ(nine.renderer.ColumnBits(set, 10), 0);  // lit once

    KeyboardRig wave(0x5062, {.effect = 13});
    for (K::ColumnSet set : kSets) EXPECT_EQ(wave.renderer.ColumnBits(set, 9), 0x40);
    for (K::ColumnSet set : kSets) wave.renderer.SetColumnBits(set, 9, 0x01);
    wave.renderer.RenderSideWave();  // a lone bit 0 re-seeds the column
    EXPECT_EQ(wave.renderer.ColumnBits(K::kColumnsA, 9), 0x01);
    EXPECT_EQ(wave.renderer.StepCounter(), 1);

    KeyboardRig ripple(0x5062, {.effect = 16});
    for (K::ColumnSet set : kSets) EXPECT_EQ(ripple.renderer.ColumnBits(set, 1), 0x01);
    for (K::ColumnSet set : kSets) ripple.renderer.SetColumnBits(set, 1, 0x03);
    ripple.renderer.RenderSideRipple();
    EXPECT_EQ(ripple.renderer.Intensity(21), 215);   // decayed with style 16
    EXPECT_EQ(ripple.renderer.Intensity(127), 255);  // not on the walked point list: keeps its light
}

TEST(ReactiveRenderers, Mode14LoopsThroughItsStages) {
    KeyboardRig rig(0x5062, {.effect = 14});
    rig.renderer.RenderMode14();
    ExpectIntensities(rig, {{0, 215}, {118, 215}}, "stage 0, step 0");
    for (int i = 1; i < 20; ++i) rig.renderer.RenderMode14();
    EXPECT_EQ(rig.renderer.StepCounter(), 1);
    EXPECT_EQ(rig.renderer.EffectPhase(), 0);
    bool sawFront = false, backToStart = false;
    for (int i = 0; i < 3000 && !backToStart; ++i) {
        rig.renderer.RenderMode14();
        sawFront = sawFront || rig.renderer.StepCounter() == 4;
        backToStart = sawFront && rig.renderer.StepCounter() == 0;
    }
    EXPECT_TRUE(sawFront);
    EXPECT_TRUE(backToStart);
}

TEST(ReactiveRenderers, Mode14OnProduct5086LightsNothing) {
    KeyboardRig rig(0x5086, {.effect = 14});
    for (int i = 0; i < 500; ++i) rig.renderer.RenderMode14();
    EXPECT_EQ(rig.renderer.StepCounter(), 3);  // waits for a front that never starts
    for (size_t p = 0; p < 170; ++p) ASSERT_EQ(rig.renderer.Intensity(p), 0) << p;
}
