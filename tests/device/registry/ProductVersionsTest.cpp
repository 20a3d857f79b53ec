#include <gtest/gtest.h>

#include <vector>

#include "device/registry/ProductVersions.h"

TEST(ProductVersions, DeviceRowsTakeConnectedVersionsAndTheLastRowTheApplication) {
    struct Case {
        const char* name;
        std::vector<DeviceVersionSource> devices;
        std::vector<int32_t> versions;
    };
    const std::vector<DeviceVersionSource> nine(9, DeviceVersionSource{true, 0x0777});
    const std::vector<Case> cases{
        {"no devices", {}, {0, 0, 0, 0, 0, 0, 0x0100}},
        {"connected and not",
         {{true, 0x0105}, {false, 0x0200}, {true, 0x0001}},
         {0x0105, 0, 0x0001, 0, 0, 0, 0x0100}},
        {"more entries than device rows", nine, {0x777, 0x777, 0x777, 0x777, 0x777, 0x777, 0x0100}},
    };
    for (const Case& c : cases) {
        const ProductInfoTable table = FillProductVersions(c.devices);
        std::vector<int32_t> versions;
        for (const ProductInfoEntry& row : table) versions.push_back(row.firmwareVersion);
        EXPECT_EQ(versions, c.versions) << c.name;
    }
}

TEST(ProductVersions, NamesAreCopiedUnchanged) {
    const ProductInfoTable table = FillProductVersions({});
    EXPECT_STREQ(table[0].productName, "T5K1");
    EXPECT_STREQ(table[3].modelCode, "QT40R03B_1");
    EXPECT_STREQ(table[6].productNumber, "RW5_BQ4_BQ3");
    EXPECT_STREQ(table[6].extraLabel, "Zorv cloud V1.0");
    EXPECT_EQ(table[6].productClass, 0);
    EXPECT_EQ(kProductTable[6].firmwareVersion, 0);
}
