#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "device/hid/HidInterface.h"
#include "tests/device/hid/FakeHidBackend.h"
#include "tests/device/hid/TestDescriptors.h"

namespace {

constexpr char kScheme[] = "hidtest";

std::string TestPath(const std::string& name, int collection = 0) {
    std::string path = std::string(kScheme) + ":" + name + "#vid_7a61&pid_5062&mi_01";
    if (collection) path += "&col0" + std::to_string(collection);
    return path;
}

class HidInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterHidBackend(backend_); }
    void TearDown() override { UnregisterHidBackend(kScheme); }

    // The paths of this test's backend, in NextPath order.
    static std::vector<std::string> OwnPaths(CHidInterface& record) {
        std::vector<std::string> own;
        while (const char* path = record.NextPath()) {
            if (std::string(path).rfind(kScheme, 0) == 0) own.push_back(path);
        }
        return own;
    }

    std::shared_ptr<FakeHidBackend> backend_ = std::make_shared<FakeHidBackend>(kScheme);
};

TEST_F(HidInterfaceTest, EnumerationGrowsPastEightPathsAndStopsAtTheEnd) {
    for (int i = 0; i < 20; ++i) backend_->Add(TestPath("dev" + std::to_string(100 + i)), testdesc::kBootMouse);
    CHidInterface record;
    ASSERT_EQ(record.EnumeratePaths(), 1);
    const std::vector<std::string> paths = OwnPaths(record);
    ASSERT_EQ(paths.size(), 20u);
    EXPECT_EQ(paths.front(), TestPath("dev100"));
    EXPECT_EQ(paths.back(), TestPath("dev119"));
    // After the end NextPath stays null until the next enumeration.
    EXPECT_EQ(record.NextPath(), nullptr);
    EXPECT_EQ(record.NextPath(), nullptr);
    ASSERT_EQ(record.EnumeratePaths(), 1);
    EXPECT_EQ(OwnPaths(record).size(), 20u);
    record.ReleasePaths();
    EXPECT_EQ(record.NextPath(), nullptr);
    EXPECT_EQ(record.PathCount(), 0);
}

TEST_F(HidInterfaceTest, OpenLoadsAttributesCapabilitiesAndPathNumbers) {
    backend_->Add(TestPath("receiver", 4), testdesc::Receiver(), 4);
    CHidInterface record;
    ASSERT_EQ(record.Open(TestPath("receiver", 4), 1, 1, 1, 0), 1);
    EXPECT_TRUE(record.IsOpen());
    EXPECT_EQ(record.Attributes.VendorID, 0x7A61);
    EXPECT_EQ(record.Attributes.ProductID, 0x5062);
    EXPECT_EQ(record.Attributes.VersionNumber, 0x0105);
    EXPECT_EQ(record.Capabilities.UsagePage, 0xFF1C);
    EXPECT_EQ(record.Capabilities.Usage, 0x92);
    EXPECT_EQ(record.Capabilities.InputReportByteLength, 64);
    EXPECT_EQ(record.Capabilities.OutputReportByteLength, 64);
    EXPECT_EQ(record.Capabilities.NumberInputValueCaps, 1);
    EXPECT_EQ(record.InputReport.size(), 64u);
    EXPECT_EQ(record.OutputReport.size(), 64u);
    EXPECT_EQ(record.InputData.size(), 1u);
    EXPECT_EQ(record.InterfaceNumber, 1u);
    EXPECT_EQ(record.CollectionNumber, 4u);
    EXPECT_EQ(record.DevicePath(), TestPath("receiver", 4));

    record.Close();
    EXPECT_FALSE(record.IsOpen());
    EXPECT_EQ(record.Capabilities.UsagePage, 0);
    EXPECT_EQ(record.Attributes.VendorID, 0);
    EXPECT_TRUE(record.InputReport.empty());
    EXPECT_TRUE(record.InputData.empty());
    EXPECT_EQ(record.CollectionNumber, 0u);
}

TEST_F(HidInterfaceTest, FailedOpensLeaveTheRecordClosed) {
    const std::string longest = TestPath(std::string(259 - TestPath("").size(), 'a'));
    const std::string tooLong = TestPath(std::string(260 - TestPath("").size(), 'a'));
    ASSERT_EQ(longest.size(), 259u);
    backend_->Add(longest, testdesc::kBootMouse);
    backend_->Add(tooLong, testdesc::kBootMouse);
    backend_->Add(TestPath("nocollection"), testdesc::kBootMouse, 3);
    backend_->Add(TestPath("nodescriptor"), {});
    struct OpenCase {
        std::string path;
        int expected;
    };
    const OpenCase cases[] = {
        {longest, 1},
        {tooLong, 0},
        {"nosuchscheme:x#vid_7a61", 0},
        {TestPath("absent"), 0},
        {TestPath("nocollection"), 0},
        {TestPath("nodescriptor"), 0},
    };
    CHidInterface record;
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_EQ(record.Open(TestPath("nocollection"), 1, 0, 1, 0), 0);
        EXPECT_EQ(record.Open(c.path, 1, 1, 1, 0), c.expected);
        EXPECT_EQ(record.IsOpen(), c.expected == 1);
        if (!c.expected) {
            EXPECT_EQ(record.Capabilities.InputReportByteLength, 0);
            EXPECT_TRUE(record.InputData.empty());
        }
    }
}

