// The scanning thread's hot-plug notices and its pass over known interfaces, against emulated
// keyboards through the real HID layer.
#include <poll.h>

#include <algorithm>

#include "app/shell/DeviceScanThread.h"
#include "device/hid/HidHotplugMonitor.h"
#include "tests/e2e/device/EmulatedKeyboardFixture.h"

namespace {

using DeviceScan = EmulatedKeyboardTest;

// Waits for the monitor's notices; what went away is added to gone.
bool Noticed(CHidHotplugMonitor& monitor, std::vector<std::string>& gone) {
    pollfd pfd{monitor.Fd(), POLLIN, 0};
    if (poll(&pfd, 1, 2000) != 1) return false;
    return monitor.Drain(gone);
}

std::vector<int> Sorted(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace

TEST_F(DeviceScan, EmulatorFolderNoticesArrivalAndRemoval) {
    CHidHotplugMonitor monitor;
    ASSERT_TRUE(monitor.WatchesEmulatorFolder());
    const std::string socket = (dir_ / "kbd.sock").string();
    auto named = [&](const std::vector<std::string>& gone) { return std::count(gone.begin(), gone.end(), socket); };
    std::vector<std::string> gone;
    EmulatedKeyboard& keyboard = Plug(0x5062);
    EXPECT_TRUE(Noticed(monitor, gone));
    EXPECT_EQ(named(gone), 0) << "an arrival is not a removal";
    gone.clear();
    ASSERT_TRUE(keyboard.Unplug());
    EXPECT_TRUE(Noticed(monitor, gone));
    EXPECT_EQ(named(gone), 1);
}

TEST_F(DeviceScan, KnownInterfacesStayUntilTheyGoAndAQuickReplugIsSeen) {
    InterfaceList list = MakeInterfaceList();
    CKnownInterfaceScanner scanner;
    EXPECT_TRUE(scanner.RunPass(list, {}).arrivals.empty());

    EmulatedKeyboard& keyboard = Plug(0x5062);
    EXPECT_EQ(Sorted(scanner.RunPass(list, {}).arrivals), (std::vector<int>{0, 1}));
    const ScanChanges again = scanner.RunPass(list, {});
    EXPECT_TRUE(again.arrivals.empty() && again.removals.empty()) << "a present device arrives once";

    // Out and back in between two passes: the socket path is the same, but the notice says it went.
    ASSERT_TRUE(keyboard.Unplug());
    std::string error;
    ASSERT_TRUE(keyboard.Replug(error)) << error;
    const ScanChanges replugged = scanner.RunPass(list, {(dir_ / "kbd.sock").string()});
    EXPECT_EQ(Sorted(replugged.removals), (std::vector<int>{0, 1}));
    EXPECT_EQ(Sorted(replugged.arrivals), (std::vector<int>{0, 1}));

    // Gone without a notice (the safety net): no longer enumerated.
    ASSERT_TRUE(keyboard.Unplug());
    EXPECT_EQ(Sorted(scanner.RunPass(list, {}).removals), (std::vector<int>{0, 1}));
    EXPECT_FALSE(list[0].present);
}
