#include <gtest/gtest.h>

#include "toolkit/ImageString.h"

using namespace DuiLib;

TEST(ImageString, ParsesEveryKeyOfTheImageForm) {
    ImageDescriptor d;
    ASSERT_TRUE(ParseImageString("file='power\\powered.png' source='1,2,3,4' corner='5,6,7,8' dest='0,0,16,16' "
                                 "mask='#FFFF00FF' fade='128' hole='true' xtiled='true' ytiled='false'", d));
    EXPECT_EQ(d.file, "power/powered.png");
    EXPECT_EQ(d.source, (RECT{1, 2, 3, 4}));
    EXPECT_EQ(d.corner, (RECT{5, 6, 7, 8}));
    EXPECT_EQ(d.dest, (RECT{0, 0, 16, 16}));
    EXPECT_EQ(d.mask, 0xFFFF00FFu);
    EXPECT_EQ(d.fade, 128);
    EXPECT_TRUE(d.hole);
    EXPECT_TRUE(d.xtiled);
    EXPECT_FALSE(d.ytiled);
}

TEST(ImageString, BareNamesResAndBrokenInput) {
    struct Case {
        const char* text;
        bool ok;
        const char* file;
        int fade;
    };
    const Case cases[] = {
        {"common/logo.svg", true, "common/logo.svg", 255},
        {"res='rec.png' fade='300'", true, "rec.png", 255},
        {"fade='-5' file='a.png'", true, "a.png", 0},
        {"", false, "", 255},
        {"file='unterminated", false, "", 255},
        {"source='1,2,3,4'", false, "", 255},
    };
    for (const Case& c : cases) {
        ImageDescriptor d;
        EXPECT_EQ(ParseImageString(c.text, d), c.ok) << c.text;
        EXPECT_EQ(d.file, c.file) << c.text;
        EXPECT_EQ(d.fade, c.fade) << c.text;
    }
}

TEST(ImageString, ValuesOfAttributes) {
    struct ColorCase {
        const char* text;
        bool ok;
        DWORD value;
    };
    const ColorCase colors[] = {
        {"#FF101217", true, 0xFF101217}, {"#00c2ff", true, 0xFF00C2FF}, {"0x80112233", true, 0x80112233},
        {"#12345", false, 0},            {"#GG0000", false, 0},         {"", false, 0},
    };
    for (const ColorCase& c : colors) {
        DWORD v = 0;
        EXPECT_EQ(ParseColorValue(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    RECT r{9, 9, 9, 9};
    EXPECT_TRUE(ParseRectValue("1, 2,3 ,4", r));
    EXPECT_EQ(r, (RECT{1, 2, 3, 4}));
    EXPECT_FALSE(ParseRectValue("1,2,3", r));
    EXPECT_EQ(r, (RECT{1, 2, 3, 4}));
    EXPECT_TRUE(ParseBoolValue("TRUE"));
    EXPECT_FALSE(ParseBoolValue("yes"));
}
