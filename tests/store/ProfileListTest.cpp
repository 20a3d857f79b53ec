#include <set>

#include "platform/Folders.h"
#include "store/ProfileList.h"
#include "StoreTestSupport.h"

using namespace storetest;

class ProfileList : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        folder_ = Root() + "keyboard/";
        fs::create_directories(folder_);
        defaultPath_ = Path("keyboard.Json");
        WriteText(defaultPath_, R"({"Device":[{"LightInfo":{"SelectItem":4}}]})");
        list_.SetFolders(folder_, defaultPath_);
        list_.SetMessageBox([this](const std::string& key, int buttons) {
            messages_.push_back(key);
            return buttons == 1 ? answer_ : 0;
        });
    }
    Json::Value ListDoc() const { return ReadDoc(folder_ + "ProfileList.ini"); }
    Json::Value ProfileDoc(int index) const {
        return ReadDoc(folder_ + ListDoc()["profilelist"][index]["profileUUID"].asString() + ".Json");
    }
    // A list file with the given names, each with its own profile file.
    void WriteList(const std::vector<std::string>& names, int select = 0) {
        Json::Value doc;
        for (size_t i = 0; i < names.size(); ++i) {
            std::string uuid = "uuid_" + std::to_string(i);
            doc["profilelist"][static_cast<int>(i)]["profilename"] = names[i];
            doc["profilelist"][static_cast<int>(i)]["profileUUID"] = uuid;
            Json::Value profile;
            profile["profilename"] = names[i];
            profile["profileUUID"] = uuid;
            profile["Device"][0]["LightInfo"]["SelectItem"] = static_cast<int>(i);
            ASSERT_TRUE(WriteJsonValue(folder_ + uuid + ".Json", profile));
        }
        doc["profileselect"] = select;
        ASSERT_TRUE(WriteJsonValue(folder_ + "ProfileList.ini", doc));
    }
    void Init(const std::vector<std::string>& names, int select = 0) {
        WriteList(names, select);
        ASSERT_EQ(list_.InitProfileList(), kProfileDone);
    }

    std::string folder_;
    std::string defaultPath_;
    FakeListView view_;
    CProfileList list_{view_};
    std::vector<std::string> messages_;
    int answer_ = 1;
};

