// Products added by device files: what a valid file adds to the run-time tables, and why a file
// that is not valid is skipped without changing them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "device/registry/InterfaceMatching.h"
#include "device/registry/ModelLookup.h"
#include "device/registry/ModelRegistry.h"
#include "device/registry/ProductVersions.h"

namespace {

namespace fs = std::filesystem;

constexpr char kDemoMouse[] = R"({"name": "Demo mouse", "vid": "0x7a61", "pid": "0x6001", "page": 0,
  "interfaces": [{"interface": 1, "collection": 2, "usage_page": "0xff1c", "usage": "0x92", "role": 0},
                 {"interface": 1, "collection": 1, "usage_page": "0x000c", "usage": "0x0001", "role": 255}],
  "receiver": {"vid": "0x7a61", "pid": "0x6002"}})";

class DeviceFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* root = std::getenv("ZORV_TEST_TMP");
        folder_ = fs::path(root && *root ? root : "/tmp/zorv-registry-tests") /
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { ResetModelRegistry(); }
    void Write(const std::string& name, const std::string& text) { std::ofstream(folder_ / name) << text; }
    DeviceFileReport Load() { return LoadDeviceFiles({folder_}); }
    fs::path folder_;
};

}  // namespace

TEST_F(DeviceFilesTest, AValidFileAddsItsRowsAfterTheCompiledOnes) {
    Write("demo-mouse.json", kDemoMouse);
    const DeviceFileReport report = Load();
    ASSERT_TRUE(report.problems.empty()) << report.problems.front();
    ASSERT_EQ(report.added, std::vector<std::string>{"Demo mouse"});

    // Interface rows: the two cable rows, then the same two through the receiver, partnered.
    const auto interfaces = InterfaceTable();
    ASSERT_EQ(interfaces.size(), kInterfaceTable.size() + 4);
    const size_t cable = kInterfaceTable.size();
    const size_t receiver = cable + 2;
    EXPECT_EQ(interfaces[cable].productId, 0x6001);
    EXPECT_EQ(interfaces[cable].deviceKind, kKindMouse);
    EXPECT_EQ(interfaces[cable].collectionNumber, 2);
    EXPECT_EQ(interfaces[cable].usagePage, 0xFF1C);
    EXPECT_EQ(interfaces[cable + 1].interfaceRole, kRoleEvent);
    EXPECT_EQ(interfaces[receiver].productId, 0x6002);
    EXPECT_EQ(interfaces[receiver].deviceKind, kKindMouseViaReceiver);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(interfaces[cable + i].partnerRow, receiver + i);
        EXPECT_EQ(interfaces[receiver + i].partnerRow, cable + i);
        EXPECT_EQ(interfaces[receiver + i].hasPartner, 1);
    }
    // The compiled rows are unchanged, so their indexes keep meaning what they meant.
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) EXPECT_EQ(interfaces[i].productId, kInterfaceTable[i].productId);

    // The page copies row 0's layout and engine; matching, look-ups and the update list see it.
    const int page = FindPageRow(0x7A61, 0x6001, kKindMouse, kRoleCommand);
    ASSERT_EQ(page, static_cast<int>(kPageTable.size()));
    EXPECT_STREQ(PageTable()[page].typeFolderName, "mouse");
    EXPECT_STREQ(LayoutTable()[page].pageLayout, kLayoutTable[0].pageLayout);
    EXPECT_EQ(PageModelName(page), "Demo mouse");
    EXPECT_EQ(FindPageRowForInterface(static_cast<int>(receiver)), page);
    EXPECT_EQ(FindInterfaceRow(0x7A61, 0x6001, kKindMouse, kRoleCommand), static_cast<int>(cable));

    InterfaceList list = MakeInterfaceList();
    InterfaceCandidate candidate{0x7A61, 0x6002, 1, 2, 0xFF1C, 0x92, "emu:demo-receiver&mi_01&col02"};
    EXPECT_EQ(MatchInterface(list, candidate), static_cast<int>(receiver));

    const ProductInfoTable products = FillProductVersions({});
    ASSERT_EQ(products.size(), kProductTable.size() + 1);
    EXPECT_STREQ(products[kProductTable.size() - 1].productName, "Demo mouse");
    EXPECT_STREQ(products.back().productNumber, kProductTable.back().productNumber);  // the application stays last
    EXPECT_EQ(products.back().firmwareVersion, kApplicationVersionNumber);
}

