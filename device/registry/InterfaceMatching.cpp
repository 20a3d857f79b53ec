#include "device/registry/InterfaceMatching.h"

#include <algorithm>
#include <cstdio>

#include "device/hid/HidInterface.h"
#include "device/registry/ModelRegistry.h"

namespace {

bool SameAddress(const DeviceInterfaceRow& row, uint16_t vendorId, uint16_t productId, uint16_t interfaceNumber,
                 uint16_t collectionNumber) {
    return row.vendorId == vendorId && row.productId == productId && row.interfaceNumber == interfaceNumber &&
           row.collectionNumber == collectionNumber;
}

bool SameSixValues(const DeviceInterfaceRow& row, const InterfaceCandidate& c) {
    return SameAddress(row, c.vendorId, c.productId, c.interfaceNumber, c.collectionNumber) &&
           row.usagePage == c.usagePage && row.usage == c.usage;
}

bool IsFree(const DeviceInterfaceEntry& entry) { return !entry.present && entry.devicePath.empty(); }

std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", value);
    return text;
}

}  // namespace

InterfaceList MakeInterfaceList() {
    InterfaceList list;
    const auto table = InterfaceTable();
    list.reserve(table.size());
    for (const DeviceInterfaceRow& row : table) {
        DeviceInterfaceEntry entry{row, {}, {}};
        entry.present = 0;
        list.push_back(std::move(entry));
    }
    return list;
}

bool AnyRowFree(const InterfaceList& list) {
    return std::any_of(list.begin(), list.end(), [](const DeviceInterfaceEntry& e) { return !e.present; });
}

bool PassesPrecheck(const InterfaceList& list, const std::string& path) {
    const uint16_t vendorId = ParseVid(path);
    if (vendorId == 0) return false;
    const uint16_t productId = ParsePid(path);
    const uint16_t interfaceNumber = ParseInterfaceNumber(path);
    const uint16_t collectionNumber = ParseCollectionNumber(path);
    const auto table = InterfaceTable();
    const bool inTable = std::any_of(table.begin(), table.end(), [&](const auto& row) {
        return SameAddress(row, vendorId, productId, interfaceNumber, collectionNumber);
    });
    return inTable && std::any_of(list.begin(), list.end(), [&](const DeviceInterfaceEntry& e) {
               return SameAddress(e, vendorId, productId, interfaceNumber, collectionNumber) && IsFree(e);
           });
}

int MatchInterface(InterfaceList& list, const InterfaceCandidate& candidate) {
    if (candidate.vendorId == 0 || candidate.path.empty()) return -1;
    const auto table = InterfaceTable();
    const auto tableRow =
        std::find_if(table.begin(), table.end(), [&](const auto& row) { return SameSixValues(row, candidate); });
    if (tableRow == table.end()) return -1;
    for (size_t i = 0; i < list.size(); ++i) {
        DeviceInterfaceEntry& entry = list[i];
        if (SameSixValues(entry, candidate) && entry.deviceKind == tableRow->deviceKind &&
            entry.interfaceRole == tableRow->interfaceRole && IsFree(entry)) {
            entry.present = 1;
            entry.devicePath = candidate.path;
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool ProbeCandidate(CHidInterface& probe, const std::string& path, InterfaceCandidate& candidate) {
    if (!probe.Open(path, 1, 0, 1, 0)) return false;
    candidate.vendorId = probe.Attributes.VendorID;
    candidate.productId = probe.Attributes.ProductID;
    candidate.interfaceNumber = ParseInterfaceNumber(path);
    candidate.collectionNumber = ParseCollectionNumber(path);
    candidate.usagePage = probe.Capabilities.UsagePage;
    candidate.usage = probe.Capabilities.Usage;
    candidate.path = path;
    probe.Close();
    return true;
}

bool IsInterfaceStillThere(CHidInterface& probe, const std::string& path) {
    if (!probe.Open(path, 0, 0, 0, 0)) return false;
    probe.Close();
    return true;
}

std::string DescribeMismatch(const InterfaceList& list, const InterfaceCandidate& c) {
    if (c.vendorId == 0) return "vendor id 0 is never matched";
    std::vector<const DeviceInterfaceRow*> sameProduct;
    const auto table = InterfaceTable();
    for (const auto& row : table)
        if (row.vendorId == c.vendorId && row.productId == c.productId) sameProduct.push_back(&row);
    if (sameProduct.empty()) return "not a supported product";

    auto rowsWith = [&](auto predicate) {
        std::string numbers;
        for (const DeviceInterfaceRow* row : sameProduct)
            if (predicate(*row)) numbers += (numbers.empty() ? "" : ", ") + std::to_string(row - table.data());
        return numbers;
    };
    if (rowsWith([&](const auto& r) { return r.interfaceNumber == c.interfaceNumber; }).empty())
        return "interface " + std::to_string(c.interfaceNumber) + " is not used; this product is driven on interface " +
               std::to_string(sameProduct.front()->interfaceNumber);

    const DeviceInterfaceRow* address = nullptr;
    std::string collections;
    for (const DeviceInterfaceRow* row : sameProduct) {
        if (row->interfaceNumber != c.interfaceNumber) continue;
        collections += (collections.empty() ? "" : ", ") + std::to_string(row->collectionNumber);
        if (!address && row->collectionNumber == c.collectionNumber) address = row;
    }
    if (!address)
        return "collection " + std::to_string(c.collectionNumber) + " is not used (the rows use collection " +
               collections + ")";

    const long rowIndex = address - table.data();
    if (address->usagePage != c.usagePage || address->usage != c.usage)
        return "collection " + std::to_string(c.collectionNumber) + " has usage page " + Hex4(c.usagePage) +
               " usage " + Hex4(c.usage) + "; row " + std::to_string(rowIndex) + " expects usage page " +
               Hex4(address->usagePage) + " usage " + Hex4(address->usage);

    const DeviceInterfaceEntry* taken = nullptr;
    for (const DeviceInterfaceEntry& entry : list) {
        if (!SameSixValues(entry, c)) continue;
        if (IsFree(entry) || entry.devicePath == c.path) return {};
        if (!taken) taken = &entry;
    }
    if (taken)
        return "row " + std::to_string(rowIndex) + " is already taken by " + taken->devicePath +
               " (a second identical device waits until the first is unplugged)";
    return {};
}
