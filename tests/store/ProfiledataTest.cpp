#include "platform/Folders.h"
#include "store/Hs6533Profiledata.h"
#include "store/KeyboardProfiledata.h"
#include "store/MouseProfiledata.h"
#include "StoreTestSupport.h"

using namespace storetest;

namespace {
const char* kDefaultKeyboard = R"({"Device":[
  {"LightInfo":{"SelectItem":5,"Light":4,"Speed":2,"Fx":0,"MultiColor":1,"Red":255,"Green":0,
   "Blue":0,"ZZCCLedMode":0,"CustomGroup":0,"OldLedmode":1},
   "KeyList":[{"Assignment":2097193,"DefaultAssignment":2097193}]},
  {"LightInfo":{"SelectItem":6}},
  {"LightInfo":{"SelectItem":7}}]})";
}  // namespace

class Profiledata : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        defaultPath_ = Path("keyboard.Json");
        WriteText(defaultPath_, kDefaultKeyboard);
        profile_.SetDefaultPath(defaultPath_);
        profile_.SetProfilePath(Path("p.Json"));
    }
    // Saves the profile and reads it back into a fresh object of the same class.
    template <class T>
    static T ReloadedCopy(T& source) {
        EXPECT_EQ(source.Save(), 1);
        T copy;
        copy.SetDeviceIndex(source.GetDeviceIndex());
        copy.SetProfilePath(source.GetProfilePath());
        copy.LoadSection(source.GetProfilePath());
        return copy;
    }
    std::string defaultPath_;
    CKeyboardProfiledata profile_;
};

TEST_F(Profiledata, KeyboardDeviceIndexFoldsModelsFourAndFive) {
    const int cases[][2] = {{0, 0}, {4, 1}, {5, 2}, {1, 1}, {3, 3}};
    for (const auto& c : cases) EXPECT_EQ(KeyboardDeviceIndex(c[0]), c[1]) << c[0];
}

TEST_F(Profiledata, NewProfileFileIsCreatedFromTheDefaultsWithNullsBelowTheIndex) {
    profile_.SetDeviceIndex(2);
    int written = 0;
    Json::Value section = profile_.LoadSection(Path("p.Json"), &written);
    EXPECT_EQ(written, 1);
    EXPECT_EQ(section["LightInfo"]["SelectItem"].asInt(), 7);
    Json::Value root = ReadDoc(Path("p.Json"));
    ASSERT_EQ(root["Device"].size(), 3u);
    EXPECT_TRUE(root["Device"][0].isNull());
    EXPECT_TRUE(root["Device"][1].isNull());
    EXPECT_EQ(root["Device"][2], section);
}

TEST_F(Profiledata, MissingSectionIsAddedAndOtherMembersSurvive) {
    WriteText(Path("p.Json"), R"({"profilename":"mine","profileUUID":"u1","Extra":{"keep":true},
        "Device":[{"LightInfo":{"SelectItem":9}}]})");
    profile_.SetDeviceIndex(1);
    profile_.LoadSection(Path("p.Json"));
    Json::Value root = ReadDoc(Path("p.Json"));
    EXPECT_EQ(root["profilename"].asString(), "mine");
    EXPECT_TRUE(root["Extra"]["keep"].asBool());
    EXPECT_EQ(root["Device"][0]["LightInfo"]["SelectItem"].asInt(), 9);
    EXPECT_EQ(root["Device"][1]["LightInfo"]["SelectItem"].asInt(), 6);
    EXPECT_TRUE(FilesStartingWith(Root(), "p.Json.damaged").empty());
}

