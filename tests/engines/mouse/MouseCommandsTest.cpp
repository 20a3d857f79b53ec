// The mouse engine's command sequences against the emulated mouse, on the cable and through the
// receiver, byte for byte.
#include <fstream>

#include <json/json.h>

#include "store/ShootData.h"
#include "tests/engines/mouse/MouseEngineFixture.h"

using namespace mousetest;

namespace {

std::vector<uint8_t> Repeat(uint8_t code, size_t n) { return std::vector<uint8_t>(n, code); }
std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

DpiStage Stage(uint8_t active, uint16_t steps, uint8_t r, uint8_t g, uint8_t b) {
    DpiStage stage;
    stage.StageActive = active;
    stage.SetDpiX(steps);
    stage.SetDpiY(steps);
    stage.StageColorR = r, stage.StageColorG = g, stage.StageColorB = b;
    return stage;
}

// The page the table of the settings memory asks for, written out by hand.
std::vector<uint8_t> ExpectedPage(uint8_t effect, uint8_t brightness, uint8_t speedByte, uint8_t fx, uint8_t multi,
                                  uint8_t r, uint8_t g, uint8_t b, uint8_t rate, uint8_t active,
                                  const std::vector<DpiStage>& stages) {
    std::vector<uint8_t> page(66, 0);
    page[1] = effect, page[2] = brightness, page[3] = speedByte, page[4] = fx, page[5] = multi;
    page[6] = r, page[7] = g, page[8] = b, page[11] = rate, page[12] = active;
    for (size_t i = 0; i < stages.size() && i < 5; ++i) {
        const DpiStage& s = stages[i];
        const uint8_t record[9] = {s.StageActive, s.StageXY, s.StageDPIX[0], s.StageDPIX[1], s.StageDPIY[0],
                                   s.StageDPIY[1], s.StageColorR, s.StageColorG, s.StageColorB};
        std::copy(record, record + 9, page.begin() + 14 + 9 * static_cast<long>(i));
    }
    page[59] = 1;
    page[60] = 1920 & 0xFF, page[61] = 1920 >> 8, page[62] = 1080 & 0xFF, page[63] = 1080 >> 8;
    return page;
}

std::vector<uint8_t> WrittenPage(const emu::EmulatedMouse& mouse) {
    const auto memory = mouse.Memory();
    return {memory.settings.begin(), memory.settings.begin() + 66};
}

void SetLight(CTorvanelMouseDevice& engine, uint8_t effect, uint8_t speed) {
    LightInfoRecord light;
    light.SelectItem = effect;
    light.Light = 3;
    light.Speed = speed;
    light.Fx = 1;
    light.MultiColor = 0;
    light.Red = 0x12, light.Green = 0x34, light.Blue = 0x56;
    const auto w = light.ToWords();
    engine.SetLightState({w.w0, w.w1, w.w2, w.w3});
}

}  // namespace

TEST_F(MouseEngineTest, StartUpReadsTheInformationBlockAndButtonTableAndMapsTheButtons) {
    for (bool receiver : {false, true}) {
        SCOPED_TRACE(receiver ? "receiver" : "cable");
        Connect(receiver);
        engine_->OnConnected();
        // 34 information bytes and 30 table bytes: one packet each on the cable, two through the receiver.
        const std::vector<uint8_t> expected =
            receiver ? Concat({{0xAA, 0x01}, Repeat(0x03, 2), Repeat(0x07, 2), {0x02}})
                     : std::vector<uint8_t>{0x01, 0x03, 0x07, 0x02};
        EXPECT_EQ(ReceivedCodes(), expected);
        EXPECT_EQ(engine_->DpiStep(), 50);
        EXPECT_EQ(engine_->HighestDpiSteps(), 320);
        EXPECT_EQ(engine_->LowestDpi(), 100);
        EXPECT_EQ(engine_->CommandChannel().BlockSize(), 30);
        const ButtonSlotMap expectedMap = {0, 1, 2, 4, 3, 6, 7, 5, 8, kNoButtonSlot};
        EXPECT_EQ(engine_->SlotMap(), expectedMap);
        EXPECT_TRUE(engine_->PreviewRunning());
        EXPECT_FALSE(mouse_->ConfigMode());
        engine_.reset();
        mouse_.reset();
    }
}

