// The accessories' own frames and the headset's zone reports, computed without a device.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engines/headset/AccessoryLightRenderer.h"
#include "engines/headset/HeadsetZoneReports.h"
#include "engines/lighting/LightingTables.h"

namespace {

void SetState(CLightRenderer& renderer, uint8_t effect, uint8_t brightness, uint8_t direction, uint8_t multi,
              Rgb colour = {255, 255, 255}) {
    renderer.SetStateByte(kStateEffect, effect);
    renderer.SetStateByte(kStateBrightness, brightness);
    renderer.SetStateByte(kStateDirection, direction);
    renderer.SetStateByte(kStateMultiColour, multi);
    renderer.SetStateByte(kStateRed, colour.red);
    renderer.SetStateByte(kStateGreen, colour.green);
    renderer.SetStateByte(kStateBlue, colour.blue);
}

TEST(AccessoryFramesTest, WaveStartsWhereEachProductPutsIt) {
    struct Case {
        WaveStyle style;
        uint8_t direction;
        uint8_t multi;
        uint8_t phase;           // after one frame
        Rgb zone0, zone1;
        uint8_t level0, level1;
    };
    const auto& wheel = lighting::kSpectrum;
    const Case cases[] = {
        // Pad, colour cycle, counting down: phase 191, zones take wheel entries 0 and 7.
        {WaveStyle::Pad, 0, 1, 191, wheel[0], wheel[7], 255, 255},
        // Pad, single colour: i = phase + 1 = 2, then 9 (curve 27 and 49).
        {WaveStyle::Pad, 1, 0, 1, {255, 255, 255}, {255, 255, 255}, 26, 48},
        // Headset, single colour: phase steps by 3, i = 3, then 13 (curve 30 and 65).
        {WaveStyle::Headset, 1, 0, 3, {255, 255, 255}, {255, 255, 255}, 29, 64},
        // Headset, colour cycle: i = phase + 1 = 2, then 18.
        {WaveStyle::Headset, 1, 1, 1, wheel[2], wheel[18], 255, 255},
    };
    for (const Case& c : cases) {
        CAccessoryLightRenderer renderer(c.style);
        renderer.SetLightCount(13);
        SetState(renderer, 0, 4, c.direction, c.multi);
        renderer.RenderWave();
        EXPECT_EQ(renderer.EffectPhase(), c.phase);
        const LightRecord z0 = LightRecord::Unpack(renderer.GetLightValue(0));
        const LightRecord z1 = LightRecord::Unpack(renderer.GetLightValue(1));
        EXPECT_EQ(z0.Colour(), c.zone0);
        EXPECT_EQ(z1.Colour(), c.zone1);
        EXPECT_EQ(z0.factor, c.level0);
        EXPECT_EQ(z1.factor, c.level1);
    }
}

TEST(AccessoryFramesTest, RunningPairsLightBothZonesOfAPosition) {
    CAccessoryLightRenderer renderer(WaveStyle::Headset);
    renderer.SetLightCount(15);
    SetState(renderer, 7, 4, 1, 0, {10, 20, 30});
    renderer.EnterEffect(7);
    for (int i = 0; i < 3; ++i) renderer.RenderRunningPairs();
    // The third frame lights position 0 (zones 1 and 14 alike) and moves the lit level on.
    const LightRecord a = LightRecord::Unpack(renderer.GetLightValue(1));
    const LightRecord b = LightRecord::Unpack(renderer.GetLightValue(14));
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.factor, 214);  // 255 less the first fade step
    EXPECT_EQ(renderer.ColumnPattern(1), 1);
    EXPECT_EQ(LightRecord::Unpack(renderer.GetLightValue(2)).factor, 0);
    EXPECT_EQ(a.Colour(), (Rgb{10, 20, 30}));
    EXPECT_EQ(LightRecord::Unpack(renderer.GetLightValue(0)).factor, 0);  // zone 0 belongs to no pair
}

TEST(AccessoryFramesTest, FrameStepsFollowTheSpeedAndStayInTheTable) {
    CAccessoryLightRenderer renderer(WaveStyle::Pad);
    const std::pair<uint8_t, uint32_t> cases[] = {{0, 28}, {2, 18}, {4, 7}, {200, 7}};
    for (auto [speed, steps] : cases) {
        renderer.SetStateByte(kStateSpeed, speed);
        EXPECT_EQ(renderer.FrameSteps(), steps);
    }
}

TEST(ZoneReportsTest, ValuesAreScaledAndLimitedAndMissingZonesAreZero) {
    const std::tuple<uint8_t, uint8_t, uint8_t> cases[] = {{255, 255, 247}, {248, 255, 247}, {200, 128, 100},
                                                          {255, 0, 0}, {246, 256 - 1, 245}};
    for (auto [colour, level, expected] : cases) EXPECT_EQ(ZoneValue(colour, level), expected);

    CLightFrameBuffer frame;
    frame.Resize(10);  // zones 10..12 are missing
    for (size_t z = 0; z < 10; ++z) frame.SetRecord(z, LightRecord{static_cast<uint8_t>(10 * z + 10), 1, 2, 255});
    const ZoneReportSet reports = BuildZoneReports(frame);
    // Red, first half to 0x22: zones 0..6.
    EXPECT_EQ(reports[0][1], 0x22);
    EXPECT_EQ(reports[0][2], 0xAA);
    for (size_t z = 0; z < 7; ++z) EXPECT_EQ(reports[0][4 + z], ZoneValue(uint8_t(10 * z + 10), 255));
    // Red, second half: zones 7..9, then the missing ones as 0, then zone 6 still in byte 10.
    EXPECT_EQ(reports[1][2], 0xAD);
    EXPECT_EQ(reports[1][4], ZoneValue(80, 255));
    EXPECT_EQ(reports[1][6], ZoneValue(100, 255));
    EXPECT_EQ(reports[1][7], 0);
    EXPECT_EQ(reports[1][9], 0);
    EXPECT_EQ(reports[1][10], reports[0][10]);
    // The other receiver gets the same values.
    EXPECT_EQ(reports[2][1], 0x44);
    EXPECT_TRUE(std::equal(reports[0].begin() + 2, reports[0].end(), reports[2].begin() + 2));
}

}  // namespace

namespace {

TEST(AccessoryPreviewTest, ThreadComputesFramesOnlyWhileSomebodyTakesThem) {
    CAccessoryLightRenderer renderer(WaveStyle::Headset);
    renderer.SetLightCount(13);
    SetState(renderer, 0, 4, 1, 1);
    renderer.SetStateByte(kStateSpeed, 4);
    renderer.SetFrameConsumer(CLightRenderer::FrameConsumer::Picture, false);
    std::atomic<bool> streaming{false};
    std::atomic<int> streamed{0};
    PreviewLink link;
    link.connected = [] { return true; };
    link.paused = [] { return false; };
    link.streaming = [&] { return streaming.load(); };
    link.stream = [&] { streamed.fetch_add(1); };
    renderer.StartPreview(link);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(renderer.FramesRendered(), 0u);
    EXPECT_EQ(streamed.load(), 0);

    streaming.store(true);
    renderer.Wake();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (streamed.load() < 5 && std::chrono::steady_clock::now() < deadline) {
        // Settings change under the running thread.
        renderer.SetStateByte(kStateMultiColour, streamed.load() % 2);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(streamed.load(), 5);
    renderer.StopPreview();
    EXPECT_FALSE(renderer.PreviewRunning());
    const int after = streamed.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(streamed.load(), after);
}

}  // namespace
