#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "FakeHid.h"
#include "device/registry/InterfaceScanner.h"

namespace {

std::vector<int> Sorted(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<int> PresentRows(const InterfaceList& list) {
    std::vector<int> rows;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].present) rows.push_back(static_cast<int>(i));
    return rows;
}

class ScannerTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeHidDevice> Plug(std::shared_ptr<FakeHidDevice> device) {
        backend->Add(device);
        return device;
    }

    ScopedFakeBackend backend;
    InterfaceList list = MakeInterfaceList();
    CInterfaceScanner scanner;
};

}  // namespace

TEST_F(ScannerTest, KeyboardCollectionsOccupyRowsZeroAndOneWithoutOpeningTheOthers) {
    auto keyboard = Plug(MakeFakeKeyboard("kb"));
    const ScanPassResult first = scanner.RunScanPass(list);
    EXPECT_EQ(Sorted(first.arrivals), (std::vector<int>{0, 1}));
    EXPECT_TRUE(first.removals.empty());
    EXPECT_EQ(list[0].devicePath, keyboard->PathOf(4));
    EXPECT_EQ(list[1].devicePath, keyboard->PathOf(3));

    struct Opens {
        int collection;
        int access;
    };
    for (const Opens o : {Opens{1, 0}, Opens{2, 0}, Opens{3, 1}, Opens{4, 1}})
        EXPECT_EQ(keyboard->AccessOpens(o.collection), o.access) << "collection " << o.collection;

    // Occupied rows are only probed for removal, with no access.
    const ScanPassResult second = scanner.RunScanPass(list);
    EXPECT_TRUE(second.arrivals.empty());
    EXPECT_TRUE(second.removals.empty());
    EXPECT_EQ(keyboard->AccessOpens(4), 1);
    EXPECT_EQ(keyboard->ProbeOpens(4), 1);
    EXPECT_EQ(keyboard->ProbeOpens(3), 1);
}

TEST_F(ScannerTest, EveryProductTakesItsOwnRowsAndTheReceiverRowsStayFree) {
    Plug(MakeFakeKeyboard("a", 0x5062));
    Plug(MakeFakeKeyboard("b", 0x5085));
    Plug(MakeFakeKeyboard("c", 0x5086));
    auto unsupported = Plug(MakeFakeKeyboard("d", 0x5063));
    EXPECT_EQ(Sorted(scanner.RunScanPass(list).arrivals), (std::vector<int>{0, 1, 4, 5, 6, 7}));
    EXPECT_EQ(PresentRows(list), (std::vector<int>{0, 1, 4, 5, 6, 7}));
    for (int collection = 1; collection <= 4; ++collection) EXPECT_EQ(unsupported->AccessOpens(collection), 0);
}

TEST_F(ScannerTest, SecondIdenticalKeyboardWaitsUntilTheFirstIsUnplugged) {
    auto first = Plug(MakeFakeKeyboard("first"));
    scanner.RunScanPass(list);
    auto second = Plug(MakeFakeKeyboard("second"));
    const ScanPassResult ignored = scanner.RunScanPass(list);
    EXPECT_TRUE(ignored.arrivals.empty());
    EXPECT_EQ(second->AccessOpens(3) + second->AccessOpens(4), 0);

    backend->Remove("first");
    const ScanPassResult swap = scanner.RunScanPass(list);
    EXPECT_EQ(Sorted(swap.removals), (std::vector<int>{0, 1}));
    EXPECT_EQ(Sorted(swap.arrivals), (std::vector<int>{0, 1}));
    EXPECT_EQ(list[0].devicePath, second->PathOf(4));
    EXPECT_EQ(list[1].devicePath, second->PathOf(3));
}

TEST_F(ScannerTest, RemovalFreesTheRowAndClearsItsPath) {
    Plug(MakeFakeKeyboard("kb", 0x5085));
    scanner.RunScanPass(list);
    backend->Remove("kb");
    const ScanPassResult pass = scanner.RunScanPass(list);
    EXPECT_EQ(Sorted(pass.removals), (std::vector<int>{4, 5}));
    EXPECT_TRUE(pass.arrivals.empty());
    EXPECT_TRUE(PresentRows(list).empty());
    for (const DeviceInterfaceEntry& entry : list) EXPECT_TRUE(entry.devicePath.empty());
    EXPECT_TRUE(scanner.RunScanPass(list).removals.empty());
}

TEST_F(ScannerTest, CollectionWithAnotherUsageIsOpenedOncePerPassAndSkipped) {
    auto odd = Plug(MakeFakeKeyboard("odd", 0x5062, 0x0093));
    constexpr int kPasses = 3;
    for (int pass = 0; pass < kPasses; ++pass) scanner.RunScanPass(list);
    EXPECT_EQ(PresentRows(list), (std::vector<int>{1}));
    EXPECT_EQ(odd->AccessOpens(4), kPasses);
    EXPECT_EQ(odd->AccessOpens(3), 1);
}

TEST_F(ScannerTest, InterfaceOtherThanOneIsNeverOpened) {
    auto other = Plug(MakeFakeKeyboard("mi2", 0x5062, 0x0092, 2));
    EXPECT_TRUE(scanner.RunScanPass(list).arrivals.empty());
    for (int collection = 1; collection <= 4; ++collection) EXPECT_EQ(other->AccessOpens(collection), 0);
}
