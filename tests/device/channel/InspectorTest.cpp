// The HID inspector (tools/zorv-hid) against the in-process fake record.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "ChannelCommands.h"
#include "DescriptorReport.h"
#include "FakeHid.h"
#include "FakeHidDescriptor.h"
#include "HexText.h"
#include "InterfaceListing.h"
#include "device/hid/ReportDescriptor.h"
#include "device/registry/ModelRegistry.h"
#include "platform/Folders.h"
#include "tests/support/ChildProcess.h"

namespace {

bool AnyContains(const std::vector<std::string>& lines, const std::string& fragment) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
}

const ListedInterface* Find(const std::vector<ListedInterface>& listing, const std::string& path) {
    for (const ListedInterface& item : listing)
        if (item.path == path) return &item;
    return nullptr;
}

}  // namespace

TEST(InspectorHex, AcceptsSpacesPrefixesAndRunsOfDigits) {
    struct Case {
        const char* text;
        bool ok;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"04 00 00 01", true, {0x04, 0x00, 0x00, 0x01}},
        {"04000001", true, {0x04, 0x00, 0x00, 0x01}},
        {"0x04,0x1c  ff\n4", true, {0x04, 0x1C, 0xFF, 0x04}},
        {"  ", true, {}},
        {"04 0g", false, {}},
        {"04001", false, {}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_EQ(ParseHexBytes(c.text, bytes, error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        } else {
            EXPECT_FALSE(error.empty()) << c.text;
        }
    }
    EXPECT_TRUE(LooksLikeHexText({'0', '5', ' ', '0', 'x', '1', '\n'}));
    EXPECT_FALSE(LooksLikeHexText({0x05, 0x01, 0x09, 0x06}));
}

TEST(InspectorDecode, ReportsEveryCollectionWithLengthsAndCaps) {
    const Json::Value root = DescriptorToJson(ParseReportDescriptor(KeyboardInterfaceDescriptor()));
    const Json::Value& collections = root["collections"];
    ASSERT_EQ(collections.size(), 4u);
    const Json::Value& command = collections[3];
    EXPECT_EQ(command["usage_page"].asUInt(), 0xFF1Cu);
    EXPECT_EQ(command["usage"].asUInt(), 0x92u);
    EXPECT_EQ(command["input_report_byte_length"].asUInt(), 64u);
    EXPECT_EQ(command["output_report_byte_length"].asUInt(), 64u);
    EXPECT_EQ(command["feature_report_byte_length"].asUInt(), 0u);
    EXPECT_EQ(command["input_value_caps"].asUInt(), 1u);
    EXPECT_EQ(command["output_value_caps"].asUInt(), 1u);
    EXPECT_EQ(command["input_button_caps"].asUInt(), 0u);
    ASSERT_EQ(command["caps"].size(), 2u);
    const Json::Value& output = command["caps"][1];
    EXPECT_EQ(output["kind"].asString(), "output");
    EXPECT_FALSE(output["button"].asBool());
    EXPECT_EQ(output["report_id"].asUInt(), 4u);
    EXPECT_EQ(output["usage_min"].asUInt(), 2u);

    const Json::Value& consumer = collections[2];
    EXPECT_EQ(consumer["usage_page"].asUInt(), 0x0Cu);
    EXPECT_EQ(consumer["input_button_caps"].asUInt(), 1u);
    EXPECT_EQ(consumer["caps"][0]["usage_max"].asUInt(), 0x1FFFu);

    const std::string text = DescriptorToText(ParseReportDescriptor(KeyboardInterfaceDescriptor()));
    EXPECT_NE(text.find("collection 4 (&col04): usage page 0xff1c, usage 0x0092"), std::string::npos) << text;
}

class InspectorDeviceTest : public ::testing::Test {
protected:
    ScopedFakeBackend backend;
};

TEST_F(InspectorDeviceTest, ListShowsTheMatchingRowAndExplainsMismatches) {
    auto keyboard = MakeFakeKeyboard("kb");
    auto odd = MakeFakeKeyboard("odd", 0x5085, 0x0093);
    backend->Add(keyboard);
    backend->Add(odd);
    const std::vector<ListedInterface> listing = ListInterfaces();

    struct Expected {
        std::string path;
        int row;
        const char* problem;
    };
    const Expected expected[] = {
        {keyboard->PathOf(4), 0, ""},
        {keyboard->PathOf(3), 1, ""},
        {keyboard->PathOf(1), -1, "collection 1 is not used"},
        {odd->PathOf(4), -1, "usage 0x0093; row 4 expects usage page 0xff1c usage 0x0092"},
        {odd->PathOf(3), 5, ""},
    };
    for (const Expected& e : expected) {
        const ListedInterface* item = Find(listing, e.path);
        ASSERT_NE(item, nullptr) << e.path;
        EXPECT_TRUE(item->opened) << e.path;
        EXPECT_EQ(item->row, e.row) << e.path;
        EXPECT_NE(item->problem.find(e.problem), std::string::npos) << item->problem;
    }
    const ListedInterface* command = Find(listing, keyboard->PathOf(4));
    EXPECT_EQ(command->version, 0x0105);
    EXPECT_EQ(command->inputLength, 64);

    const std::vector<std::string> advice = DiagnoseListing(listing);
    EXPECT_TRUE(AnyContains(advice, "product 0x7a61:0x5085 was seen, but none of its interfaces matches its command row"));
    EXPECT_TRUE(AnyContains(advice, odd->PathOf(4) + ": collection 4 has usage page 0xff1c usage 0x0093"));
    EXPECT_FALSE(AnyContains(advice, "0x5062"));

    const Json::Value json = ListingToJson(listing);
    ASSERT_EQ(json.size(), listing.size());
    const std::vector<std::string> keys = json[0].getMemberNames();
    EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()),
              (std::set<std::string>{"path", "vid", "pid", "version", "interface", "collection", "usage_page", "usage",
                                     "input_report_byte_length", "row"}));
}

