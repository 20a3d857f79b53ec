#include <gtest/gtest.h>

#include <set>

#include "device/registry/ModelLookup.h"

TEST(ModelLookup, InterfaceRowByIdsKindAndRole) {
    struct Case {
        uint16_t vid, pid, kind, role;
        int row;
    };
    const Case cases[] = {
        {0x7A61, 0x5062, kKindKeyboard, kRoleCommand, 0},
        {0x7A61, 0x5062, kKindKeyboard, kRoleEvent, 1},
        {0x0000, 0x0000, kKindKeyboardViaReceiver, kRoleCommand, 2},
        {0x0000, 0x0000, kKindKeyboardViaReceiver, kRoleEvent, 3},
        {0x7A61, 0x5085, kKindKeyboard, kRoleCommand, 4},
        {0x7A61, 0x5086, kKindKeyboard, kRoleEvent, 7},
        {0x7A61, 0x5062, kKindKeyboardViaReceiver, kRoleCommand, -1},
        {0x7A61, 0x5062, kKindKeyboard, 1, -1},
        {0x0C76, 0x1630, kKindHeadset, kRoleCommand, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindInterfaceRow(c.vid, c.pid, c.kind, c.role), c.row) << std::hex << c.pid << " kind " << c.kind;
}

TEST(ModelLookup, PageRowByIdsKindAndRole) {
    struct Case {
        int32_t vid, pid, kind, role;
        int row;
    };
    const Case cases[] = {
        {0, 0, kKindMouse, kRoleCommand, 0},
        {0x7A61, 0x5062, kKindKeyboard, kRoleCommand, 1},
        {0, 0, kKindMousePad, kRoleCommand, 2},
        {0x0C76, 0x1630, kKindHeadset, kRoleCommand, 3},
        {0x7A61, 0x5085, kKindKeyboard, kRoleCommand, 4},
        {0x7A61, 0x5086, kKindKeyboard, kRoleCommand, 5},
        {0x7A61, 0x5062, kKindKeyboard, kRoleEvent, -1},
        {0, 0, kKindKeyboardViaReceiver, kRoleCommand, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindPageRow(c.vid, c.pid, c.kind, c.role), c.row) << std::hex << c.pid << " kind " << c.kind;
}

TEST(ModelLookup, OnlyTheThreeKeyboardPagesHaveAnInterfaceRow) {
    std::set<size_t> withInterface;
    for (size_t p = 0; p < kPageTable.size(); ++p) {
        const DevicePageEntry& page = kPageTable[p];
        if (FindInterfaceRow(static_cast<uint16_t>(page.vendorId), static_cast<uint16_t>(page.productId),
                             static_cast<uint16_t>(page.deviceKind), static_cast<uint16_t>(page.interfaceRole)) >= 0)
            withInterface.insert(p);
    }
    EXPECT_EQ(withInterface, (std::set<size_t>{1, 4, 5}));
}

TEST(ModelLookup, PageRowOfAnInterfaceRow) {
    struct Case {
        int interfaceRow;
        int pageRow;
    };
    const Case cases[] = {{0, 1}, {4, 4}, {6, 5}, {1, -1}, {2, -1}, {3, -1}, {8, -1}, {-1, -1}};
    for (const Case& c : cases) EXPECT_EQ(FindPageRowForInterface(c.interfaceRow), c.pageRow) << c.interfaceRow;
}

TEST(ModelLookup, KeyboardPagesNameTheirLayoutsAndDataFolder) {
    for (size_t p : {1u, 4u, 5u}) {
        EXPECT_STREQ(kPageTable[p].typeFolderName, "keyboard");
        EXPECT_EQ(kLayoutTable[p].lightCount, 170);
        EXPECT_EQ(kLayoutTable[p].receiverCapable, 0);
        EXPECT_STREQ(kLayoutTable[p].defaultLightingName, "nuvex_light");
    }
    EXPECT_STREQ(kPageTable[4].listEntryLayout, "XML\\CustomControlXML\\DeviceOption_T3H7.xml");
    EXPECT_STREQ(kLayoutTable[1].pageLayout, "XML\\DeviceXml\\keyboarddevice.xml");
}
