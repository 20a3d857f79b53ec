#include <algorithm>

#include "EmulatedKeyboardFixture.h"
#include "device/hid/HidInterface.h"
#include "device/registry/InterfaceMatching.h"

using Hotplug = EmulatedKeyboardTest;

TEST_F(Hotplug, KeyboardOccupiesCommandAndEventRowsAndLeavesThemWhenUnplugged) {
    InterfaceList list = MakeInterfaceList();
    CInterfaceScanner scanner;
    EXPECT_TRUE(scanner.RunScanPass(list).arrivals.empty());

    EmulatedKeyboard& keyboard = Plug(0x5062);
    ScanPassResult arrived = scanner.RunScanPass(list);
    std::sort(arrived.arrivals.begin(), arrived.arrivals.end());
    EXPECT_EQ(arrived.arrivals, (std::vector<int>{0, 1}));
    EXPECT_TRUE(list[0].present);
    EXPECT_TRUE(list[1].present);
    EXPECT_NE(list[0].devicePath.find("&col04"), std::string::npos);
    EXPECT_NE(list[1].devicePath.find("&col03"), std::string::npos);
    EXPECT_TRUE(scanner.RunScanPass(list).arrivals.empty()) << "a present device arrives once";

    ASSERT_TRUE(keyboard.Unplug());
    ScanPassResult left = scanner.RunScanPass(list);
    EXPECT_EQ(left.removals.size(), 2u);
    EXPECT_FALSE(list[0].present);
    EXPECT_TRUE(list[0].devicePath.empty());

    std::string error;
    ASSERT_TRUE(keyboard.Replug(error)) << error;
    EXPECT_EQ(scanner.RunScanPass(list).arrivals.size(), 2u);
}

TEST_F(Hotplug, EachProductTakesItsOwnRowsAndASecondIdenticalOneWaits) {
    InterfaceList list = MakeInterfaceList();
    CInterfaceScanner scanner;
    Plug(0x5085, "t3h7");
    Plug(0x5086, "t3n9");
    EmulatedKeyboard& first = Plug(0x5062, "first");
    Plug(0x5062, "second");
    scanner.RunScanPass(list);
    for (int row : {0, 1, 4, 5, 6, 7}) EXPECT_TRUE(list[row].present) << "row " << row;
    for (int row : {2, 3}) EXPECT_FALSE(list[row].present) << "receiver rows are never occupied";

    std::string firstPath = list[0].devicePath;
    first.Unplug();
    scanner.RunScanPass(list);  // removes the first one
    scanner.RunScanPass(list);  // now the second one finds the rows free
    EXPECT_TRUE(list[0].present);
    EXPECT_NE(list[0].devicePath, firstPath);
}
