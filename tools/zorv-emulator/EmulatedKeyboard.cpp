#include "tools/zorv-emulator/EmulatedKeyboard.h"

#include <algorithm>
#include <cstring>

#include <json/writer.h>

#include "platform/DebugOutput.h"
#include "platform/Time.h"
#include "tools/zorv-emulator/HexText.h"
#include "tools/zorv-emulator/HidSocketServer.h"
#include "tools/zorv-emulator/KeyboardDescriptor.h"

namespace emu {

namespace {
constexpr uint8_t kUnreachableCode = 0xAA;

std::string BuildHello(const ProductModel& model) {
    auto descriptor = KeyboardReportDescriptor();
    Json::Value hello(Json::objectValue);
    hello["vid"] = kZorvVendorId;
    hello["pid"] = model.productId;
    hello["version"] = model.firmwareVersion;
    hello["interface"] = kInterfaceNumber;
    hello["name"] = ProductDisplayName(model);
    hello["descriptor"] = ToHex(descriptor.data(), descriptor.size());
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, hello);
}

// What a reply to another, earlier request looks like to the host.
VendorPacket WithWrongCode(VendorPacket reply) {
    uint8_t code = reply[kCommandByte] ^ 0x40;
    if (code == kUnreachableCode) code ^= 0x01;
    reply[kCommandByte] = code;
    SealPacket(reply);
    return reply;
}

std::vector<uint8_t> EventReport(uint16_t code) {
    return {kEventReportId, static_cast<uint8_t>(code & 0xFF), static_cast<uint8_t>(code >> 8)};
}

bool IsProfileCode(uint16_t code) { return code >= kEventProfileBase && code < kEventProfileBase + 0x200; }
}  // namespace

EmulatedKeyboard::EmulatedKeyboard(EmulatorOptions options)
    : options_(std::move(options)),
      model_(FindProductModel(options_.productId)),
      dir_(options_.dir.empty() ? DefaultEmulatorDir() : options_.dir) {
    if (!model_) return;
    layout_ = BuildDeviceLayout(*model_);
    hello_ = BuildHello(*model_);
    firmware_ = std::make_unique<KeyboardFirmware>(layout_, KeyboardMemory::Factory(layout_));
    HidSocketServer::Handlers handlers;
    handlers.onPacket = [this](int client, const uint8_t* data, size_t length) { OnPacket(client, data, length); };
    handlers.onIdle = [this] { OnIdle(); };
    server_ = std::make_unique<HidSocketServer>(SocketPath(), hello_, std::move(handlers));
}

EmulatedKeyboard::~EmulatedKeyboard() { Stop(); }

std::string EmulatedKeyboard::SocketPath() const { return HidSocketPath(dir_, options_.name); }
std::string EmulatedKeyboard::ControlPath() const { return ControlSocketPath(dir_, options_.name); }

StateLoadResult EmulatedKeyboard::StateLoadOutcome() const {
    CriticalSectionLock lock(lock_);
    return stateLoad_;
}

bool EmulatedKeyboard::Start(std::string& error) {
    if (!model_) {
        char id[8];
        std::snprintf(id, sizeof id, "0x%04x", options_.productId);
        error = std::string("product ") + id + " is not emulated";
        return false;
    }
    if (!IsValidEmulatorName(options_.name)) {
        error = "invalid emulator name \"" + options_.name + "\"";
        return false;
    }
    if (!PrepareEmulatorDir(dir_, error)) return false;
    if (!stateLoaded_ && !options_.statePath.empty()) {
        CriticalSectionLock lock(lock_);
        stateLoad_ = LoadStateFile(options_.statePath, *model_, firmware_->Memory());
        stateLoaded_ = true;
        DebugOutput("zorv-emulator: " + stateLoad_.message);
    }
    return server_->Start(error);
}

void EmulatedKeyboard::Stop() {
    if (!server_) return;
    server_->Stop();
    SaveStateIfDue(true);
}

