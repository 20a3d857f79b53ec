#include <regex>
#include <set>

#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "store/DataFolders.h"
#include "store/JsonAccess.h"
#include "store/JsonFile.h"
#include "StoreTestSupport.h"

using namespace storetest;

class JsonFile : public StoreTest {};

TEST_F(JsonFile, WriteThenReadGivesTheSameDocumentInStyledForm) {
    Json::Value doc;
    doc["profilename"] = "名前 profile";
    doc["Device"][1]["KeyList"][0]["Assignment"] = 65540;
    std::string path = Path("doc.json");
    ASSERT_TRUE(WriteJsonValue(path, doc));
    EXPECT_EQ(ReadDoc(path), Parse(StyledJsonText(doc)));
    std::string text = ReadText(path);
    EXPECT_NE(text.find("\n   \"Device\" : [\n"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 2), "\n\n");
}

// A file a person edited may carry comments; rewriting it must not let one swallow a member.
TEST_F(JsonFile, ACommentAfterAValueDoesNotSwallowTheNextMemberOnRewrite) {
    const std::string path = Path("main.ini");
    WriteText(path, "{\n  \"a\" : \"x\", //////!//// \n  \"z\" : 1\n}\n");
    Json::Value doc = ReadJsonValue(path);
    ASSERT_TRUE(doc.isObject());
    doc["b"]["c"] = "1";
    ASSERT_TRUE(WriteJsonValue(path, doc));
    const Json::Value again = ReadJsonValue(path);
    EXPECT_EQ(again["b"]["c"], "1") << ReadText(path);
    EXPECT_EQ(again["a"], "x");
    EXPECT_EQ(again["z"], 1);
}

TEST_F(JsonFile, ReadReportsTheErrorCodeOnEveryCallAndThePathWhenEmpty) {
    DebugCapture capture;
    std::string missing = Path("missing.json");
    EXPECT_EQ(readjsonFile(missing), "");
    EXPECT_TRUE(ReadJsonValue(missing).isNull());
    EXPECT_EQ(capture.Count("readjsonFile 错误吗：：2\n"), 2u);
    EXPECT_TRUE(capture.Contains(missing));
    WriteText(Path("ok.json"), "{}");
    EXPECT_EQ(readjsonFile(Path("ok.json")), "{}");
    EXPECT_EQ(capture.Count("readjsonFile 错误吗：：0\n"), 1u);
}

TEST_F(JsonFile, BadContentReadsAsNullWithoutThrowing) {
    for (const BadContent& bad : BadContents()) {
        SCOPED_TRACE(bad.label);
        std::string path = Path("bad.json");
        WriteText(path, bad.bytes);
        Json::Value v;
        ASSERT_NO_THROW(v = ReadJsonValue(path));
        bool parsesAsOtherType = std::string(bad.label) == "array root" ||
                                 std::string(bad.label) == "number root" ||
                                 std::string(bad.label) == "wrong types";
        EXPECT_EQ(v.isNull(), !parsesAsOtherType);
    }
}

TEST_F(JsonFile, FailedWriteIsReportedAndLeavesTheOldFile) {
    std::string path = Path("keep.json");
    WriteText(path, "{\"a\":1}\n");
    WriteText(Path("plainfile"), "x");
    const std::string unwritable[] = {Path("plainfile/under.json"), "/proc/zorv-none.json",
                                      Path("no/such/folder/x.json")};
    for (const std::string& target : unwritable) EXPECT_FALSE(WriteJsonValue(target, Json::Value(1))) << target;
    // A target that is a folder cannot be replaced either.
    fs::create_directories(Path("folder.json"));
    EXPECT_FALSE(WriteJsonValue(Path("folder.json"), Json::Value(1)));
    EXPECT_EQ(ReadText(path), "{\"a\":1}\n");
}

TEST_F(JsonFile, TimestampNamesHaveTheFormatAndNeverRepeat) {
    std::regex format(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3})");
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        std::string name = MakeTimestampName();
        ASSERT_TRUE(std::regex_match(name, format)) << name;
        ASSERT_TRUE(seen.insert(name).second) << "repeated " << name;
        ASSERT_TRUE(IsSafeFileStem(name));
    }
}

