#include "platform/Folders.h"
#include "store/MacroLibrary.h"
#include "StoreTestSupport.h"

using namespace storetest;

TEST(MacroEventRecordTest, EventsBecomeTheirFourDeviceBytes) {
    struct Case {
        const char* event;
        std::array<uint8_t, 4> bytes;
    } cases[] = {
        {R"({"Action":"down","Button":4,"Delay":"120","Type":10})", {0x78, 0x00, 0x8A, 0x04}},
        {R"({"Action":"up","Button":4,"Delay":"0","Type":10})", {0x00, 0x00, 0x0A, 0x04}},
        {R"({"Action":"up","Button":16,"Delay":"300","Type":1})", {0x2C, 0x01, 0x01, 0x10}},
        {R"({"Action":"down","Button":1,"Delay":10,"Type":1})", {0x0A, 0x00, 0x81, 0x01}},
        {R"({"Action":"up","Button":12,"Delay":95,"Type":5})", {0x5F, 0x00, 0x05, 0x0C}},
        {R"({"Action":"down","Button":20,"Type":4})", {0x00, 0x00, 0x84, 0x14}},
        {R"({"Action":"down","Button":1,"Delay":"65535","Type":9})", {0xFF, 0xFF, 0x89, 0x01}},
        // Longer delays wait the longest a device can, not their low 16 bits.
        {R"({"Action":"down","Button":1,"Delay":"70000","Type":9})", {0xFF, 0xFF, 0x89, 0x01}},
        {R"({"Action":"up","Button":1,"Delay":65536,"Type":9})", {0xFF, 0xFF, 0x09, 0x01}},
        {R"({"Action":"up","Button":1,"Delay":"-5","Type":9})", {0x00, 0x00, 0x09, 0x01}},
        {R"({"Action":"up","Button":300,"Delay":"12ms","Type":200})", {0x0C, 0x00, 0x48, 0x2C}},
        {R"({"Action":"DOWN","Button":1,"Delay":"abc","Type":1})", {0x00, 0x00, 0x01, 0x01}},
        {R"({"Button":"x","Delay":[1],"Type":"y"})", {0, 0, 0, 0}},
        {"null", {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Json::Value event = ParseJsonText(std::string("[") + c.event + "]")[0];
        EXPECT_EQ(EventToRecord(event).bytes, c.bytes) << c.event;
    }
    MacroEvent e{"down", kMacroTypeKey, 4, "120"};
    EXPECT_EQ(EventToRecord(e).bytes, (std::array<uint8_t, 4>{0x78, 0x00, 0x8A, 0x04}));
    EXPECT_EQ(MacroEvent::FromJson(e.ToJson()), e);
    EXPECT_EQ(MacroEvent::FromJson(ParseJsonText(R"({"Delay":70000})")).Delay, "65535");
}

class MacroLibrary : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        folder_ = Root() + "keyboard/";
        fs::create_directories(folder_);
        library_.SetMacroFolder(folder_);
    }
    Json::Value Config() const { return ReadDoc(folder_ + "macro.config"); }
    void WriteLibrary(const std::vector<std::string>& names) {
        Json::Value doc;
        for (size_t i = 0; i < names.size(); ++i) {
            doc["MacroInfo"][static_cast<int>(i)]["MacroName"] = names[i];
            doc["MacroInfo"][static_cast<int>(i)]["Guid"] = "g" + std::to_string(i);
            WriteText(folder_ + "g" + std::to_string(i) + ".mac",
                      R"({"MacroName":"x","Guid":"g","Events":[{"Action":"down","Button":4,"Delay":"1","Type":10}],"Version":64})");
        }
        ASSERT_TRUE(WriteJsonValue(folder_ + "macro.config", doc));
        library_.LoadMacroList();
    }
    std::string folder_;
    FakeListView view_;
    CMacroLibrary library_{view_};
};

