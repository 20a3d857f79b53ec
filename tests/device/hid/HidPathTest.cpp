#include <gtest/gtest.h>

#include "device/hid/HidInterface.h"
#include "device/hid/HidPath.h"

namespace {

struct PathCase {
    const char* path;
    uint16_t vid, pid, mi, col;
};

constexpr PathCase kPathCases[] = {
    {"emu:/run/a.sock#vid_7a61&pid_5062&mi_01&col04", 0x7A61, 0x5062, 1, 4},
    {"hidraw:/dev/hidraw3#vid_7a61&pid_5062", 0x7A61, 0x5062, 0, 0},  // no &mi_ / &col
    {"\\\\?\\hid#VID_7A61&PID_5062&MI_01&COL03#7&1a2b", 0x7A61, 0x5062, 1, 3},  // upper case
    {"x#vid_zz61&pid_5062", 0, 0x5062, 0, 0},                     // "vid_" then non-hex
    {"x#vid_&pid_", 0, 0, 0, 0},                                   // markers with no digits
    {"x#vid_12345&pid_00ff", 0x2345, 0x00FF, 0, 0},               // low 16 bits only
    {"x#vid_7a61&pid_5062&mi_1f&col1a", 0x7A61, 0x5062, 0x1F, 0x1A},
    {"", 0, 0, 0, 0},
    {"vid_", 0, 0, 0, 0},
};

TEST(HidPathParsers, ReadTheHexNumberBehindEachMarker) {
    for (const PathCase& c : kPathCases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ParseVid(c.path), c.vid);
        EXPECT_EQ(ParsePid(c.path), c.pid);
        EXPECT_EQ(ParseInterfaceNumber(c.path), c.mi);
        EXPECT_EQ(ParseCollectionNumber(c.path), c.col);
    }
}

TEST(HidPathParsers, SchemeAndLocationSplitAtColonAndLastHash) {
    EXPECT_EQ(PathScheme("emu:/tmp/x#y.sock#vid_1"), "emu");
    EXPECT_EQ(PathLocation("emu:/tmp/x#y.sock#vid_1"), "/tmp/x#y.sock");
    EXPECT_EQ(PathScheme("fake#vid_1"), "fake");
    EXPECT_EQ(PathLocation("fake#vid_1"), "");
    EXPECT_EQ(PathLocation("hidraw:/dev/hidraw0"), "");
}

TEST(HidPathParsers, FormattedPathsParseBack) {
    const std::string single = FormatInterfacePath("emu", "/s/a.sock", 0x7A61, 0x5062, 1, 0);
    EXPECT_EQ(single, "emu:/s/a.sock#vid_7a61&pid_5062&mi_01");
    const std::string multi = FormatInterfacePath("hidraw", "/dev/hidraw2", 0x7A61, 0x5062, 1, 4);
    EXPECT_EQ(multi, "hidraw:/dev/hidraw2#vid_7a61&pid_5062&mi_01&col04");
    EXPECT_EQ(ParseCollectionNumber(multi), 4);
    EXPECT_EQ(PathLocation(multi), "/dev/hidraw2");
}

}  // namespace
