#include "app/shell/DeviceListReport.h"

namespace {
constexpr uint32_t kReportHeader[] = {2, 3, 0, 2};
constexpr size_t kWordsPerRow = 3;

void PutWord(DeviceListReport& report, size_t wordIndex, uint32_t value) {
    for (size_t b = 0; b < 4; ++b) report[wordIndex * 4 + b] = static_cast<uint8_t>(value >> (8 * b));
}
}  // namespace

DeviceListReport MakeDeviceListReport(std::span<const DevicePageEntry> pages) {
    DeviceListReport report{};
    size_t word = 0;
    for (uint32_t value : kReportHeader) PutWord(report, word++, value);
    const size_t countWord = word++;
    const size_t room = (kDeviceListReportBytes / 4 - word) / kWordsPerRow;
    const size_t count = pages.size() < room ? pages.size() : room;
    PutWord(report, countWord, static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        PutWord(report, word++, static_cast<uint32_t>(pages[i].vendorId));
        PutWord(report, word++, static_cast<uint32_t>(pages[i].productId));
        PutWord(report, word++, static_cast<uint32_t>(pages[i].deviceKind));
    }
    return report;
}
