#pragma once
// The seam between CHidInterface and the platform: a backend enumerates interface paths and opens
// one top-level collection as a transport. Backends: "hidraw" (real devices), "emu" (device
// emulator sockets); tests may register their own.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Event.h"

// What a backend knows about one interface before any report is exchanged.
struct HidInterfaceInfo {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    uint16_t interfaceNumber = 0;
    std::vector<uint8_t> reportDescriptor;
};

enum class HidIoResult { Ok, Timeout, Aborted, Failed };

class IHidTransport {
public:
    virtual ~IHidTransport() = default;
    virtual const HidInterfaceInfo& Info() const = 0;
    // Top-level collection this transport stands for, numbered from 1; 0 when the interface has
    // only one (then every input report belongs to it).
    virtual int Collection() const = 0;
    // One input report of this collection, report id first (0 for unnumbered reports). Waits up to
    // timeoutMs (INFINITE allowed); returns at once with Aborted when abort is set.
    virtual HidIoResult Read(uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs,
                             Event& abort) = 0;
    virtual HidIoResult Write(const uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs,
                              Event& abort) = 0;
};

class IHidBackend {
public:
    virtual ~IHidBackend() = default;
    // The path prefix before '#': "hidraw", "emu", ...
    virtual std::string Scheme() const = 0;
    // Appends one path per top-level collection of every present interface.
    virtual void Enumerate(std::vector<std::string>& paths) = 0;
    // Opens the collection the path names; null when the device is gone or access is refused.
    // With neither read nor write asked, only checks that the device is still there.
    virtual std::shared_ptr<IHidTransport> Open(const std::string& path, bool read, bool write) = 0;
    // What tells this plug-in of the device from the next one at the same path (a device that is
    // unplugged and plugged in again between two looks); "" when the backend cannot tell.
    virtual std::string InstanceOf(const std::string& /*path*/) { return {}; }
};

// Backends in use; "hidraw" and "emu" are always there. Registering a scheme again replaces it.
void RegisterHidBackend(std::shared_ptr<IHidBackend> backend);
void UnregisterHidBackend(const std::string& scheme);
std::vector<std::shared_ptr<IHidBackend>> HidBackends();
// InstanceOf of the backend of the path's scheme; "" for an unknown scheme.
std::string HidInstanceOf(const std::string& path);
