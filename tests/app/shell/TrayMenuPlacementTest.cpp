#include <gtest/gtest.h>

#include "app/shell/TrayMenuPlacement.h"

using DuiLib::POINT;
using DuiLib::RECT;
using DuiLib::SIZE;

namespace {
constexpr RECT kScreen{0, 0, 1920, 1080};
constexpr SIZE kMenu{168, 116};
}  // namespace

TEST(TrayMenuPlacement, PanelEdgeIsTheWidestStripTheAvailableAreaLeaves) {
    const struct {
        RECT available;
        PanelEdge edge;
    } cases[] = {{kScreen, PanelEdge::None},
                 {{0, 32, 1920, 1080}, PanelEdge::Top},
                 {{48, 0, 1920, 1080}, PanelEdge::Left},
                 {{0, 0, 1920, 1040}, PanelEdge::Bottom},
                 {{0, 0, 1872, 1080}, PanelEdge::Right},
                 // A thin top bar and a dock at the bottom: the dock is the panel.
                 {{0, 24, 1920, 1000}, PanelEdge::Bottom},
                 {{}, PanelEdge::None}};
    for (const auto& c : cases)
        EXPECT_EQ(FindPanelEdge(kScreen, c.available), c.edge)
            << c.available.left << "," << c.available.top << "," << c.available.right << "," << c.available.bottom;
}

TEST(TrayMenuPlacement, OpensBesideThePanelElseAtTheCursorAndStaysOnScreen) {
    const struct {
        const char* what;
        RECT screen;
        RECT available;
        POINT cursor;
        SIZE menu;
        RECT expected;
    } cases[] = {
        {"bottom panel: right edge at the cursor, 20 above the panel", kScreen, {0, 0, 1920, 1040}, {1800, 1060}, kMenu,
         {1632, 904, 1800, 1020}},
        {"top panel: right edge at the cursor, just below the panel", kScreen, {0, 32, 1920, 1080}, {1800, 10}, kMenu,
         {1632, 33, 1800, 149}},
        {"left panel: bottom edge at the cursor, just right of the panel", kScreen, {48, 0, 1920, 1080}, {20, 1000},
         kMenu, {49, 884, 217, 1000}},
        {"right panel: bottom right corner at the cursor, left of the panel", kScreen, {0, 0, 1872, 1080}, {1900, 1000},
         kMenu, {1703, 884, 1871, 1000}},
        {"no panel: top left corner at the cursor", kScreen, kScreen, {500, 400}, kMenu, {500, 400, 668, 516}},
        {"no panel, cursor in the corner: pushed back on screen", kScreen, kScreen, {1900, 1070}, kMenu,
         {1752, 964, 1920, 1080}},
        {"top panel, cursor at the left end: not off the left edge", kScreen, {0, 32, 1920, 1080}, {50, 10}, kMenu,
         {0, 33, 168, 149}},
        {"left panel, cursor near the top: not over the top edge", kScreen, {48, 0, 1920, 1080}, {20, 40}, kMenu,
         {49, 0, 217, 116}},
        {"second monitor with its own bottom panel", {1920, 0, 3840, 1080}, {1920, 0, 3840, 1040}, {3700, 1060}, kMenu,
         {3532, 904, 3700, 1020}},
        {"144 DPI menu over a bottom panel", kScreen, {0, 0, 1920, 1040}, {1800, 1060}, {252, 174},
         {1548, 846, 1800, 1020}},
        {"a menu larger than the area keeps its top left corner in it", kScreen, {0, 0, 1920, 1040}, {900, 1060},
         {3000, 2000}, {0, 0, 3000, 2000}},
        {"no available area reported: the screen counts", kScreen, {}, {500, 400}, kMenu, {500, 400, 668, 516}},
    };
    for (const auto& c : cases) {
        const RECT got = PlaceTrayMenu(c.cursor, c.menu, c.screen, c.available);
        EXPECT_EQ(got, c.expected) << c.what << ": got " << got.left << "," << got.top << "," << got.right << ","
                                   << got.bottom;
    }
}