TEST_F(HidInterfaceTest, ReportsPassThroughInBothDirections) {
    auto device = backend_->Add(TestPath("vendor"), testdesc::kVendorCommand);
    CHidInterface record;
    ASSERT_EQ(record.Open(TestPath("vendor"), 1, 1, 1, 0), 1);
    std::vector<uint8_t> request(64, 0);
    request[0] = 0x04;
    request[1] = 0x06;
    uint32_t written = 0;
    ASSERT_EQ(record.WriteReport(request.data(), 64, &written, 1000), 1);
    EXPECT_EQ(written, 64u);
    EXPECT_EQ(device->Written(), std::vector<std::vector<uint8_t>>{request});

    device->PushInput({0x04, 0x06, 0x01});
    uint8_t reply[64] = {};
    uint32_t read = 0;
    ASSERT_EQ(record.ReadReport(reply, sizeof reply, &read, 1000), 1);
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(reply[2], 0x01);
    EXPECT_EQ(record.ReadReport(reply, sizeof reply, &read, 10), 0);  // time-out
    EXPECT_EQ(read, 0u);
    record.Close();
    EXPECT_EQ(record.ReadReport(reply, sizeof reply, &read, 10), 0);
    EXPECT_EQ(record.WriteReport(request.data(), 64, &written, 10), 0);
}

TEST_F(HidInterfaceTest, CloseFromAnotherThreadEndsAnInfiniteRead) {
    auto device = backend_->Add(TestPath("quiet"), testdesc::kConsumerControl);
    CHidInterface record;
    ASSERT_EQ(record.Open(TestPath("quiet"), 1, 1, 1, 0), 1);
    std::atomic<int> result{-1};
    std::thread reader([&] {
        // Reads into the record's own buffer, as the event-listening threads do.
        result = record.ReadReport(record.InputReport.data(), static_cast<uint32_t>(record.InputReport.size()),
                                   nullptr, INFINITE);
    });
    device->WaitForBlockedRead();
    record.Close();
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(record.IsOpen());
}

TEST_F(HidInterfaceTest, ReopenWithAnotherPathClosesTheFirst) {
    auto first = backend_->Add(TestPath("first"), testdesc::kConsumerControl);
    auto second = backend_->Add(TestPath("second"), testdesc::kVendorCommand);
    CHidInterface record;
    ASSERT_EQ(record.Open(TestPath("first"), 1, 1, 1, 0), 1);
    std::atomic<int> result{-1};
    std::thread reader([&] {
        uint8_t buffer[64];
        result = record.ReadReport(buffer, sizeof buffer, nullptr, INFINITE);
    });
    first->WaitForBlockedRead();
    ASSERT_EQ(record.Open(TestPath("second"), 1, 1, 1, 0), 1);
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(first.use_count(), 2);  // the test and the backend: no transport holds it any more
    EXPECT_EQ(record.Capabilities.UsagePage, 0xFF1C);
    second->PushInput({0x04, 0xAA});
    first->PushInput({0x03, 0xE9, 0x00});
    uint8_t buffer[64] = {};
    ASSERT_EQ(record.ReadReport(buffer, sizeof buffer, nullptr, 1000), 1);
    EXPECT_EQ(buffer[0], 0x04);
}

TEST_F(HidInterfaceTest, CloseRacingWithTransfersIsSafe) {
    backend_->Add(TestPath("busy"), testdesc::kVendorCommand);
    CHidInterface record;
    ASSERT_EQ(record.Open(TestPath("busy"), 1, 1, 1, 0), 1);
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        uint8_t buffer[64];
        while (!stop) record.ReadReport(buffer, sizeof buffer, nullptr, 2);
    });
    std::thread writer([&] {
        const uint8_t request[64] = {0x04};
        while (!stop) record.WriteReport(request, sizeof request, nullptr, 2);
    });
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(record.Open(TestPath("busy"), 1, 1, 1, 0), 1);
        if (i % 2) record.Close();
    }
    stop = true;
    reader.join();
    writer.join();
}

// ---- UnpackReport ----

