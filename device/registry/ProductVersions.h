#pragma once
// The product table as the update window lists it, with firmware versions filled in.
#include <cstdint>
#include <span>
#include <vector>

#include "device/registry/ModelTables.h"

// What FillProductVersions needs of one device-list entry.
struct DeviceVersionSource {
    bool connected = false;      // the entry's command channel is connected
    uint16_t versionNumber = 0;  // VersionNumber of the command interface's attributes
};

using ProductInfoTable = std::vector<ProductInfoEntry>;

// Every product row (ModelRegistry.h): row k gets the version of the k-th device-list entry
// (display order) when it is connected, else 0; the last row gets kApplicationVersionNumber.
// Entries beyond the device rows are ignored.
ProductInfoTable FillProductVersions(std::span<const DeviceVersionSource> devicesInDisplayOrder);