TEST_F(Profiledata, DamagedProfileIsKeptAsideAndRecreatedFromTheDefaults) {
    for (const BadContent& bad : BadContents()) {
        SCOPED_TRACE(bad.label);
        fs::remove_all(Root());
        fs::create_directories(Root());
        WriteText(defaultPath_, kDefaultKeyboard);
        WriteText(Path("p.Json"), bad.bytes);
        CKeyboardProfiledata profile;
        profile.SetDefaultPath(defaultPath_);
        Json::Value section;
        ASSERT_NO_THROW(section = profile.LoadSection(Path("p.Json")));
        EXPECT_EQ(section["LightInfo"]["SelectItem"].asInt(), 5);
        EXPECT_EQ(ReadDoc(Path("p.Json"))["Device"][0], section);
        std::vector<std::string> kept = FilesStartingWith(Root(), "p.Json.damaged");
        if (bad.bytes.empty()) {
            EXPECT_TRUE(kept.empty());
        } else {
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(ReadText(Path(kept[0])), bad.bytes);
        }
    }
}

TEST_F(Profiledata, WithoutDefaultsEveryGetterGivesItsAbsentValue) {
    CMouseProfiledata mouse;
    mouse.SetDefaultPath(Path("none.Json"));
    EXPECT_TRUE(mouse.LoadSection(Path("m.Json")).isNull());
    EXPECT_TRUE(ReadDoc(Path("m.Json"))["Device"][0].isNull());
    EXPECT_EQ(mouse.GetLightInfo(), LightInfoRecord{});
    EXPECT_EQ(mouse.GetAudioLightInfo(), AudioLightInfoRecord{});
    EXPECT_TRUE(mouse.GetLightList().empty());
    EXPECT_TRUE(mouse.GetKeyList().empty());
    EXPECT_TRUE(mouse.GetDpiStages().empty());
    EXPECT_EQ(mouse.GetActiveDpiStage(), 0);
    EXPECT_EQ(mouse.GetSystemStages(), (std::array<uint32_t, 3>{}));
    EXPECT_TRUE(mouse.GetCorrectInfo().empty());
    CHs6533Profiledata headset;
    EXPECT_EQ(headset.GetSystemSetStages(), HeadsetSystemSetStages{});
    EXPECT_TRUE(headset.GetCustomEqNames().empty());
    CKeyboardProfiledata keyboard;
    EXPECT_EQ(keyboard.GetSystemStages(), (std::array<uint32_t, 4>{}));
    EXPECT_EQ(keyboard.GetCustomLightGroup(), 0);
}

TEST_F(Profiledata, LightRecordsRoundTripWithTheKeysOfTheFileFormat) {
    profile_.LoadSection(Path("p.Json"));
    LightInfoRecord light{3, 4, 2, 1, 1, 255, 10, 20, {9, 9, 9}, 2, 3, 1};
    AudioLightInfoRecord audio{2, 1, 2, 3, 4, 5, 6, 1, 1};
    profile_.SetLightInfo(light);
    profile_.SetAudioLightInfo(audio);
    CKeyboardProfiledata copy = ReloadedCopy(profile_);
    LightInfoRecord expected = light;
    expected.EngineBytes[0] = expected.EngineBytes[1] = expected.EngineBytes[2] = 0;
    EXPECT_EQ(copy.GetLightInfo(), expected);
    EXPECT_EQ(copy.GetAudioLightInfo(), audio);
    Json::Value section = ReadDoc(Path("p.Json"))["Device"][0];
    for (const char* key : {"SelectItem", "Light", "Speed", "Fx", "MultiColor", "Red", "Green",
                            "Blue", "ZZCCLedMode", "CustomGroup", "OldLedmode"})
        EXPECT_TRUE(section["LightInfo"].isMember(key)) << key;
    EXPECT_EQ(section["LightInfo"].size(), 11u);
    EXPECT_EQ(section["AudioLightInfo"]["7ColorFlags"].asInt(), 1);
    EXPECT_EQ(section["AudioLightInfo"].size(), 9u);
}

TEST_F(Profiledata, ByteKeysAreTruncatedAndFlagsGoThroughTheBoolConversion) {
    WriteText(Path("p.Json"), R"({"Device":[{"LightInfo":{"MultiColor":7,"Red":300,"Green":"12",
        "Blue":-1,"SelectItem":[1]}}]})");
    profile_.LoadSection(Path("p.Json"));
    LightInfoRecord r = profile_.GetLightInfo();
    EXPECT_EQ(r.MultiColor, 1);
    EXPECT_EQ(r.Red, 44);
    EXPECT_EQ(r.Green, 0);
    EXPECT_EQ(r.Blue, 255);
    EXPECT_EQ(r.SelectItem, 0);
}