TEST_F(HidInterfaceTest, UnpackFillsButtonEntriesFilteredToTheirRange) {
    backend_->Add(TestPath("keyboard"), testdesc::kBootKeyboard);
    CHidInterface record;
    ASSERT_EQ(record.Open(TestPath("keyboard"), 1, 1, 1, 0), 1);
    ASSERT_EQ(record.InputData.size(), 2u);
    EXPECT_EQ(record.InputData[0].maxUsageCount, 14u);
    const uint8_t report[] = {0x00, 0x42, 0x00, 0x04, 0x00, 0x1D, 0x00, 0x00, 0x00};
    ASSERT_EQ(record.UnpackReport(report, sizeof report, HidReportKind::Input, record.InputData), 1);
    const HidDataItem& modifiers = record.InputData[0];
    const HidDataItem& keys = record.InputData[1];
    EXPECT_TRUE(modifiers.isSet);
    EXPECT_EQ(modifiers.status, HIDP_STATUS_SUCCESS);
    EXPECT_EQ(modifiers.usages[0], 0xE1);
    EXPECT_EQ(modifiers.usages[1], 0xE6);
    EXPECT_EQ(modifiers.usages[2], 0);
    EXPECT_EQ(keys.usages[0], 0x04);
    EXPECT_EQ(keys.usages[1], 0x1D);
    EXPECT_EQ(keys.usages[2], 0);

    // A later report with fewer keys leaves no stale usages behind.
    const uint8_t release[] = {0x00, 0x00, 0x00, 0x1D, 0x00, 0x00, 0x00, 0x00, 0x00};
    ASSERT_EQ(record.UnpackReport(release, sizeof release, HidReportKind::Input, record.InputData), 1);
    EXPECT_EQ(record.InputData[0].usages[0], 0);
    EXPECT_EQ(record.InputData[1].usages[0], 0x1D);
    EXPECT_EQ(record.InputData[1].usages[1], 0);
}

TEST_F(HidInterfaceTest, UnpackGivesTheEventCodeOfAConsumerReport) {
    backend_->Add(TestPath("events", 3), testdesc::Receiver(), 3);
    CHidInterface record;
    ASSERT_EQ(record.Open(TestPath("events", 3), 1, 1, 1, 0), 1);
    ASSERT_EQ(record.InputData.size(), 1u);
    const uint8_t report[] = {0x03, 0xE9, 0x00};
    ASSERT_EQ(record.UnpackReport(report, sizeof report, HidReportKind::Input, record.InputData), 1);
    EXPECT_TRUE(record.InputData[0].isSet);
    EXPECT_EQ(record.InputData[0].usages.at(0), 0xE9);
}

TEST_F(HidInterfaceTest, UnpackWithAForeignReportIdLeavesEntriesUntouched) {
    backend_->Add(TestPath("events", 3), testdesc::Receiver(), 3);
    CHidInterface record;
    ASSERT_EQ(record.Open(TestPath("events", 3), 1, 1, 1, 0), 1);
    const std::vector<HidDataItem> before = record.InputData;
    const uint8_t report[] = {0x04, 0xE9, 0x00};
    EXPECT_EQ(record.UnpackReport(report, sizeof report, HidReportKind::Input, record.InputData), 1);
    ASSERT_EQ(record.InputData.size(), before.size());
    EXPECT_FALSE(record.InputData[0].isSet);
    EXPECT_EQ(record.InputData[0].usages, before[0].usages);
}

TEST_F(HidInterfaceTest, UnpackDecodesValuesAndRefusesShortReports) {
    backend_->Add(TestPath("mouse"), testdesc::kBootMouse);
    CHidInterface record;
    ASSERT_EQ(record.Open(TestPath("mouse"), 1, 1, 1, 0), 1);
    ASSERT_EQ(record.InputData.size(), 3u);  // buttons, X, Y
    const uint8_t report[] = {0x00, 0x01, 0xFE, 0x05};
    ASSERT_EQ(record.UnpackReport(report, sizeof report, HidReportKind::Input, record.InputData), 1);
    EXPECT_EQ(record.InputData[0].usages[0], 1);
    EXPECT_EQ(record.InputData[1].usage, 0x30);
    EXPECT_EQ(record.InputData[1].value, 0xFEu);
    EXPECT_EQ(record.InputData[1].scaledValue, -2);
    EXPECT_EQ(record.InputData[2].scaledValue, 5);

    std::vector<HidDataItem> fresh = record.InputData;
    for (auto& item : fresh) item.isSet = false;
    EXPECT_EQ(record.UnpackReport(report, 3, HidReportKind::Input, fresh), 0);
    EXPECT_NE(fresh[2].status, HIDP_STATUS_SUCCESS);
    EXPECT_FALSE(fresh[2].isSet);
    EXPECT_EQ(record.UnpackReport(report, 0, HidReportKind::Input, fresh), 0);
}

}  // namespace
