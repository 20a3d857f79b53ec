#pragma once
// Firmware of the lit accessories that keep their lighting in a 21-byte settings page: the
// headset and the mouse pad. Both answer the vendor commands 0x01, 0x02, 0x05 and 0x06 over a
// settings memory; the pad also answers 0x03 (information block) and takes 0x12 light frames,
// the headset takes its zone colours as 17-byte output reports (report id 0xFF). Not
// thread-safe; its owner locks.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/zorv-emulator/VendorPacket.h"

namespace emu {

struct AccessoryModel {
    uint16_t vendorId;
    uint16_t productId;
    const char* name;
    uint8_t interfaceNumber;
    size_t frameZones;     // zones of a 0x12 light frame; 0: the product takes output reports
    bool hasDeviceInfo;    // answers command 0x03
};

inline constexpr size_t kSettingsMemoryBytes = 256;
inline constexpr size_t kSettingsPageStride = 25;  // profile p's stored page begins at p × 25
inline constexpr uint8_t kZoneReportId = 0xFF;
inline constexpr size_t kZoneReportBytes = 17;
inline constexpr uint8_t kAccessoryEventReportId = 3;
inline constexpr uint8_t kAccessoryVendorReportId = 4;

// Consumer collection (events, report 3) first, then the vendor collection (report 4 both ways
// and the 16-byte zone output report 0xFF).
std::span<const uint8_t> AccessoryReportDescriptor();

const AccessoryModel& HeadsetModel();
const AccessoryModel* FindAccessoryModel(uint16_t vendorId, uint16_t productId);

class HeadsetFirmware {
public:
    explicit HeadsetFirmware(const AccessoryModel& model);

    // One vendor request in, one reply out; a bad checksum or an unknown command gets 0xFF.
    VendorPacket Execute(const VendorPacket& request);
    // A zone output report; false (and not kept) when it is not one.
    bool TakeZoneReport(const uint8_t* data, size_t length);

    std::array<uint8_t, kSettingsMemoryBytes>& Settings() { return settings_; }
    const std::array<uint8_t, kSettingsMemoryBytes>& Settings() const { return settings_; }
    std::array<uint8_t, 34>& DeviceInfo() { return deviceInfo_; }
    bool ConfigMode() const { return configMode_; }
    const std::vector<std::vector<uint8_t>>& ZoneReports() const { return zoneReports_; }
    void ClearZoneReports() { zoneReports_.clear(); }
    uint32_t FrameCount() const { return frameCount_; }
    const std::vector<uint8_t>& LastFrame() const { return lastFrame_; }

private:
    const AccessoryModel& model_;
    std::array<uint8_t, kSettingsMemoryBytes> settings_{};
    std::array<uint8_t, 34> deviceInfo_{};
    std::vector<uint8_t> frameBuffer_;
    std::vector<uint8_t> lastFrame_;
    bool frameStarted_ = false;
    uint32_t frameCount_ = 0;
    bool configMode_ = false;
    std::vector<std::vector<uint8_t>> zoneReports_;
};

// "ff 22 aa 00 ..." for logs and messages.
std::string DescribeZoneReport(const std::vector<uint8_t>& report);

}  // namespace emu
