#pragma once
// An emulated keyboard of one product on interface 1: firmware, memory, faults, packet log and the
// interface socket, driven from tests in process or from the zorv-emulator command. Every public
// member is thread-safe except Start and Stop, which belong to the owner.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <json/value.h>

#include "platform/CriticalSection.h"
#include "tools/zorv-emulator/EmulatorPaths.h"
#include "tools/zorv-emulator/FaultInjector.h"
#include "tools/zorv-emulator/KeyboardFirmware.h"
#include "tools/zorv-emulator/KeyboardMemory.h"
#include "tools/zorv-emulator/PacketLog.h"
#include "tools/zorv-emulator/ProductModels.h"
#include "tools/zorv-emulator/StateFile.h"

namespace emu {

class HidSocketServer;

struct EmulatorOptions {
    uint16_t productId = 0x5062;
    std::string name = kDefaultEmulatorName;
    std::string dir;        // empty: DefaultEmulatorDir()
    std::string statePath;  // empty: the keyboard forgets everything when it stops
    uint32_t stateSaveDelayMs = 500;  // quiet time after the last change before the file is written
};

// Device event codes of the consumer-control collection.
inline constexpr uint16_t kEventSync = 0x0401;
inline constexpr uint16_t kEventSecondSync = 0x0402;
inline constexpr uint16_t kEventKeyPressBase = 0x0500;
inline constexpr uint16_t kEventKeyReleaseBase = 0x0600;
inline constexpr uint16_t kEventProfileBase = 0x1000;

struct KeyboardSnapshot {
    KeyboardMemory memory;
    bool configMode = false;
    uint32_t lightControlAnnouncements = 0;
    uint32_t frameCount = 0;
    std::vector<uint8_t> lastFrame;
};

class EmulatedKeyboard {
public:
    explicit EmulatedKeyboard(EmulatorOptions options);
    ~EmulatedKeyboard();
    EmulatedKeyboard(const EmulatedKeyboard&) = delete;
    EmulatedKeyboard& operator=(const EmulatedKeyboard&) = delete;

    // Reads the state file (first start only), creates the socket and serves clients.
    bool Start(std::string& error);
    // Unplugs, stops serving and writes pending state.
    void Stop();

    const ProductModel* Model() const { return model_; }
    const DeviceLayout& Layout() const { return layout_; }
    const std::string& Directory() const { return dir_; }
    std::string SocketPath() const;
    std::string ControlPath() const;
    const std::string& Hello() const { return hello_; }
    StateLoadResult StateLoadOutcome() const;

    // Input report 3 with the code, then the release report with code 0. False while unplugged.
    // A profile code of an existing profile also makes it the active one.
    bool SendEvent(uint16_t code);
    bool PressKey(int position);    // false for a position the device lacks
    bool ReleaseKey(int position);
    bool SelectProfile(int profile);  // false for a profile the device lacks
    // Any bytes as one input report to every client (a device gone wrong). False while unplugged.
    bool SendRawReport(const std::vector<uint8_t>& bytes);
    // Vendor requests executed and answered without a fault, since the start.
    uint64_t RequestsAnswered() const { return requestsAnswered_.load(); }

    void DropRequests(int count);  // kUntilCleared for all
    void SendWrongCode(int count);
    void ReportUnreachable(int count);
    void FailWithStatus(uint8_t status, int passing);
    void DelayReplies(uint32_t ms);
    void UnplugAfter(int packets, int replugMs);  // kNoReplug: stays unplugged
    void ClearFaults();
    std::string DescribeFaults() const;

    bool Unplug();  // false when it was not plugged in
    bool Replug(std::string& error);
    bool Plugged() const;
    int ClientCount() const;

    std::vector<PacketLogEntry> PacketLogEntries() const;
    void ClearPacketLog();
    KeyboardSnapshot Snapshot() const;
    Json::Value MemoryJson() const;

private:
    void OnPacket(int client, const uint8_t* data, size_t length);
    void OnIdle();
    void SendReplies(std::vector<VendorPacket> replies, uint32_t delayMs);
    void UnplugOnWorker(int replugMs);
    void MarkStateChanged();
    void SaveStateIfDue(bool force);
    template <class Change>
    void WithFaults(Change change) {
        CriticalSectionLock lock(lock_);
        change(faults_);
    }

    const EmulatorOptions options_;
    const ProductModel* model_;
    DeviceLayout layout_;
    std::string dir_;
    std::string hello_;

    mutable CriticalSection lock_;  // firmware, faults, log and state bookkeeping
    std::unique_ptr<KeyboardFirmware> firmware_;
    FaultInjector faults_;
    PacketLog log_;
    StateLoadResult stateLoad_;
    bool stateLoaded_ = false;
    bool stateDirty_ = false;
    uint32_t lastChangeTick_ = 0;
    std::string lastSaveError_;

    std::unique_ptr<HidSocketServer> server_;
    std::atomic<uint64_t> requestsAnswered_{0};
};

}  // namespace emu