TEST_F(MacroLibrary, LoadListsNamesAndGuidsInLibraryOrder) {
    WriteLibrary({"one", "two"});
    EXPECT_EQ(view_.Texts(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(view_.ItemData(1), "g1");
    EXPECT_EQ(library_.GetMacroNames(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(library_.GetSelectedMacro(), -1);
}

TEST_F(MacroLibrary, AReloadListsEachNameOnce) {
    WriteLibrary({"one", "two"});
    view_.items.clear();  // as the panel empties its list control before a reload
    library_.LoadMacroList();
    EXPECT_EQ(view_.Texts(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(library_.GetMacroNames(), (std::vector<std::string>{"one", "two"}));
}

TEST_F(MacroLibrary, AddTakesTheLowestFreeNameAndSelectsTheNewMacro) {
    WriteLibrary({"macro_1", "Macro_3"});
    EXPECT_EQ(library_.AddMacro(), "macro_2");
    EXPECT_EQ(view_.selected, 2);
    EXPECT_EQ(view_.notifications, 1);
    Json::Value config = Config();
    ASSERT_EQ(config["MacroInfo"].size(), 3u);
    EXPECT_EQ(config["MacroInfo"][2]["MacroName"].asString(), "macro_2");
    EXPECT_EQ(config["MacroInfo"][2]["Guid"].asString(), view_.ItemData(2));
    EXPECT_FALSE(FileExists(folder_ + view_.ItemData(2) + ".mac"));
}

TEST_F(MacroLibrary, AddAndImportStopAtFifty) {
    for (int i = 0; i < kMaxMacros; ++i) ASSERT_FALSE(library_.AddMacro().empty()) << i;
    EXPECT_EQ(library_.AddMacro(), "");
    WriteText(Path("in.mac"), R"({"Events":[]})");
    EXPECT_EQ(library_.ImportMacro(Path("in.mac")), "");
    EXPECT_EQ(Config()["MacroInfo"].size(), 50u);
    EXPECT_EQ(FilesStartingWith(folder_, "").size(), 1u);  // only macro.config
}

TEST_F(MacroLibrary, DeleteRemovesTheFileAndTheEntry) {
    WriteLibrary({"a", "b", "c"});
    view_.selected = 0;
    EXPECT_EQ(library_.DeleteMacro(), 0);
    EXPECT_FALSE(FileExists(folder_ + "g0.mac"));
    EXPECT_EQ(Config()["MacroInfo"][0]["Guid"].asString(), "g1");
    EXPECT_EQ(view_.Texts(), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(view_.selected, 0);
    EXPECT_EQ(library_.GetMacroNames(), (std::vector<std::string>{"b", "c"}));
    view_.selected = -1;
    EXPECT_EQ(library_.DeleteMacro(), -1);
}

TEST_F(MacroLibrary, RenameRefusesDuplicatesIncludingTheSelectedMacro) {
    WriteLibrary({"macro_1", "other"});
    view_.selected = 0;
    struct Case {
        std::string name;
        std::string resultName;
        int index;
    } cases[] = {{"MACRO_1", "", 0}, {"Other", "", 0}, {"  ", "IsEmpty", -1}, {"fresh", "fresh", 0}};
    for (const Case& c : cases) {
        RenameMacroResult r = library_.RenameMacro(c.name);
        EXPECT_EQ(r.name, c.resultName) << c.name;
        EXPECT_EQ(r.index, c.index) << c.name;
        EXPECT_FALSE(r.writeFailed);
    }
    EXPECT_EQ(Config()["MacroInfo"][0]["MacroName"].asString(), "fresh");
    view_.selected = -1;
    EXPECT_EQ(library_.RenameMacro("x").index, -1);
}

TEST_F(MacroLibrary, SaveWritesTheRowsAndLoadReadsThemBack) {
    WriteLibrary({"m"});
    view_.selected = 0;
    Json::Value extra = ParseJsonText(R"({"Action":"down","Button":4,"Delay":"1","Type":10,"Note":"kept"})");
    std::vector<MacroRow> rows = {
        {"120", StyledJsonText(extra)},
        {"", MacroEvent{"up", 10, 4, "0"}.ToJson().toStyledString()},
        {"70000", MacroEvent{"down", 1, 1, "0"}.ToJson().toStyledString()},
    };
    ASSERT_EQ(library_.SaveMacro(rows), 1);
    EXPECT_EQ(rows[1].delayText, "0");
    EXPECT_EQ(rows[2].delayText, "65535");
    Json::Value file = ReadDoc(folder_ + "g0.mac");
    EXPECT_EQ(file["MacroName"].asString(), "m");
    EXPECT_EQ(file["Guid"].asString(), "g0");
    EXPECT_EQ(file["Version"].asInt(), 64);
    ASSERT_EQ(file["Events"].size(), 3u);
    EXPECT_EQ(file["Events"][0]["Delay"].asString(), "120");
    EXPECT_EQ(file["Events"][0]["Note"].asString(), "kept");
    EXPECT_EQ(file["Events"][2]["Delay"].asString(), "65535");
    std::vector<MacroRow> back = library_.LoadMacroFile(folder_ + "g0.mac");
    ASSERT_EQ(back.size(), 3u);
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].delayText, rows[i].delayText);
        EXPECT_EQ(ParseJsonText(back[i].eventJson), ParseJsonText(rows[i].eventJson));
    }
    std::vector<MacroEventRecord> records = ReadEventRecords(folder_ + "g0.mac");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].bytes, (std::array<uint8_t, 4>{0x78, 0, 0x8A, 4}));
}

TEST_F(MacroLibrary, DamagedFilesReadAsEmptyAndTheLibraryIsKeptAsideOnTheNextAdd) {
    for (const BadContent& bad : BadContents()) {
        SCOPED_TRACE(bad.label);
        WriteText(Path("bad.mac"), bad.bytes);
        EXPECT_TRUE(library_.LoadMacroFile(Path("bad.mac")).empty());
        EXPECT_TRUE(ReadEventRecords(Path("bad.mac")).empty());
        EXPECT_TRUE(ReadMacroLibrary(Path("bad.mac")).empty());
    }
    WriteText(folder_ + "macro.config", "{\"MacroInfo\":[{\"MacroName\":");
    library_.LoadMacroList();
    EXPECT_EQ(view_.Count(), 0);
    EXPECT_EQ(library_.AddMacro(), "macro_1");
    EXPECT_EQ(ReadText(folder_ + "macro.config.damaged"), "{\"MacroInfo\":[{\"MacroName\":");
    EXPECT_EQ(Config()["MacroInfo"].size(), 1u);
}

TEST_F(MacroLibrary, ImportCopiesTheFileUnchangedAndExportCopiesItOut) {
    const std::string text = R"({"MacroName":"theirs","Guid":"x","Events":[{"Action":"up","Button":5,"Delay":"7","Type":10}]})";
    WriteText(Path("in.mac"), text);
    EXPECT_EQ(library_.ImportMacro(""), "");
    EXPECT_EQ(library_.ImportMacro(Path("missing.mac")), "");
    WriteText(Path("junk.mac"), "junk");
    EXPECT_EQ(library_.ImportMacro(Path("junk.mac")), "");
    std::string name = library_.ImportMacro(Path("in.mac"));
    EXPECT_EQ(name, "macro_1");
    int sel = library_.GetSelectedMacro();
    ASSERT_EQ(sel, 0);
    EXPECT_EQ(ReadText(library_.MacroFilePath(sel)), text);
    EXPECT_EQ(library_.LoadMacroFile(library_.MacroFilePath(sel)).size(), 1u);
    ASSERT_EQ(library_.ExportMacro(Path("out.mac")), 1);
    EXPECT_EQ(ReadText(Path("out.mac")), text);
    EXPECT_EQ(library_.ExportMacro(Path("plain-missing/x/out.mac")), -1);
}

TEST_F(MacroLibrary, GuidsThatLeaveTheFolderAreNeverUsedAsFileNames) {
    WriteText(Path("victim.mac"), "keep me");
    WriteText(folder_ + "macro.config", R"({"MacroInfo":[{"MacroName":"evil","Guid":"../victim"}]})");
    library_.LoadMacroList();
    view_.selected = 0;
    EXPECT_EQ(library_.MacroFilePath(0), "");
    std::vector<MacroRow> rows;
    EXPECT_EQ(library_.SaveMacro(rows), 0);
    EXPECT_EQ(library_.DeleteMacro(), 0);
    EXPECT_EQ(ReadText(Path("victim.mac")), "keep me");
}