TEST_F(ProfileList, FirstStartMakesProfile1FromTheDefaults) {
    ASSERT_EQ(list_.InitProfileList(), kProfileDone);
    EXPECT_EQ(view_.Texts(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(view_.selected, 0);
    EXPECT_EQ(view_.shownName, "profile1");
    Json::Value doc = ListDoc();
    EXPECT_EQ(doc["profileselect"].asInt(), 0);
    EXPECT_EQ(doc["profilelist"][0]["profileislink"].asInt(), 0);
    EXPECT_EQ(doc["profilelist"][0]["profilelinkmame"].asString(), "");
    EXPECT_EQ(list_.GetCurrentUuid(), doc["profilelist"][0]["profileUUID"].asString());
    Json::Value profile = ProfileDoc(0);
    EXPECT_EQ(profile["profilename"].asString(), "profile1");
    EXPECT_EQ(profile["profileUUID"].asString(), list_.GetCurrentUuid());
    EXPECT_EQ(profile["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);
}

TEST_F(ProfileList, StoredSelectionIsUsedAndAnOutOfRangeOneFallsBackToTheFirst) {
    Init({"a", "b", "c"}, 2);
    EXPECT_EQ(view_.selected, 2);
    EXPECT_EQ(list_.GetCurrentUuid(), "uuid_2");
    FakeListView other;
    CProfileList second(other);
    second.SetFolders(folder_, defaultPath_);
    WriteList({"a", "b", "c"}, 7);
    ASSERT_EQ(second.InitProfileList(), kProfileDone);
    EXPECT_EQ(other.selected, 0);
    EXPECT_EQ(ListDoc()["profilelist"].size(), 3u);
}

TEST_F(ProfileList, DamagedListIsKeptAsideAndANewOneStarted) {
    WriteText(folder_ + "ProfileList.ini", "{\"profilelist\":[{\"profilename\":");
    ASSERT_EQ(list_.InitProfileList(), kProfileDone);
    EXPECT_EQ(view_.Texts(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(ReadText(folder_ + "ProfileList.ini.damaged"), "{\"profilelist\":[{\"profilename\":");
}

TEST_F(ProfileList, EntriesThatNameNoSafeFileAreDropped) {
    WriteText(folder_ + "ProfileList.ini", R"({"profilelist":[{"profilename":"ok","profileUUID":"u1"},
        {"profilename":"evil","profileUUID":"../../x"},7,{"profilename":"dup","profileUUID":"u1"}],
        "profileselect":0})");
    ASSERT_EQ(list_.InitProfileList(), kProfileDone);
    EXPECT_EQ(view_.Texts(), std::vector<std::string>{"ok"});
    EXPECT_TRUE(FileExists(folder_ + "ProfileList.ini.damaged"));
    EXPECT_EQ(ListDoc()["profilelist"].size(), 1u);
}

TEST_F(ProfileList, AddNamesWithTheLowestFreeNumberWithoutRegardToCase) {
    struct Case {
        std::vector<std::string> existing;
        std::string added;
    } cases[] = {{{"profile1", "Profile3"}, "profile2"}, {{"profile1", "PROFILE2"}, "profile3"}};
    for (const Case& c : cases) {
        FakeListView view;
        CProfileList list(view);
        list.SetFolders(folder_, defaultPath_);
        WriteList(c.existing);
        ASSERT_EQ(list.InitProfileList(), kProfileDone);
        ASSERT_EQ(list.AddProfile(), kProfileDone);
        EXPECT_EQ(view.Texts().back(), c.added);
        EXPECT_EQ(view.selected, 0);
        Json::Value doc = ListDoc();
        EXPECT_EQ(doc["profileselect"].asInt(), static_cast<int>(c.existing.size()));
        EXPECT_EQ(ProfileDoc(static_cast<int>(c.existing.size()))["profilename"].asString(), c.added);
    }
}

TEST_F(ProfileList, AddStopsAtFiftyWhileCopyAndImportGoOn) {
    ASSERT_EQ(list_.InitProfileList(), kProfileDone);
    for (int i = 1; i < kMaxAddedProfiles; ++i) ASSERT_EQ(list_.AddProfile(), kProfileDone) << i;
    EXPECT_EQ(view_.Count(), 50);
    EXPECT_EQ(list_.AddProfile(), kProfileRefused);
    EXPECT_EQ(view_.Count(), 50);
    ASSERT_EQ(list_.CopyProfile(), kProfileDone);
    EXPECT_EQ(view_.Count(), 51);
    EXPECT_EQ(ListDoc()["profilelist"].size(), 51u);
    std::set<std::string> uuids;
    Json::Value doc = ListDoc();
    for (const Json::Value& e : doc["profilelist"]) uuids.insert(e["profileUUID"].asString());
    EXPECT_EQ(uuids.size(), 51u);
}

TEST_F(ProfileList, DeleteKeepsTheLastProfileAndRemovesTheFile) {
    Init({"a", "b", "c"});
    view_.selected = 0;
    ASSERT_EQ(list_.DeleteProfile(), kProfileDone);
    EXPECT_EQ(view_.Texts(), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(ListDoc()["profileselect"].asInt(), 0);
    EXPECT_FALSE(FileExists(folder_ + "uuid_0.Json"));
    view_.selected = 1;
    ASSERT_EQ(list_.DeleteProfile(), kProfileDone);
    EXPECT_EQ(ListDoc()["profileselect"].asInt(), 0);
    view_.selected = 0;
    EXPECT_EQ(list_.DeleteProfile(), kProfileRefused);
    EXPECT_EQ(view_.Texts(), std::vector<std::string>{"b"});
    EXPECT_TRUE(FileExists(folder_ + "uuid_1.Json"));
    view_.selected = -1;
    EXPECT_EQ(list_.DeleteProfile(), kProfileRefused);
}

TEST_F(ProfileList, CopyAppendsCopyUntilTheNameIsFree) {
    Init({"A", "a copy"});
    view_.selected = 0;
    ASSERT_EQ(list_.CopyProfile(), kProfileDone);
    EXPECT_EQ(view_.Texts().back(), "A copy copy");
    Json::Value copy = ProfileDoc(2);
    EXPECT_EQ(copy["profilename"].asString(), "A copy copy");
    EXPECT_EQ(copy["Device"][0]["LightInfo"]["SelectItem"].asInt(), 0);
    EXPECT_NE(copy["profileUUID"].asString(), "uuid_0");
    EXPECT_EQ(ListDoc()["profileselect"].asInt(), 0);
}

TEST_F(ProfileList, RenameResultsAndTheFilesItChanges) {
    Init({"first", "second"});
    view_.selected = 0;
    struct Case {
        std::string name;
        int result;
        std::string shown;
    } cases[] = {
        {"   ", kRenameBlank, "first"},
        {"SECOND", kRenameTaken, "first"},
        {"FIRST", kProfileDone, "FIRST"},
        {" spaced ", kProfileDone, " spaced "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list_.RenameProfile(c.name), c.result) << c.name;
        EXPECT_EQ(view_.ItemText(0), c.shown);
        EXPECT_EQ(ListDoc()["profilelist"][0]["profilename"].asString(), c.shown);
        EXPECT_EQ(ProfileDoc(0)["profilename"].asString(), c.shown);
    }
    EXPECT_EQ(view_.ItemData(0), " spaced ");
    EXPECT_EQ(view_.shownName, " spaced ");
}

TEST_F(ProfileList, RenameFromTheEditShowsTheMessagesOfItsRefusals) {
    Init({"first", "second"});
    view_.selected = 0;
    EXPECT_EQ(list_.RenameFromEdit(""), kRenameNotDone);
    EXPECT_EQ(list_.RenameFromEdit("Second"), kRenameTaken);
    EXPECT_EQ(list_.RenameFromEdit("  "), kRenameBlank);
    EXPECT_EQ(list_.RenameFromEdit("third"), kProfileDone);
    EXPECT_EQ(messages_, (std::vector<std::string>{"message_text_5", "message_text_25"}));
}

TEST_F(ProfileList, ExportThenImportGivesAnEqualProfileUnderANewIdentifier) {
    Init({"Game", "other"});
    ASSERT_EQ(list_.ExportProfile(0, Path("Game.json")), kProfileDone);
    EXPECT_EQ(ReadDoc(Path("Game.json")), ProfileDoc(0));
    ASSERT_EQ(list_.ImportExportedProfile(Path("Game.json")), kProfileDone);
    ASSERT_EQ(list_.ImportExportedProfile(Path("Game.json")), kProfileDone);
    EXPECT_EQ(view_.Texts(), (std::vector<std::string>{"Game", "other", "Game(1)", "Game(1)(2)"}));
    Json::Value original = ProfileDoc(0);
    Json::Value imported = ProfileDoc(2);
    EXPECT_NE(imported["profileUUID"], original["profileUUID"]);
    EXPECT_EQ(imported["profileUUID"], ListDoc()["profilelist"][2]["profileUUID"]);
    EXPECT_EQ(imported["Device"], original["Device"]);
    EXPECT_EQ(ListDoc()["profileselect"].asInt(), 0);
}

TEST_F(ProfileList, ImportRefusesFilesThatAreNotExportedProfiles) {
    Init({"a"});
    const std::pair<const char*, const char*> files[] = {
        {"noid.json", R"({"profilename":"x","Device":[]})"},
        {"array.json", "[1,2]"},
        {"broken.json", "{\"profilename\":"},
        {"empty.json", ""},
    };
    for (const auto& [name, text] : files) {
        WriteText(Path(name), text);
        EXPECT_EQ(list_.ImportExportedProfile(Path(name)), kProfileRefused) << name;
    }
    EXPECT_EQ(list_.ImportExportedProfile(Path("missing.json")), kProfileRefused);
    EXPECT_EQ(list_.ImportProfile(Path("array.json")), kProfileRefused);
    EXPECT_EQ(view_.Count(), 1);
    EXPECT_EQ(ListDoc()["profilelist"].size(), 1u);
}

TEST_F(ProfileList, ResetRestoresDefaultsButKeepsHeadsetPresets) {
    Init({"h"});
    Json::Value profile = ProfileDoc(0);
    profile["Device"][0]["CustomEQNameInfo"][0]["Name"] = "mine";
    profile["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 5;
    ASSERT_TRUE(WriteJsonValue(folder_ + "uuid_0.Json", profile));
    view_.selected = 0;
    list_.SetDeviceCategory(kCategoryHeadset);
    answer_ = 0;
    EXPECT_EQ(list_.ResetWithConfirmation(), kProfileRefused);
    EXPECT_EQ(ProfileDoc(0), profile);
    answer_ = 1;
    ASSERT_EQ(list_.ResetWithConfirmation(), kProfileDone);
    EXPECT_EQ(messages_, (std::vector<std::string>{"message_text_22", "message_text_22"}));
    Json::Value reset = ProfileDoc(0);
    EXPECT_EQ(reset["profilename"].asString(), "h");
    EXPECT_EQ(reset["profileUUID"].asString(), "uuid_0");
    EXPECT_EQ(reset["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);
    EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"], profile["Device"][0]["CustomEQNameInfo"]);
    EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"], profile["Device"][0]["CustomEQHzValueInfo"]);
}

TEST_F(ProfileList, ResetWithoutDefaultsKeepsTheProfile) {
    Init({"a"});
    view_.selected = 0;
    Json::Value before = ProfileDoc(0);
    list_.SetFolders(folder_, Path("no-defaults.Json"));
    EXPECT_EQ(list_.ResetProfile(), kProfileRefused);
    EXPECT_EQ(ProfileDoc(0), before);
}

TEST_F(ProfileList, FailedWritesChangeNothing) {
    Init({"a", "b"});
    view_.selected = 1;
    Json::Value before = ListDoc();
    // The folder becomes a plain file's child: every write fails.
    CProfileList broken(view_);
    WriteText(Path("plain"), "x");
    broken.SetFolders(Path("plain") + "/", defaultPath_);
    EXPECT_EQ(broken.AddProfile(), kProfileWriteFailed);
    EXPECT_EQ(broken.CopyProfile(), kProfileWriteFailed);
    EXPECT_EQ(broken.DeleteProfile(), kProfileWriteFailed);
    EXPECT_EQ(broken.RenameProfile("new"), kProfileWriteFailed);
    EXPECT_EQ(view_.Texts(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(ListDoc(), before);
}

TEST_F(ProfileList, SelectStoresTheIndexAndNotifiesOnRequest) {
    Init({"a", "b"});
    ASSERT_EQ(list_.SelectProfile(1, true), kProfileDone);
    EXPECT_EQ(view_.notifications, 1);
    EXPECT_EQ(view_.shownName, "b");
    EXPECT_EQ(list_.GetCurrentUuid(), "uuid_1");
    EXPECT_EQ(ListDoc()["profileselect"].asInt(), 1);
}