TEST_F(MouseEngineTest, StartUpStopsWithoutMapWhenTheTableCannotBeRead) {
    Connect();
    mouse_->FailWithStatus(0xFF, 2);  // 0x01 and 0x03 pass, the table read fails
    engine_->OnConnected();
    EXPECT_EQ(ReceivedCodes(), (std::vector<uint8_t>{0x01, 0x03, 0x07}));
    for (uint32_t slot : engine_->SlotMap()) EXPECT_EQ(slot, kNoButtonSlot);
    mouse_->ClearFaults();
    mouse_->ClearPacketLog();
    // Nothing can be written to a table that was never read.
    EXPECT_EQ(engine_->WriteOwnKeyAssignments(0), 0);
    EXPECT_EQ(ReceivedCodes(), (std::vector<uint8_t>{0x03}));
}

TEST_F(MouseEngineTest, SettingsWriteSendsThePageOfTheProfileOnBothConnections) {
    const std::vector<DpiStage> three = {Stage(1, 8, 255, 0, 0), Stage(0, 24, 0, 255, 0), Stage(1, 64, 0, 0, 255)};
    const struct {
        const char* name;
        bool receiver;
        uint8_t effect, speed;
        std::vector<uint8_t> codes;
        uint8_t effectByte, speedByte;
    } cases[] = {
        {"cable", false, 3, 1, {0x01, 0x06, 0x06, 0x02}, 3, 1},
        {"receiver inverts the speed", true, 3, 1, {0xAA, 0x01, 0xAA, 0x06, 0x06, 0x06, 0xAA, 0x02}, 3, 3},
        {"a user effect goes out as effect 0", false, 11, 4, {0x01, 0x06, 0x06, 0x02}, 0, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Connect(c.receiver);
        engine_->OnConnected();
        SetLight(*engine_, c.effect, c.speed);
        engine_->SetDpiStages(three);
        engine_->Profile().SetActiveDpiStage(2);
        auto words = engine_->GetSystemSettings();
        words[2] = (3u << 16) | (words[2] & 0xFFFF);
        engine_->SetSystemSettings(words);
        mouse_->ClearPacketLog();
        EXPECT_EQ(engine_->WriteLightParams(0, 0), 1);
        EXPECT_EQ(ReceivedCodes(), c.codes);
        EXPECT_EQ(WrittenPage(*mouse_), ExpectedPage(c.effectByte, 3, c.speedByte, 1, 0, 0x12, 0x34, 0x56, 3, 2, three));
        engine_.reset();
        mouse_.reset();
    }
}

TEST_F(MouseEngineTest, ASelectedCorrectionEntryFillsTheLastTwoBytes) {
    Connect();
    engine_->OnConnected();
    // The profile file carries the correction entries; the page only reads them.
    Json::Value root;
    {
        std::ifstream in(engine_->GetProfilePath());
        in >> root;
    }
    root["Device"][0]["CorrectInfo"][1]["CorrectSelect"] = 1;
    {
        std::ofstream out(engine_->GetProfilePath());
        out << root;
    }
    engine_->LoadProfile();
    engine_->WriteLightParams(0, 0);
    const auto page = WrittenPage(*mouse_);
    EXPECT_EQ(page[64], 2);  // CorrectMinSq of "Medium"
    EXPECT_EQ(page[65], 4);  // CorrectPixThresh
}

TEST_F(MouseEngineTest, ALinkThatDropsMidSequenceStopsItBeforeTheNextCommand) {
    const struct {
        int answered;  // requests answered before the link drops
        std::vector<uint8_t> codes;
    } cases[] = {
        {0, {0xAA}},
        {2, {0xAA, 0x01, 0xAA}},
        {6, {0xAA, 0x01, 0xAA, 0x06, 0x06, 0x06, 0xAA}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answered);
        Connect(true);
        engine_->OnConnected();
        const auto before = WrittenPage(*mouse_);
        mouse_->ClearPacketLog();
        mouse_->DropLinkAfter(c.answered);
        EXPECT_EQ(engine_->WriteLightParams(0, 0), 0);
        EXPECT_EQ(ReceivedCodes(), c.codes);
        if (c.answered < 6) {
            EXPECT_EQ(WrittenPage(*mouse_), before);
        }
        engine_.reset();
        mouse_.reset();
    }
}

TEST_F(MouseEngineTest, DpiEditsWriteTheStageAndTheLastStoredStage) {
    Connect();
    engine_->OnConnected();
    engine_->SetDpiStages({Stage(1, 8, 1, 2, 3)});
    mouse_->ClearPacketLog();
    // A slider released on stage 3 grows the list to four stages.
    engine_->OnDpiValueChosen(3, 200);
    const auto stages = engine_->GetDpiStages();
    ASSERT_EQ(stages.size(), 4u);
    EXPECT_EQ(stages[3].DpiX(), 200);
    const auto page = WrittenPage(*mouse_);
    EXPECT_EQ(page[14 + 27 + 2], 200);
    EXPECT_EQ(page[14 + 27 + 3], 0);
    EXPECT_EQ(page[14 + 36 + 2], 0);  // stage 4 is not stored: zero record
    EXPECT_EQ(ReceivedCodes(), (std::vector<uint8_t>{0x01, 0x06, 0x06, 0x02}));
    // The profile file keeps the new stage.
    CMouseProfiledata reread;
    reread.LoadSection(engine_->GetProfilePath());
    EXPECT_EQ(reread.GetDpiStages().at(3).DpiX(), 200);
}

TEST_F(MouseEngineTest, ReportRateGoesToByteElevenAndOutOfRangeCountsAsZero) {
    Connect();
    engine_->OnConnected();
    for (const auto& [chosen, written] : std::vector<std::pair<int, int>>{{2, 2}, {4, 4}, {5, 0}, {-1, 0}}) {
        SCOPED_TRACE(chosen);
        engine_->OnReportRateSelected(chosen);
        EXPECT_EQ(WrittenPage(*mouse_)[11], written);
    }
}

TEST_F(MouseEngineTest, ReadingTheSettingsTakesTheActiveProfilesPage) {
    for (bool receiver : {false, true}) {
        SCOPED_TRACE(receiver ? "receiver" : "cable");
        Connect(receiver);
        engine_->OnConnected();
        auto memory = mouse_->Memory();
        memory.settings[0] = 2;
        uint8_t* page = memory.settings.data() + 2 * 128;
        page[1] = 4, page[2] = 2, page[3] = 1, page[5] = 1, page[6] = 9, page[7] = 8, page[8] = 7, page[9] = 5;
        page[12] = 3;
        mouse_->SetMemory(memory);
        mouse_->ClearPacketLog();
        EXPECT_EQ(engine_->ReadDeviceSettings(), 2);
        EXPECT_EQ(ReceivedCodes(), receiver ? Concat({{0xAA}, {0x05}, Repeat(0x05, 3)}) : Concat({{0x05}, Repeat(0x05, 2)}));
        const LightInfoRecord light = engine_->Profile().GetLightInfo();
        EXPECT_EQ(light.SelectItem, 4);
        EXPECT_EQ(light.Light, 2);
        EXPECT_EQ(light.Speed, receiver ? 3 : 1);
        EXPECT_EQ(light.MultiColor, 1);
        EXPECT_EQ(light.Red, 9);
        EXPECT_EQ(engine_->Profile().GetActiveDpiStage(), 3);
        EXPECT_EQ(engine_->SettingsCache()[0], 2);
        EXPECT_EQ(engine_->SettingsCache()[9], 0);
        EXPECT_EQ(engine_->DeviceProfile(), 2);
        engine_.reset();
        mouse_.reset();
    }
}

TEST_F(MouseEngineTest, ReloadKeepsTheStateWhenTheSecondReadFails) {
    Connect();
    engine_->OnConnected();
    const LightInfoRecord before = engine_->Profile().GetLightInfo();
    mouse_->FailWithStatus(0xFE, 1);
    engine_->ReloadLighting();
    EXPECT_EQ(engine_->Profile().GetLightInfo(), before);
}

TEST_F(MouseEngineTest, ButtonTableWriteChangesOnlyMappedButtons) {
    for (bool receiver : {false, true}) {
        SCOPED_TRACE(receiver ? "receiver" : "cable");
        Connect(receiver);
        engine_->OnConnected();
        const auto factory = mouse_->Memory().buttonTable;
        std::vector<KeyListEntry> keys = engine_->KeyList();
        ASSERT_EQ(keys.size(), 10u);
        keys[3].assignment = {0x10, 0x01, 0x00};  // logical 3 sits at table position 4
        keys[9].assignment = {0x20, 0x00, 0x04};  // logical 9 has no slot on this mouse
        engine_->SetKeyList(keys);
        mouse_->ClearPacketLog();
        EXPECT_EQ(engine_->WriteOwnKeyAssignments(0), 1);
        const std::vector<uint8_t> codes =
            receiver ? Concat({{0xAA}, Repeat(0x03, 2), {0xAA, 0x01, 0xAA}, Repeat(0x09, 2), {0xAA, 0x02}})
                     : std::vector<uint8_t>{0x03, 0x01, 0x09, 0x02};
        EXPECT_EQ(ReceivedCodes(), codes);
        auto expected = factory;
        expected[12] = 0x10, expected[13] = 0x01, expected[14] = 0x00;
        EXPECT_EQ(mouse_->Memory().buttonTable, expected);
        engine_.reset();
        mouse_.reset();
    }
}

TEST_F(MouseEngineTest, RecoilUploadImageFollowsTheGunFilesAndAMissingFileIsAnEmptyPattern) {
    Connect();
    engine_->OnConnected();
    CShootData guns;
    guns.SetShootFolder(UserFolder());
    guns.SetShootDefaultFolder(engine_->DefaultDataFolder());
    ASSERT_EQ(guns.InitShootData(), 4);
    std::filesystem::remove(UserFolder() + "ShootData_2.Shoot");
    std::vector<size_t> counts;
    for (int gun = 0; gun < 4; ++gun) counts.push_back(guns.GunRecords(gun).size());
    ASSERT_EQ(counts[2], 0u);
    ASSERT_GT(counts[0], 0u);
    mouse_->ClearPacketLog();
    EXPECT_EQ(engine_->UploadRecoilPatterns(), 1);
    const size_t total = 40 + 4 * (counts[0] + counts[1] + counts[3]);
    const auto area = mouse_->Memory().shootArea;
    auto le16 = [&](size_t at) { return static_cast<size_t>(area[at] | area[at + 1] << 8); };
    EXPECT_EQ(area[0], 0xAA);
    EXPECT_EQ(area[1], 0x55);
    EXPECT_EQ(le16(2), total);
    EXPECT_EQ(le16(4), 4u);
    for (size_t i = 6; i < 16; ++i) EXPECT_EQ(area[i], 0) << i;
    size_t offset = 24;
    for (size_t gun = 0; gun < 4; ++gun) {
        EXPECT_EQ(le16(16 + 2 * gun), offset) << gun;
        EXPECT_EQ(le16(offset), counts[gun]) << gun;
        EXPECT_EQ(le16(offset + 2), 0u);
        offset += 4 + 4 * counts[gun];
    }
    // The first event of gun 0: a press of the left button, its delay little-endian.
    const auto first = guns.GunRecords(0).front().bytes;
    EXPECT_EQ(std::vector<uint8_t>(area.begin() + 28, area.begin() + 32), std::vector<uint8_t>(first.begin(), first.end()));
    EXPECT_EQ(area[30] & 0x80, 0x80);
    const size_t packets = (total + 55) / 56;
    EXPECT_EQ(ReceivedCodes(), Concat({{0x03, 0x01}, Repeat(0x17, packets), {0x02}}));
}
