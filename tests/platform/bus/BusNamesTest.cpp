#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/bus/BusAdmission.h"
#include "platform/bus/BusNames.h"
#include "platform/bus/KnownMessages.h"

namespace {

TEST(BusNames, TargetsMapToTheirBusNames) {
    // "org.zorv.Win.t_" and 240 hex digits make the longest bus name, 255 bytes.
    const std::string maxTitle(120, 'a');
    std::string maxTitleName = "org.zorv.Win.t_";
    for (int i = 0; i < 120; ++i) maxTitleName += "61";
    struct Case {
        BusTarget target;
        std::string expected;
    } cases[] = {
        {BusTarget::ByHandle(0x1a), "org.zorv.Win.h_1a"},
        {BusTarget::ByHandle(0xFFFFFFFFFFFFFFFFull), "org.zorv.Win.h_ffffffffffffffff"},
        {BusTarget::ByHandle(0), ""},
        {BusTarget::ByTitle("ZuzaZoro"), "org.zorv.Win.t_5a757a615a6f726f"},
        {BusTarget::ByTitle("灯"), "org.zorv.Win.t_e781af"},
        {BusTarget::ByTitle(""), ""},
        {BusTarget::ByClass("MainWnd"), "org.zorv.Win.c_4d61696e576e64"},
        {BusTarget::ByTitle(maxTitle), maxTitleName},
        {BusTarget::ByTitle(maxTitle + "a"), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.target.BusName(), c.expected) << c.target.Describe();
        EXPECT_LE(c.target.BusName().size(), kMaxBusNameLength);
    }
}

TEST(BusNames, BusStringsAreValidUtf8WithoutNul) {
    struct Case {
        std::string text;
        bool valid;
    } cases[] = {
        {"", true},
        {"Zorv Wired Manager 1.0", true},
        {"控制灯光", true},
        {"\xF0\x9F\x8E\xAE", true},                 // four-byte form
        {std::string("a\0b", 3), false},             // NUL
        {"\xFF", false},                             // never a UTF-8 byte
        {"\xE7\x81", false},                         // cut short
        {"\xC0\x80", false},                         // over-long NUL
        {"\xED\xA0\x80", false},                     // surrogate
        {"\xF4\x90\x80\x80", false},                 // past U+10FFFF
        {"\x80", false},                             // stray continuation byte
    };
    for (const auto& c : cases) EXPECT_EQ(IsBusString(c.text), c.valid) << HexOfBytes(c.text);
}

TEST(BusNames, NewHandlesAreDistinctAndNonZero) {
    std::set<uint64_t> seen;
    for (int i = 0; i < 1000; ++i) {
        uint64_t handle = NewWindowHandle();
        EXPECT_NE(handle, 0u);
        EXPECT_TRUE(seen.insert(handle).second);
    }
}

TEST(BusAdmission, OnlyRegisteredMessagesFromOtherProgramsAreAdmitted) {
    struct Case {
        const char* name;
        bool admitted;
    } cases[] = {
        {"Game_Start", true},
        {"Game_Death", true},
        {"Zorv Wired Manager 1.0", true},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", true},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBE19}", true},
        {"UWM_MOUSEMOVE_USER_MSG", true},
        {"game_start", false},                               // names are exact
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF19}", false},   // the capture message is EBE19
        {"", false},
        {"WM_HOOK_KEY_KBMACRO_MSG", false},                  // lParam is a record pointer
        {"WM_HOOK_KEY_SINGLEKEY_MSG", false},
    };
    for (const auto& c : cases) EXPECT_EQ(RefusalOfMessage(c.name) == nullptr, c.admitted) << c.name;
}

TEST(BusAdmission, CopyDataUpToTheLimitIsAdmitted) {
    EXPECT_EQ(RefusalOfCopyData(0), nullptr);
    EXPECT_EQ(RefusalOfCopyData(kMaxCopyDataBytes), nullptr);
    EXPECT_NE(RefusalOfCopyData(kMaxCopyDataBytes + 1), nullptr);
}

TEST(KnownMessages, NamesAndCodeNamesAreUniqueAndFound) {
    std::set<std::string_view> names, codeNames;
    for (const auto& known : kKnownMessages) {
        EXPECT_TRUE(names.insert(known.name).second) << known.name;
        EXPECT_TRUE(IsBusString(known.name));
        EXPECT_EQ(FindKnownMessage(known.name), &known);
        if (!known.codeName.empty()) {
            EXPECT_TRUE(codeNames.insert(known.codeName).second) << known.codeName;
            EXPECT_EQ(FindKnownMessageByCodeName(known.codeName), &known);
        }
    }
    std::set<uint64_t> ids;
    for (const auto& known : kKnownCopyData) {
        EXPECT_TRUE(ids.insert(known.dataId).second);
        EXPECT_LE(known.size, kMaxCopyDataBytes);
    }
}

}  // namespace
