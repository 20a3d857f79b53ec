#include <gtest/gtest.h>

#include "device/hid/ReportDescriptor.h"
#include "tests/device/hid/TestDescriptors.h"

namespace {

constexpr int kIn = static_cast<int>(HidReportKind::Input);
constexpr int kOut = static_cast<int>(HidReportKind::Output);
constexpr int kFeat = static_cast<int>(HidReportKind::Feature);

// The first collection, by value (the parse result is a temporary).
ParsedCollection First(const std::vector<uint8_t>& descriptor) {
    ParsedDescriptor parsed = ParseReportDescriptor(descriptor);
    return parsed.collections.empty() ? ParsedCollection{} : parsed.collections.front();
}

struct CollectionFacts {
    uint16_t usagePage, usage;
    uint16_t inputLength, outputLength, featureLength;
    size_t inButtons, inValues, outButtons, outValues;
    uint16_t inIndices;
};

void ExpectFacts(const ParsedCollection& c, const CollectionFacts& want) {
    EXPECT_EQ(c.usagePage, want.usagePage);
    EXPECT_EQ(c.usage, want.usage);
    EXPECT_EQ(c.inputReportByteLength, want.inputLength);
    EXPECT_EQ(c.outputReportByteLength, want.outputLength);
    EXPECT_EQ(c.featureReportByteLength, want.featureLength);
    EXPECT_EQ(c.buttonCaps[kIn].size(), want.inButtons);
    EXPECT_EQ(c.valueCaps[kIn].size(), want.inValues);
    EXPECT_EQ(c.buttonCaps[kOut].size(), want.outButtons);
    EXPECT_EQ(c.valueCaps[kOut].size(), want.outValues);
    EXPECT_EQ(c.dataIndices[kIn], want.inIndices);
}

struct DeviceCase {
    const char* name;
    std::vector<uint8_t> descriptor;
    std::vector<CollectionFacts> collections;
};

TEST(ReportDescriptor, RealDevicesGiveTheLengthsAndCapsWindowsReports) {
    const DeviceCase cases[] = {
        // 8 modifier bits + reserved byte + 6 selectors = 8 bytes, plus the id byte.
        {"boot keyboard", testdesc::kBootKeyboard, {{0x01, 0x06, 9, 2, 0, 2, 0, 1, 0, 8 + 102}}},
        {"boot mouse", testdesc::kBootMouse, {{0x01, 0x02, 4, 0, 0, 1, 2, 0, 0, 5}}},
        {"consumer control", testdesc::kConsumerControl, {{0x0C, 0x01, 3, 0, 0, 1, 0, 0, 0, 1024}}},
        {"vendor command", testdesc::kVendorCommand, {{0xFF1C, 0x92, 64, 64, 0, 0, 1, 0, 1, 1}}},
        {"receiver",
         testdesc::Receiver(),
         {{0x01, 0x06, 9, 0, 0, 2, 0, 0, 0, 8 + 256},
          {0x01, 0x02, 7, 0, 0, 1, 3, 0, 0, 5 + 3},
          {0x0C, 0x01, 3, 0, 0, 1, 0, 0, 0, 1024},
          {0xFF1C, 0x92, 64, 64, 0, 0, 1, 0, 1, 1}}},
    };
    for (const DeviceCase& device : cases) {
        SCOPED_TRACE(device.name);
        const ParsedDescriptor parsed = ParseReportDescriptor(device.descriptor);
        EXPECT_TRUE(parsed.ok) << parsed.error;
        ASSERT_EQ(parsed.collections.size(), device.collections.size());
        for (size_t i = 0; i < device.collections.size(); ++i) {
            SCOPED_TRACE(i);
            ExpectFacts(parsed.collections[i], device.collections[i]);
        }
    }
}

TEST(ReportDescriptor, ReceiverCollectionsKeepTheirOwnReportIds) {
    const ParsedDescriptor parsed = ParseReportDescriptor(testdesc::Receiver());
    ASSERT_EQ(parsed.collections.size(), 4u);
    const uint8_t ids[] = {1, 2, 3, 4};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(parsed.collections[i].usesReportIds);
        EXPECT_EQ(parsed.collections[i].inputReportIds, std::vector<uint8_t>{ids[i]});
    }
    EXPECT_EQ(parsed.collections[1].linkCollectionNodes, 2);  // application + physical
}

TEST(ReportDescriptor, UnnumberedReportsStillCountTheIdByte) {
    const ParsedCollection mouse = First(testdesc::kBootMouse);
    EXPECT_FALSE(mouse.usesReportIds);
    EXPECT_EQ(mouse.inputReportIds, std::vector<uint8_t>{0});
    EXPECT_EQ(mouse.inputReportByteLength, 4);
}

