// Device events through the event record reach the engine on the UI thread.
#include <QElapsedTimer>

#include "platform/DebugOutput.h"
#include "tests/engines/keyboard/KeyboardEngineFixture.h"

using namespace kbtest;

TEST_F(KeyboardEngineTest, EventsBecomeWorkOnTheUiThread) {
    Connect();
    engine_->OnConnected();
    ASSERT_EQ(engine_->AttachEventRecord(EventPath(), 1), 1);
    const std::thread::id ui = std::this_thread::get_id();

    ASSERT_TRUE(keyboard_->SendEvent(0x0401));
    ASSERT_TRUE(PumpUntil([&] { return entry_.Started(kTimerReloadLighting); }));
    ASSERT_TRUE(keyboard_->SendEvent(0x0402));
    ASSERT_TRUE(PumpUntil([&] { return entry_.Started(kTimerSecondSync); }));
    for (const StartedTimer& timer : entry_.timers) {
        EXPECT_EQ(timer.thread, ui);
        EXPECT_EQ(timer.ms, 50u);
    }

    ASSERT_TRUE(keyboard_->SendEvent(0x1002));
    EXPECT_TRUE(PumpUntil([&] { return engine_->WorkingProfile() == 2; }));

    // Key reactions of effect 7 remember the last key state.
    LightInfoRecord glow = engine_->Profile().GetLightInfo();
    glow.SelectItem = 7;
    const auto w = glow.ToWords();
    engine_->SetLightState({w.w0, w.w1, w.w2, w.w3});
    const int key = 64;
    const int position = engine_->KeyToPosition().at(key);
    ASSERT_TRUE(keyboard_->PressKey(position));
    EXPECT_TRUE(PumpUntil([&] { return engine_->KeyboardRenderer().ReactionState(key) == 1; }));
    ASSERT_TRUE(keyboard_->ReleaseKey(position));
    EXPECT_TRUE(PumpUntil([&] { return engine_->KeyboardRenderer().ReactionState(key) == 2; }));
}

TEST_F(KeyboardEngineTest, ListenersStopWithinTheirTimeOut) {
    Connect();
    ASSERT_EQ(engine_->AttachEventRecord(EventPath(), 1), 1);
    ASSERT_EQ(engine_->ReattachEventRecord(EventPath(), 1), 1);
    DebugCapture debug;
    QElapsedTimer clock;
    clock.start();
    engine_->DetachEventRecord(1);
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_TRUE(debug.Contains("线程退出：：对象处于激发状态\n"));
    EXPECT_TRUE(debug.Contains(kListenerExitLine));
    EXPECT_FALSE(engine_->EventChannel().PrimaryRecord().IsOpen());
}

TEST_F(KeyboardEngineTest, ProfileEventsAreIgnoredWhileDisconnected) {
    Connect();
    engine_->OnConnected();
    ASSERT_EQ(engine_->AttachEventRecord(EventPath(), 1), 1);
    engine_->CommandChannel().SetConnected(false);
    ASSERT_TRUE(keyboard_->SendEvent(0x1003));
    ASSERT_TRUE(keyboard_->SendEvent(0x0401));
    ASSERT_TRUE(PumpUntil([&] { return entry_.Started(kTimerReloadLighting); }));
    EXPECT_NE(engine_->WorkingProfile(), 3);
}
