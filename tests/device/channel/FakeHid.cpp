#include "FakeHid.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "FakeHidDescriptor.h"
#include "device/hid/HidInterface.h"

namespace {

enum class AreaAccess { Read, Write };
struct AreaOfCode {
    uint8_t code;
    AreaAccess access;
    uint8_t area;
};
// Which device memory each command reads or writes.
constexpr AreaOfCode kAreas[] = {
    {0x03, AreaAccess::Read, 0x03},  {0x05, AreaAccess::Read, 0x05},  {0x06, AreaAccess::Write, 0x05},
    {0x1A, AreaAccess::Read, 0x05},  {0x07, AreaAccess::Read, 0x07},  {0x09, AreaAccess::Write, 0x07},
    {0x1B, AreaAccess::Read, 0x1B},  {0x0B, AreaAccess::Write, 0x0B}, {0x12, AreaAccess::Write, 0x12},
    {0x15, AreaAccess::Write, 0x15}, {0x17, AreaAccess::Write, 0x17},
};
const AreaOfCode* FindArea(uint8_t code) {
    for (const auto& entry : kAreas)
        if (entry.code == code) return &entry;
    return nullptr;
}
constexpr size_t kAreaLimit = 0x10000 + 64;

}  // namespace

class FakeTransport : public IHidTransport {
public:
    FakeTransport(std::shared_ptr<FakeHidDevice> device, int collection, bool probe)
        : device_(std::move(device)), collection_(collection), probe_(probe) {}
    ~FakeTransport() override { device_->Detach(this); }

    const HidInterfaceInfo& Info() const override { return device_->Info(); }
    int Collection() const override { return device_->CollectionCount() > 1 ? collection_ : 0; }

    HidIoResult Read(uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs,
                     Event& abort) override {
        transferred = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (!queue_.empty()) {
                    const FakePacket report = queue_.front();
                    queue_.pop_front();
                    if (queue_.empty()) ready_.Reset();
                    transferred = std::min<uint32_t>(length, report.size());
                    std::memcpy(buffer, report.data(), transferred);
                    return HidIoResult::Ok;
                }
            }
            if (!device_->Plugged()) return HidIoResult::Failed;
            uint32_t waitMs = INFINITE;
            if (timeoutMs != INFINITE) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0) return HidIoResult::Timeout;
                waitMs = static_cast<uint32_t>(left.count());
            }
            Event* events[] = {&abort, &ready_};
            const int woken = Event::WaitAny(events, 2, waitMs);
            if (woken == 0) return HidIoResult::Aborted;
            if (woken == -1) return HidIoResult::Timeout;
            if (woken < 0) return HidIoResult::Failed;
        }
    }

    HidIoResult Write(const uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t, Event&) override {
        transferred = 0;
        if (probe_ || !device_->HandleWrite(collection_, buffer, length)) return HidIoResult::Failed;
        transferred = length;
        return HidIoResult::Ok;
    }

    // Replies reach every open record of the command collection, as every open node gets them.
    bool ReceivesReplies(int commandCollection) const { return !probe_ && collection_ == commandCollection; }

    void Deliver(const FakePacket& report) {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(report);
        ready_.Set();
    }
    void Wake() { ready_.Set(); }

private:
    std::shared_ptr<FakeHidDevice> device_;
    const int collection_;
    const bool probe_;  // opened with no access: never transfers
    std::mutex mutex_;
    std::deque<FakePacket> queue_;
    Event ready_{true, false};
};

FakeHidDevice::FakeHidDevice(std::string name, HidInterfaceInfo info, int collectionCount, int commandCollection)
    : name_(std::move(name)),
      info_(std::move(info)),
      collectionCount_(collectionCount),
      commandCollection_(commandCollection) {}

std::string FakeHidDevice::PathOf(int collection) const {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, "#vid_%04x&pid_%04x&mi_%02x", info_.vendorId, info_.productId,
                  info_.interfaceNumber);
    std::string path = "fake:" + name_ + suffix;
    if (collectionCount_ > 1) {
        std::snprintf(suffix, sizeof suffix, "&col%02x", collection);
        path += suffix;
    }
    return path;
}

void FakeHidDevice::Script(std::vector<FakeStep> steps) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_.assign(steps.begin(), steps.end());
}

std::vector<uint8_t>& FakeHidDevice::AreaFor(uint8_t code) {
    const AreaOfCode* area = FindArea(code);
    return areas_[area ? area->area : code];
}

void FakeHidDevice::SetArea(uint8_t code, std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    AreaFor(code) = std::move(bytes);
}

std::vector<uint8_t> FakeHidDevice::Area(uint8_t code) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const AreaOfCode* area = FindArea(code);
    const auto found = areas_.find(area ? area->area : code);
    return found == areas_.end() ? std::vector<uint8_t>{} : found->second;
}

void FakeHidDevice::SetReceiverLinkUp(bool up) {
    std::lock_guard<std::mutex> lock(mutex_);
    receiverLinkUp_ = up;
}

std::vector<FakePacket> FakeHidDevice::Packets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return packets_;
}

void FakeHidDevice::ClearPackets() {
    std::lock_guard<std::mutex> lock(mutex_);
    packets_.clear();
}