TEST(ReportDescriptor, KeyboardCapsDescribeTheirFields) {
    const ParsedCollection kb = First(testdesc::kBootKeyboard);
    const HidButtonCaps& modifiers = kb.buttonCaps[kIn][0];
    EXPECT_FALSE(modifiers.isArray);
    EXPECT_TRUE(modifiers.isRange);
    EXPECT_EQ(modifiers.usagePage, 0x07);
    EXPECT_EQ(modifiers.usageMin, 0xE0);
    EXPECT_EQ(modifiers.usageMax, 0xE7);
    EXPECT_EQ(modifiers.bitOffset, 0u);
    EXPECT_EQ(modifiers.dataIndexMin, 0);
    EXPECT_EQ(modifiers.dataIndexMax, 7);
    const HidButtonCaps& keys = kb.buttonCaps[kIn][1];
    EXPECT_TRUE(keys.isArray);
    EXPECT_EQ(keys.bitOffset, 16u);  // behind the constant reserved byte
    EXPECT_EQ(keys.reportCount, 6);
    EXPECT_EQ(keys.dataIndexMin, 8);
    EXPECT_EQ(keys.dataIndexMax, 8 + 101);
    EXPECT_EQ(kb.buttonCaps[kOut][0].usagePage, 0x08);
    EXPECT_EQ(MaxUsageListLength(kb, HidReportKind::Input, 0x07), 8u + 6u);
    EXPECT_EQ(MaxUsageListLength(kb, HidReportKind::Input, 0), 8u + 6u);
    EXPECT_EQ(MaxUsageListLength(kb, HidReportKind::Input, 0x09), 0u);
}

// Builds a one-collection descriptor around the given items.
std::vector<uint8_t> InCollection(std::vector<uint8_t> items) {
    static constexpr uint8_t kHeader[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    items.insert(items.begin(), std::begin(kHeader), std::end(kHeader));
    items.push_back(0xC0);
    return items;
}

TEST(ReportDescriptor, SeveralUsagesOfOneVariableItemGiveOneCapsEachInOrder) {
    // Usages 0x30, 0x31, 0x38 over four 8-bit fields: the last usage takes the fourth field too.
    const auto d = InCollection({0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15, 0x00, 0x25, 0x7F, 0x75,
                                 0x08, 0x95, 0x04, 0x81, 0x02});
    const ParsedCollection c = First(d);
    ASSERT_EQ(c.valueCaps[kIn].size(), 3u);
    const uint16_t usages[] = {0x30, 0x31, 0x38};
    const uint32_t offsets[] = {0, 8, 16};
    const uint16_t counts[] = {1, 1, 2};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(c.valueCaps[kIn][i].usageMin, usages[i]);
        EXPECT_EQ(c.valueCaps[kIn][i].bitOffset, offsets[i]);
        EXPECT_EQ(c.valueCaps[kIn][i].reportCount, counts[i]);
        EXPECT_EQ(c.valueCaps[kIn][i].dataIndexMin, i);
    }
}

