#pragma once
// An emulated mouse on interface 1, on a cable (0x6001) or seen through its receiver (0x6002):
// firmware, faults, packet log, state file and the interface socket. Every public member is
// thread-safe except Start and Stop, which belong to the owner.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/CriticalSection.h"
#include "tools/zorv-emulator/FaultInjector.h"
#include "tools/zorv-emulator/MouseFirmware.h"
#include "tools/zorv-emulator/PacketLog.h"

namespace emu {

class HidSocketServer;

struct MouseOptions {
    uint16_t productId = kMouseWiredProductId;
    std::string name = "zorv-mouse";
    std::string dir;        // empty: DefaultEmulatorDir()
    std::string statePath;  // empty: the mouse forgets everything when it stops
};

inline constexpr uint16_t kMouseEventSync = 0x0401;

// Null for a product id that is not an emulated mouse.
const char* MouseProductName(uint16_t productId);

class EmulatedMouse {
public:
    explicit EmulatedMouse(MouseOptions options);
    ~EmulatedMouse();
    EmulatedMouse(const EmulatedMouse&) = delete;
    EmulatedMouse& operator=(const EmulatedMouse&) = delete;

    bool Start(std::string& error);
    void Stop();

    const std::string& Hello() const { return hello_; }
    std::string SocketPath() const;
    bool Receiver() const { return productId_ == kMouseReceiverProductId; }

    // One consumer-control report with the code, then the release report with code 0. A profile or
    // stage code (0x10xx, 0x11xx) changes the mouse's memory first, as its own buttons would.
    bool SendEvent(uint16_t code);

    // Through the receiver: the mouse goes out of reach (or back). DropLinkAfter: the link drops
    // after this many more vendor requests have been answered.
    void SetLinkUp(bool up);
    void DropLinkAfter(int requests);

    void DropRequests(int count);
    void FailWithStatus(uint8_t status, int passing);
    void ClearFaults();
    bool Unplug();
    bool Replug(std::string& error);

    std::vector<PacketLogEntry> PacketLogEntries() const;
    void ClearPacketLog();
    MouseMemory Memory() const;
    void SetMemory(const MouseMemory& memory);
    bool ConfigMode() const;

private:
    void OnPacket(int client, const uint8_t* data, size_t length);
    void SaveState();
    void LoadState();

    const MouseOptions options_;
    const uint16_t productId_;
    std::string dir_;
    std::string hello_;

    mutable CriticalSection lock_;
    MouseFirmware firmware_;
    FaultInjector faults_;
    PacketLog log_;
    int linkDropCountdown_ = -1;
    bool stateDirty_ = false;

    std::unique_ptr<HidSocketServer> server_;
};

}  // namespace emu
