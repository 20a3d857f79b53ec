// The pure wire formats of the mouse: edge cases as tables.
#include <gtest/gtest.h>

#include "engines/mouse/MouseTables.h"

TEST(MouseTables, SettingsPageEdgeCases) {
    DpiStage one;
    one.StageActive = 0;  // a stage switched off still goes out as stored
    one.SetDpiX(0x0123);
    one.SetDpiY(0x0456);
    one.StageColorB = 9;
    const struct {
        const char* name;
        uint8_t effect;
        std::vector<DpiStage> stages;
        std::vector<CorrectionEntry> corrections;
        uint8_t effectByte;
        uint8_t correction64, correction65;
    } cases[] = {
        {"stock effect", 8, {one}, {}, 8, 0, 0},
        {"user effect 9", 9, {}, {}, 0, 0, 0},
        {"first selected correction", 2, {}, {{5, 6, 0, "a"}, {7, 8, 1, "b"}, {9, 10, 1, "c"}}, 2, 8, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MouseSettingsInput input;
        input.light.SelectItem = c.effect;
        input.stages = c.stages;
        input.corrections = c.corrections;
        const MouseSettingsPage page = BuildMouseSettingsPage(input);
        EXPECT_EQ(page[1], c.effectByte);
        EXPECT_EQ(page[64], c.correction64);
        EXPECT_EQ(page[65], c.correction65);
        EXPECT_EQ(page[59], 1);
        for (size_t i = 14 + 9 * c.stages.size(); i < 59; ++i) EXPECT_EQ(page[i], 0) << i;
        if (!c.stages.empty()) {
            const std::vector<uint8_t> record(page.begin() + 14, page.begin() + 23);
            EXPECT_EQ(record, (std::vector<uint8_t>{0, 0, 0x23, 0x01, 0x56, 0x04, 0, 0, 9}));
        }
        for (size_t i = 66; i < page.size(); ++i) EXPECT_EQ(page[i], 0);
    }
}

TEST(MouseTables, SlotMapTakesTheFirstPositionOfEachFactoryCode) {
    // Position 0 and 2 both hold logical 1's code; logical 0 is missing.
    const std::vector<uint8_t> table = {0x10, 0x02, 0x00, 0x13, 0x03, 0x00, 0x10, 0x02, 0x00, 0x16, 0x90, 0x01};
    const ButtonSlotMap map = BuildButtonSlotMap(table);
    const ButtonSlotMap expected = {kNoButtonSlot, 0, kNoButtonSlot, kNoButtonSlot, kNoButtonSlot, kNoButtonSlot,
                                    kNoButtonSlot, 1, kNoButtonSlot, 3};
    EXPECT_EQ(map, expected);
}

TEST(MouseTables, UploadImageOfEmptyPatternsIsFortyBytes) {
    const auto image = BuildShootUploadImage({{}, {}, {}, {}});
    const std::vector<uint8_t> expected = {0xAA, 0x55, 40, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           24,   0,    28, 0, 32, 0, 36, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0,    0,    0,  0, 0,  0, 0,  0};
    EXPECT_EQ(image, expected);
}

TEST(MouseTables, PreviewIntervalsBySpeed) {
    const uint32_t expected[] = {28, 23, 18, 13, 7, 7};
    for (unsigned speed = 0; speed < 6; ++speed) EXPECT_EQ(MousePreviewInterval(speed), expected[speed]) << speed;
}
