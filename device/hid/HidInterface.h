#pragma once
// One opened HID top-level collection, plus enumeration of every interface path present.
// Paths keep the original text form ("...#vid_7a61&pid_5062&mi_01&col04") so that the path
// parsers and the model matching work unchanged; the part before '#' names the backend.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid/HidTransport.h"
#include "device/hid/ReportDescriptor.h"
#include "platform/Event.h"

// Status codes of the decoding calls, with the values the original platform reports.
inline constexpr uint32_t HIDP_STATUS_SUCCESS = 0x00110000;
inline constexpr uint32_t HIDP_STATUS_INVALID_REPORT_LENGTH = 0xC0110003;
inline constexpr uint32_t HIDP_STATUS_USAGE_NOT_FOUND = 0xC0110004;
inline constexpr uint32_t HIDP_STATUS_BUFFER_TOO_SMALL = 0xC0110007;
inline constexpr size_t kHidPathCapacity = 260;  // terminator included: 259 characters at most

struct HIDD_ATTRIBUTES {
    uint16_t VendorID = 0;
    uint16_t ProductID = 0;
    uint16_t VersionNumber = 0;
};

struct HIDP_CAPS {
    uint16_t Usage = 0;
    uint16_t UsagePage = 0;
    uint16_t InputReportByteLength = 0;
    uint16_t OutputReportByteLength = 0;
    uint16_t FeatureReportByteLength = 0;
    uint16_t NumberLinkCollectionNodes = 0;
    uint16_t NumberInputButtonCaps = 0;
    uint16_t NumberInputValueCaps = 0;
    uint16_t NumberInputDataIndices = 0;
    uint16_t NumberOutputButtonCaps = 0;
    uint16_t NumberOutputValueCaps = 0;
    uint16_t NumberOutputDataIndices = 0;
    uint16_t NumberFeatureButtonCaps = 0;
    uint16_t NumberFeatureValueCaps = 0;
    uint16_t NumberFeatureDataIndices = 0;
};

// One decoded field of a report.
struct HidDataItem {
    bool isButton = false;
    uint16_t usagePage = 0;
    uint32_t status = HIDP_STATUS_SUCCESS;
    uint32_t reportId = 0;
    bool isSet = false;
    // Button entry.
    uint32_t usageMin = 0;
    uint32_t usageMax = 0;
    uint32_t maxUsageCount = 0;
    std::vector<uint16_t> usages;  // maxUsageCount long, active usages compacted, zero-terminated
    // Value entry.
    uint16_t usage = 0;
    uint32_t value = 0;
    int32_t scaledValue = 0;
};

// Free path parsers: the hexadecimal number after the marker (case ignored), low 16 bits, 0 if absent.
uint16_t ParseVid(const std::string& path);
uint16_t ParsePid(const std::string& path);
uint16_t ParseInterfaceNumber(const std::string& path);
uint16_t ParseCollectionNumber(const std::string& path);

class CHidInterface {
public:
    CHidInterface();
    ~CHidInterface();
    CHidInterface(const CHidInterface&) = delete;
    CHidInterface& operator=(const CHidInterface&) = delete;

    // Enumeration (independent of the open state).
    int EnumeratePaths();
    const char* NextPath();  // borrowed; null at the end (and until the next enumeration)
    void ReleasePaths();
    int PathCount() const { return static_cast<int>(paths_.size()); }

    int Open(const std::string& path, int wantRead, int wantWrite, int overlapped, int exclusive);
    void Close();
    bool IsOpen() const;

    // One input / output report, report id first. Returns 1/0; 0 on time-out, abort or failure.
    int ReadReport(uint8_t* buffer, uint32_t length, uint32_t* bytesRead, uint32_t timeoutMs);
    int WriteReport(const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten, uint32_t timeoutMs);

    // Decodes one report (report id first) into a data list built for this record's collection.
    int UnpackReport(const uint8_t* report, uint16_t length, HidReportKind kind,
                     std::vector<HidDataItem>& dataList) const;
    // The parsed collection of the open record (the "preparsed data"); null when closed.
    std::shared_ptr<const ParsedCollection> Preparsed() const;

    // Opened-record fields the callers read directly.
    HIDD_ATTRIBUTES Attributes{};
    HIDP_CAPS Capabilities{};
    std::vector<uint8_t> InputReport;    // InputReportByteLength bytes
    std::vector<uint8_t> OutputReport;   // OutputReportByteLength bytes
    std::vector<uint8_t> FeatureReport;  // FeatureReportByteLength bytes
    std::vector<HidDataItem> InputData, OutputData, FeatureData;
    std::vector<HidButtonCaps> InputButtonCaps, OutputButtonCaps, FeatureButtonCaps;
    std::vector<HidValueCaps> InputValueCaps, OutputValueCaps, FeatureValueCaps;
    uint32_t InterfaceNumber = 0;
    uint32_t CollectionNumber = 0;
    const std::string& DevicePath() const { return devicePath_; }

private:
    int LoadCapabilities(const IHidTransport& transport);
    void ReleaseCapabilities();
    void CloseLocked(std::unique_lock<std::mutex>& lock);
    // Marks a transfer as pending and hands out the transport it runs on; null when closed.
    std::shared_ptr<IHidTransport> BeginTransfer(std::atomic<int>& pending);
    void EndTransfer(std::atomic<int>& pending);

    std::vector<std::string> paths_;
    uint32_t pathCursor_ = 0;
    int wantRead_ = 0, wantWrite_ = 0, overlapped_ = 0, exclusive_ = 0;
    std::string devicePath_;
    std::shared_ptr<IHidTransport> transport_;
    std::shared_ptr<const ParsedCollection> preparsed_;

    // Set by Close while a transfer is pending; backends wait on it beside the device.
    Event abort_{false, false};
    std::atomic<int> readPending_{0};
    std::atomic<int> writePending_{0};
    // Close waits on this until a blocked transfer has returned, so its buffer stays valid.
    mutable std::mutex stateMutex_;
    std::condition_variable transferEnded_;
};
