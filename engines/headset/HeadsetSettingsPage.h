#pragma once
// The 21-byte lighting settings page of the lit accessories (headset and mouse pad), cached by
// the engine, read from and written to the device's settings memory. The device keeps the speed
// inverted (4 − speed); the cache holds it the right way round.
#include <array>
#include <cstdint>

#include "device/channel/CommandChannel.h"
#include "store/ProfileRecords.h"

inline constexpr size_t kSettingsPageBytes = 21;
inline constexpr uint32_t kSettingsRecordStride = 25;
inline constexpr uint32_t kSettingsRecordBytes = 28;
inline constexpr uint32_t kSettingsWriteStride = 64;
inline constexpr uint8_t kSpeedLevels = 4;

class CHeadsetSettingsPage {
public:
    using Bytes = std::array<uint8_t, kSettingsPageBytes>;

    // Effect, brightness, speed, colour mode and colour from the profile (bytes 1-3, 5-8).
    void TakeLightInfo(const LightInfoRecord& light);
    // The device profile index, then that profile's stored page. Nothing is read with the channel
    // closed: the page becomes zero but for the index and the speed (4). Clears the pause flag.
    void Read(CCommandChannel& channel);
    // Command 0x01, the page (speed sent inverted) at page × 64, command 0x02; with the channel
    // closed nothing is sent. Returns 1: no result of the device is checked.
    int Write(CCommandChannel& channel, int page) const;

    const Bytes& Data() const { return bytes_; }
    void SetData(const Bytes& bytes) { bytes_ = bytes; }
    uint8_t ProfileIndex() const { return bytes_[0]; }

private:
    Bytes bytes_{};
};
