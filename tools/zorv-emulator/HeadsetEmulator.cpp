#include "tools/zorv-emulator/HeadsetEmulator.h"

#include <cstdio>
#include <cstring>

#include <json/value.h>
#include <json/writer.h>

#include "tools/zorv-emulator/EmulatorPaths.h"
#include "tools/zorv-emulator/HexText.h"
#include "tools/zorv-emulator/HidSocketServer.h"

namespace emu {

namespace {

std::string BuildHello(const AccessoryModel& model) {
    auto descriptor = AccessoryReportDescriptor();
    Json::Value hello(Json::objectValue);
    hello["vid"] = model.vendorId;
    hello["pid"] = model.productId;
    hello["version"] = 0x0100;
    hello["interface"] = model.interfaceNumber;
    hello["name"] = model.name;
    hello["descriptor"] = ToHex(descriptor.data(), descriptor.size());
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, hello);
}

}  // namespace

EmulatedHeadset::EmulatedHeadset(AccessoryOptions options)
    : options_(std::move(options)),
      model_(FindAccessoryModel(options_.vendorId, options_.productId)),
      dir_(options_.dir.empty() ? DefaultEmulatorDir() : options_.dir) {
    if (!model_) return;
    firmware_ = std::make_unique<HeadsetFirmware>(*model_);
    HidSocketServer::Handlers handlers;
    handlers.onPacket = [this](int client, const uint8_t* data, size_t length) { OnPacket(client, data, length); };
    server_ = std::make_unique<HidSocketServer>(SocketPath(), BuildHello(*model_), std::move(handlers));
}

EmulatedHeadset::~EmulatedHeadset() { Stop(); }

std::string EmulatedHeadset::SocketPath() const { return HidSocketPath(dir_, options_.name); }

bool EmulatedHeadset::Start(std::string& error) {
    if (!model_) {
        char id[24];
        std::snprintf(id, sizeof id, "0x%04x:0x%04x", options_.vendorId, options_.productId);
        error = std::string("product ") + id + " is not emulated";
        return false;
    }
    if (!IsValidEmulatorName(options_.name)) {
        error = "invalid emulator name \"" + options_.name + "\"";
        return false;
    }
    if (!PrepareEmulatorDir(dir_, error)) return false;
    return server_->Start(error);
}

void EmulatedHeadset::Stop() {
    if (server_) server_->Stop();
}

void EmulatedHeadset::OnPacket(int client, const uint8_t* data, size_t length) {
    VendorPacket reply{};
    bool answer = false;
    {
        CriticalSectionLock lock(lock_);
        if (length >= 1 && firmware_->TakeZoneReport(data, length)) return;
        const bool vendorRequest = length >= 1 && length <= kPacketSize && data[0] == kAccessoryVendorReportId;
        const FaultDecision decision = faults_.OnPacket(vendorRequest);
        if (!vendorRequest) return;
        log_.Append(client, data, length);
        if (decision.dropRequest) return;
        VendorPacket request{};
        std::memcpy(request.data(), data, length);  // a short report reads as zero-filled
        reply = firmware_->Execute(request);
        answer = true;
    }
    if (answer) server_->Broadcast(reply.data(), reply.size());
}

bool EmulatedHeadset::SendEvent(uint16_t code) {
    if (!server_) return false;
    bool sent = false;
    server_->Run([&] {
        if (!server_->Plugged()) return;
        for (uint16_t value : {code, uint16_t{0}}) {
            const uint8_t report[] = {kAccessoryEventReportId, static_cast<uint8_t>(value & 0xFF),
                                      static_cast<uint8_t>(value >> 8)};
            server_->Broadcast(report, sizeof report);
        }
        sent = true;
    });
    return sent;
}

void EmulatedHeadset::SetSettingsBytes(size_t offset, const std::vector<uint8_t>& bytes) {
    CriticalSectionLock lock(lock_);
    auto& settings = firmware_->Settings();
    for (size_t i = 0; i < bytes.size() && offset + i < settings.size(); ++i) settings[offset + i] = bytes[i];
}

void EmulatedHeadset::DropRequests(int count) {
    CriticalSectionLock lock(lock_);
    faults_.DropRequests(count);
}

void EmulatedHeadset::ClearFaults() {
    CriticalSectionLock lock(lock_);
    faults_.Clear();
}

std::vector<PacketLogEntry> EmulatedHeadset::PacketLogEntries() const {
    CriticalSectionLock lock(lock_);
    return log_.Entries();
}

void EmulatedHeadset::ClearPacketLog() {
    CriticalSectionLock lock(lock_);
    log_.Clear();
}

AccessorySnapshot EmulatedHeadset::Snapshot() const {
    CriticalSectionLock lock(lock_);
    AccessorySnapshot snapshot;
    snapshot.settings = firmware_->Settings();
    snapshot.configMode = firmware_->ConfigMode();
    snapshot.zoneReports = firmware_->ZoneReports();
    snapshot.frameCount = firmware_->FrameCount();
    snapshot.lastFrame = firmware_->LastFrame();
    return snapshot;
}

void EmulatedHeadset::ClearZoneReports() {
    CriticalSectionLock lock(lock_);
    firmware_->ClearZoneReports();
}

}  // namespace emu
