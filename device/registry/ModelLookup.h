#pragma once
// Look-ups in the run-time model tables (ModelRegistry.h).
#include <cstdint>

#include "device/registry/ModelTables.h"

// Index of the first interface-table row with these four values, or -1.
int FindInterfaceRow(uint16_t vendorId, uint16_t productId, uint16_t deviceKind, uint16_t interfaceRole);
// Index of the first page-table row with these four values, or -1.
int FindPageRow(int32_t vendorId, int32_t productId, int32_t deviceKind, int32_t interfaceRole);
// The page row that builds the page of interface row `interfaceRow`: kind 6 counts as 2 and takes
// vendor and product id from its partner row when it has one. -1 when there is none.
int FindPageRowForInterface(int interfaceRow);
