#pragma once
// The command interpreter of the keyboard's vendor collection: one request packet in, one reply
// packet out, over byte-addressed memory regions. Not thread-safe; its owner locks.
#include <cstdint>
#include <span>
#include <vector>

#include "tools/zorv-emulator/KeyboardMemory.h"
#include "tools/zorv-emulator/ProductModels.h"
#include "tools/zorv-emulator/VendorPacket.h"

namespace emu {

enum class FirmwareRegion : uint8_t;  // the memory a command addresses

class KeyboardFirmware {
public:
    KeyboardFirmware(const DeviceLayout& layout, KeyboardMemory memory);

    struct Outcome {
        VendorPacket reply{};
        bool memoryChanged = false;  // a region of the state file was written
    };
    // A request with a bad checksum is answered with status 0xFF and not executed: the host learns
    // at once that the packet was damaged instead of waiting out its time-out.
    Outcome Execute(const VendorPacket& request);
    // The reply header of a request (code, length and offset echoed) with a status and no payload.
    static VendorPacket ReplyWithStatus(const VendorPacket& request, uint8_t status);

    const KeyboardMemory& Memory() const { return memory_; }
    KeyboardMemory& Memory() { return memory_; }
    // A profile key on the device: byte 0 of the parameter area. False for a profile it lacks.
    bool SetActiveProfile(int profile);

    bool ConfigMode() const { return configMode_; }
    uint32_t LightControlAnnouncements() const { return lightControlAnnouncements_; }
    uint32_t FrameCount() const { return frameCount_; }
    const std::vector<uint8_t>& LastFrame() const { return lastFrame_; }
    size_t FrameLength() const { return frameLength_; }

private:
    std::span<uint8_t> RegionBytes(FirmwareRegion region);
    void RunControl(KeyboardCommand code, VendorPacket& reply);
    void CollectFrameChunk(size_t offset, size_t length);

    KeyboardMemory memory_;
    size_t frameLength_;
    bool configMode_ = false;
    uint32_t lightControlAnnouncements_ = 0;
    std::vector<uint8_t> frameBuffer_;
    bool frameStarted_ = false;
    uint32_t frameCount_ = 0;
    std::vector<uint8_t> lastFrame_;
};

}  // namespace emu