TEST_F(InspectorDeviceTest, ListWithoutSupportedKeyboardSaysSo) {
    backend->Add(MakeFakeKeyboard("other", 0x1234));
    const std::vector<std::string> advice = DiagnoseListing(ListInterfaces());
    EXPECT_TRUE(AnyContains(advice, "belongs to a supported product (0x7a61:0x5062, 0x7a61:0x5085, 0x7a61:0x5086)"));
}

TEST_F(InspectorDeviceTest, InfoReadsAndExplainsTheDeviceInformationBlock) {
    auto keyboard = MakeFakeKeyboard("kb");
    std::vector<uint8_t> info(34, 0);
    info[5] = 126;
    info[6] = 4;
    keyboard->SetArea(0x03, info);
    backend->Add(keyboard);

    const ChannelRun run = RunInfo(keyboard->PathOf(4));
    ASSERT_TRUE(run.opened) << run.openProblem;
    EXPECT_TRUE(run.ok);
    EXPECT_EQ(run.json["begin_config"].asInt(), 1);
    EXPECT_EQ(run.json["end_config"].asInt(), 1);
    EXPECT_EQ(run.json["key_positions"].asUInt(), 126u);
    EXPECT_EQ(run.json["key_table_bytes"].asUInt(), 378u);
    EXPECT_TRUE(run.json["key_table_fits"].asBool());
    EXPECT_EQ(run.json["macro_memory_bytes"].asUInt(), 512u);
    std::vector<uint8_t> codes;
    for (const FakePacket& p : keyboard->Packets()) codes.push_back(p[3]);
    EXPECT_EQ(codes, (std::vector<uint8_t>{0x01, 0x03, 0x02}));
    EXPECT_EQ(std::count(run.log.begin(), run.log.end(), "命令"), 3);
}

TEST_F(InspectorDeviceTest, ExchangeDumpsBothPacketsAndCanFillTheChecksum) {
    auto keyboard = MakeFakeKeyboard("kb");
    backend->Add(keyboard);
    const ChannelRun run = RunExchange(keyboard->PathOf(4), {0x04, 0x00, 0x00, 0x01}, true);
    ASSERT_TRUE(run.opened);
    EXPECT_EQ(run.json["result"].asInt(), 1);
    ASSERT_EQ(keyboard->Packets().size(), 1u);
    EXPECT_EQ(keyboard->Packets()[0][1], 0x01);
    ASSERT_EQ(run.log.size(), 6u);
    EXPECT_EQ(run.log[0], "命令");
    EXPECT_EQ(run.log[3], "返回");
    EXPECT_EQ(run.json["request"].asString().substr(0, 11), "04 01 00 01");
}

TEST_F(InspectorDeviceTest, PathThatCannotBeOpenedIsReported) {
    const ChannelRun run = RunInfo("fake:absent#vid_7a61&pid_5062&mi_01&col04");
    EXPECT_FALSE(run.opened);
    EXPECT_FALSE(run.openProblem.empty());
    EXPECT_FALSE(run.ok);
}

TEST_F(InspectorDeviceTest, ListMatchesAProductOfADeviceFile) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("zorv-inspector-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "demo.json")
        << R"({"name": "Demo", "vid": "0x7a61", "pid": "0x6001", "page": 0, "interfaces": [{"interface": 1, "collection": 4, "usage_page": "0xff1c", "usage": "0x92", "role": 0}]})";
    ASSERT_TRUE(LoadDeviceFiles({folder}).problems.empty());
    auto mouse = MakeFakeKeyboard("mouse", 0x6001);
    backend->Add(mouse);
    const std::vector<ListedInterface> listing = ListInterfaces();
    const ListedInterface* command = Find(listing, mouse->PathOf(4));
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->row, static_cast<int>(kInterfaceTable.size()));
    EXPECT_NE(ListingToText(listing).find("(device kind 2, command interface)"), std::string::npos);
    ResetModelRegistry();
    std::filesystem::remove_all(folder);
}

#ifdef ZORV_HID_BIN
// The command reads the same folders as the manager and says what it skipped and why.
TEST(InspectorCommand, ListNamesTheProductsOfDeviceFilesAndTheFilesItSkipped) {
    const std::filesystem::path config = std::filesystem::temp_directory_path() / ("zorv-inspector-config-" + std::to_string(getpid()));
    const std::filesystem::path folder = config / kAppName / "devices.d";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "good.json")
        << R"({"name": "Demo pad", "vid": "0x7a61", "pid": "0x6101", "page": 2, "interfaces": [{"interface": 0, "collection": 1, "usage_page": "0xff1c", "usage": "0x92", "role": 0}]})";
    std::ofstream(folder / "bad.json") << "{ not json";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::filesystem::path output = config / "out.txt";
    const int code = testsupport::WaitExit(testsupport::Spawn({ZORV_HID_BIN, "list"}, output), 20000);
    unsetenv("XDG_CONFIG_HOME");
    std::ifstream in(output);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_GE(code, 0) << text;
    EXPECT_NE(text.find("device file product: Demo pad"), std::string::npos) << text;
    EXPECT_NE(text.find("device file skipped: " + (folder / "bad.json").string() + ": is not valid JSON"), std::string::npos)
        << text;
    std::filesystem::remove_all(config);
}
#endif