TEST_F(JsonFile, SplitIndexedNameTakesTheNumberAfterTheLastUnderscore) {
    struct Case {
        const char* name;
        bool ok;
        const char* prefix;
        int number;
    } cases[] = {
        {"key_12", true, "key_", 12},          {"color_option_3", true, "color_option_", 3},
        {"DPI_slider_0", true, "DPI_slider_", 0}, {"light_169", true, "light_", 169},
        {"nounderscore", false, "", 0},          {"key_", false, "", 0},
        {"key_1a", false, "", 0},                {"key_-1", false, "", 0},
        {"key_99999999999", false, "", 0},
    };
    for (const Case& c : cases) {
        std::string prefix = "unchanged";
        int number = -7;
        EXPECT_EQ(SplitIndexedName(c.name, prefix, number), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(prefix, c.prefix);
            EXPECT_EQ(number, c.number);
        }
    }
}

TEST_F(JsonFile, UnsafeFileStemsAreRefused) {
    for (const char* bad : {"", "..", "../x", "a/b", "a b", "x.json", "\xE4\xB8\xAD"})
        EXPECT_FALSE(IsSafeFileStem(bad)) << bad;
    for (const char* good : {"2024_03_05_14_07_09_042", "{ABC-123}", "macro_1"})
        EXPECT_TRUE(IsSafeFileStem(good)) << good;
}

TEST_F(JsonFile, DamagedFilesAreKeptAsideWithoutOverwritingEarlierOnes) {
    std::string path = Path("p.Json");
    WriteText(path, "first damage");
    ASSERT_TRUE(KeepDamagedFile(path));
    WriteText(path, "second damage");
    ASSERT_TRUE(KeepDamagedFile(path));
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(ReadText(path + ".damaged"), "first damage");
    EXPECT_EQ(ReadText(path + ".damaged.2"), "second damage");
    EXPECT_TRUE(KeepDamagedFile(Path("absent")));
}

TEST(JsonAccessConversions, NumbersTextAndWrongTypes) {
    struct Case {
        const char* json;
        int32_t asInt;
        bool asBool;
        int32_t decimalOrNumber;
    } cases[] = {
        {"7", 7, true, 7},
        {"300", 300, true, 300},
        {"-1", -1, true, -1},
        {"4294967297", 1, true, 1},
        {"2.9", 2, true, 2},
        {"true", 1, true, 1},
        {"\"120\"", 0, false, 120},
        {"\" 42abc\"", 0, false, 42},
        {"\"abc\"", 0, false, 0},
        {"\"99999999999\"", 0, false, 2147483647},
        {"null", 0, false, 0},
        {"[1]", 0, false, 0},
        {"{}", 0, false, 0},
        {"1e300", 0, true, 0},
    };
    for (const Case& c : cases) {
        Json::Value v = ParseJsonText(std::string("[") + c.json + "]")[0];
        EXPECT_EQ(ToInt32(v), c.asInt) << c.json;
        EXPECT_EQ(ToBool(v), c.asBool) << c.json;
        EXPECT_EQ(NumberOrDecimalText(v), c.decimalOrNumber) << c.json;
    }
    EXPECT_TRUE(MemberOf(Json::Value(5), "x").isNull());
    EXPECT_TRUE(ElementOf(Json::Value("s"), 0).isNull());
    EXPECT_TRUE(ElementOf(ParseJsonText("[1]"), 1).isNull());
    EXPECT_TRUE(ElementOf(ParseJsonText("[1]"), -1).isNull());
}

TEST_F(JsonFile, UserDataFoldersHangBelowTheDataHomeAndAreCreated) {
    std::string folder = UserDataFolder("keyboard");
    EXPECT_EQ(folder, Root() + "data/Zorv Wired Manager 1.0/keyboard/");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(DefaultProfilePath("mouse"), DefaultDataFolder() + "mouse.Json");
    EXPECT_EQ(DefaultDataFolder(), ProgramFolder() + "DefaultData/");
}
