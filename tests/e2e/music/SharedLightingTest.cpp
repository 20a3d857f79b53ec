// Shared lighting with two emulated keyboards: one page shares its effect, both keyboards take it
// and their frame buffers move in step; what ends sharing; the thread's idle pace.
#include <set>

#include "app/devicelist/DeviceList.h"
#include "tests/e2e/journey/JourneyFixture.h"
#include "toolkit/UIlib.h"

using namespace DuiLib;
using namespace journey;

namespace {

constexpr uint16_t kT5K1 = 0x5062;
constexpr uint16_t kT3H7 = 0x5085;
constexpr size_t kRecordEffect = 1;
constexpr int kEffectBreathing = 5, kEffectNotShared = 21;

class SharedLighting : public JourneyTest {
protected:
    void ChooseEffect(uint16_t productId, int effect) {
        CComboUI* combo = PageControlAs<CComboUI>(productId, "light_combo_modeSelect", "Combo");
        ASSERT_NE(combo, nullptr);
        ASSERT_TRUE(combo->SelectItem(effect));
        Pump(30);
    }
    bool Sharing(uint16_t productId) { return Engine(productId)->CommandChannel().IsStreamPaused(); }
    void PlugBoth() {
        first_ = &Plug(kT5K1, "kbd1");
        ASSERT_TRUE(WaitConnected(kT5K1));
        second_ = &Plug(kT3H7, "kbd2");
        ASSERT_TRUE(WaitConnected(kT3H7));
        ASSERT_EQ(window_->ActiveDevice(), Engine(kT5K1));
    }
    // The device code of an effect on a keyboard, as the page writes it when chosen there.
    uint8_t DeviceCodeOf(emu::EmulatedKeyboard& keyboard, uint16_t productId, int effect) {
        keyboard.ClearPacketLog();
        ChooseEffect(productId, effect);
        EXPECT_TRUE(PumpUntil([&] { return Received(keyboard, 0x06); }));
        return DeviceRecord(keyboard).at(kRecordEffect);
    }
    void Share() {
        CControlUI* button = PageControl(kT5K1, "deng_same_mode");
        ASSERT_NE(button, nullptr);
        Click(button);
    }

    emu::EmulatedKeyboard* first_ = nullptr;
    emu::EmulatedKeyboard* second_ = nullptr;
};

TEST_F(SharedLighting, BreathingSharedFromOnePagePutsBothKeyboardsOnItInStep) {
    Open();
    ASSERT_NO_FATAL_FAILURE(PlugBoth());
    Click(window_->FindControl("device_select_next"));
    const uint8_t breathing = DeviceCodeOf(*second_, kT3H7, kEffectBreathing);
    ChooseEffect(kT3H7, 6);  // the second keyboard shows something else before the share
    Click(window_->FindControl("device_select_prev"));
    ASSERT_EQ(window_->ActiveDevice(), Engine(kT5K1));
    ChooseEffect(kT5K1, kEffectBreathing);

    second_->ClearPacketLog();
    Share();
    ASSERT_TRUE(PumpUntil([&] { return Received(*second_, 0x06); }));
    EXPECT_EQ(DeviceRecord(*second_).at(kRecordEffect), breathing) << "the breathing code on the other keyboard";
    EXPECT_EQ(DeviceRecord(*first_).at(kRecordEffect), breathing);
    EXPECT_TRUE(Sharing(kT5K1));
    EXPECT_TRUE(Sharing(kT3H7));
    EXPECT_EQ(StoredLight(kT3H7).SelectItem, kEffectBreathing);

    // One colour goes into both frame buffers: sampled together they agree, and they breathe.
    int same = 0, samples = 0;
    std::set<uint32_t> seen;
    for (int i = 0; i < 40; ++i) {
        Pump(15);
        const uint32_t a = Engine(kT5K1)->GetLightValue(0), b = Engine(kT3H7)->GetLightValue(0);
        same += a == b ? 1 : 0;
        ++samples;
        seen.insert(a);
    }
    EXPECT_GE(same, samples - 4);
    EXPECT_GT(seen.size(), 5u) << "the shared colour changes step by step";
}

TEST_F(SharedLighting, AnEffectThatCannotBeSharedChangesNothing) {
    Open();
    ASSERT_NO_FATAL_FAILURE(PlugBoth());
    ChooseEffect(kT5K1, kEffectNotShared);
    CControlUI* button = PageControl(kT5K1, "deng_same_mode");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->IsVisible()) << "offered for effect 21";
    second_->ClearPacketLog();
    first_->ClearPacketLog();
    Share();
    Pump(300);
    EXPECT_FALSE(Received(*second_, 0x06));
    EXPECT_FALSE(Received(*first_, 0x06));
    EXPECT_FALSE(Sharing(kT5K1));
    EXPECT_FALSE(Sharing(kT3H7));
}

TEST_F(SharedLighting, ALightingEditOnTheActiveDeviceOrOneDeviceLeftEndsSharing) {
    Open();
    ASSERT_NO_FATAL_FAILURE(PlugBoth());
    ChooseEffect(kT5K1, kEffectBreathing);
    Share();
    ASSERT_TRUE(Sharing(kT5K1) && Sharing(kT3H7));

    // A brightness change on the page being viewed ends only that device's sharing.
    CSliderUI* brightness = PageControlAs<CSliderUI>(kT5K1, "deng_light_slider", "Slider");
    ASSERT_NE(brightness, nullptr);
    brightness->SetValue(2);
    Raise(brightness, DUI_MSGTYPE_VALUECHANGED);
    EXPECT_FALSE(Sharing(kT5K1));
    EXPECT_TRUE(Sharing(kT3H7));

    Share();
    ASSERT_TRUE(Sharing(kT5K1) && Sharing(kT3H7));
    ASSERT_TRUE(second_->Unplug());
    ASSERT_TRUE(PumpUntil([&] { return !EntryShown(kT3H7); }));
    EXPECT_FALSE(Sharing(kT5K1)) << "one device left: nothing to share with";
    EXPECT_FALSE(Sharing(kT3H7));
    EXPECT_FALSE(PageControl(kT5K1, "deng_same_mode")->IsVisible());
}

TEST_F(SharedLighting, WhileNothingSharesTheThreadWakesAboutOnceASecond) {
    Open();
    ASSERT_NO_FATAL_FAILURE(PlugBoth());
    Pump(300);
    const uint64_t before = window_->SharedLighting().Passes();
    Pump(2500);
    const uint64_t idle = window_->SharedLighting().Passes() - before;
    EXPECT_GE(idle, 1u);
    EXPECT_LE(idle, 4u);

    ChooseEffect(kT5K1, kEffectBreathing);
    Share();
    const uint64_t sharing = window_->SharedLighting().Passes();
    Pump(1000);
    EXPECT_GT(window_->SharedLighting().Passes() - sharing, 10u) << "a step every few milliseconds while sharing";
}

}  // namespace
