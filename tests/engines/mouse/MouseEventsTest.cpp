// The mouse's event reports through its event interface and listener thread.
#include "tests/engines/mouse/MouseEngineFixture.h"

using namespace mousetest;

TEST_F(MouseEngineTest, EventReportsChangeProfileAndStageOrScheduleARead) {
    Connect();
    engine_->OnConnected();
    ASSERT_EQ(engine_->AttachEventInterface(eventPath_, kKindMouse), 1);
    const struct {
        uint16_t code;
        uint8_t profile, stage;
        bool reloadTimer;
    } cases[] = {
        {0x1123, 3, 2, false},
        {0x1007, 7, 2, false},  // the stage stays
        {0x0200, 7, 2, false},  // ignored
        {0x0401, 7, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        entry_.timers.clear();
        ASSERT_TRUE(mouse_->SendEvent(c.code));
        // A marker event after it: once the marker's effect is seen, the event has been handled.
        if (c.code == 0x0401) {
            EXPECT_TRUE(PumpUntil([&] { return entry_.DelayOf(kTimerReloadLighting) != 0; }));
            EXPECT_EQ(entry_.DelayOf(kTimerReloadLighting), 50u);
        } else {
            EXPECT_TRUE(PumpUntil([&] { return engine_->DeviceProfile() == c.profile; }));
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
            EXPECT_EQ(entry_.DelayOf(kTimerReloadLighting), 0u);
        }
        EXPECT_EQ(engine_->DeviceProfile(), c.profile);
        EXPECT_EQ(engine_->CachedActiveStage(), c.stage);
    }
    engine_->CloseEventInterface(kKindMouse);
}

TEST_F(MouseEngineTest, EventInterfaceOpensAgainAndClosesWithItsThread) {
    Connect();
    ASSERT_EQ(engine_->AttachEventInterface(eventPath_, kKindMouse), 1);
    ASSERT_EQ(engine_->AttachEventInterface(eventPath_, kKindMouse), 1);
    engine_->CloseEventInterface(kKindMouse);
    EXPECT_EQ(engine_->AttachEventInterface("emulator:/nowhere#vid_7a61&pid_6001&mi_01&col01", kKindMouse), 0);
}
