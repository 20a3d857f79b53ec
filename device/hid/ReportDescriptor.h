#pragma once
// Our own HID report-descriptor parser: per top-level collection the usage page and usage, report
// byte lengths counted as the Windows HID parser counts them, and button and value capabilities.
// It accepts any byte string: malformed input gives fewer collections, never a crash.
#include <cstdint>
#include <string>
#include <vector>

enum class HidReportKind { Input = 0, Output = 1, Feature = 2 };

struct HidButtonCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isRange = false;
    uint16_t usageMin = 0, usageMax = 0;  // equal for a single usage
    uint16_t dataIndexMin = 0, dataIndexMax = 0;
    uint32_t bitField = 0;                // main item flags
    bool isArray = false;                 // array (selector) field rather than variable bits
    uint16_t bitOffset = 0;               // position of the field in the report, after the id byte
    uint16_t reportSize = 0, reportCount = 0;
    int32_t logicalMin = 0, logicalMax = 0;
};

struct HidValueCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isRange = false;
    uint16_t usageMin = 0, usageMax = 0;
    uint16_t dataIndexMin = 0, dataIndexMax = 0;
    uint32_t bitField = 0;
    uint16_t bitOffset = 0;
    uint16_t reportSize = 0, reportCount = 0;
    int32_t logicalMin = 0, logicalMax = 0;
    int32_t physicalMin = 0, physicalMax = 0;
    uint32_t units = 0;
    int32_t unitExponent = 0;
};

struct ParsedCollection {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    bool usesReportIds = false;
    std::vector<uint8_t> reportIds;  // every report id the collection uses
    std::vector<HidButtonCaps> buttonCaps[3];  // by HidReportKind
    std::vector<HidValueCaps> valueCaps[3];
    uint16_t dataIndices[3] = {0, 0, 0};
};

struct ParsedDescriptor {
    std::vector<ParsedCollection> collections;
    bool ok = true;        // false when the parser stopped at a malformed item
    std::string error;     // what was wrong, for the inspector
};

ParsedDescriptor ParseReportDescriptor(const uint8_t* data, size_t length);
inline ParsedDescriptor ParseReportDescriptor(const std::vector<uint8_t>& bytes) {
    return ParseReportDescriptor(bytes.data(), bytes.size());
}

// Active usages of a button capability in one report (report id byte first), in report order.
std::vector<uint16_t> GetButtonUsages(const HidButtonCaps& caps, const uint8_t* report, size_t length);
// Raw and scaled value of one usage of a value capability; false when the report is too short.
bool GetUsageValue(const HidValueCaps& caps, uint16_t usage, const uint8_t* report, size_t length,
                   uint32_t& raw, int32_t& scaled);