void FakeHidDevice::Unplug() {
    std::lock_guard<std::mutex> lock(mutex_);
    plugged_ = false;
    for (FakeTransport* transport : transports_) transport->Wake();
}

bool FakeHidDevice::Plugged() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return plugged_;
}

int FakeHidDevice::AccessOpens(int collection) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = accessOpens_.find(collection);
    return found == accessOpens_.end() ? 0 : found->second;
}

int FakeHidDevice::ProbeOpens(int collection) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = probeOpens_.find(collection);
    return found == probeOpens_.end() ? 0 : found->second;
}

std::shared_ptr<IHidTransport> FakeHidDevice::OpenCollection(int collection, bool read, bool write) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged_) return nullptr;
    if (collection == 0 && collectionCount_ == 1) collection = 1;
    if (collection < 1 || collection > collectionCount_) return nullptr;
    const bool probe = !read && !write;
    ++(probe ? probeOpens_ : accessOpens_)[collection];
    auto transport = std::make_shared<FakeTransport>(shared_from_this(), collection, probe);
    transports_.push_back(transport.get());
    return transport;
}

void FakeHidDevice::Detach(FakeTransport* transport) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase(transports_, transport);
}

FakePacket FakeHidDevice::NormalReply(const FakePacket& request, const FakeReply& shape) {
    FakePacket reply{};
    reply[0] = request[0];
    reply[3] = shape.code >= 0 ? static_cast<uint8_t>(shape.code) : request[3];
    reply[4] = request[4];
    reply[5] = request[5];
    reply[6] = request[6];
    reply[7] = shape.status;
    const uint8_t code = request[3];
    if (code == 0xAA) {
        reply[8] = receiverLinkUp_ ? 0xFF : 0x00;
        return reply;
    }
    const AreaOfCode* area = FindArea(code);
    if (!area) return reply;
    const size_t offset = request[5] | (request[6] << 8);
    const size_t length = std::min<size_t>(request[4], 56);
    std::vector<uint8_t>& memory = AreaFor(code);
    if (area->access == AreaAccess::Write && length > 0) {
        if (memory.size() < offset + length) memory.resize(std::min(kAreaLimit, offset + length));
        std::memcpy(memory.data() + offset, request.data() + 8, length);
    } else if (area->access == AreaAccess::Read) {
        for (size_t i = 0; i < length && offset + i < memory.size(); ++i) reply[8 + i] = memory[offset + i];
    }
    return reply;
}

bool FakeHidDevice::HandleWrite(int collection, const uint8_t* report, uint32_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged_) return false;
    if (collection != commandCollection_) return true;
    FakeStep step;
    if (!script_.empty()) {
        step = script_.front();
        script_.pop_front();
    }
    if (step.failWrite) return false;
    FakePacket request{};
    std::memcpy(request.data(), report, std::min<uint32_t>(length, request.size()));
    packets_.push_back(request);
    for (const FakeReply& shape : step.replies) {
        const FakePacket reply = NormalReply(request, shape);
        for (FakeTransport* transport : transports_)
            if (transport->ReceivesReplies(commandCollection_)) transport->Deliver(reply);
    }
    return true;
}

void FakeHidBackend::Enumerate(std::vector<std::string>& paths) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& device : devices_) {
        if (!device->Plugged()) continue;
        for (int collection = 1; collection <= device->CollectionCount(); ++collection)
            paths.push_back(device->PathOf(collection));
    }
}

std::shared_ptr<IHidTransport> FakeHidBackend::Open(const std::string& path, bool read, bool write) {
    const size_t colon = path.find(':');
    const size_t hash = path.rfind('#');
    if (colon == std::string::npos || hash == std::string::npos || hash < colon) return nullptr;
    const std::string name = path.substr(colon + 1, hash - colon - 1);
    std::shared_ptr<FakeHidDevice> device;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& each : devices_)
            if (each->Name() == name) device = each;
    }
    if (!device || device->PathOf(ParseCollectionNumber(path)) != path) return nullptr;
    return device->OpenCollection(ParseCollectionNumber(path), read, write);
}

void FakeHidBackend::Add(std::shared_ptr<FakeHidDevice> device) {
    std::lock_guard<std::mutex> lock(mutex_);
    devices_.push_back(std::move(device));
}

void FakeHidBackend::Remove(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& device : devices_)
        if (device->Name() == name) device->Unplug();
    std::erase_if(devices_, [&](const auto& device) { return device->Name() == name; });
}

std::shared_ptr<FakeHidDevice> MakeFakeKeyboard(const std::string& name, uint16_t productId, uint16_t vendorUsage,
                                                uint16_t interfaceNumber) {
    HidInterfaceInfo info;
    info.vendorId = 0x7A61;
    info.productId = productId;
    info.version = 0x0105;
    info.interfaceNumber = interfaceNumber;
    info.reportDescriptor = KeyboardInterfaceDescriptor({0xFF1C, vendorUsage});
    return std::make_shared<FakeHidDevice>(name, std::move(info), 4, 4);
}

ScopedFakeBackend::ScopedFakeBackend() : backend_(std::make_shared<FakeHidBackend>()) {
    RegisterHidBackend(backend_);
}

ScopedFakeBackend::~ScopedFakeBackend() { UnregisterHidBackend("fake"); }
