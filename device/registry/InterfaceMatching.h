#pragma once
// Matching HID interface paths against the interface table (ModelRegistry.h), in its run-time copy.
#include <cstdint>
#include <string>
#include <vector>

#include "device/registry/ModelTables.h"

class CHidInterface;

using InterfaceList = std::vector<DeviceInterfaceEntry>;

// The run-time copy: every row not present, with an empty path.
InterfaceList MakeInterfaceList();
bool AnyRowFree(const InterfaceList& list);

// What the probe of one path found out.
struct InterfaceCandidate {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::string path;
};

// From the path alone: a table row has its vendor, product, interface and collection numbers and
// a run-time row with them is free. A path that fails is skipped without being opened.
bool PassesPrecheck(const InterfaceList& list, const std::string& path);

// Occupies the first free run-time row of the first table row whose six values equal the
// candidate's; its index, or -1. Vendor id 0 (the receiver rows) never matches.
int MatchInterface(InterfaceList& list, const InterfaceCandidate& candidate);

// Opens the path for reading only (overlapped, shared) and takes the ids from the attributes and
// the usages from the capabilities; the record is closed again. False when it cannot be opened.
bool ProbeCandidate(CHidInterface& probe, const std::string& path, InterfaceCandidate& candidate);

// The removal probe: opening with no access rights, shared; false once the device has gone.
bool IsInterfaceStillThere(CHidInterface& probe, const std::string& path);

// Why no row takes a candidate of a supported product, for the inspector: empty when one does.
std::string DescribeMismatch(const InterfaceList& list, const InterfaceCandidate& candidate);