void EmulatedKeyboard::OnPacket(int client, const uint8_t* data, size_t length) {
    std::vector<VendorPacket> replies;
    FaultDecision decision;
    {
        CriticalSectionLock lock(lock_);
        log_.Append(client, data, length);
        // Reports of other collections (keyboard LEDs) and oversized packets are not commands.
        bool vendorRequest = length >= 1 && length <= kPacketSize && data[0] == kVendorReportId;
        decision = faults_.OnPacket(vendorRequest);
        if (vendorRequest && !decision.dropRequest) {
            VendorPacket request{};
            std::memcpy(request.data(), data, length);  // a short report reads as zero-filled
            if (decision.failStatus) {
                replies.push_back(KeyboardFirmware::ReplyWithStatus(request, *decision.failStatus));
            } else if (decision.receiverUnreachable) {
                VendorPacket reply = KeyboardFirmware::ReplyWithStatus(request, kStatusOk);
                reply[kCommandByte] = kUnreachableCode;
                SealPacket(reply);
                replies.push_back(reply);
            } else {
                KeyboardFirmware::Outcome outcome = firmware_->Execute(request);
                if (decision.wrongCodeFirst) replies.push_back(WithWrongCode(outcome.reply));
                replies.push_back(outcome.reply);
                if (outcome.memoryChanged) MarkStateChanged();
                if (!decision.wrongCodeFirst && decision.replyDelayMs == 0) ++requestsAnswered_;
            }
        }
    }
    SendReplies(std::move(replies), decision.replyDelayMs);
    if (decision.unplugAfterwards) UnplugOnWorker(decision.replugAfterMs);
}

void EmulatedKeyboard::SendReplies(std::vector<VendorPacket> replies, uint32_t delayMs) {
    if (replies.empty()) return;
    if (delayMs == 0) {
        for (const VendorPacket& reply : replies) server_->Broadcast(reply.data(), reply.size());
        return;
    }
    uint32_t generation = server_->PlugGeneration();
    server_->After(delayMs, [this, generation, replies = std::move(replies)] {
        // Replies of a device that has since been unplugged never arrive.
        if (generation != server_->PlugGeneration()) return;
        for (const VendorPacket& reply : replies) server_->Broadcast(reply.data(), reply.size());
    });
}

void EmulatedKeyboard::UnplugOnWorker(int replugMs) {
    server_->Unplug();
    DebugOutput("zorv-emulator: unplugged " + SocketPath());
    if (replugMs < 0) return;
    server_->After(static_cast<uint32_t>(replugMs), [this] {
        std::string error;
        if (server_->Plug(error))
            DebugOutput("zorv-emulator: plugged in again at " + SocketPath());
        else
            DebugOutput("zorv-emulator: replug failed: " + error);
    });
}

void EmulatedKeyboard::MarkStateChanged() {
    stateDirty_ = true;
    lastChangeTick_ = GetTickCount();
}

void EmulatedKeyboard::OnIdle() { SaveStateIfDue(false); }

void EmulatedKeyboard::SaveStateIfDue(bool force) {
    if (options_.statePath.empty()) return;
    KeyboardMemory memory;
    {
        CriticalSectionLock lock(lock_);
        if (!stateDirty_) return;
        if (!force && GetTickCount() - lastChangeTick_ < options_.stateSaveDelayMs) return;
        memory = firmware_->Memory();
        stateDirty_ = false;
    }
    std::string error;
    if (SaveStateFile(options_.statePath, *model_, memory, error)) return;
    CriticalSectionLock lock(lock_);
    // Try again after the next quiet period; say so once per distinct failure.
    MarkStateChanged();
    if (error != lastSaveError_) DebugOutput("zorv-emulator: " + error);
    lastSaveError_ = error;
}

bool EmulatedKeyboard::SendEvent(uint16_t code) {
    if (!server_) return false;
    bool sent = false;
    server_->Run([&] {
        if (!server_->Plugged()) return;
        if (IsProfileCode(code)) {
            CriticalSectionLock lock(lock_);
            if (firmware_->SetActiveProfile(code - kEventProfileBase)) MarkStateChanged();
        }
        for (uint16_t report : {code, uint16_t{0}}) {
            std::vector<uint8_t> bytes = EventReport(report);
            server_->Broadcast(bytes.data(), bytes.size());
        }
        sent = true;
    });
    return sent;
}

bool EmulatedKeyboard::SendRawReport(const std::vector<uint8_t>& bytes) {
    if (!server_ || bytes.empty()) return false;
    bool sent = false;
    server_->Run([&] {
        if (!server_->Plugged()) return;
        server_->Broadcast(bytes.data(), bytes.size());
        sent = true;
    });
    return sent;
}

