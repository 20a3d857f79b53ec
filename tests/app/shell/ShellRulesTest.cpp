#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/shell/AppMessages.h"
#include "app/shell/DeviceListReport.h"
#include "app/shell/InterfaceScale.h"
#include "toolkit/WindowMessages.h"

namespace {
uint32_t WordAt(const DeviceListReport& report, size_t index) {
    uint32_t value = 0;
    for (size_t b = 0; b < 4; ++b) value |= static_cast<uint32_t>(report[index * 4 + b]) << (8 * b);
    return value;
}
}  // namespace

TEST(InterfaceScale, LargeMonitorsGet144DpiOthers96) {
    const struct {
        int width, height, dpi;
    } cases[] = {{1920, 1080, 144}, {1366, 768, 96}, {1501, 961, 144}, {1500, 1080, 96},
                 {1920, 960, 96},   {2560, 1440, 144}, {0, 0, 96},     {-5, 2000, 96}};
    for (const auto& c : cases) EXPECT_EQ(ChooseInterfaceDpi(c.width, c.height), c.dpi) << c.width << "x" << c.height;
}

TEST(DeviceListReport, HeaderCountAndOneTripletPerPageRow) {
    const DeviceListReport report = MakeDeviceListReport(kPageTable);
    EXPECT_EQ(WordAt(report, 0), 2u);
    EXPECT_EQ(WordAt(report, 1), 3u);
    EXPECT_EQ(WordAt(report, 2), 0u);
    EXPECT_EQ(WordAt(report, 3), 2u);
    ASSERT_EQ(WordAt(report, 4), kPageTable.size());
    for (size_t i = 0; i < kPageTable.size(); ++i) {
        EXPECT_EQ(WordAt(report, 5 + 3 * i), static_cast<uint32_t>(kPageTable[i].vendorId)) << i;
        EXPECT_EQ(WordAt(report, 6 + 3 * i), static_cast<uint32_t>(kPageTable[i].productId)) << i;
        EXPECT_EQ(WordAt(report, 7 + 3 * i), static_cast<uint32_t>(kPageTable[i].deviceKind)) << i;
    }
    for (size_t w = 5 + 3 * kPageTable.size(); w < kDeviceListReportBytes / 4; ++w) EXPECT_EQ(WordAt(report, w), 0u) << w;
    // The keyboard row of the shipped table, as the service tool reads it.
    EXPECT_EQ(WordAt(report, 5 + 3), 0x7A61u);
    EXPECT_EQ(WordAt(report, 6 + 3), 0x5062u);
    EXPECT_EQ(WordAt(report, 7 + 3), 1u);
}

TEST(DeviceListReport, TooManyRowsAreCutToWhatFitsAndCounted) {
    std::vector<DevicePageEntry> many(200, kPageTable[1]);
    const DeviceListReport report = MakeDeviceListReport(many);
    const uint32_t fits = (kDeviceListReportBytes / 4 - 5) / 3;
    EXPECT_EQ(WordAt(report, 4), fits);
    EXPECT_EQ(WordAt(report, 5 + 3 * (fits - 1)), 0x7A61u);
}

TEST(AppMessages, RegisteredUnderTheirStringsAndTheInstanceNameIsTheAppName) {
    RegisterAppInstanceMessage();
    RegisterApplicationMessages();
    const struct {
        DuiLib::UINT value;
        const char* text;
    } cases[] = {
        {UWM_APP_INSTANCE, "Zorv Wired Manager 1.0"},
        {UWM_UPDATE_STATUS, "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}"},
        {UWM_LIGHT_CONTROL_NOTIFY, "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}"},
        {UWM_LIGHT_CONTROL_REQUEST, "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}"},
        {UWM_DEVICE_LIST_REQUEST, "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}"},
        {UWM_AUDIO_RECORD_CONTROL, "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(c.value, 0u) << c.text;
        EXPECT_EQ(c.value, DuiLib::RegisterWindowMessage(c.text)) << c.text;
    }
    EXPECT_STREQ(kAppInstanceName, "Zorv Wired Manager 1.0");
    EXPECT_EQ(RegisteredName("UWM_LIGHT_CONTROL_NOTIFY"), "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
    EXPECT_EQ(RegisteredName("no such"), "");
}

TEST(AppMessages, OnlyTheFourGameNamesAreGameMessages) {
    for (const char* name : {"Game_Start", "Game_End", "Game_Kill", "Game_Death"})
        EXPECT_TRUE(IsGameMessage(DuiLib::RegisterWindowMessage(name))) << name;
    for (const char* name : {"game_start", "Game_Pause", "Zorv Wired Manager 1.0"})
        EXPECT_FALSE(IsGameMessage(DuiLib::RegisterWindowMessage(name))) << name;
    EXPECT_FALSE(IsGameMessage(0));
}
