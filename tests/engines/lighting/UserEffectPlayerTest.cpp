// The user effect player and the area overlays.
#include <gtest/gtest.h>

#include "LightingTestSupport.h"

namespace {

LedEffectFrame Frame(uint8_t mode, Rgb colour, int32_t time, uint8_t speed = 0, uint8_t brightness = 4,
                     uint8_t multi = 0, uint8_t direction = 0) {
    LedEffectFrame f;
    f.LEDREGMode = mode;
    f.LEDBrightness = brightness;
    f.LEDSpeed = speed;
    f.LEDDirection = direction;
    f.LEDMultiColor = multi;
    f.red = colour.red;
    f.green = colour.green;
    f.blue = colour.blue;
    f.Time = time;
    return f;
}

LightListEntry Area(uint8_t mode, Rgb colour, uint8_t speed = 0, uint8_t brightness = 4, uint8_t multi = 0) {
    LightListEntry e;
    e.LEDREGMode = mode;
    e.LEDBrightness = brightness;
    e.LEDSpeed = speed;
    e.LEDMultiColor = multi;
    e.red = colour.red;
    e.green = colour.green;
    e.blue = colour.blue;
    e.present = 1;
    return e;
}

}  // namespace

TEST(UserEffectPlayer, EmptyListRendersBlack) {
    KeyboardRig rig(0x5062, {.effect = 19});
    rig.renderer.SetLightValue(8, 0xFFFFFFFF);
    rig.renderer.LightingPass(rig.now);
    EXPECT_EQ(rig.renderer.GetLightValue(8), 0u);
}

TEST(UserEffectPlayer, FramesByMode) {
    struct Case {
        const char* name;
        LedEffectFrame frame;
        int passes;
        std::vector<std::pair<size_t, LightRecord>> expected;
    };
    const Case cases[] = {
        {"static", Frame(1, {10, 20, 30}, 1000, 0, 2), 1, {{0, Rec({10, 20, 30}, 128)}}},
        {"spectrum at speed 6 steps every pass", Frame(5, {}, 1000, 6), 2, {{3, Rec(Spec(2), 255)}}},
        {"breathing waits 7 passes at speed 4", Frame(0, {200, 0, 0}, 1000, 4), 7, {{0, Rec({200, 0, 0}, 0)}}},
        {"colour wave multicolour", Frame(4, {}, 1000, 5, 4, 1, 0), 1,
         {{0, Rec(Spec(2), 255)}, {1, Rec(Spec(14), 255)}}},
        {"colour wave single colour", Frame(4, {50, 60, 70}, 1000, 5, 4, 0, 1), 1,
         {{0, Rec({50, 60, 70}, 56)}}},  // d = 191, then (191 + 12) mod 96 = 11: curve 57
        {"mode 3 draws nothing", Frame(3, {1, 1, 1}, 1000), 1, {{0, LightRecord{9, 9, 9, 9}}}},
    };
    for (const Case& c : cases) {
        KeyboardRig rig(0x5062, {.effect = 0});
        rig.renderer.SetLightValue(0, LightRecord{9, 9, 9, 9}.Pack());
        rig.renderer.SetUserEffectFrames({c.frame});
        for (int i = 0; i < c.passes; ++i) rig.renderer.PlayUserEffect(rig.now);
        for (const auto& [point, record] : c.expected) EXPECT_EQ(rig.At(point), record) << c.name << ", point " << point;
    }
}

TEST(UserEffectPlayer, FrameChangesAfterItsTime) {
    KeyboardRig rig(0x5062, {.effect = 31});
    rig.renderer.SetUserEffectFrames({Frame(1, {255, 0, 0}, 100), Frame(1, {0, 255, 0}, 100)});
    rig.renderer.PlayUserEffect(1000);  // the clock starts here
    rig.renderer.PlayUserEffect(1100);
    EXPECT_EQ(rig.renderer.UserFrameIndex(), 0u);
    rig.renderer.PlayUserEffect(1101);
    EXPECT_EQ(rig.renderer.UserFrameIndex(), 1u);
    rig.renderer.PlayUserEffect(1102);
    EXPECT_EQ(rig.At(4), Rec({0, 255, 0}, 255));
    rig.renderer.PlayUserEffect(1300);
    EXPECT_EQ(rig.renderer.UserFrameIndex(), 0u);  // wraps
    rig.renderer.SetUserEffectFrames({Frame(1, {1, 2, 3}, 100)});
    EXPECT_EQ(rig.renderer.UserFrameIndex(), 0u);
}

TEST(UserEffectPlayer, CountersAreSharedBetweenKeyboards) {
    CKeyboardLightingShared shared;
    CKeyboardLightRenderer first(0x5062, &shared), second(0x5085, &shared);
    for (auto* r : {&first, &second}) {
        r->SetLightState(MakeState({.effect = 0}));
        r->SetUserEffectFrames({Frame(5, {}, 100000, 6)});
    }
    first.PlayUserEffect(10);
    second.PlayUserEffect(10);  // continues the step of the first
    EXPECT_EQ(second.Frame().Record(0), Rec(Spec(2), 255));
}

TEST(AreaOverlays, EachModeTouchesOnlyItsEntries) {
    KeyboardRig rig(0x5062, {.effect = 6});
    std::vector<LightListEntry> areas(170);
    areas[3] = Area(1, {1, 2, 3}, 0, 3);
    areas[4] = Area(4, {9, 9, 9});
    areas[5] = Area(3, {}, 5, 4);
    areas[6] = Area(0, {100, 0, 0}, 0, 4);
    areas[7] = Area(2, {7, 7, 7}, 4, 4);
    areas[8] = Area(0, {100, 0, 0});
    areas[8].present = 0;  // a null entry
    rig.renderer.SetAreaLights(areas);
    for (size_t p = 3; p <= 8; ++p) rig.renderer.SetLightValue(int(p), LightRecord{9, 9, 9, 9}.Pack());
    rig.renderer.RunAreaOverlays(1400);
    EXPECT_EQ(rig.At(3), Rec({1, 2, 3}, 192));
    EXPECT_EQ(rig.renderer.GetLightValue(4), 0u);
    EXPECT_EQ(rig.At(5), Rec(Spec(1), 255));          // wait 0 above speed 4: steps every pass
    EXPECT_EQ(rig.At(6), Rec({100, 0, 0}, 3));        // breath phase 4: curve 4
    EXPECT_EQ(rig.At(7), Rec({7, 7, 7}, 255));        // toggled on at 1400 ms
    EXPECT_EQ(rig.At(8), (LightRecord{9, 9, 9, 9}));  // untouched
    rig.renderer.RunAreaOverlays(2799);
    EXPECT_EQ(rig.At(7), Rec({7, 7, 7}, 255));
    rig.renderer.RunAreaOverlays(2800);
    EXPECT_EQ(rig.renderer.GetLightValue(7), 0u);
}