TEST_F(Profiledata, LightRecordWordsMatchTheByteLayout) {
    LightInfoRecord r{1, 2, 3, 4, 5, 6, 7, 8, {9, 10, 11}, 12, 13, 14};
    LightInfoRecord::Words w = r.ToWords();
    EXPECT_EQ(w.w0, 0x04030201u);
    EXPECT_EQ(w.w1, 0x08070605u);
    EXPECT_EQ(w.w2, 0x0C0B0A09u);
    EXPECT_EQ(w.w3, 0x0E0Du);
    EXPECT_EQ(LightInfoRecord::FromWords(w), r);
    AudioLightInfoRecord a{1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(AudioLightInfoRecord::FromWords(a.ToWords()), a);
    EXPECT_EQ(a.ToWords().w1, 0x08070605u);
}

TEST_F(Profiledata, KeyListRoundTripChangesOnlyAssignments) {
    Json::Value doc;
    for (int i = 0; i < 100; ++i) {
        doc["Device"][0]["KeyList"][i]["Assignment"] = 1000 + i;
        doc["Device"][0]["KeyList"][i]["DefaultAssignment"] = 2000 + i;
    }
    ASSERT_TRUE(WriteJsonValue(Path("p.Json"), doc));
    profile_.LoadSection(Path("p.Json"));
    std::vector<KeyListEntry> keys = profile_.GetKeyList();
    ASSERT_EQ(keys.size(), 100u);
    EXPECT_EQ(keys[7].keyIndex, 7);
    EXPECT_EQ(keys[7].keyIndexAgain, 7);
    keys.resize(5);
    for (KeyListEntry& k : keys) k.assignment = AssignmentFromInt(65540);
    profile_.SetKeyList(keys);
    CKeyboardProfiledata copy = ReloadedCopy(profile_);
    std::vector<KeyListEntry> back = copy.GetKeyList();
    ASSERT_EQ(back.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(AssignmentToInt(back[i].assignment), i < 5 ? 65540 : 1000 + i) << i;
        EXPECT_EQ(AssignmentToInt(back[i].defaultAssignment), 2000 + i) << i;
    }
    EXPECT_EQ(AssignmentFromInt(65540), (KeyAssignment{1, 0, 4}));
}

TEST_F(Profiledata, LightListKeepsNullEntriesAsAbsent) {
    WriteText(Path("p.Json"), R"({"Device":[{"LightList":[{"LEDREGMode":2,"LEDBrightness":3,
        "LEDSpeed":1,"LEDDirection":5,"LEDMultiColor":0,"red":1,"green":2,"blue":3},null,7]}]})");
    profile_.LoadSection(Path("p.Json"));
    std::vector<LightListEntry> list = profile_.GetLightList();
    ASSERT_EQ(list.size(), 3u);
    LightListEntry first{2, 3, 1, 1, 0, 1, 2, 3, {0, 0}, 1, {0, 0, 0}};
    EXPECT_EQ(list[0], first);
    EXPECT_EQ(list[1], LightListEntry{});
    EXPECT_EQ(list[2], LightListEntry{});
}

