#include "device/registry/ModelLookup.h"

#include "device/registry/ModelRegistry.h"

int FindInterfaceRow(uint16_t vendorId, uint16_t productId, uint16_t deviceKind, uint16_t interfaceRole) {
    const auto table = InterfaceTable();
    for (size_t i = 0; i < table.size(); ++i) {
        const DeviceInterfaceRow& row = table[i];
        if (row.vendorId == vendorId && row.productId == productId && row.deviceKind == deviceKind &&
            row.interfaceRole == interfaceRole)
            return static_cast<int>(i);
    }
    return -1;
}

int FindPageRow(int32_t vendorId, int32_t productId, int32_t deviceKind, int32_t interfaceRole) {
    const auto table = PageTable();
    for (size_t i = 0; i < table.size(); ++i) {
        const DevicePageEntry& row = table[i];
        if (row.vendorId == vendorId && row.productId == productId && row.deviceKind == deviceKind &&
            row.interfaceRole == interfaceRole)
            return static_cast<int>(i);
    }
    return -1;
}

int FindPageRowForInterface(int interfaceRow) {
    const auto table = InterfaceTable();
    if (interfaceRow < 0 || static_cast<size_t>(interfaceRow) >= table.size()) return -1;
    const DeviceInterfaceRow& row = table[static_cast<size_t>(interfaceRow)];
    uint16_t vendorId = row.vendorId;
    uint16_t productId = row.productId;
    uint16_t kind = row.deviceKind;
    if (kind == kKindMouseViaReceiver) {
        kind = kKindMouse;
        if (row.hasPartner && row.partnerRow < table.size()) {
            vendorId = table[row.partnerRow].vendorId;
            productId = table[row.partnerRow].productId;
        }
    }
    return FindPageRow(vendorId, productId, kind, row.interfaceRole);
}