TEST(ReportDescriptor, ItemRulesForPagesStacksDelimitersAndPadding) {
    struct RuleCase {
        const char* name;
        std::vector<uint8_t> items;
        uint16_t page, usageMin, usageMax;
        size_t buttons, values;
        uint16_t inputLength;
        int32_t logicalMax = 0;
    };
    const RuleCase cases[] = {
        {"extended usage carries its page",
         {0x0B, 0x01, 0x00, 0x09, 0x00, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, 0x0009, 0x01, 0x01, 0, 1, 2},
        {"page is taken at the main item",
         {0x09, 0x05, 0x05, 0x0C, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, 0x000C, 0x05, 0x05, 0, 1, 2},
        {"pop restores the report size",
         {0x75, 0x08, 0xA4, 0x75, 0x10, 0xB4, 0x09, 0x01, 0x95, 0x01, 0x81, 0x02}, 0xFF00, 0x01, 0x01, 0, 1, 2},
        {"delimited aliases keep the first usage",
         {0xA9, 0x01, 0x09, 0x10, 0x09, 0x11, 0xA9, 0x00, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x01, 0x81,
          0x02, 0x95, 0x07, 0x81, 0x01},
         0xFF00, 0x10, 0x10, 1, 0, 2, 1},
        {"constant padding gives no caps", {0x75, 0x08, 0x95, 0x02, 0x81, 0x01}, 0, 0, 0, 0, 0, 3},
        {"one-byte 0xFF maximum reads as 255",
         {0x09, 0x01, 0x15, 0x00, 0x25, 0xFF, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, 0xFF00, 0x01, 0x01, 0, 1, 2, 255},
        {"long items are skipped",
         {0xFE, 0x02, 0x10, 0xAA, 0xBB, 0x09, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, 0xFF00, 0x01, 0x01, 0, 1, 2},
        {"a range only covers the fields it has",
         {0x05, 0x09, 0x19, 0x01, 0x29, 0x10, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02}, 0x0009,
         0x01, 0x08, 1, 0, 2, 1},
    };
    for (const RuleCase& rule : cases) {
        SCOPED_TRACE(rule.name);
        const ParsedDescriptor parsed = ParseReportDescriptor(InCollection(rule.items));
        EXPECT_TRUE(parsed.ok) << parsed.error;
        ASSERT_EQ(parsed.collections.size(), 1u);
        const ParsedCollection& c = parsed.collections[0];
        EXPECT_EQ(c.buttonCaps[kIn].size(), rule.buttons);
        EXPECT_EQ(c.valueCaps[kIn].size(), rule.values);
        EXPECT_EQ(c.inputReportByteLength, rule.inputLength);
        if (!c.buttonCaps[kIn].empty()) {
            EXPECT_EQ(c.buttonCaps[kIn][0].usagePage, rule.page);
            EXPECT_EQ(c.buttonCaps[kIn][0].usageMin, rule.usageMin);
            EXPECT_EQ(c.buttonCaps[kIn][0].usageMax, rule.usageMax);
        }
        if (!c.valueCaps[kIn].empty()) {
            EXPECT_EQ(c.valueCaps[kIn][0].usagePage, rule.page);
            EXPECT_EQ(c.valueCaps[kIn][0].usageMin, rule.usageMin);
            EXPECT_EQ(c.valueCaps[kIn][0].usageMax, rule.usageMax);
            EXPECT_EQ(c.valueCaps[kIn][0].logicalMax, rule.logicalMax);
        }
    }
}

TEST(ReportDescriptor, FeatureReportsAreCountedPerReportId) {
    // Feature id 5 has 2 bytes, id 6 has 7: the longest counts.
    const auto d = InCollection({0x85, 0x05, 0x09, 0x01, 0x75, 0x08, 0x95, 0x02, 0xB1, 0x02, 0x85, 0x06, 0x09,
                                 0x02, 0x95, 0x07, 0xB1, 0x02});
    const ParsedCollection c = First(d);
    EXPECT_EQ(c.featureReportByteLength, 8);
    EXPECT_EQ(c.valueCaps[kFeat].size(), 2u);
    EXPECT_EQ(c.valueCaps[kFeat][1].reportId, 6);
    EXPECT_EQ(c.valueCaps[kFeat][1].bitOffset, 0u);  // each report id starts at bit 0
    EXPECT_EQ(c.reportIds, (std::vector<uint8_t>{5, 6}));
    EXPECT_TRUE(c.inputReportIds.empty());
    EXPECT_EQ(c.inputReportByteLength, 0);
}

TEST(ReportDescriptor, MalformedInputIsReportedAndSurvived) {
    struct BadCase {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t collections;
    };
    const BadCase cases[] = {
        {"empty", {}, 0},
        {"truncated short item", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x26, 0xFF}, 1},
        {"truncated long item", {0xFE, 0x10, 0x00, 0x01}, 0},
        {"report id 0", {0xA1, 0x01, 0x85, 0x00, 0x81, 0x02, 0xC0}, 1},
        {"pop without push", {0xB4, 0xA1, 0x01, 0xC0}, 1},
        {"end without collection", {0xC0, 0xC0}, 0},
        {"main item outside a collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, 0},
        {"collection never closed", {0xA1, 0x01, 0xA1, 0x02}, 1},
        {"report longer than 65534 bytes", {0xA1, 0x01, 0x75, 0xFF, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0xC0}, 1},
        {"usage maximum alone", {0x29, 0x05, 0xA1, 0x01, 0xC0}, 1},
    };
    for (const BadCase& bad : cases) {
        SCOPED_TRACE(bad.name);
        const ParsedDescriptor parsed = ParseReportDescriptor(bad.bytes);
        EXPECT_FALSE(parsed.ok);
        EXPECT_FALSE(parsed.error.empty());
        EXPECT_EQ(parsed.collections.size(), bad.collections);
    }
}

TEST(ReportDescriptor, DeepNestingAndManyCollectionsAreBounded) {
    std::vector<uint8_t> deep;
    for (int i = 0; i < 1000; ++i) deep.insert(deep.end(), {0xA1, 0x00});
    EXPECT_LE(ParseReportDescriptor(deep).collections.size(), 1u);
    std::vector<uint8_t> many;
    for (int i = 0; i < 1000; ++i) many.insert(many.end(), {0xA1, 0x01, 0xC0});
    const ParsedDescriptor parsed = ParseReportDescriptor(many);
    EXPECT_EQ(parsed.collections.size(), 255u);
    EXPECT_FALSE(parsed.ok);
}

// ---- decoding ----

TEST(ReportFields, KeyboardReportGivesModifiersAndPressedKeys) {
    const ParsedCollection kb = First(testdesc::kBootKeyboard);
    // Left Shift + Right Alt held; keys 'a' (4) and 'z' (0x1D); empty selectors are 0.
    const uint8_t report[] = {0x00, 0x42, 0x00, 0x04, 0x00, 0x1D, 0x00, 0x00, 0x00};
    EXPECT_EQ(GetButtonUsages(kb.buttonCaps[kIn][0], report, sizeof report), (std::vector<uint16_t>{0xE1, 0xE6}));
    EXPECT_EQ(GetButtonUsages(kb.buttonCaps[kIn][1], report, sizeof report), (std::vector<uint16_t>{0x04, 0x1D}));
    // A report cut short decodes only the fields it holds.
    EXPECT_EQ(GetButtonUsages(kb.buttonCaps[kIn][1], report, 5), (std::vector<uint16_t>{0x04}));
    EXPECT_TRUE(GetButtonUsages(kb.buttonCaps[kIn][0], report, 1).empty());
}

TEST(ReportFields, ArraySelectorsSplitAcrossTheUsagesOfOneItem) {
    // Selector 1 -> usage 0xB5, 2 -> 0xB6, 3 -> 0xE9 (logical 1..3, three separate usages).
    const auto d = InCollection({0x05, 0x0C, 0x09, 0xB5, 0x09, 0xB6, 0x09, 0xE9, 0x15, 0x01, 0x25, 0x03, 0x75,
                                 0x08, 0x95, 0x02, 0x81, 0x00});
    const ParsedCollection c = First(d);
    ASSERT_EQ(c.buttonCaps[kIn].size(), 3u);
    const uint8_t report[] = {0x00, 0x03, 0x01};
    EXPECT_EQ(GetButtonUsages(c.buttonCaps[kIn][0], report, sizeof report), std::vector<uint16_t>{0xB5});
    EXPECT_TRUE(GetButtonUsages(c.buttonCaps[kIn][1], report, sizeof report).empty());
    EXPECT_EQ(GetButtonUsages(c.buttonCaps[kIn][2], report, sizeof report), std::vector<uint16_t>{0xE9});
    const uint8_t outOfRange[] = {0x00, 0x07, 0x00};
    EXPECT_TRUE(GetButtonUsages(c.buttonCaps[kIn][0], outOfRange, sizeof outOfRange).empty());
}

TEST(ReportFields, ValuesAreSignExtendedAndScaled) {
    const ParsedCollection mouse = First(testdesc::kBootMouse);
    const uint8_t report[] = {0x00, 0x05, 0xFE, 0x7F};  // buttons 1 and 3, X = -2, Y = 127
    uint32_t raw = 0;
    int32_t scaled = 0;
    ASSERT_TRUE(GetUsageValue(mouse.valueCaps[kIn][0], 0x30, report, sizeof report, raw, scaled));
    EXPECT_EQ(raw, 0xFEu);
    EXPECT_EQ(scaled, -2);
    ASSERT_TRUE(GetUsageValue(mouse.valueCaps[kIn][1], 0x31, report, sizeof report, raw, scaled));
    EXPECT_EQ(scaled, 127);
    EXPECT_FALSE(GetUsageValue(mouse.valueCaps[kIn][1], 0x30, report, sizeof report, raw, scaled));
    EXPECT_FALSE(GetUsageValue(mouse.valueCaps[kIn][1], 0x31, report, 3, raw, scaled));
    EXPECT_EQ(GetButtonUsages(mouse.buttonCaps[kIn][0], report, sizeof report), (std::vector<uint16_t>{1, 3}));

    // Logical 0..255 over physical 0..1000.
    const auto d = InCollection({0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x35, 0x00, 0x46, 0xE8, 0x03, 0x75,
                                 0x08, 0x95, 0x01, 0x81, 0x02});
    const HidValueCaps caps = First(d).valueCaps[kIn].at(0);
    const uint8_t half[] = {0x00, 0x80};
    ASSERT_TRUE(GetUsageValue(caps, 0x01, half, sizeof half, raw, scaled));
    EXPECT_EQ(raw, 0x80u);
    EXPECT_EQ(scaled, 502);  // 128 * 1000 / 255, rounded
}

}  // namespace
