#pragma once
// The supported-device report for the service tool's window "ZuzaZoro" (data copy id 5).
#include <array>
#include <cstdint>
#include <span>

#include "device/registry/ModelTables.h"

inline constexpr uint64_t kDeviceListReportId = 5;
inline constexpr const char kServiceToolTitle[] = "ZuzaZoro";
inline constexpr size_t kDeviceListReportBytes = 1024;

using DeviceListReport = std::array<uint8_t, kDeviceListReportBytes>;

// Words are little-endian 32-bit: 2, 3, 0, 2, the row count, then vendor, product and kind per
// row. Rows that would not fit are left out and the count says how many are in.
DeviceListReport MakeDeviceListReport(std::span<const DevicePageEntry> pages);
