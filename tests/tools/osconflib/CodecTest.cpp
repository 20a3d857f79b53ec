// The library's side of the value contract, without a server: level texts that a reader truncating
// to whole percents reads back unchanged, and property names read no further than they can match.
#include <gtest/gtest.h>
#include <pulse/volume.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "tools/osconflib/PropertyCodec.h"

using namespace osconflib;

namespace {

TEST(ConfLibCodecTest, EveryPercentOfTheServersVolumeStepsReadsBackWhole) {
    for (int percent = 0; percent <= 100; ++percent) {
        // The server keeps the level in its own steps: what a write of percent / 100 becomes.
        const pa_volume_t volume = static_cast<pa_volume_t>(std::round(percent / 100.0f * PA_VOLUME_NORM));
        const std::string text = LevelText(static_cast<double>(volume) / PA_VOLUME_NORM, 0.5 / PA_VOLUME_NORM);
        EXPECT_EQ(static_cast<int>(std::strtod(text.c_str(), nullptr) * 100.0), percent) << text;
        EXPECT_EQ(static_cast<int>(std::strtof(text.c_str(), nullptr) * 100.0f), percent) << text;
    }
    // A level between percents is told as it is.
    EXPECT_EQ(LevelText(0.375, 0.5 / PA_VOLUME_NORM), "0.375000");
}

TEST(ConfLibCodecTest, NamesAreReadOnlyAsFarAsTheyCanMatch) {
    struct Case {
        std::u16string text;
        bool terminated;
        std::optional<Property> expected;
    };
    const Case cases[] = {
        {u"MuteControl", true, Property::MuteControl},
        {u"AAMuteControl", true, Property::AAMuteControl},
        {u"EQ_Slider1", true, Property::EqSlider1},
        {u"EQ_Slider10", true, Property::EqSlider10},
        {u"EQ_Slider11", true, std::nullopt},
        // Unterminated: reading stops at the first unit no name can have there.
        {u"MuteControlX", false, std::nullopt},
        {u"EQ_Slider1X", false, std::nullopt},
        {u"Mutz", false, std::nullopt},
        {u"", true, std::nullopt},
        {u"muteControl", true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        // Exactly the units given, so the sanitizer build sees a read past them.
        const size_t units = c.text.size() + (c.terminated ? 1 : 0);
        std::unique_ptr<char16_t[]> buffer(new char16_t[units ? units : 1]);
        std::copy(c.text.begin(), c.text.end(), buffer.get());
        if (c.terminated) buffer[c.text.size()] = 0;
        if (!c.terminated && c.text.empty()) continue;
        EXPECT_EQ(DecodeName(buffer.get()), c.expected);
    }
}

TEST(ConfLibCodecTest, TextsAreCutToTheBufferAndReadOnlyWhenTerminated) {
    char16_t small[4];
    PutText(small, sizeof small, "12345");
    EXPECT_EQ(std::u16string(small), u"123");
    EXPECT_EQ(ParseDecimalText(small, sizeof small), 123.0);
    const char16_t unterminated[3] = {u'1', u'2', u'3'};
    EXPECT_EQ(ParseDecimalText(unterminated, sizeof unterminated), std::nullopt);
    for (const char16_t* bad : {u"inf", u" 1", u"0x10", u"1,2", u""}) {
        const size_t length = std::char_traits<char16_t>::length(bad);
        EXPECT_EQ(ParseDecimalText(bad, (length + 1) * sizeof(char16_t)), std::nullopt) << std::string(bad, bad + length);
    }
    EXPECT_EQ(ParseDecimalText(u"-0.25", 12), -0.25);
}

}  // namespace
