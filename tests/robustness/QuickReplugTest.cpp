// A keyboard unplugged and plugged in again between two scan passes is at the same path, but it is
// another device: the scanner must report it gone and back, or its users keep talking to the
// connection that died with the first plug-in.
#include <algorithm>

#include "device/hid/HidTransport.h"
#include "tests/e2e/device/EmulatedKeyboardFixture.h"

using QuickReplug = EmulatedKeyboardTest;

TEST_F(QuickReplug, ReplugBetweenTwoPassesIsARemovalAndAnArrival) {
    InterfaceList list = MakeInterfaceList();
    CInterfaceScanner scanner;
    EmulatedKeyboard& keyboard = Plug(0x5062);
    ASSERT_EQ(scanner.RunScanPass(list).arrivals.size(), 2u);
    const std::string firstInstance = list[0].deviceInstance;
    EXPECT_FALSE(firstInstance.empty());
    EXPECT_TRUE(scanner.RunScanPass(list).removals.empty()) << "an unchanged device stays";

    ASSERT_TRUE(keyboard.Unplug());
    std::string error;
    ASSERT_TRUE(keyboard.Replug(error)) << error;
    const ScanPassResult pass = scanner.RunScanPass(list);
    EXPECT_EQ(pass.removals.size(), 2u);
    EXPECT_EQ(pass.arrivals.size(), 2u);
    EXPECT_TRUE(list[0].present);
    EXPECT_NE(list[0].deviceInstance, firstInstance);
    EXPECT_EQ(list[0].deviceInstance, HidInstanceOf(list[0].devicePath));
}
