// The lighting thread: tick counting, stop within its time-out, and music input fed from another
// thread while it renders.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "LightingTestSupport.h"
#include "platform/DebugOutput.h"

namespace {

// Counts renders of the single-colour column wave through its effect phase.
struct PassRig : KeyboardRig {
    PassRig(uint8_t effect, uint8_t speed) : KeyboardRig(0x5062, {.effect = effect, .speed = speed}) {
        renderer.SetAudioLight({0, 0, 0});
    }
};

}  // namespace

TEST(LightingPass, Speed4OfEffect1StepsOnEveryCountedTick) {
    PassRig rig(1, 4);
    rig.now = 0;
    rig.renderer.StartLightingThread({[] { return false; }, {}});  // takes t0 = 0, renders nothing
    EXPECT_EQ(rig.renderer.StopLightingThread(), WorkerStopOutcome::Ended);
    struct Step { uint32_t now; uint8_t phase; };
    const Step steps[] = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {10, 3}};
    for (const Step& s : steps) {
        rig.renderer.LightingPass(s.now);
        EXPECT_EQ(rig.renderer.EffectPhase(), s.phase) << s.now;
    }
}

TEST(LightingPass, Effect26StepsOnEverySecondTickWhateverTheSpeed) {
    for (uint8_t speed : {0, 4}) {
        PassRig rig(26, speed);
        rig.now = 0;
        rig.renderer.StartLightingThread({[] { return false; }, {}});
        rig.renderer.StopLightingThread();
        rig.renderer.LightingPass(2);
        EXPECT_EQ(rig.renderer.EffectPhase(), 0) << int(speed);
        rig.renderer.LightingPass(4);
        EXPECT_EQ(rig.renderer.EffectPhase(), 1) << int(speed);  // music style 0 stepped its phase
    }
}

TEST(LightingPass, SharedLightingStopsTheOwnRenderer) {
    PassRig rig(6, 0);
    rig.renderer.SetSharedLighting(true);
    rig.renderer.SetLightValue(2, 0x01020304);
    for (uint32_t t = 0; t < 100; t += 2) rig.renderer.LightingPass(t);
    EXPECT_EQ(rig.renderer.GetLightValue(2), 0x01020304u);
}

TEST(LightingThread, StopsWithinItsTimeOutConnectedOrNot) {
    for (bool connected : {true, false}) {
        CKeyboardLightingShared shared;
        CKeyboardLightRenderer renderer(0x5062, &shared);
        renderer.SetLightState(MakeState({.effect = 4, .speed = 4}));
        DebugCapture capture;
        renderer.StartLightingThread({[connected] { return connected; }, [] { return false; }});
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(renderer.StopLightingThread(), WorkerStopOutcome::Ended) << connected;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kLightingThreadStopMs));
        EXPECT_EQ(capture.Count(kLightingThreadExitLine), 1u);
        EXPECT_FALSE(renderer.LightingThreadRunning());
        if (connected) {
            EXPECT_NE(renderer.GetLightValue(0), 0u);  // the spectrum ran
        }
    }
}

TEST(LightingThread, MusicInputFromAnotherThreadWhileRendering) {
    CKeyboardLightingShared shared;
    CKeyboardLightRenderer renderer(0x5062, &shared);
    renderer.SetLightState(MakeState({.effect = 26, .speed = 4}));
    renderer.SetKeyMaps({{51, 7}}, {{0, 0}, {51, 1}}, 2);
    renderer.SetAreaLights(std::vector<LightListEntry>(170));
    std::atomic<bool> paused{false};
    renderer.StartLightingThread({[] { return true; }, [&paused] { return paused.load(); }});

    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        std::array<int32_t, 25> levels{};
        uint32_t round = 0;
        while (!stop.load()) {
            levels.fill(int32_t(round % 2400));
            renderer.SetAudioLight({round % 7, 0x00FF00u, 0});
            renderer.FeedAudioSpectrum({reinterpret_cast<const uint8_t*>(levels.data()), 100}, 500);
            const uint32_t peaks[6] = {round, round, round, 0, 0, 0};
            renderer.FeedAudioPeaks(peaks, 6);
            renderer.OnKeyEvent(7, round % 2 ? 1 : 2);
            if (round % 50 == 0) renderer.EnterEffect(26);
            paused.store(round % 97 == 0);
            ++round;
        }
    });
    struct NullSink : ILightFrameSink {
        bool LightButtonExists(size_t) const override { return true; }
        bool LightButtonVisible(size_t) const override { return true; }
        void ShowLightButton(size_t, uint32_t, uint8_t, bool) override {}
        int StreamLightFrame(const uint8_t*, size_t) override { return 1; }
    } sink;
    for (int i = 0; i < 100; ++i) {
        renderer.PushFrame(sink, {});
        renderer.SetLightState(MakeState({.effect = uint8_t(i % 2 ? 26 : 27), .speed = 4}));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stop.store(true);
    feeder.join();
    EXPECT_EQ(renderer.StopLightingThread(), WorkerStopOutcome::Ended);
}
