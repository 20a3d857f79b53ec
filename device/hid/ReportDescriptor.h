#pragma once
// Our own HID report-descriptor parser: per top-level collection the usage page and usage, report
// byte lengths counted as the Windows HID parser counts them, and button and value capabilities.
// It accepts any byte string: malformed input gives fewer collections, never a crash.
#include <cstdint>
#include <string>
#include <vector>

enum class HidReportKind { Input = 0, Output = 1, Feature = 2 };
inline constexpr int kHidReportKinds = 3;

struct HidButtonCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isRange = false;
    uint16_t usageMin = 0, usageMax = 0;  // equal for a single usage
    uint16_t dataIndexMin = 0, dataIndexMax = 0;
    uint32_t bitField = 0;                // main item flags
    bool isArray = false;                 // array (selector) field rather than variable bits
    uint32_t bitOffset = 0;               // position of the field in the report, after the id byte
    uint16_t reportSize = 0, reportCount = 0;
    int32_t logicalMin = 0, logicalMax = 0;
    // Array fields: the selector index (value - logicalMin) that maps to usageMin. An array item
    // with several usages gives one caps per usage; their selectors follow one another.
    uint32_t arrayFirstIndex = 0;
};

struct HidValueCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isRange = false;
    uint16_t usageMin = 0, usageMax = 0;
    uint16_t dataIndexMin = 0, dataIndexMax = 0;
    uint32_t bitField = 0;
    uint32_t bitOffset = 0;
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
    uint16_t linkCollectionNodes = 0;     // this collection and every collection nested in it
    bool usesReportIds = false;
    std::vector<uint8_t> reportIds;       // every report id the collection uses, in first-use order
    std::vector<uint8_t> inputReportIds;  // the ids of its input reports (0 for unnumbered ones)
    std::vector<HidButtonCaps> buttonCaps[kHidReportKinds];  // by HidReportKind
    std::vector<HidValueCaps> valueCaps[kHidReportKinds];
    uint16_t dataIndices[kHidReportKinds] = {0, 0, 0};
};

struct ParsedDescriptor {
    std::vector<ParsedCollection> collections;
    bool ok = true;        // false when a malformed item was met (the parser skipped it or stopped there)
    std::string error;     // what was wrong first, for the inspector
};

ParsedDescriptor ParseReportDescriptor(const uint8_t* data, size_t length);
inline ParsedDescriptor ParseReportDescriptor(const std::vector<uint8_t>& bytes) {
    return ParseReportDescriptor(bytes.data(), bytes.size());
}

// Active usages of a button capability in one report (report id byte first), in report order.
std::vector<uint16_t> GetButtonUsages(const HidButtonCaps& caps, const uint8_t* report, size_t length);
// Raw and scaled value of one usage of a value capability; false when the usage is not in the
// capability or the report is too short to hold it.
bool GetUsageValue(const HidValueCaps& caps, uint16_t usage, const uint8_t* report, size_t length,
                   uint32_t& raw, int32_t& scaled);
// The most usages GetButtonUsages can give for one report kind and usage page (0: every page).
uint32_t MaxUsageListLength(const ParsedCollection& collection, HidReportKind kind, uint16_t usagePage);
// The value capability of one usage of a report, or null.
const HidValueCaps* FindValueCaps(const ParsedCollection& collection, HidReportKind kind, uint16_t usagePage,
                                  uint8_t reportId, uint16_t usage);
