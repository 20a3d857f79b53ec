// Read-all, the lighting parameter record and light frames against an emulated keyboard.
#include "tests/engines/keyboard/KeyboardEngineFixture.h"

using namespace kbtest;

namespace {

std::array<uint32_t, 4> StateWords(uint8_t effect, uint8_t brightness, uint8_t speed) {
    LightInfoRecord light;
    light.SelectItem = effect;
    light.Light = brightness;
    light.Speed = speed;
    light.Fx = 1;
    light.MultiColor = 0;
    light.Red = 0x11;
    light.Green = 0x22;
    light.Blue = 0x33;
    light.ZZCCLedMode = 2;
    light.CustomGroup = 3;
    const auto w = light.ToWords();
    return {w.w0, w.w1, w.w2, w.w3};
}

// Payload of the first packet with this command code.
std::vector<uint8_t> PayloadOf(const std::vector<emu::PacketLogEntry>& log, uint8_t code) {
    for (const auto& entry : log) {
        if (entry.bytes.at(3) == code) {
            const size_t length = entry.bytes.at(4);
            return {entry.bytes.begin() + 8, entry.bytes.begin() + 8 + static_cast<long>(length)};
        }
    }
    return {};
}

// The codes without the streamed frames (0x12), which the lighting thread sends on its own cadence
// while a music effect is set.
std::vector<uint8_t> WithoutFrames(std::vector<uint8_t> codes) {
    std::erase(codes, uint8_t{0x12});
    return codes;
}

}  // namespace

TEST_F(KeyboardEngineTest, ConnectingReadsTheTablesAndTheParameterRecordOnly) {
    Connect();
    engine_->OnConnected();
    const size_t n = keyboard_->Layout().positionCount;
    EXPECT_EQ(ReceivedCodes(), Concat({{0x01, 0x03}, Repeat(0x07, Chunks(n * 3, 56)), Repeat(0x1B, Chunks(n, 56)),
                                       {0x02, 0x05, 0x05}}));
    EXPECT_EQ(engine_->DeviceKeyCount(), static_cast<int>(n));
    EXPECT_TRUE(engine_->KeyboardRenderer().LightingThreadRunning());
}

TEST_F(KeyboardEngineTest, KeyMapsFollowTheDevicePositionOfEveryFactoryCode) {
    for (uint16_t product : {0x5062, 0x5085, 0x5086}) {
        SCOPED_TRACE(product);
        Connect(product);
        engine_->OnConnected();
        const emu::DeviceLayout& layout = keyboard_->Layout();
        int mapped = 0;
        for (const auto& [key, position] : engine_->KeyToPosition()) {
            // Key 104 and keys 126 on carry the same blank code: they share its first position.
            if (position == kNoKeyPosition || key == 104 || key >= 126) continue;
            ++mapped;
            EXPECT_EQ(layout.keyNumberAt.at(position), key);
            if (key < layout.positionCount) {
                EXPECT_EQ(engine_->KeyToLight().at(key), layout.lightAt.at(position)) << key;
            }
        }
        EXPECT_GT(mapped, 80);
        engine_.reset();
        keyboards_.clear();
    }
}

TEST_F(KeyboardEngineTest, LightingChangeWritesTheRecordOfTheTable) {
    Connect();
    engine_->OnConnected();
    engine_->SetSystemStages(KeyboardSystemStages{7, 2, 1, 3, 1, 1, 1}.ToWords());
    const struct {
        uint8_t effect, speed, modeByte, speedByte;
    } cases[] = {
        {6, 0, 6, 4}, {6, 4, 6, 0}, {6, 3, 6, 1}, {26, 2, 0xFE, 2}, {27, 1, 0xFE, 3}, {20, 2, 20, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.effect) * 10 + c.speed);
        keyboard_->ClearPacketLog();
        engine_->SetLightState(StateWords(c.effect, 3, c.speed));
        ASSERT_EQ(engine_->WriteLightParams(0, 0), 1);
        EXPECT_EQ(WithoutFrames(ReceivedCodes()), (std::vector<uint8_t>{0x01, 0x06, 0x02}));
        const std::vector<uint8_t> expected = {0, c.modeByte, 3, c.speedByte, 1, 0, 0x11, 0x22, 0x33, 0, 0, 0, 0, 0,
                                               0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 0, 3, 0, 1};
        EXPECT_EQ(PayloadOf(keyboard_->PacketLogEntries(), 0x06), expected);
        const auto params = keyboard_->Snapshot().memory.params;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), params.begin()));
    }
}

