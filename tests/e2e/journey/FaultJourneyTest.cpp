// A keyboard that stops answering, and one pulled out in the middle of a key-table write: the
// window keeps working and picks the keyboard up again.
#include <QTimer>

#include <atomic>
#include <thread>

#include "toolkit/UIlib.h"
#include "tests/e2e/journey/JourneyFixture.h"

using namespace DuiLib;
using namespace journey;

namespace {

constexpr uint16_t kT5K1 = 0x5062;
constexpr int kEffectMusic = 26;

class FaultJourney : public JourneyTest {
protected:
    // The UI thread still serves a blocking send from another thread and its own timers.
    bool WindowResponds() {
        std::atomic<bool> answered{false};
        std::thread sender([&] {
            DuiLib::SendMessage(window_->GetHWND(), WM_USER + 0x7F0, 0, 0);  // a message nobody handles
            answered = true;
        });
        bool timerRan = false;
        QTimer::singleShot(10, [&] { timerRan = true; });
        const bool ok = PumpUntil([&] { return answered.load() && timerRan; });
        sender.join();
        return ok;
    }
    void ChooseEffect(int effect) {
        auto* combo = PageControlAs<CComboUI>(kT5K1, "light_combo_modeSelect", "Combo");
        ASSERT_NE(combo, nullptr);
        combo->SelectItem(effect);
        Pump(30);
    }
};

TEST_F(FaultJourney, AKeyboardThatStopsAnsweringPausesAndRecovers) {
    Open();
    emu::EmulatedKeyboard& keyboard = Plug(kT5K1, "kbd1");
    ASSERT_TRUE(WaitConnected(kT5K1));
    ChooseEffect(kEffectMusic);
    const uint32_t streaming = keyboard.Snapshot().frameCount;
    ASSERT_TRUE(PumpUntil([&] { return keyboard.Snapshot().frameCount > streaming + 5; }));

    keyboard.DropRequests(emu::kUntilCleared);
    // A configuration call now runs into its time-out and returns; the window goes on.
    const std::vector<uint8_t> before = DeviceRecord(keyboard);
    ChooseEffect(1);
    EXPECT_EQ(DeviceRecord(keyboard), before) << "the keyboard took nothing in";
    EXPECT_EQ(StoredLight(kT5K1).SelectItem, 1) << "the choice is kept in the profile";
    EXPECT_TRUE(WindowResponds());
    const uint32_t paused = keyboard.Snapshot().frameCount;
    Pump(300);
    EXPECT_EQ(keyboard.Snapshot().frameCount, paused) << "no frame reaches a keyboard that drops everything";

    keyboard.ClearFaults();
    ChooseEffect(kEffectMusic);
    EXPECT_TRUE(PumpUntil([&] { return keyboard.Snapshot().frameCount > paused + 5; })) << "frames flow again";
    EXPECT_EQ(StoredLight(kT5K1).SelectItem, kEffectMusic);
    EXPECT_TRUE(WindowResponds());
}

TEST_F(FaultJourney, UnplugDuringAKeyTableWriteLeavesTheWindowWorking) {
    Open();
    emu::EmulatedKeyboard& keyboard = Plug(kT5K1, "kbd1");
    ASSERT_TRUE(WaitConnected(kT5K1));
    CControlUI* menu = PageControl(kT5K1, "profile_menu_layout");
    if (!menu->IsVisible()) Click(PageControl(kT5K1, "profile_fun_spread_btn"));
    Click(PageControl(kT5K1, "device_add_btn"));
    auto* profiles = PageControlAs<CComboUI>(kT5K1, "device_profile_combo", "Combo");
    ASSERT_EQ(profiles->GetCount(), 2);

    // The switch writes the lighting, the macro image and the key table; the cable goes in the middle.
    keyboard.ClearPacketLog();
    keyboard.UnplugAfter(4, emu::kNoReplug);
    profiles->SelectItem(1);
    ASSERT_TRUE(PumpUntil([&] { return NoDeviceShown(); }, 8000));
    EXPECT_EQ(window_->ActiveDevice(), nullptr);
    EXPECT_TRUE(WindowResponds());

    std::string error;
    ASSERT_TRUE(keyboard.Replug(error)) << error;
    EXPECT_TRUE(WaitConnected(kT5K1));
    EXPECT_TRUE(WindowResponds());
}

}  // namespace
