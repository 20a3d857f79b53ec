#pragma once
// The in-process fake record: a HID backend under scheme "fake" whose devices answer command
// packets like a keyboard does, and can be scripted to misbehave packet by packet.
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid/HidTransport.h"

using FakePacket = std::array<uint8_t, 64>;

// One reply the device sends for a packet.
struct FakeReply {
    int code = -1;       // reply byte 3; -1: the request's code
    uint8_t status = 0;  // reply byte 7
};

// What the device does with one written packet; the default step sends one normal reply.
struct FakeStep {
    bool failWrite = false;
    std::vector<FakeReply> replies{FakeReply{}};

    static FakeStep Normal() { return {}; }
    static FakeStep Silent() { return {false, {}}; }
    static FakeStep WriteFails() { return {true, {}}; }
    static FakeStep Replies(std::vector<FakeReply> replies) { return {false, std::move(replies)}; }
    static FakeStep Status(uint8_t status) { return {false, {FakeReply{-1, status}}}; }
};

class FakeTransport;

class FakeHidDevice : public std::enable_shared_from_this<FakeHidDevice> {
public:
    // `commandCollection` is the collection whose output reports are command packets.
    FakeHidDevice(std::string name, HidInterfaceInfo info, int collectionCount, int commandCollection);

    const std::string& Name() const { return name_; }
    const HidInterfaceInfo& Info() const { return info_; }
    int CollectionCount() const { return collectionCount_; }
    // "fake:<name>#vid_..&pid_..&mi_..&col.." (no "&col" when there is only one collection).
    std::string PathOf(int collection) const;

    // Steps used one per written command packet, before falling back to normal replies.
    void Script(std::vector<FakeStep> steps);
    // Device memory behind a command code's area (device info, parameters, key table, ...).
    void SetArea(uint8_t code, std::vector<uint8_t> bytes);
    std::vector<uint8_t> Area(uint8_t code) const;
    void SetReceiverLinkUp(bool up);

    std::vector<FakePacket> Packets() const;  // every command packet written, in order
    void ClearPackets();

    void Unplug();
    bool Plugged() const;
    // Opens counted per collection: with read or write access, and removal probes (neither).
    int AccessOpens(int collection) const;
    int ProbeOpens(int collection) const;

    // Backend side.
    std::shared_ptr<IHidTransport> OpenCollection(int collection, bool read, bool write);
    bool HandleWrite(int collection, const uint8_t* report, uint32_t length);
    void Detach(FakeTransport* transport);

private:
    FakePacket NormalReply(const FakePacket& request, const FakeReply& shape);
    std::vector<uint8_t>& AreaFor(uint8_t code);

    const std::string name_;
    const HidInterfaceInfo info_;
    const int collectionCount_;
    const int commandCollection_;
    mutable std::mutex mutex_;
    bool plugged_ = true;
    bool receiverLinkUp_ = true;
    std::deque<FakeStep> script_;
    std::map<uint8_t, std::vector<uint8_t>> areas_;
    std::vector<FakePacket> packets_;
    std::map<int, int> accessOpens_, probeOpens_;
    std::vector<FakeTransport*> transports_;
};

class FakeHidBackend : public IHidBackend {
public:
    std::string Scheme() const override { return "fake"; }
    void Enumerate(std::vector<std::string>& paths) override;
    std::shared_ptr<IHidTransport> Open(const std::string& path, bool read, bool write) override;

    void Add(std::shared_ptr<FakeHidDevice> device);
    void Remove(const std::string& name);

private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<FakeHidDevice>> devices_;
};

// A keyboard with the four collections of interface 1 (FakeHidDescriptor.h), answering on col 4.
std::shared_ptr<FakeHidDevice> MakeFakeKeyboard(const std::string& name, uint16_t productId = 0x5062,
                                                uint16_t vendorUsage = 0x0092, uint16_t interfaceNumber = 1);

// Registers a fresh fake backend for as long as it lives.
class ScopedFakeBackend {
public:
    ScopedFakeBackend();
    ~ScopedFakeBackend();
    FakeHidBackend& operator*() { return *backend_; }
    FakeHidBackend* operator->() { return backend_.get(); }

private:
    std::shared_ptr<FakeHidBackend> backend_;
};
