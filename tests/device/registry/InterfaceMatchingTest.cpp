#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/registry/InterfaceMatching.h"

namespace {

InterfaceCandidate Candidate(uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col, uint16_t page, uint16_t usage,
                             std::string path = "fake:x#vid_7a61&pid_5062&mi_01&col04") {
    return {vid, pid, mi, col, page, usage, std::move(path)};
}

}  // namespace

TEST(InterfaceList, StartsAsACopyOfTheTableWithEveryRowFree) {
    const InterfaceList list = MakeInterfaceList();
    ASSERT_EQ(list.size(), kInterfaceTable.size());
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].present, 0);
        EXPECT_TRUE(list[i].devicePath.empty());
        EXPECT_EQ(list[i].usagePage, kInterfaceTable[i].usagePage);
        EXPECT_EQ(list[i].partnerRow, kInterfaceTable[i].partnerRow);
    }
    EXPECT_TRUE(AnyRowFree(list));
}

TEST(InterfaceMatching, PrecheckLooksAtThePathAlone) {
    struct Case {
        const char* path;
        bool passes;
    };
    const Case cases[] = {
        {"fake:a#vid_7a61&pid_5062&mi_01&col04", true},
        {"fake:a#vid_7a61&pid_5062&mi_01&col03", true},
        {"hidraw:/dev/hidraw9#VID_7A61&PID_5086&MI_01&COL04", true},
        {"fake:a#vid_7a61&pid_5062&mi_01&col02", false},
        {"fake:a#vid_7a61&pid_5062&mi_01&col01", false},
        {"fake:a#vid_7a61&pid_5062&mi_01", false},
        {"fake:a#vid_7a61&pid_5062&mi_00&col04", false},
        {"fake:a#vid_7a61&pid_5063&mi_01&col04", false},
        {"fake:a#vid_0000&pid_0000&mi_01&col04", false},
        {"fake:a#mi_01&col04", false},
        {"", false},
    };
    const InterfaceList list = MakeInterfaceList();
    for (const Case& c : cases) EXPECT_EQ(PassesPrecheck(list, c.path), c.passes) << c.path;
}

TEST(InterfaceMatching, OccupiedRowFailsThePrecheck) {
    InterfaceList list = MakeInterfaceList();
    list[0].present = 1;
    list[0].devicePath = "fake:first#vid_7a61&pid_5062&mi_01&col04";
    EXPECT_FALSE(PassesPrecheck(list, "fake:second#vid_7a61&pid_5062&mi_01&col04"));
    EXPECT_TRUE(PassesPrecheck(list, "fake:second#vid_7a61&pid_5062&mi_01&col03"));
    // A path left behind without the present flag still blocks the row.
    list[0].present = 0;
    EXPECT_FALSE(PassesPrecheck(list, "fake:second#vid_7a61&pid_5062&mi_01&col04"));
}

TEST(InterfaceMatching, CandidateOccupiesTheFirstFreeRowWithAllSixValues) {
    struct Case {
        const char* name;
        InterfaceCandidate candidate;
        int row;
    };
    const std::vector<Case> cases{
        {"command collection", Candidate(0x7A61, 0x5062, 1, 4, 0xFF1C, 0x92), 0},
        {"event collection", Candidate(0x7A61, 0x5062, 1, 3, 0x000C, 0x01), 1},
        {"third product", Candidate(0x7A61, 0x5086, 1, 4, 0xFF1C, 0x92), 6},
        {"wrong usage", Candidate(0x7A61, 0x5062, 1, 4, 0xFF1C, 0x93), -1},
        {"wrong usage page", Candidate(0x7A61, 0x5062, 1, 3, 0x0001, 0x01), -1},
        {"receiver values", Candidate(0x0000, 0x0000, 1, 4, 0xFF1C, 0x92), -1},
        {"no path", Candidate(0x7A61, 0x5062, 1, 4, 0xFF1C, 0x92, ""), -1},
    };
    for (const Case& c : cases) {
        InterfaceList list = MakeInterfaceList();
        EXPECT_EQ(MatchInterface(list, c.candidate), c.row) << c.name;
        for (size_t i = 0; i < list.size(); ++i) {
            const bool taken = static_cast<int>(i) == c.row;
            EXPECT_EQ(list[i].present, taken ? 1 : 0) << c.name << " row " << i;
            EXPECT_EQ(list[i].devicePath, taken ? c.candidate.path : "") << c.name << " row " << i;
        }
    }
}

TEST(InterfaceMatching, TwoCollectionsOccupyTheirRowsAndASecondKeyboardFindsNone) {
    InterfaceList list = MakeInterfaceList();
    EXPECT_EQ(MatchInterface(list, Candidate(0x7A61, 0x5062, 1, 3, 0x0C, 0x01, "a3")), 1);
    EXPECT_EQ(MatchInterface(list, Candidate(0x7A61, 0x5062, 1, 4, 0xFF1C, 0x92, "a4")), 0);
    EXPECT_EQ(MatchInterface(list, Candidate(0x7A61, 0x5062, 1, 4, 0xFF1C, 0x92, "b4")), -1);
    EXPECT_EQ(list[0].devicePath, "a4");
    EXPECT_EQ(list[1].devicePath, "a3");
}

TEST(InterfaceMatching, MismatchIsExplainedForTheInspector) {
    InterfaceList list = MakeInterfaceList();
    list[0].present = 1;
    list[0].devicePath = "first";
    struct Case {
        InterfaceCandidate candidate;
        const char* says;
    };
    const Case cases[] = {
        {Candidate(0x1234, 0x5678, 0, 0, 1, 6), "not a supported product"},
        {Candidate(0x0000, 0x0000, 1, 4, 0xFF1C, 0x92), "vendor id 0"},
        {Candidate(0x7A61, 0x5085, 2, 4, 0xFF1C, 0x92), "interface 2 is not used"},
        {Candidate(0x7A61, 0x5085, 1, 2, 0x0001, 0x80), "collection 2 is not used (the rows use collection 4, 3)"},
        {Candidate(0x7A61, 0x5085, 1, 4, 0xFF00, 0x01),
         "collection 4 has usage page 0xff00 usage 0x0001; row 4 expects usage page 0xff1c usage 0x0092"},
        {Candidate(0x7A61, 0x5062, 1, 4, 0xFF1C, 0x92, "second"), "row 0 is already taken by first"},
        {Candidate(0x7A61, 0x5062, 1, 3, 0x0C, 0x01), ""},
        {Candidate(0x7A61, 0x5062, 1, 4, 0xFF1C, 0x92, "first"), ""},
    };
    for (const Case& c : cases) {
        const std::string text = DescribeMismatch(list, c.candidate);
        if (*c.says == '\0')
            EXPECT_EQ(text, "");
        else
            EXPECT_NE(text.find(c.says), std::string::npos) << text;
    }
}
