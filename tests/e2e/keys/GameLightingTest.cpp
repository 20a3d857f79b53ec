// Game events: an outside program's "Game_Kill" shows an effect for five seconds, then the effect
// it replaced comes back, on the page, in the profile and in the keyboard. The wParam cases are
// sent straight to the window; one event comes through the session bus from zorv-msg.
#include "app/shell/AppMessages.h"
#include "panels/lighting/LightControlUI.h"
#include "platform/bus/MessageBus.h"
#include "tests/e2e/keys/KeysFixture.h"
#include "tests/support/ChildProcess.h"
#include "toolkit/WindowMessages.h"

using namespace DuiLib;
using namespace keystest;

namespace {

constexpr size_t kRecordEffect = 1;  // the effect code's byte in the keyboard's lighting record

class GameLightingTest : public KeysTest {
protected:
    void SetCurrentEffect(uint8_t effect) {
        const std::array<uint32_t, 4> words = Keyboard().GetLightState();
        LightInfoRecord record =
            LightInfoRecord::FromWords({words[0], words[1], words[2], static_cast<uint16_t>(words[3])});
        record.SelectItem = effect;
        const LightInfoRecord::Words w = record.ToWords();
        Keyboard().SetLightState({w.w0, w.w1, w.w2, w.w3});
        Keyboard().SaveProfile();
    }
    LightInfoRecord PageRecord() const {
        const std::array<uint32_t, 4> words = Keyboard().GetLightState();
        return LightInfoRecord::FromWords({words[0], words[1], words[2], static_cast<uint16_t>(words[3])});
    }
    void SendGame(const char* name, WPARAM wParam, LPARAM lParam) {
        DuiLib::SendMessage(window_->GetHWND(), RegisterWindowMessage(name), wParam, lParam);
        journey::Pump(20);
    }
    int ShownEffect() const {
        auto* panel = static_cast<CLightControlUI*>(Control("LightControlItem")->GetInterface(CLightControlUI::kClassName));
        return panel ? panel->GetEffect() : -1;
    }
};

TEST_F(GameLightingTest, SubCommandsDecideTheEffectToReturnTo) {
    OpenWithKeyboard();
    struct Case {
        const char* name;
        uint8_t current;
        uint8_t oldBefore;
        WPARAM wParam;
        LPARAM effect;
        uint8_t selectAfter;
        uint8_t oldAfter;
    };
    const Case cases[] = {
        {"kill over effect 3", 3, 9, 0, 5, 5, 3},
        {"from effect 0 back to 1", 0, 9, 0, 5, 5, 1},
        {"from effect 25 back to 1", 25, 9, 0, 6, 6, 1},
        {"sub-command 1 keeps the old effect", 3, 9, 1, 7, 7, 9},
        {"sub-command 2 keeps the old effect", 4, 2, 2, 8, 8, 2},
        {"sub-command 3 only starts the timer", 4, 2, 3, 8, 4, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetCurrentEffect(c.current);
        LightInfoRecord record = PageRecord();
        record.OldLedmode = c.oldBefore;
        const LightInfoRecord::Words w = record.ToWords();
        Keyboard().SetLightState({w.w0, w.w1, w.w2, w.w3});
        SendGame("Game_Kill", c.wParam, c.effect);
        EXPECT_EQ(PageRecord().SelectItem, c.selectAfter);
        EXPECT_EQ(PageRecord().OldLedmode, c.oldAfter);
        EXPECT_EQ(StoredLight(kProduct).SelectItem, c.selectAfter);
        if (c.wParam <= 2) {
            EXPECT_EQ(ShownEffect(), c.effect);
        }
    }
}

TEST_F(GameLightingTest, GameKillFromAnotherProgramLastsFiveSeconds) {
    CMessageBus bus;
    if (bus.Start() != BusStatus::Ok) GTEST_SKIP() << "no session bus (run under dbus-run-session)";
    OpenWithKeyboard(&bus);
    SetCurrentEffect(3);
    Keyboard().WriteLightParams(0, 0, 1, 1920, 1080);
    const uint8_t stockCode3 = DeviceRecord(Device())[kRecordEffect];
    Device().ClearPacketLog();
    const pid_t sender = testsupport::Spawn(
        {std::string(ZORV_BIN_DIR) + "/zorv-msg", "post", "--title", kAppInstanceName, "Game_Kill", "0", "5"},
        dir_ / "zorv-msg.log");
    int status = -1;
    ASSERT_TRUE(journey::PumpUntil([&] { return waitpid(sender, &status, WNOHANG) == sender; }, 10000));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "zorv-msg could not reach the window";
    ASSERT_TRUE(journey::PumpUntil([&] { return PageRecord().SelectItem == 5; }, 3000));
    EXPECT_EQ(PageRecord().OldLedmode, 3);
    EXPECT_TRUE(Received(Device(), 0x06)) << "effect 5 did not reach the keyboard";
    EXPECT_NE(DeviceRecord(Device())[kRecordEffect], stockCode3);
    EXPECT_EQ(ShownEffect(), 5);
    // Still the game's effect a while later; back to 3 once the five seconds are over.
    journey::Pump(3000);
    EXPECT_EQ(PageRecord().SelectItem, 5);
    ASSERT_TRUE(journey::PumpUntil([&] { return PageRecord().SelectItem == 3; }, 4000));
    EXPECT_EQ(ShownEffect(), 3);
    EXPECT_EQ(StoredLight(kProduct).SelectItem, 3);
    EXPECT_EQ(DeviceRecord(Device())[kRecordEffect], stockCode3);
    window_->Close(IDOK);
    journey::Pump(50);
    window_.reset();
    bus.Stop();
}

}  // namespace
