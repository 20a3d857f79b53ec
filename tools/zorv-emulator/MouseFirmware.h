#pragma once
// The command interpreter of the emulated mouse's vendor collection: information block with its
// buttons and DPI limits, settings memory (one 128-byte page per on-board profile, address 0 the
// active profile), button table, recoil upload area and power status. One request in, one reply
// out. Not thread-safe; its owner locks.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "tools/zorv-emulator/VendorPacket.h"

namespace emu {

inline constexpr uint16_t kMouseWiredProductId = 0x6001;
inline constexpr uint16_t kMouseReceiverProductId = 0x6002;
inline constexpr int kMouseProfileCount = 4;
inline constexpr size_t kMousePageStride = 128;
inline constexpr size_t kMouseSettingsSize = kMouseProfileCount * kMousePageStride;
inline constexpr size_t kMouseShootAreaSize = 4096;
inline constexpr size_t kMousePowerSize = 6;
inline constexpr uint8_t kMouseDpiStep = 50;
inline constexpr uint16_t kMouseHighestDpiSteps = 320;  // 16000 DPI
inline constexpr uint16_t kMouseLowestDpi = 100;
inline constexpr uint8_t kMouseBatteryPercent = 80;

struct MouseMemory {
    std::array<uint8_t, 34> deviceInfo{};
    std::vector<uint8_t> settings = std::vector<uint8_t>(kMouseSettingsSize, 0);
    std::vector<uint8_t> buttonTable;
    std::vector<uint8_t> shootArea = std::vector<uint8_t>(kMouseShootAreaSize, 0);
    std::array<uint8_t, kMousePowerSize> power{};

    // The factory state: a button table whose order differs from the page's logical buttons.
    static MouseMemory Factory();
    uint8_t ActiveProfile() const { return settings[0]; }
};

class MouseFirmware {
public:
    explicit MouseFirmware(bool receiver) : receiver_(receiver), memory_(MouseMemory::Factory()) {}

    struct Outcome {
        VendorPacket reply{};
        bool memoryChanged = false;
    };
    // Through the receiver with the mouse out of reach, every command but the link query is
    // answered with the receiver's code 0xAA and not executed.
    Outcome Execute(const VendorPacket& request);

    // The mouse's own buttons: profile and DPI stage changes (event codes 0x10xx and 0x11xx).
    void ApplyEvent(uint16_t code);

    void SetLinkUp(bool up) { linkUp_ = up; }
    bool LinkUp() const { return linkUp_; }
    bool Receiver() const { return receiver_; }
    bool ConfigMode() const { return configMode_; }
    const MouseMemory& Memory() const { return memory_; }
    MouseMemory& Memory() { return memory_; }

private:
    std::span<uint8_t> RegionOf(uint8_t code);

    bool receiver_;
    bool linkUp_ = true;
    bool configMode_ = false;
    MouseMemory memory_;
};

}  // namespace emu