TEST_F(DeviceFilesTest, FilesThatAreNotValidAreSkippedWithTheirReason) {
    const std::string tooDeep(1200, '[');  // beyond the JSON reader's nesting limit
    const struct {
        const char* file;
        const char* text;
        const char* reason;
    } cases[] = {
        {"a-bad-json.json", R"({"name": "Broken", )", "is not valid JSON"},
        {"b-not-object.json", R"([1, 2])", "must hold one JSON object"},
        {"b-too-deep.json", tooDeep.c_str(), "nested too deeply"},
        {"c-unknown-page.json",
         R"({"name": "X", "vid": 1, "pid": 2, "page": 6, "interfaces": [{"interface": 1, "collection": 1, "usage_page": 1, "usage": 1, "role": 0}]})",
         "\"page\" is out of range"},
        {"d-big-vid.json",
         R"({"name": "X", "vid": "0x10000", "pid": 2, "page": 0, "interfaces": [{"interface": 1, "collection": 1, "usage_page": 1, "usage": 1, "role": 0}]})",
         "\"vid\" is out of range"},
        {"e-text-number.json",
         R"({"name": "X", "vid": "12ab", "pid": 2, "page": 0, "interfaces": [{"interface": 1, "collection": 1, "usage_page": 1, "usage": 1, "role": 0}]})",
         "\"vid\" is not a number"},
        {"f-no-command.json",
         R"({"name": "X", "vid": 1, "pid": 2, "page": 0, "interfaces": [{"interface": 1, "collection": 1, "usage_page": 1, "usage": 1, "role": 255}]})",
         "exactly one interface must have role 0"},
        {"g-bad-role.json",
         R"({"name": "X", "vid": 1, "pid": 2, "page": 0, "interfaces": [{"interface": 1, "collection": 1, "usage_page": 1, "usage": 1, "role": 7}]})",
         "\"role\" must be 0"},
        {"h-compiled.json",
         R"({"name": "Twin", "vid": "0x7a61", "pid": "0x5062", "page": 1, "interfaces": [{"interface": 1, "collection": 4, "usage_page": "0xff1c", "usage": "0x92", "role": 0}]})",
         "product 0x7a61:0x5062 is already known"},
        {"i-headset-receiver.json",
         R"({"name": "X", "vid": 1, "pid": 2, "page": 3, "interfaces": [{"interface": 3, "collection": 1, "usage_page": 1, "usage": 1, "role": 0}], "receiver": {"vid": 1, "pid": 3}})",
         "a receiver is only possible for a mouse or keyboard page"},
        {"j-no-name.json",
         R"({"vid": 1, "pid": 2, "page": 0, "interfaces": [{"interface": 1, "collection": 1, "usage_page": 1, "usage": 1, "role": 0}]})",
         "\"name\" is missing"},
        {"k-twice.json",
         R"({"name": "X", "vid": 1, "pid": 2, "page": 0, "interfaces": [{"interface": 1, "collection": 1, "usage_page": 1, "usage": 1, "role": 0}, {"interface": 1, "collection": 1, "usage_page": 2, "usage": 2, "role": 255}]})",
         "is listed twice"},
    };
    for (const auto& c : cases) Write(c.file, c.text);
    Write("readme.txt", "not a device file");  // only *.json files are read
    const DeviceFileReport report = Load();
    EXPECT_TRUE(report.added.empty());
    ASSERT_EQ(report.problems.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_NE(report.problems[i].find(cases[i].file), std::string::npos) << report.problems[i];
        EXPECT_NE(report.problems[i].find(cases[i].reason), std::string::npos) << report.problems[i];
    }
    EXPECT_EQ(InterfaceTable().size(), kInterfaceTable.size());
    EXPECT_EQ(PageTable().size(), kPageTable.size());
    EXPECT_EQ(ProductTable().size(), kProductTable.size());
}

TEST_F(DeviceFilesTest, TheFirstOfTwoFilesForOneProductWinsAndAReloadStartsAfresh) {
    Write("1-mouse.json", kDemoMouse);
    Write("2-same-mouse.json", kDemoMouse);
    const std::string padOnTheMouseReceiver =
        R"({"name": "Pad", "vid": "0x7a61", "pid": "0x6002", "page": 2, "interfaces": [{"interface": 0, "collection": 0, "usage_page": 1, "usage": 1, "role": 0}]})";
    Write("3-pad.json", padOnTheMouseReceiver);
    DeviceFileReport report = Load();
    EXPECT_EQ(report.added, std::vector<std::string>{"Demo mouse"});
    ASSERT_EQ(report.problems.size(), 2u);
    EXPECT_NE(report.problems[0].find("product 0x7a61:0x6001 is already known"), std::string::npos);
    EXPECT_NE(report.problems[1].find("product 0x7a61:0x6002 is already known"), std::string::npos);

    fs::remove(folder_ / "1-mouse.json");
    fs::remove(folder_ / "2-same-mouse.json");
    report = Load();
    EXPECT_EQ(report.added, std::vector<std::string>{"Pad"});
    EXPECT_EQ(InterfaceTable().size(), kInterfaceTable.size() + 1);
    EXPECT_EQ(FindPageRow(0x7A61, 0x6001, kKindMouse, kRoleCommand), -1);
}

TEST_F(DeviceFilesTest, AFileCompletesACompiledPageThatNoInterfaceLeadsTo) {
    const std::string headset =
        R"({"name": "Headset", "vid": "0x0c76", "pid": "0x1630", "page": %d, "interfaces": [{"interface": 3, "collection": 1, "usage_page": "0xff00", "usage": 1, "role": 0}]})";
    char text[512];
    std::snprintf(text, sizeof text, headset.c_str(), 0);
    Write("1-wrong-page.json", text);
    std::snprintf(text, sizeof text, headset.c_str(), 3);
    Write("2-headset.json", text);
    Write("3-again.json", text);
    const DeviceFileReport report = Load();
    EXPECT_EQ(report.added, std::vector<std::string>{"Headset"});
    ASSERT_EQ(report.problems.size(), 2u);
    EXPECT_NE(report.problems[0].find("is served by page 3, not page 0"), std::string::npos) << report.problems[0];
    EXPECT_NE(report.problems[1].find("product 0x0c76:0x1630 is already known"), std::string::npos);

    // The compiled row 3 gets its interface; no page, layout or product row is added.
    EXPECT_EQ(PageTable().size(), kPageTable.size());
    EXPECT_EQ(ProductTable().size(), kProductTable.size());
    const int row = FindInterfaceRow(0x0C76, 0x1630, kKindHeadset, kRoleCommand);
    ASSERT_EQ(row, static_cast<int>(kInterfaceTable.size()));
    EXPECT_EQ(FindPageRowForInterface(row), 3);
    EXPECT_EQ(PageModelName(3), kProductTable[static_cast<size_t>(kPageTable[3].modelIndex)].productName);
}