TEST_F(Profiledata, KeyboardSystemStagesAndCustomColoursRoundTrip) {
    profile_.LoadSection(Path("p.Json"));
    KeyboardSystemStages stages{1, 2, 3, 4, 5, 6, 7};
    profile_.SetSystemStages(stages.ToWords());
    EXPECT_EQ(stages.ToWords()[0], (2u << 16) | 1u);
    std::vector<CustomLightColor> colours = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    profile_.SetCustomLightColors(colours, 2);
    profile_.SetCustomLightGroup(2);
    CKeyboardProfiledata copy = ReloadedCopy(profile_);
    EXPECT_EQ(KeyboardSystemStages::FromWords(copy.GetSystemStages()), stages);
    EXPECT_EQ(copy.GetCustomLightGroup(), 2);
    std::vector<CustomLightColor> back = copy.GetCustomLightColors(2, 3);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0], colours[0]);
    EXPECT_EQ(back[1], colours[1]);
    EXPECT_EQ(back[2], CustomLightColor{});
    // The missing colours were created as zero and are written by the next save.
    copy.GetCustomLightColors(4, 2);
    ASSERT_EQ(copy.Save(), 1);
    Json::Value info = ReadDoc(Path("p.Json"))["Device"][0]["CustomLightMode"]["LightColorInfo"];
    EXPECT_EQ(info[2].size(), 3u);
    EXPECT_EQ(info[4][1]["Alpha"].asInt(), 0);
    EXPECT_EQ(ReadDoc(Path("p.Json"))["Device"][0]["SystemStages"]["ModeFlag"].asInt(), 7);
}

TEST_F(Profiledata, MouseRecordsRoundTripWithTheMisspelledKeys) {
    CMouseProfiledata mouse;
    mouse.SetProfilePath(Path("m.Json"));
    mouse.LoadSection(Path("m.Json"));
    DpiStage a{1, 0, {}, {}, 255, 0, 0};
    a.SetDpiX(16000);
    a.SetDpiY(800);
    DpiStage b{0, 1, {}, {}, 0, 9, 0};
    b.SetDpiX(32);
    mouse.SetDpiStages({a, b});
    mouse.SetActiveDpiStage(1);
    MouseSystemStages system{500, 10, 1, 3, 4, 2};
    mouse.SetSystemStages(system.ToWords());
    CMouseProfiledata copy = ReloadedCopy(mouse);
    std::vector<DpiStage> stages = copy.GetDpiStages();
    ASSERT_EQ(stages.size(), 2u);
    EXPECT_EQ(stages[0], a);
    EXPECT_EQ(stages[0].StageDPIX[0], 16000 & 0xFF);
    EXPECT_EQ(stages[1], b);
    EXPECT_EQ(copy.GetActiveDpiStage(), 1);
    EXPECT_EQ(MouseSystemStages::FromWords(copy.GetSystemStages()), system);
    Json::Value s = ReadDoc(Path("m.Json"))["Device"][0];
    EXPECT_EQ(s["SystemStages"]["ScorllPage"].asInt(), 3);
    EXPECT_EQ(s["SystemStages"]["WheelScorlllinse"].asInt(), 4);
    EXPECT_EQ(s["ReportStages"]["StageActive"].asInt(), 2);
    EXPECT_EQ(s["DPIStages"]["StageDPIs"][0]["StageDPIX"].asInt(), 16000);
}

TEST_F(Profiledata, DpiStagesFromFileMergeIntoTheStoredList) {
    WriteText(Path("m.Json"), R"({"Device":[{"DPIStages":{"StageActive":2,"StageDPIs":[
        {"StageDPIX":1},{"StageDPIX":2},{"StageDPIX":3}]}}]})");
    CMouseProfiledata mouse;
    std::vector<DpiStage> five(5);
    for (int i = 0; i < 5; ++i) five[i].SetDpiX(static_cast<uint16_t>(100 + i));
    mouse.SetDpiStages(five);
    mouse.LoadSection(Path("m.Json"));
    std::vector<DpiStage> merged = mouse.GetDpiStages();
    ASSERT_EQ(merged.size(), 5u);
    const int expected[] = {1, 2, 3, 103, 104};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(merged[i].DpiX(), expected[i]);
    EXPECT_EQ(mouse.GetActiveDpiStage(), 2);
}

