#pragma once
// The four constant tables through which the program knows its devices. Only run-time copies
// are ever changed (present flag and path of an interface row, firmware version of a product row).
#include <array>
#include <cstdint>
#include <string>

#include "device/registry/DeviceKinds.h"

// Interface-table row, columns in table order.
struct DeviceInterfaceRow {
    uint16_t vendorId;
    uint16_t productId;
    uint16_t interfaceNumber;  // "&mi_" of the path
    uint16_t collectionNumber;  // "&col" of the path
    uint16_t deviceKind;
    uint16_t interfaceRole;
    uint16_t present;  // 0 in the table
    uint16_t usagePage;
    uint16_t usage;
    uint16_t hasPartner;  // reachable both directly and through the receiver
    uint16_t partnerRow;  // the same interface on the other connection
};

// Run-time copy of an interface row: present while a device occupies it, with its path.
struct DeviceInterfaceEntry : DeviceInterfaceRow {
    std::string devicePath;
    // Which plug-in of the device the path led to when it arrived (see HidInstanceOf).
    std::string deviceInstance;
};

struct DevicePageEntry {
    const char* listEntryLayout;
    const char* tabHeaderControl;
    const char* powerSwitchControl;
    const char* typeFolderName;  // also the device's data folder and default profile name
    int32_t modelIndex;
    int32_t vendorId;
    int32_t productId;
    int32_t deviceKind;
    int32_t interfaceRole;
};

struct DeviceLayoutEntry {
    int32_t lightCount;
    int32_t keyCount;
    int32_t receiverCapable;
    int32_t auxiliaryIndex;  // mouse engine only
    const char* pageLayout;
    const char* defaultLightingName;
};

struct ProductInfoEntry {
    int32_t productClass;
    int32_t enabled;
    int32_t firmwareVersion;  // 0 in the table; filled by FillProductVersions
    const char* vendorName;
    const char* modelCode;
    const char* productNumber;
    const char* productName;
    const char* extraLabel;
};

// Receiver rows (vendor and product id 0) only serve as partners: no real interface matches them.
inline constexpr std::array<DeviceInterfaceRow, 8> kInterfaceTable{{
    {0x7A61, 0x5062, 1, 4, kKindKeyboard, kRoleCommand, 0, 0xFF1C, 0x0092, 1, 2},
    {0x7A61, 0x5062, 1, 3, kKindKeyboard, kRoleEvent, 0, 0x000C, 0x0001, 1, 3},
    {0x0000, 0x0000, 1, 4, kKindKeyboardViaReceiver, kRoleCommand, 0, 0xFF1C, 0x0092, 1, 0},
    {0x0000, 0x0000, 1, 3, kKindKeyboardViaReceiver, kRoleEvent, 0, 0x000C, 0x0001, 1, 1},
    {0x7A61, 0x5085, 1, 4, kKindKeyboard, kRoleCommand, 0, 0xFF1C, 0x0092, 1, 2},
    {0x7A61, 0x5085, 1, 3, kKindKeyboard, kRoleEvent, 0, 0x000C, 0x0001, 1, 3},
    {0x7A61, 0x5086, 1, 4, kKindKeyboard, kRoleCommand, 0, 0xFF1C, 0x0092, 1, 2},
    {0x7A61, 0x5086, 1, 3, kKindKeyboard, kRoleEvent, 0, 0x000C, 0x0001, 1, 3},
}};

inline constexpr const char kDeviceOptionLayout[] = "XML\\CustomControlXML\\DeviceOption.xml";
inline constexpr const char kTabHeaderControl[] = "tab_header_device";
inline constexpr const char kPowerSwitchControl[] = "device_power_switch";

inline constexpr std::array<DevicePageEntry, 6> kPageTable{{
    {kDeviceOptionLayout, kTabHeaderControl, kPowerSwitchControl, "mouse", 1, 0, 0, kKindMouse, kRoleCommand},
    {kDeviceOptionLayout, kTabHeaderControl, kPowerSwitchControl, "keyboard", 0, 0x7A61, 0x5062, kKindKeyboard,
     kRoleCommand},
    {kDeviceOptionLayout, kTabHeaderControl, kPowerSwitchControl, "MousePad", 2, 0, 0, kKindMousePad, kRoleCommand},
    {kDeviceOptionLayout, kTabHeaderControl, kPowerSwitchControl, "HD", 3, 0x0C76, 0x1630, kKindHeadset,
     kRoleCommand},
    {"XML\\CustomControlXML\\DeviceOption_T3H7.xml", kTabHeaderControl, kPowerSwitchControl, "keyboard", 4, 0x7A61,
     0x5085, kKindKeyboard, kRoleCommand},
    {"XML\\CustomControlXML\\DeviceOption_T3N9.xml", kTabHeaderControl, kPowerSwitchControl, "keyboard", 5, 0x7A61,
     0x5086, kKindKeyboard, kRoleCommand},
}};

// One row per page-table row, same index.
inline constexpr std::array<DeviceLayoutEntry, 6> kLayoutTable{{
    {6, 7, 1, -1, "XML\\DeviceXml\\mousedevice.xml", "nuvex_light"},
    {170, 170, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", "nuvex_light"},
    {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "nuvex_light"},
    {13, 0, 0, -1, "XML\\DeviceXml\\hs6533device.xml", "nuvex_light"},
    {170, 170, 0, -1, "XML\\DeviceXml\\T3H7.xml", "nuvex_light"},
    {170, 170, 0, -1, "XML\\DeviceXml\\T3N9.xml", "nuvex_light"},
}};
static_assert(kLayoutTable.size() == kPageTable.size());

// The last row stands for the application itself.
inline constexpr std::array<ProductInfoEntry, 7> kProductTable{{
    {1, 1, 0, "NUVEX", "QT40R17B", "T5K1", "T5K1", ""},
    {2, 1, 0, "NUVEX", "QT40R17B", "T3H7", "T3H7", ""},
    {2, 1, 0, "NUVEX", "QT40R17B", "T3N9", "T3N9", ""},
    {2, 1, 0, "NUVEX", "QT40R03B_1", "RW5", "RW5", ""},
    {2, 1, 0, "NUVEX", "QT40R17B", "T3H7", "T3H7", ""},
    {2, 1, 0, "NUVEX", "QT40R17B", "T3N9", "T3N9", ""},
    {0, 1, 0, "NUVEX", "ALL", "RW5_BQ4_BQ3", "AP", "Zorv cloud V1.0"},
}};

// The application's version in the product table's firmware column, shown as "V%04x": 1.0 is
// major 1 in the high byte and minor 0 in the low byte, as USB release numbers are written.
inline constexpr int32_t kApplicationVersionNumber = 0x0100;