bool EmulatedKeyboard::PressKey(int position) {
    if (position < 0 || position >= layout_.positionCount) return false;
    return SendEvent(static_cast<uint16_t>(kEventKeyPressBase + position));
}

bool EmulatedKeyboard::ReleaseKey(int position) {
    if (position < 0 || position >= layout_.positionCount) return false;
    return SendEvent(static_cast<uint16_t>(kEventKeyReleaseBase + position));
}

bool EmulatedKeyboard::SelectProfile(int profile) {
    if (profile < 0 || profile >= kProfileCount) return false;
    return SendEvent(static_cast<uint16_t>(kEventProfileBase + profile));
}

void EmulatedKeyboard::DropRequests(int count) { WithFaults([&](FaultInjector& f) { f.DropRequests(count); }); }
void EmulatedKeyboard::SendWrongCode(int count) { WithFaults([&](FaultInjector& f) { f.SendWrongCode(count); }); }
void EmulatedKeyboard::ReportUnreachable(int count) {
    WithFaults([&](FaultInjector& f) { f.ReportUnreachable(count); });
}
void EmulatedKeyboard::FailWithStatus(uint8_t status, int passing) {
    WithFaults([&](FaultInjector& f) { f.FailWithStatus(status, passing); });
}
void EmulatedKeyboard::DelayReplies(uint32_t ms) { WithFaults([&](FaultInjector& f) { f.DelayReplies(ms); }); }
void EmulatedKeyboard::ClearFaults() { WithFaults([](FaultInjector& f) { f.Clear(); }); }

void EmulatedKeyboard::UnplugAfter(int packets, int replugMs) {
    if (packets > 0) {
        WithFaults([&](FaultInjector& f) { f.UnplugAfter(packets, replugMs); });
        return;
    }
    if (server_) server_->Run([&] {
        if (server_->Plugged()) UnplugOnWorker(replugMs);
    });
}

std::string EmulatedKeyboard::DescribeFaults() const {
    CriticalSectionLock lock(lock_);
    return faults_.Describe();
}

bool EmulatedKeyboard::Unplug() {
    if (!server_) return false;
    bool was = false;
    server_->Run([&] {
        was = server_->Plugged();
        if (was) UnplugOnWorker(kNoReplug);
    });
    return was;
}

bool EmulatedKeyboard::Replug(std::string& error) {
    if (!server_) {
        error = "product is not emulated";
        return false;
    }
    bool plugged = false;
    server_->Run([&] { plugged = server_->Plug(error); });
    return plugged;
}

bool EmulatedKeyboard::Plugged() const { return server_ && server_->Plugged(); }
int EmulatedKeyboard::ClientCount() const { return server_ ? server_->ClientCount() : 0; }

std::vector<PacketLogEntry> EmulatedKeyboard::PacketLogEntries() const {
    CriticalSectionLock lock(lock_);
    return log_.Entries();
}

void EmulatedKeyboard::ClearPacketLog() {
    CriticalSectionLock lock(lock_);
    log_.Clear();
}

KeyboardSnapshot EmulatedKeyboard::Snapshot() const {
    CriticalSectionLock lock(lock_);
    KeyboardSnapshot snapshot;
    if (!firmware_) return snapshot;
    snapshot.memory = firmware_->Memory();
    snapshot.configMode = firmware_->ConfigMode();
    snapshot.lightControlAnnouncements = firmware_->LightControlAnnouncements();
    snapshot.frameCount = firmware_->FrameCount();
    snapshot.lastFrame = firmware_->LastFrame();
    return snapshot;
}

Json::Value EmulatedKeyboard::MemoryJson() const {
    KeyboardSnapshot snapshot = Snapshot();
    Json::Value json = MemoryToJson(snapshot.memory);
    json["ProductId"] = model_ ? model_->productId : 0;
    json["Model"] = model_ ? model_->modelName : "";
    json["ActiveProfile"] = snapshot.memory.params.empty() ? 0 : snapshot.memory.ActiveProfile();
    json["ConfigMode"] = snapshot.configMode;
    json["LightControlAnnouncements"] = snapshot.lightControlAnnouncements;
    json["FrameCount"] = snapshot.frameCount;
    json["LastFrame"] = ToHex(snapshot.lastFrame);
    return json;
}

}  // namespace emu
