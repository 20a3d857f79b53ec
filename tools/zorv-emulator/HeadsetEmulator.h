#pragma once
// An emulated lit accessory (the headset, or the mouse pad) on one interface socket: firmware,
// faults, packet log and the recorded zone reports, driven from tests in process or from the
// zorv-emulator command. Every public member is thread-safe except Start and Stop.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/CriticalSection.h"
#include "tools/zorv-emulator/FaultInjector.h"
#include "tools/zorv-emulator/HeadsetFirmware.h"
#include "tools/zorv-emulator/PacketLog.h"

namespace emu {

class HidSocketServer;

struct AccessoryOptions {
    uint16_t vendorId = 0x0C76;
    uint16_t productId = 0x1630;
    std::string name = "zorv-headset";
    std::string dir;  // empty: DefaultEmulatorDir()
};

struct AccessorySnapshot {
    std::array<uint8_t, kSettingsMemoryBytes> settings{};
    bool configMode = false;
    std::vector<std::vector<uint8_t>> zoneReports;
    uint32_t frameCount = 0;
    std::vector<uint8_t> lastFrame;
};

class EmulatedHeadset {
public:
    explicit EmulatedHeadset(AccessoryOptions options);
    ~EmulatedHeadset();
    EmulatedHeadset(const EmulatedHeadset&) = delete;
    EmulatedHeadset& operator=(const EmulatedHeadset&) = delete;

    bool Start(std::string& error);
    void Stop();

    const AccessoryModel* Model() const { return model_; }
    std::string SocketPath() const;

    // Input report 3 with the code, then the release report. False while unplugged.
    bool SendEvent(uint16_t code);
    void SetSettingsBytes(size_t offset, const std::vector<uint8_t>& bytes);
    void DropRequests(int count);
    void ClearFaults();

    std::vector<PacketLogEntry> PacketLogEntries() const;  // vendor requests only
    void ClearPacketLog();
    AccessorySnapshot Snapshot() const;
    void ClearZoneReports();

private:
    void OnPacket(int client, const uint8_t* data, size_t length);

    const AccessoryOptions options_;
    const AccessoryModel* model_;
    std::string dir_;
    mutable CriticalSection lock_;
    std::unique_ptr<HeadsetFirmware> firmware_;
    FaultInjector faults_;
    PacketLog log_;
    std::unique_ptr<HidSocketServer> server_;
};

}  // namespace emu
