#include "device/registry/ProductVersions.h"

#include "device/registry/ModelRegistry.h"

ProductInfoTable FillProductVersions(std::span<const DeviceVersionSource> devicesInDisplayOrder) {
    const auto products = ProductTable();
    ProductInfoTable table(products.begin(), products.end());
    const size_t applicationRow = table.size() - 1;
    for (size_t k = 0; k < devicesInDisplayOrder.size() && k < applicationRow; ++k) {
        const DeviceVersionSource& device = devicesInDisplayOrder[k];
        table[k].firmwareVersion = device.connected ? device.versionNumber : 0;
    }
    table[applicationRow].firmwareVersion = kApplicationVersionNumber;
    return table;
}
