#include <gtest/gtest.h>

#include "tools/zorv-msg/MsgCommandLine.h"

namespace {

MsgParseResult Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "zorv-msg");
    return ParseMsgCommandLine(args);
}

TEST(MsgCommandLine, NumbersAreWholeDecimalOrHex) {
    EXPECT_EQ(ParseUnsignedNumber("0"), 0u);
    EXPECT_EQ(ParseUnsignedNumber("0x1F"), 31u);
    EXPECT_EQ(ParseUnsignedNumber("18446744073709551615"), UINT64_MAX);
    EXPECT_EQ(ParseSignedNumber("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ParseSignedNumber("-0x10"), -16);
    for (const char* bad : {"", "12x", "0x", "-", "18446744073709551616", " 1", "+1"})
        EXPECT_FALSE(ParseUnsignedNumber(bad)) << bad;
    EXPECT_FALSE(ParseSignedNumber("9223372036854775808"));
    EXPECT_FALSE(ParseSignedNumber("-9223372036854775809"));
    EXPECT_EQ(ParseHexBytes("01 02:ff"), (std::vector<uint8_t>{1, 2, 0xFF}));
    EXPECT_EQ(ParseHexBytes(""), std::vector<uint8_t>{});
    for (const char* bad : {"1", "0g", "012"}) EXPECT_FALSE(ParseHexBytes(bad)) << bad;
}

TEST(MsgCommandLine, GoodCommandsAreUnderstood) {
    auto post = Parse({"post", "--handle", "1a", "Game_Kill", "0", "-3"});
    ASSERT_TRUE(post.command) << post.error;
    EXPECT_EQ(post.command->verb, MsgCommand::Verb::Post);
    EXPECT_EQ(post.command->target->BusName(), "org.zorv.Win.h_1a");
    EXPECT_EQ(post.command->lParam, -3);

    auto send = Parse({"send", "--title", "ZuzaZoro", "--timeout", "250", "Game_End"});
    ASSERT_TRUE(send.command) << send.error;
    EXPECT_EQ(send.command->timeoutMs, 250u);
    EXPECT_EQ(send.command->target->Describe(), "title \"ZuzaZoro\"");

    auto copy = Parse({"copydata", "--class", "C", "--id", "0x5", "--hex", "00ff"});
    ASSERT_TRUE(copy.command) << copy.error;
    EXPECT_EQ(copy.command->dataId, 5u);
    EXPECT_EQ(copy.command->hexBytes, (std::vector<uint8_t>{0, 0xFF}));

    auto find = Parse({"find", "--class", "C", "--title", "T"});
    ASSERT_TRUE(find.command) << find.error;
    EXPECT_EQ(find.command->className, "C");
    EXPECT_EQ(find.command->title, "T");

    // "--" lets a name start with dashes.
    auto dashed = Parse({"broadcast", "--", "--odd--", "1"});
    ASSERT_TRUE(dashed.command) << dashed.error;
    EXPECT_EQ(dashed.command->name, "--odd--");
}

TEST(MsgCommandLine, MistakesAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"shout"},
        {"post", "Game_Start"},                                   // no target
        {"post", "--title", "A", "--class", "B", "Game_Start"},  // two targets
        {"post", "--title", "A"},                                 // no name
        {"post", "--title", "A", "N", "1", "2", "3"},             // too many
        {"post", "--title", "A", "N", "-1"},                      // wParam is unsigned
        {"post", "--handle", "0", "N"},
        {"post", "--handle", "xyz", "N"},
        {"post", "--title"},                                      // option without value
        {"broadcast", "--title", "A", "N"},
        {"copydata", "--title", "A", "--hex", "00"},              // no id
        {"copydata", "--title", "A", "--id", "1"},                // no data
        {"copydata", "--title", "A", "--id", "1", "--hex", "0", "--text", "x"},
        {"find"},
        {"listen", "extra"},
        {"list", "--title", "x"},
        {"send", "--title", "A", "--timeout", "0", "N"},
        {"post", "--title", "A", "\xFF"},
    };
    for (const auto& args : cases) {
        MsgParseResult result = Parse(args);
        EXPECT_FALSE(result.command) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(result.error.empty());
    }
}

}  // namespace