TEST_F(Profiledata, MouseReportRateIsZeroWithoutReportStagesAndCorrectionsAreRead) {
    WriteText(Path("m.Json"), R"({"Device":[{"SystemStages":{"DoubleClickTime":5,"MouseSpeed":6},
        "CorrectInfo":[{"CorrectPixThresh":4,"CorrectMinSq":2,"CorrectSelect":1,"CorrectName":"强"}]}]})");
    CMouseProfiledata mouse;
    mouse.LoadSection(Path("m.Json"));
    std::array<uint32_t, 3> words = mouse.GetSystemStages();
    EXPECT_EQ(words[0], (6u << 16) | 5u);
    EXPECT_EQ(words[2] >> 16, 0u);
    std::vector<CorrectionEntry> corrections = mouse.GetCorrectInfo();
    ASSERT_EQ(corrections.size(), 1u);
    EXPECT_EQ(corrections[0], (CorrectionEntry{4, 2, 1, "强"}));
}

TEST_F(Profiledata, HeadsetEqualiserFoldsTypesAndCreatesMissingBands) {
    CHs6533Profiledata headset;
    headset.SetProfilePath(Path("h.Json"));
    headset.LoadSection(Path("h.Json"));
    EXPECT_TRUE(headset.GetEqValues(kCustomEqType).empty());
    EXPECT_EQ(headset.GetEqValues(3), std::vector<int>(10, 0));
    std::vector<int> gains = {1, -2, 3, -4, 5, -6, 7, -8, 9, -10};
    headset.SetEqValues(0, gains);
    EXPECT_EQ(headset.GetEqValues(20), gains);  // 0 and 20 share entry 1
    EXPECT_EQ(headset.GetEqValues(1), gains);
    headset.SetEqValues(kCustomEqType, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    headset.SetCustomEqValues(2, gains);
    headset.SetCustomEqNames({"Mine", "我的"});
    HeadsetSystemSetStages stages{1, 2, 13, 2, 1, 80, 0, 50};
    headset.SetSystemSetStages(stages);
    CHs6533Profiledata copy = ReloadedCopy(headset);
    EXPECT_EQ(copy.GetSystemSetStages(), stages);
    EXPECT_EQ(copy.GetCustomEqValues(2), gains);
    EXPECT_EQ(copy.GetCustomEqNames(), (std::vector<std::string>{"Mine", "我的"}));
    Json::Value s = ReadDoc(Path("h.Json"))["Device"][0];
    EXPECT_EQ(s["EQHzValueInfo"][1][9]["value"].asInt(), -10);
    EXPECT_EQ(s["EQHzValueInfo"][3].size(), 10u);
    EXPECT_EQ(s["EQHzValueInfo"].size(), 4u);
    EXPECT_EQ(s["SystemSetStages"]["CustomEqSeletIndex"].asInt(), 2);
    EXPECT_EQ(s["SystemSetStages"]["MicMoniterValue"].asInt(), 50);
    EXPECT_TRUE(s["SystemSetStages"].isMember("MicMoniterSelect"));
}

TEST_F(Profiledata, SaveKeepsOtherSectionsAndTopLevelMembers) {
    WriteText(Path("p.Json"), R"({"profilename":"n","profileUUID":"u","Device":[{"a":1},{"b":2}]})");
    profile_.SetDeviceIndex(1);
    profile_.LoadSection(Path("p.Json"));
    profile_.SetLightInfo(LightInfoRecord{});
    ASSERT_EQ(profile_.Save(), 1);
    Json::Value root = ReadDoc(Path("p.Json"));
    EXPECT_EQ(root["profilename"].asString(), "n");
    EXPECT_EQ(root["Device"][0]["a"].asInt(), 1);
    EXPECT_EQ(root["Device"][1]["b"].asInt(), 2);
    EXPECT_TRUE(root["Device"][1].isMember("LightInfo"));
}

TEST_F(Profiledata, FailedSaveIsReportedAndTheOldFileStays) {
    profile_.LoadSection(Path("p.Json"));
    std::string before = ReadText(Path("p.Json"));
    WriteText(Path("plain"), "x");
    profile_.SetProfilePath(Path("plain/p.Json"));
    profile_.SetLightInfo(LightInfoRecord{});
    EXPECT_EQ(profile_.Save(), 0);
    profile_.SetProfilePath("/proc/zorv.Json");
    EXPECT_EQ(profile_.Save(), 0);
    EXPECT_EQ(ReadText(Path("p.Json")), before);
    int written = 1;
    profile_.LoadSection(Path("plain/q.Json"), &written);
    EXPECT_EQ(written, 0);
}

TEST_F(Profiledata, UserEffectFramesComeFromTheFileBesideTheLightConfiguration) {
    std::string folder = Root() + "family/";
    fs::create_directories(folder);
    WriteText(folder + "nuvex_light.config", R"({"LightInfo":[[{"LightName":"A","Guid":"g0"},
        {"LightName":"A2","Guid":"g1"}],[{"LightName":"B","Guid":"gB"}]]})");
    WriteText(folder + "g1.light", R"({"LEDEffectList":[{"LEDREGMode":260,"LEDDirection":1,
        "LEDBrightness":4,"LEDSpeed":2,"LEDMultiColor":1,"red":1,"green":2,"blue":3,"Time":1500,
        "Cyle":-2},{}]})");
    WriteText(folder + "gB.light", R"({"LEDEffectList":[{}, {}, {}]})");
    // A file of the same name in the current directory must not be the one used.
    fs::path cwd = fs::current_path();
    fs::current_path(Root());
    WriteText(Root() + "g1.light", R"({"LEDEffectList":[]})");
    profile_.LoadSection(Path("p.Json"));
    LightInfoRecord light;
    light.SelectItem = 1;
    profile_.SetLightInfo(light);
    profile_.GetLightInfo();
    profile_.SetLightConfigPath(folder + "nuvex_light.config");
    profile_.LoadLightConfig(profile_.GetLightConfigPath());
    std::vector<LedEffectFrame> frames = profile_.GetLedEffects();
    fs::current_path(cwd);
    ASSERT_EQ(frames.size(), 2u);
    LedEffectFrame first{4, 4, 2, 1, 1, 1, 2, 3, {}, 1500, -2};
    EXPECT_EQ(frames[0], first);
    EXPECT_EQ(frames[1], LedEffectFrame{});
    profile_.SetDeviceIndex(1);
    light.SelectItem = 0;
    profile_.SetLightInfo(light);
    EXPECT_EQ(profile_.GetLedEffects().size(), 3u);
}

