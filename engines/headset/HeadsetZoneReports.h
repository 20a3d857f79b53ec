#pragma once
// The headset's live lighting: the zone colours of one frame as twelve 17-byte output reports
// (report id 0xFF), two receivers (0x22, 0x44) × three colours × two halves of the zones.
#include <array>
#include <cstddef>
#include <cstdint>

#include "engines/lighting/LightFrameBuffer.h"

inline constexpr size_t kZoneReportBytes = 17;
inline constexpr size_t kZoneReportCount = 12;
inline constexpr size_t kStreamedZones = 13;
// The headset's LEDs take at most this value per colour.
inline constexpr uint8_t kZoneValueLimit = 247;

using ZoneReport = std::array<uint8_t, kZoneReportBytes>;
using ZoneReportSet = std::array<ZoneReport, kZoneReportCount>;

// (colour × level) >> 8, limited to 247.
uint8_t ZoneValue(uint8_t colour, uint8_t level);
// The twelve reports of a frame in sending order; zones the frame lacks are sent as 0.
ZoneReportSet BuildZoneReports(const CLightFrameBuffer& frame);
