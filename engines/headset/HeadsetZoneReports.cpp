#include "engines/headset/HeadsetZoneReports.h"

#include <algorithm>

namespace {

constexpr uint8_t kReportId = 0xFF;
constexpr size_t kFirstHalfZones = 7;
constexpr size_t kValuesAt = 4;

struct ReportSlot {
    uint8_t target;
    uint8_t code;  // colour and half
};
// Sending order: per colour, both halves to receiver 0x22, then both to 0x44.
constexpr std::array<ReportSlot, kZoneReportCount> kOrder = {{
    {0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD},
    {0x22, 0xAB}, {0x22, 0xAE}, {0x44, 0xAB}, {0x44, 0xAE},
    {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF},
}};

}  // namespace

uint8_t ZoneValue(uint8_t colour, uint8_t level) {
    return static_cast<uint8_t>(std::min<unsigned>((unsigned(colour) * level) >> 8, kZoneValueLimit));
}

ZoneReportSet BuildZoneReports(const CLightFrameBuffer& frame) {
    // values[c][z]: colour c (red, green, blue) of zone z.
    std::array<std::array<uint8_t, kStreamedZones>, 3> values{};
    const size_t zones = std::min(frame.Count(), kStreamedZones);
    for (size_t z = 0; z < zones; ++z) {
        const LightRecord record = frame.Record(z);
        values[0][z] = ZoneValue(record.red, record.factor);
        values[1][z] = ZoneValue(record.green, record.factor);
        values[2][z] = ZoneValue(record.blue, record.factor);
    }
    ZoneReportSet reports{};
    for (size_t r = 0; r < kZoneReportCount; ++r) {
        ZoneReport& report = reports[r];
        report[0] = kReportId;
        report[1] = kOrder[r].target;
        report[2] = kOrder[r].code;
        const size_t colour = (kOrder[r].code - 0xAA) % 3;
        const bool secondHalf = kOrder[r].code >= 0xAD;
        if (!secondHalf) {
            std::copy_n(values[colour].begin(), kFirstHalfZones, report.begin() + kValuesAt);
        } else {
            std::copy_n(values[colour].begin() + kFirstHalfZones, kStreamedZones - kFirstHalfZones,
                        report.begin() + kValuesAt);
            // The device firmware reuses one buffer: byte 10 still holds zone 6 of the first half.
            report[kValuesAt + 6] = values[colour][kFirstHalfZones - 1];
        }
    }
    return reports;
}
