#include "device/registry/ModelLookup.h"

int FindInterfaceRow(uint16_t vendorId, uint16_t productId, uint16_t deviceKind, uint16_t interfaceRole) {
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) {
        const DeviceInterfaceRow& row = kInterfaceTable[i];
        if (row.vendorId == vendorId && row.productId == productId && row.deviceKind == deviceKind &&
            row.interfaceRole == interfaceRole)
            return static_cast<int>(i);
    }
    return -1;
}

int FindPageRow(int32_t vendorId, int32_t productId, int32_t deviceKind, int32_t interfaceRole) {
    for (size_t i = 0; i < kPageTable.size(); ++i) {
        const DevicePageEntry& row = kPageTable[i];
        if (row.vendorId == vendorId && row.productId == productId && row.deviceKind == deviceKind &&
            row.interfaceRole == interfaceRole)
            return static_cast<int>(i);
    }
    return -1;
}

int FindPageRowForInterface(int interfaceRow) {
    if (interfaceRow < 0 || static_cast<size_t>(interfaceRow) >= kInterfaceTable.size()) return -1;
    const DeviceInterfaceRow& row = kInterfaceTable[static_cast<size_t>(interfaceRow)];
    uint16_t vendorId = row.vendorId;
    uint16_t productId = row.productId;
    uint16_t kind = row.deviceKind;
    if (kind == kKindMouseViaReceiver) {
        kind = kKindMouse;
        if (row.hasPartner && row.partnerRow < kInterfaceTable.size()) {
            vendorId = kInterfaceTable[row.partnerRow].vendorId;
            productId = kInterfaceTable[row.partnerRow].productId;
        }
    }
    return FindPageRow(vendorId, productId, kind, row.interfaceRole);
}