TEST_F(KeyboardEngineTest, ReadingTheRecordTranslatesModeAndSpeed) {
    Connect();
    engine_->OnConnected();
    const struct {
        uint8_t shownEffect, modeByte, speedByte, effect, speed;
    } cases[] = {
        {6, 0xFE, 4, 6, 0},   // 0xFE keeps the shown effect
        {6, 5, 0, 5, 4},      // a known code becomes its effect index
        {5, 0xC8, 2, 5, 2},   // an unknown code changes nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.modeByte));
        engine_->SetLightState(StateWords(c.shownEffect, 2, 2));
        engine_->ApplyLighting();
        uint8_t record[28] = {0, c.modeByte, 4, c.speedByte, 1, 1, 9, 8, 7};
        record[16] = 0x55;
        record[19] = 1;
        record[27] = 1;
        CCommandChannel& channel = engine_->CommandChannel();
        ASSERT_EQ(channel.WriteParams(record, 28, 0), 1);
        engine_->ReloadLighting();
        const auto state = LightInfoRecord::FromWords(
            {engine_->GetLightState()[0], engine_->GetLightState()[1], engine_->GetLightState()[2],
             static_cast<uint16_t>(engine_->GetLightState()[3])});
        EXPECT_EQ(state.SelectItem, c.effect);
        EXPECT_EQ(state.Speed, c.speed);
        EXPECT_EQ(state.Light, 4);
        EXPECT_EQ(state.Red, 9);
        EXPECT_EQ(engine_->LightParams()[16], 0);
        const auto stages = KeyboardSystemStages::FromWords(engine_->GetSystemStages());
        EXPECT_EQ(stages.WFlag, 1);
        EXPECT_EQ(stages.ModeFlag, 1);
        // Kept in the profile too.
        EXPECT_EQ(engine_->Profile().GetLightInfo().SelectItem, c.effect);
    }
}

TEST_F(KeyboardEngineTest, OnlyMusicEffectsStreamFrames) {
    Connect();
    engine_->OnConnected();
    // Only the frames of this push are counted, not those of the lighting thread's own cadence.
    engine_->KeyboardRenderer().StopLightingThread();
    const size_t n = keyboard_->Layout().positionCount;
    const struct {
        uint8_t effect;
        bool streams;
    } cases[] = {{26, true}, {27, true}, {6, false}, {1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.effect));
        engine_->SetLightState(StateWords(c.effect, 4, 2));
        keyboard_->ClearPacketLog();
        engine_->PushFrame();
        EXPECT_EQ(CountOf(0x12), c.streams ? Chunks(n * 3, 56) : 0u);
        if (c.streams) {
            EXPECT_EQ(keyboard_->Snapshot().lastFrame.size(), n * 3);
        }
    }
}

TEST_F(KeyboardEngineTest, NothingIsSentWhileDisconnected) {
    Connect();
    engine_->CommandChannel().SetConnected(false);
    engine_->OnConnected();
    EXPECT_EQ(engine_->WriteLightParams(0, 0), 1);
    EXPECT_EQ(engine_->WriteOwnKeyAssignments(0), 0);
    EXPECT_TRUE(ReceivedCodes().empty());
}

TEST_F(KeyboardEngineTest, LightControlIsAnnouncedOnlyWhenOnAndDirect) {
    Connect();
    const struct {
        uint16_t kind;
        int on;
        size_t announcements;
    } cases[] = {{kKindKeyboard, 1, 1}, {kKindKeyboard, 0, 0}, {kKindKeyboardViaReceiver, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind * 10 + c.on);
        DeviceInterfaceEntry row = list_[commandRow_];
        row.deviceKind = c.kind;
        engine_->SetInterfaceRow(row);
        keyboard_->ClearPacketLog();
        engine_->SetLightControl(c.on);
        EXPECT_EQ(engine_->GetLightControl(), c.on);
        EXPECT_EQ(CountOf(0x1C), c.announcements);
    }
}

TEST_F(KeyboardEngineTest, CustomColoursGoToTheSlotOfTheGroupOnlyInEffect20) {
    Connect();
    engine_->OnConnected();
    const size_t n = keyboard_->Layout().positionCount;
    for (int i = 0; i < 170; ++i) engine_->SetLightValue(i, LightRecord{uint8_t(i), 0x40, 0x80, 0x10}.Pack());
    LightInfoRecord other = engine_->Profile().GetLightInfo();
    other.SelectItem = 6;
    auto w = other.ToWords();
    engine_->Renderer().SetLightState(std::array<uint32_t, 4>{w.w0, w.w1, w.w2, w.w3});
    keyboard_->ClearPacketLog();
    EXPECT_EQ(engine_->WriteCustomColours(), 0);
    EXPECT_EQ(CountOf(0x0B), 0u);

    engine_->Renderer().SetStateByte(kStateEffect, 20);
    engine_->Renderer().SetStateByte(kStateCustomGroup, 2);
    ASSERT_EQ(engine_->WriteCustomColours(), 1);
    const emu::KeyboardSnapshot device = keyboard_->Snapshot();  // the slot is a view into it
    const auto slot = device.memory.CustomColourSlot(2);
    // Raw colours, not scaled by the brightness factor, at the device light of each key.
    for (const auto& [key, light] : engine_->KeyToLight()) {
        if (light == kNoKeyPosition || key >= static_cast<int>(n)) continue;
        SCOPED_TRACE(key);
        EXPECT_EQ(slot[3 * light], key);
        EXPECT_EQ(slot[3 * light + 1], 0x40);
        EXPECT_EQ(slot[3 * light + 2], 0x80);
    }
}
