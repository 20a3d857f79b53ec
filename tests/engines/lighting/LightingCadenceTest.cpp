// The lighting thread sleeps until its next due moment instead of passing every millisecond: the
// frames it computes, and the moments they change, must be exactly those of the polling pattern.
// Both are driven here on a fake clock, millisecond by millisecond.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

#include "LightingTestSupport.h"

namespace {

constexpr uint32_t kStart = 50000;
constexpr uint32_t kSpanMs = 1500;

using Picture = std::array<uint32_t, 170>;

Picture Snap(const CKeyboardLightRenderer& renderer) {
    Picture p{};
    for (size_t i = 0; i < p.size(); ++i) p[i] = renderer.Frame().Get(i);
    return p;
}

// A rig whose thread clock starts at kStart (the thread takes its first tick time when started).
struct CadenceRig : KeyboardRig {
    CadenceRig(uint8_t effect, uint8_t speed, bool overlay) : KeyboardRig(0x5062, {.effect = effect, .speed = speed, .multi = 1}) {
        renderer.SetAudioLight({0, 0, 0});
        if (overlay) {
            std::vector<LightListEntry> area(170);
            area[5].LEDREGMode = 0;  // a breathing point steps on every pass
            area[5].present = 1;
            area[5].LEDBrightness = 4;
            renderer.SetAreaLights(area);
        }
        now = kStart;
        renderer.StartLightingThread({[] { return false; }, {}});
        renderer.StopLightingThread();
    }
};

struct CadenceCase {
    uint8_t effect;
    uint8_t speed;
    bool overlay;
};

}  // namespace

TEST(LightingCadence, SleepingUntilDueGivesTheFramesOfPollingEveryMillisecond) {
    const CadenceCase cases[] = {
        {1, 0, false},  {1, 4, false},  {1, 6, false},  {2, 2, false},  {4, 3, false},  {5, 0, false},
        {6, 4, false},  {10, 1, false}, {11, 5, false}, {13, 4, false}, {15, 2, false}, {16, 0, false},
        {18, 6, false}, {21, 3, false}, {22, 1, false}, {26, 0, false}, {26, 4, false}, {27, 2, false},
        {28, 4, false}, {30, 2, false}, {32, 4, false}, {34, 1, false}, {19, 0, false}, {1, 2, true},
    };
    for (const CadenceCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "effect " << int(c.effect) << " speed " << int(c.speed)
                                          << (c.overlay ? " with a breathing overlay" : ""));
        CadenceRig polling(c.effect, c.speed, c.overlay);
        CadenceRig sleeping(c.effect, c.speed, c.overlay);
        uint32_t due = kStart;
        size_t sleeperPasses = 0, changes = 0;
        Picture last = Snap(polling.renderer);
        for (uint32_t t = kStart; t < kStart + kSpanMs; ++t) {
            polling.now = sleeping.now = t;
            polling.renderer.LightingPass(t);
            if (t == due) {
                sleeping.renderer.CountTicksBefore(t);
                sleeping.renderer.LightingPass(t);
                ++sleeperPasses;
                const uint32_t delay = sleeping.renderer.NextPassDelay(t);
                ASSERT_GE(delay, 1u) << "a pass must leave nothing due at " << t;
                ASSERT_NE(delay, INFINITE);
                due = t + delay;
            }
            const Picture shown = Snap(polling.renderer);
            changes += shown != last;
            last = shown;
            ASSERT_EQ(Snap(sleeping.renderer), shown) << "at " << t - kStart << " ms";
            ASSERT_EQ(sleeping.renderer.EffectPhase(), polling.renderer.EffectPhase()) << "at " << t - kStart << " ms";
        }
        // The slow effects are where the sleeping pays: far fewer passes for the same frames.
        if (!c.overlay && c.effect != 19 && c.speed < 4) {
            EXPECT_LT(sleeperPasses, kSpanMs / 2) << changes << " frame changes";
        }
    }
}

TEST(LightingCadence, CatchingUpLeavesTheEffectWhereItWouldHaveBeen) {
    // Wave at speed 0 steps every 10 ms: 1 s unseen is 100 steps.
    for (uint32_t unseenMs : {1000u, 10000u, 123456u}) {
        SCOPED_TRACE(unseenMs);
        CadenceRig watched(1, 0, false);
        CadenceRig hidden(1, 0, false);
        const uint32_t steps = unseenMs / 10;
        for (uint32_t i = 0; i < steps % kCatchUpCycle; ++i) watched.renderer.RenderWaveColumns();
        hidden.renderer.CatchUp(unseenMs, kStart + unseenMs);
        EXPECT_EQ(hidden.renderer.EffectPhase(), watched.renderer.EffectPhase());
        EXPECT_EQ(Snap(hidden.renderer), Snap(watched.renderer));
    }
}

TEST(LightingCadence, NoConsumerNoFramesUntilOneComesBack) {
    CKeyboardLightingShared shared;
    CKeyboardLightRenderer renderer(0x5062, &shared);
    renderer.SetLightState(MakeState({.effect = 1, .speed = 4}));
    renderer.SetFrameConsumer(CLightRenderer::FrameConsumer::Picture, false);
    renderer.StartLightingThread({[] { return true; }, [] { return false; }});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // lets the thread reach its sleep
    const uint32_t idle = renderer.FrameSerial();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(renderer.FrameSerial(), idle) << "nobody looked, yet frames were computed";
    renderer.SetFrameConsumer(CLightRenderer::FrameConsumer::Picture, true);
    for (int i = 0; i < 200 && renderer.FrameSerial() == idle; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_NE(renderer.FrameSerial(), idle) << "the picture came back but no frame followed";
    EXPECT_EQ(renderer.StopLightingThread(), WorkerStopOutcome::Ended);
}
