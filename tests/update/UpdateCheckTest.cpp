// The update check's pieces: app keys, version texts, reading the service's answers, the
// installed version and the last-check file; one request against a real server.
#include <gtest/gtest.h>

#include <fstream>

#include "store/JsonFile.h"
#include "tests/update/UpdateServer.h"
#include "update/check/UpdateCheck.h"
#include "update/http/HttpClient.h"

using namespace updatetest;

namespace {

ProductInfoEntry Product(int32_t productClass, int32_t version, const char* model = "QT40R17B") {
    return ProductInfoEntry{productClass, 1, version, "NUVEX", model, "T3H7", "T3H7", "Zorv cloud V1.0"};
}

TEST(UpdateCheck, AppKeysAndVersionTexts) {
    EXPECT_EQ(MakeAppKey(Product(2, 0x0104)), "NUVEX_2_QT40R17B_T3H7_1");
    EXPECT_EQ(MakeAppKey(Product(0, 103, "ALL")), "NUVEX_0_ALL_T3H7_1");
    EXPECT_EQ(MakeAppKey(Product(2, 0)), "NULL");
    EXPECT_EQ(CurrentVersionText(0x0104, true), "V0104");
    EXPECT_EQ(CurrentVersionText(0x12345, true), "V12345");
    EXPECT_EQ(CurrentVersionText(103, false), "V103");
    EXPECT_EQ(UpdateRequestBody("NULL", 0, true), "app_key=NULL&version=0");
    EXPECT_EQ(UpdateRequestBody("K", 0x0104, true), "app_key=K&version=104");
    EXPECT_EQ(UpdateRequestBody("K", 103, false), "app_key=K&version=103");
}

TEST(UpdateCheck, PlaceholdersNameTheApplicationRowAP) {
    const UpdateResult app = PlaceholderResult(Product(0, 103, "all"));
    EXPECT_EQ(app.name, "AP");
    EXPECT_EQ(app.currentVersionText, "Zorv cloud V1.0");
    EXPECT_EQ(app.status, UpdateStatus::kCurrent);
    const UpdateResult keyboard = PlaceholderResult(Product(2, 0x0104));
    EXPECT_EQ(keyboard.name, "T3H7");
    EXPECT_EQ(keyboard.currentVersionText, "V0104");
    EXPECT_TRUE(keyboard.newVersionText.empty());
}

TEST(UpdateCheck, AnswersAreReadSafely) {
    const struct {
        const char* answer;
        int32_t current;
        bool hex;
        int status;
        const char* name;
        const char* newText;
    } cases[] = {
        {R"({"name":"T3H7","version":"0105","version_name":"1.05","path":"http://x/f.bin"})", 0x0104, true, 1, "T3H7", "V0105"},
        {R"({"name":"T3H7","version":"0104"})", 0x0104, true, 7, "T3H7", "V0104"},
        {R"({"name":"AP","version":"103","version_name":"1.0.3"})", 103, false, 7, "AP", "1.0.3"},
        {R"({"name":"AP","version":"104","version_name":"1.0.4"})", 103, false, 1, "AP", "1.0.4"},
        {R"(// comments are allowed
            {"name":"T3H7","version":"0105"})", 0x0104, true, 1, "T3H7", "V0105"},
        // a number where text was expected is read as its digits
        {R"({"name":"T3H7","version":105})", 0x0104, true, 1, "T3H7", "V105"},
        // not a number, an overflow, a negative or a fraction: no offer
        {R"({"name":"T3H7","version":"new"})", 0x0104, true, 7, "T3H7", "Vnew"},
        {R"({"name":"T3H7","version":"FFFFFFFFFF"})", 0x0104, true, 7, "T3H7", "VFFFFFFFFFF"},
        {R"({"name":"AP","version":"99999999999999999999","version_name":"x"})", 103, false, 7, "AP", "x"},
        {R"({"name":"T3H7","version":[1]})", 0x0104, true, 7, "T3H7", "V"},
        // missing or mistyped name: no answer
        {R"({"version":"0105"})", 0x0104, true, 1, "", "V0105"},
        {R"({"name":7,"version":"0105"})", 0x0104, true, 1, "", "V0105"},
        {"not json", 0x0104, true, 0, "", ""},
        {"[1,2]", 0x0104, true, 0, "", ""},
        {"", 0x0104, true, 0, "", ""},
    };
    for (const auto& c : cases) {
        const UpdateResult result = ParseUpdateAnswer(c.answer, c.current, c.hex);
        EXPECT_EQ(result.status, c.status) << c.answer;
        EXPECT_EQ(result.name, c.name) << c.answer;
        EXPECT_EQ(result.newVersionText, c.newText) << c.answer;
    }
    const UpdateResult full = ParseUpdateAnswer(cases[0].answer, 0x0104, true);
    EXPECT_EQ(full.downloadPath, "http://x/f.bin");
    EXPECT_EQ(full.versionName, "1.05");
    EXPECT_EQ(full.currentVersionText, "V0104");
    // Deep nesting and long texts do not get through.
    EXPECT_EQ(ParseUpdateAnswer(std::string(100000, '['), 1, true).status, 0);
    const UpdateResult longName = ParseUpdateAnswer("{\"name\":\"" + std::string(5000, 'n') + "\"}", 1, true);
    EXPECT_LE(longName.name.size(), 64u);
}

TEST(UpdateCheck, InstalledVersionFromTheRegistryElseTheBuild) {
    const auto dir = TestFolder("installed_version");
    const std::string registry = (dir / "registry.json").string();
    EXPECT_EQ(ReadInstalledVersionFrom(registry, "1.0.0"), 100);
    std::ofstream(registry) << R"({"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorv Wired Manager 1.0":)"
                               R"( {"DisplayVersion": "1.0.3"}})";
    EXPECT_EQ(ReadInstalledVersionFrom(registry, "1.0.0"), 103);
    std::ofstream(registry) << R"({"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zorv Wired Manager 1.0":)"
                               R"( {"DisplayVersion": 7}})";
    EXPECT_EQ(ReadInstalledVersionFrom(registry, "1.0.0"), 100);
    EXPECT_EQ(VersionTextToNumber("2.1.x"), 21);
    EXPECT_EQ(VersionTextToNumber("beta"), 0);
}

TEST(UpdateCheck, ServiceAddressComesFromTheEnvironment) {
    {
        ScopedEnv url(kUpdateServiceVariable, "http://127.0.0.1:8080/");
        EXPECT_EQ(UpdateRequestUrl(), "http://127.0.0.1:8080/api/updates");
    }
    ScopedEnv none(kUpdateServiceVariable, "");
    EXPECT_EQ(UpdateRequestUrl(), std::string(kDefaultUpdateServiceUrl) + "/api/updates");
}

TEST(UpdateCheck, LastCheckFile) {
    const auto dir = TestFolder("last_check");
    const std::string path = (dir / "user" / "updatetime.config").string();
    const std::string today = TodayDateText();
    EXPECT_EQ(ReadOrCreateLastCheckDate(path), today);
    EXPECT_EQ(ReadJsonValue(path)["updatelasttime"]["value"].asString(), today);

    std::ofstream(path) << R"({"updatelasttime": {"value": "2024-3-7"}, "Other": 5})";
    EXPECT_EQ(ReadOrCreateLastCheckDate(path), "2024-3-7");
    ASSERT_TRUE(WriteLastCheckDate(path, "2025-1-2"));
    const Json::Value written = ReadJsonValue(path);
    EXPECT_EQ(written["updatelasttime"]["value"].asString(), "2025-1-2");
    EXPECT_EQ(written["Other"].asInt(), 5);

    // A damaged file is kept aside, and today's date replaces it.
    std::ofstream(path, std::ios::trunc) << "{broken";
    EXPECT_EQ(ReadOrCreateLastCheckDate(path), today);
    EXPECT_TRUE(std::filesystem::exists(path + ".damaged"));
    std::ofstream(path, std::ios::trunc) << R"({"updatelasttime": {"value": 20240307}})";
    EXPECT_EQ(ReadOrCreateLastCheckDate(path), today);
}

TEST(UpdateCheck, RequestCarriesTheZeroByteAndReadsTheAnswer) {
    DirectToTestServices direct;
    const auto dir = TestFolder("request");
    Json::Value answers;
    answers["by_key"]["NUVEX_2_QT40R17B_T3H7_1"]["body"] = R"({"name":"T3H7","version":"0105"})";
    answers["default"]["status"] = 404;
    answers["default"]["body"] = "";
    UpdateServer server(dir, answers);
    ZORV_REQUIRE_UPDATE_SERVER(server);
    ScopedEnv url(kUpdateServiceVariable, server.Url());
    const UpdateResult offered = RequestUpdateInfo("NUVEX_2_QT40R17B_T3H7_1", 0x0104, 2);
    EXPECT_EQ(offered.status, UpdateStatus::kOffered);
    const UpdateResult empty = RequestUpdateInfo("NULL", 0, 2);
    EXPECT_EQ(empty.name, "");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].body, std::string("app_key=NUVEX_2_QT40R17B_T3H7_1&version=104\0", 44));
    EXPECT_EQ(requests[1].body, std::string("app_key=NULL&version=0\0", 23));

    ScopedEnv nowhere(kUpdateServiceVariable, "http://127.0.0.1:1");
    EXPECT_EQ(RequestUpdateInfo("NULL", 0, 2).name, "NO_LINK_SERVER");
}

}  // namespace
