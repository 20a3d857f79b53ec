// Decoding of one report with the capabilities of ReportDescriptor.cpp.
#include <algorithm>
#include <cmath>
#include <limits>

#include "device/hid/ReportDescriptor.h"

namespace {

// Reads up to 32 bits little-endian at a bit position behind the report id byte.
bool ReadField(const uint8_t* report, size_t length, uint64_t bitPos, uint32_t size, uint32_t& value) {
    size = std::min<uint32_t>(size, 32);
    if (!report || size == 0) return false;
    const uint64_t lastByte = 1 + (bitPos + size - 1) / 8;
    if (lastByte >= length) return false;
    value = 0;
    for (uint32_t bit = 0; bit < size; ++bit) {
        const uint64_t at = bitPos + bit;
        if ((report[1 + at / 8] >> (at % 8)) & 1u) value |= 1u << bit;
    }
    return true;
}

int64_t SignExtend(uint32_t value, uint32_t size) {
    if (size == 0 || size >= 32) return static_cast<int32_t>(value);
    const uint32_t sign = 1u << (size - 1);
    return static_cast<int64_t>(value & (sign - 1)) - static_cast<int64_t>(value & sign);
}

int64_t LogicalValue(uint32_t raw, uint32_t size, int32_t logicalMin) {
    return logicalMin < 0 ? SignExtend(raw, std::min<uint32_t>(size, 32)) : static_cast<int64_t>(raw);
}

int32_t ClampToInt32(double value) {
    if (value <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (value >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::lround(value));
}

}  // namespace

std::vector<uint16_t> GetButtonUsages(const HidButtonCaps& caps, const uint8_t* report, size_t length) {
    std::vector<uint16_t> usages;
    const uint32_t span = static_cast<uint32_t>(caps.usageMax - caps.usageMin) + 1;
    for (uint32_t field = 0; field < caps.reportCount; ++field) {
        uint32_t raw = 0;
        if (!ReadField(report, length, caps.bitOffset + uint64_t{field} * caps.reportSize, caps.reportSize, raw)) {
            break;
        }
        if (caps.isArray) {
            const int64_t selector = LogicalValue(raw, caps.reportSize, caps.logicalMin);
            if (selector == 0 || selector < caps.logicalMin || selector > caps.logicalMax) continue;
            const int64_t index = selector - caps.logicalMin - caps.arrayFirstIndex;
            if (index < 0 || index >= span) continue;
            usages.push_back(static_cast<uint16_t>(caps.usageMin + index));
        } else if (raw & 1u) {
            if (!caps.isRange) {
                // Every field of a single usage stands for that one usage.
                usages.push_back(caps.usageMin);
                break;
            }
            if (field < span) usages.push_back(static_cast<uint16_t>(caps.usageMin + field));
        }
    }
    return usages;
}

bool GetUsageValue(const HidValueCaps& caps, uint16_t usage, const uint8_t* report, size_t length, uint32_t& raw,
                   int32_t& scaled) {
    if (usage < caps.usageMin || usage > caps.usageMax) return false;
    const uint32_t field = caps.isRange ? static_cast<uint32_t>(usage - caps.usageMin) : 0;
    if (field >= caps.reportCount) return false;
    uint32_t value = 0;
    if (!ReadField(report, length, caps.bitOffset + uint64_t{field} * caps.reportSize, caps.reportSize, value)) {
        return false;
    }
    raw = value;
    const int64_t logical = LogicalValue(value, caps.reportSize, caps.logicalMin);
    const bool hasPhysical = caps.physicalMin != 0 || caps.physicalMax != 0;
    if (hasPhysical && caps.logicalMax > caps.logicalMin && caps.physicalMax != caps.physicalMin) {
        const double ratio = static_cast<double>(int64_t{caps.physicalMax} - caps.physicalMin) /
                             static_cast<double>(int64_t{caps.logicalMax} - caps.logicalMin);
        scaled = ClampToInt32(caps.physicalMin + static_cast<double>(logical - caps.logicalMin) * ratio);
    } else {
        scaled = ClampToInt32(static_cast<double>(logical));
    }
    return true;
}

uint32_t MaxUsageListLength(const ParsedCollection& collection, HidReportKind kind, uint16_t usagePage) {
    uint32_t total = 0;
    for (const HidButtonCaps& caps : collection.buttonCaps[static_cast<int>(kind)]) {
        if (usagePage != 0 && caps.usagePage != usagePage) continue;
        total += caps.isArray ? caps.reportCount : static_cast<uint32_t>(caps.usageMax - caps.usageMin) + 1;
    }
    return total;
}

const HidValueCaps* FindValueCaps(const ParsedCollection& collection, HidReportKind kind, uint16_t usagePage,
                                  uint8_t reportId, uint16_t usage) {
    for (const HidValueCaps& caps : collection.valueCaps[static_cast<int>(kind)]) {
        if (caps.usagePage == usagePage && caps.reportId == reportId && usage >= caps.usageMin &&
            usage <= caps.usageMax) {
            return &caps;
        }
    }
    return nullptr;
}
