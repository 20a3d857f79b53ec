#pragma once
// Report descriptor of the keyboard's USB interface 1: four top-level collections, keyboard
// (report 1), system control (2), consumer control carrying the device events (3) and the
// vendor command collection (4).
#include <cstdint>
#include <span>

namespace emu {

inline constexpr uint8_t kKeyboardReportId = 1;
inline constexpr uint8_t kSystemControlReportId = 2;
inline constexpr uint8_t kEventReportId = 3;
inline constexpr uint8_t kVendorReportId = 4;
inline constexpr uint8_t kInterfaceNumber = 1;

std::span<const uint8_t> KeyboardReportDescriptor();

}  // namespace emu
