// The lighting side of the headset and the mouse pad against their emulated products: settings
// page both ways, the zone report stream, the pad's light frames, and the event listener.
#include <thread>

#include "engines/headset/HeadsetZoneReports.h"
#include "engines/headset/TorvanelHS6533Device.h"
#include "engines/mousepad/TorvanelMousePadDevice.h"
#include "tests/engines/headset/AccessoryFixture.h"

using namespace acctest;

namespace {

constexpr uint16_t kHeadsetVid = 0x0C76, kHeadsetPid = 0x1630;

std::array<uint32_t, 4> LightWords(uint8_t effect, uint8_t brightness, uint8_t speed, uint8_t multi, Rgb colour,
                                   uint8_t direction = 0) {
    LightInfoRecord light;
    light.SelectItem = effect;
    light.Light = brightness;
    light.Speed = speed;
    light.Fx = direction;
    light.MultiColor = multi;
    light.Red = colour.red;
    light.Green = colour.green;
    light.Blue = colour.blue;
    const auto w = light.ToWords();
    return {w.w0, w.w1, w.w2, w.w3};
}

class HeadsetLightingTest : public AccessoryTest {
protected:
    void ConnectHeadset() {
        PlugProduct(kHeadsetVid, kHeadsetPid);
        Bind(std::make_unique<CTorvanelHS6533Device>(), kHeadsetVid, kHeadsetPid, "HD", 13);
    }
};

TEST_F(HeadsetLightingTest, SettingsPageReadTakesTheStoredProfileAndInvertsTheSpeed) {
    struct Case {
        uint8_t profile;
        uint8_t storedSpeed;
        uint8_t expectedSpeed;
    };
    for (const Case c : {Case{0, 4, 0}, Case{2, 1, 3}, Case{3, 0, 4}}) {
        ConnectHeadset();
        std::vector<uint8_t> record = {9, 5, 3, c.storedSpeed, 7, 1, 10, 20, 30};
        for (uint8_t i = 9; i < 28; ++i) record.push_back(static_cast<uint8_t>(100 + i));
        if (c.profile == 0) record[0] = 0;  // profile 0's page begins with the index byte itself
        device_->SetSettingsBytes(c.profile * 25u, record);
        device_->SetSettingsBytes(0, {c.profile});
        engine_->CommandChannel().SetStreamPaused(true);
        engine_->ReloadLighting();
        const auto& page = engine_->SettingsPage().Data();
        EXPECT_FALSE(engine_->CommandChannel().IsStreamPaused());
        EXPECT_EQ(page[0], c.profile);
        EXPECT_EQ(page[3], c.expectedSpeed);
        for (size_t i = 1; i < kSettingsPageBytes; ++i)
            if (i != 3) {
                EXPECT_EQ(page[i], record[i]) << "byte " << i;
            }
        EXPECT_EQ(ReceivedCodes(), (std::vector<uint8_t>{0x05, 0x05}));
        TearDown();
        SetUp();
    }
}

TEST_F(HeadsetLightingTest, SettingsPageReadWithTheChannelClosedKeepsOnlyTheIndex) {
    ConnectHeadset();
    device_->SetSettingsBytes(0, {2});
    engine_->ReloadLighting();
    ASSERT_EQ(engine_->SettingsPage().ProfileIndex(), 2);
    engine_->CommandChannel().SetConnected(false);
    device_->ClearPacketLog();
    engine_->ReloadLighting();
    CHeadsetSettingsPage::Bytes expected{};
    expected[0] = 2;
    expected[3] = 4;
    EXPECT_EQ(engine_->SettingsPage().Data(), expected);
    EXPECT_TRUE(ReceivedCodes().empty());
}

TEST_F(HeadsetLightingTest, SettingsPageWriteSendsTheSpeedInvertedAndKeepsTheCache) {
    struct Case {
        int page;
        uint8_t speed;
    };
    for (const Case c : {Case{0, 1}, Case{0, 4}, Case{1, 0}}) {
        ConnectHeadset();
        engine_->SetLightState(LightWords(3, 2, c.speed, 1, {10, 20, 30}));
        EXPECT_EQ(engine_->WriteLightParams(c.page, 0), 1);
        EXPECT_EQ(ReceivedCodes(), (std::vector<uint8_t>{0x01, 0x06, 0x02}));
        const auto memory = device_->Snapshot().settings;
        const size_t at = static_cast<size_t>(c.page) * 64;
        EXPECT_EQ(memory[at + 1], 3);
        EXPECT_EQ(memory[at + 2], 2);
        EXPECT_EQ(memory[at + 3], 4 - c.speed);
        EXPECT_EQ(memory[at + 5], 1);
        EXPECT_EQ(memory[at + 6], 10);
        EXPECT_EQ(memory[at + 8], 30);
        EXPECT_EQ(engine_->SettingsPage().Data()[3], c.speed);
        EXPECT_FALSE(device_->Snapshot().configMode);
        TearDown();
        SetUp();
    }
}

TEST_F(HeadsetLightingTest, ZoneReportsStreamInOrderLimitedTo247WhileTheProgramControlsTheLights) {
    ConnectHeadset();
    engine_->SetLightState(LightWords(3, 4, 2, 0, {255, 128, 0}));  // static, full brightness
    engine_->SetLightControl(1);
    engine_->PushFrame();
    static_cast<CTorvanelHS6533Device*>(engine_)->StartPreview();
    ASSERT_TRUE(PumpUntil([&] { return device_->Snapshot().zoneReports.size() >= 24; }));
    const auto reports = device_->Snapshot().zoneReports;
    const uint8_t order[12][2] = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD}, {0x22, 0xAB}, {0x22, 0xAE},
                                  {0x44, 0xAB}, {0x44, 0xAE}, {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
    for (size_t r = 0; r < 24; ++r) {
        const auto& report = reports[r];
        ASSERT_EQ(report.size(), 17u);
        EXPECT_EQ(report[0], 0xFF);
        EXPECT_EQ(report[1], order[r % 12][0]) << r;
        EXPECT_EQ(report[2], order[r % 12][1]) << r;
        const uint8_t perColour[3] = {247, 127, 0};  // red, green, blue of every zone
        const uint8_t expected = perColour[(report[2] - 0xAA) % 3];
        // Seven values either way: zones 0..6, or zones 7..12 followed by zone 6 again.
        for (size_t i = 0; i < 7; ++i) EXPECT_EQ(report[4 + i], expected) << r << " byte " << 4 + i;
        for (size_t i = 11; i < 17; ++i) EXPECT_EQ(report[i], 0);
    }
    // Control handed back: the stream stops, and nothing more reaches the headset.
    engine_->SetLightControl(0);
    engine_->PushFrame();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    device_->ClearZoneReports();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_TRUE(device_->Snapshot().zoneReports.empty());
}

TEST_F(HeadsetLightingTest, NoReportIsSentWhileTheLightControlFlagIsClear) {
    ConnectHeadset();
    engine_->SetLightState(LightWords(3, 4, 2, 0, {255, 255, 255}));
    engine_->SetLightControl(0);
    engine_->PushFrame();
    static_cast<CTorvanelHS6533Device*>(engine_)->StartPreview();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(device_->Snapshot().zoneReports.empty());
}

TEST_F(HeadsetLightingTest, SyncEventArmsTheReloadTimerAndOtherEventsDoNothing) {
    ConnectHeadset();
    ASSERT_EQ(engine_->OpenEventInterface(eventPath_), 1);
    EXPECT_EQ(engine_->OpenEventInterface(eventPath_), 1);  // already open: nothing new
    ASSERT_TRUE(device_->SendEvent(0x0404));
    ASSERT_TRUE(device_->SendEvent(0x0401));
    ASSERT_TRUE(PumpUntil([&] { return entry_.Started(kTimerReloadLighting, 500); }));
    EXPECT_EQ(entry_.timers.size(), 1u);
    engine_->CloseEventInterface();
    EXPECT_FALSE(engine_->EventInterfaceOpen());
}

class MousePadLightingTest : public AccessoryTest {
protected:
    void ConnectPad() {
        PlugProduct(emu::kMousePadVendorId, emu::kMousePadProductId);
        Bind(std::make_unique<CTorvanelMousePadDevice>(), emu::kMousePadVendorId, emu::kMousePadProductId, "MousePad",
             15);
    }
};

TEST_F(MousePadLightingTest, ConnectingReadsTheInformationBlockAndStreamsLightFrames) {
    ConnectPad();
    engine_->SetLightControl(1);
    engine_->PushFrame();
    engine_->OnConnected();
    const std::vector<uint8_t> codes = ReceivedCodes();
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(std::vector<uint8_t>(codes.begin(), codes.begin() + 3), (std::vector<uint8_t>{0x01, 0x03, 0x02}));
    EXPECT_EQ(engine_->DeviceInfo()[1], emu::kMousePadProductId & 0xFF);
    engine_->SetLightState(LightWords(3, 4, 2, 0, {200, 100, 50}));
    ASSERT_TRUE(PumpUntil([&] {
        const auto snapshot = device_->Snapshot();
        return snapshot.frameCount > 0 && snapshot.lastFrame[0] == 199;
    }));
    const auto frame = device_->Snapshot().lastFrame;
    ASSERT_EQ(frame.size(), 45u);
    for (size_t z = 0; z < 15; ++z) {
        EXPECT_EQ(frame[3 * z], 199) << z;  // 200 × 255 >> 8
        EXPECT_EQ(frame[3 * z + 1], 99);
        EXPECT_EQ(frame[3 * z + 2], 49);
    }
    EXPECT_TRUE(device_->Snapshot().zoneReports.empty());
}

TEST_F(MousePadLightingTest, PadWritesTheHeadsetPageWithTheSpeedInverted) {
    ConnectPad();
    engine_->SetLightState(LightWords(2, 3, 1, 0, {1, 2, 3}));
    engine_->WriteLightParams(0, 0);
    EXPECT_EQ(ReceivedCodes(), (std::vector<uint8_t>{0x01, 0x06, 0x02}));
    EXPECT_EQ(device_->Snapshot().settings[3], 3);
    EXPECT_EQ(engine_->SettingsPage().Data()[3], 1);
}

TEST_F(MousePadLightingTest, PadListenerReloadsOnSyncOnly) {
    ConnectPad();
    ASSERT_EQ(engine_->OpenEventInterface(eventPath_), 1);
    ASSERT_TRUE(device_->SendEvent(0x0404));
    ASSERT_TRUE(device_->SendEvent(0x0401));
    ASSERT_TRUE(PumpUntil([&] { return entry_.Started(kTimerReloadLighting, 500); }));
    EXPECT_EQ(entry_.timers.size(), 1u);
}

}  // namespace