TEST_F(Profiledata, EffectLookupRefusesGuidsThatLeaveTheFolder) {
    std::string folder = Root() + "family/";
    fs::create_directories(folder);
    WriteText(Root() + "outside.light", R"({"LEDEffectList":[{}]})");
    WriteText(folder + "nuvex_light.config", R"({"LightInfo":[[{"Guid":"../outside"}]]})");
    profile_.LoadSection(Path("p.Json"));
    profile_.SetLightInfo(LightInfoRecord{});
    profile_.LoadLightConfig(folder + "nuvex_light.config");
    EXPECT_TRUE(profile_.GetLedEffects().empty());
    profile_.LoadLightConfig(folder + "missing.config");
    EXPECT_TRUE(profile_.GetLedEffects().empty());
}

TEST_F(Profiledata, WrongTypedSectionsReadAsAbsentAndAreReplacedOnWrite) {
    WriteText(Path("p.Json"), R"({"Device":[{"LightInfo":5,"KeyList":{"x":1},"SystemStages":[1],
        "CustomLightMode":"c","AudioLightInfo":null,"LightList":"l"}]})");
    profile_.LoadSection(Path("p.Json"));
    EXPECT_EQ(profile_.GetLightInfo(), LightInfoRecord{});
    EXPECT_TRUE(profile_.GetKeyList().empty());
    EXPECT_TRUE(profile_.GetLightList().empty());
    EXPECT_EQ(profile_.GetSystemStages(), (std::array<uint32_t, 4>{}));
    EXPECT_EQ(profile_.GetCustomLightColors(0, 2).size(), 2u);
    KeyListEntry key;
    key.assignment = {0x20, 0, 4};
    profile_.SetKeyList({key});
    ASSERT_EQ(profile_.Save(), 1);
    EXPECT_EQ(ReadDoc(Path("p.Json"))["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x200004);
}
