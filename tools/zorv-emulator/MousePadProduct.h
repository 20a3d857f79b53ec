#pragma once
// The emulated lit mouse pad: 15 zones, its lighting in the accessory settings page, live frames
// as 0x12 streams of three bytes per zone, events on the consumer collection.
#include "tools/zorv-emulator/HeadsetFirmware.h"

namespace emu {

inline constexpr uint16_t kMousePadVendorId = 0x7A61;
inline constexpr uint16_t kMousePadProductId = 0x6110;
inline constexpr size_t kMousePadZones = 15;

const AccessoryModel& MousePadModel();

}  // namespace emu
