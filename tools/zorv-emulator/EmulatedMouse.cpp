#include "tools/zorv-emulator/EmulatedMouse.h"

#include <cstring>

#include <json/reader.h>
#include <json/writer.h>

#include "platform/DebugOutput.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "tools/zorv-emulator/EmulatorPaths.h"
#include "tools/zorv-emulator/HexText.h"
#include "tools/zorv-emulator/HidSocketServer.h"
#include "tools/zorv-emulator/KeyboardDescriptor.h"
#include "tools/zorv-emulator/KeyboardFirmware.h"
#include "tools/zorv-emulator/ProductModels.h"

namespace emu {

namespace {
constexpr uint16_t kMouseFirmwareVersion = 0x0103;
constexpr const char* kStateFormat = "zorv-emulator-mouse-state";

// Interface 1 of the mouse: collection 1 consumer control (report 3) with the device events,
// collection 2 the vendor command channel (report 4), as the mouse's device files expect.
constexpr uint8_t kMouseDescriptor[] = {
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03,  // Consumer Control, Report ID 3
    0x19, 0x00, 0x2A, 0xFF, 0x1F, 0x15, 0x00, 0x26, 0xFF, 0x1F,
    0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,        // one 16-bit array field
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04,  // Vendor 0xFF1C / 0x92, Report ID 4
    0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
    0x95, 0x3F, 0x09, 0x01, 0x81, 0x02,              // 63 reply bytes
    0x95, 0x3F, 0x09, 0x02, 0x91, 0x02, 0xC0,        // 63 request bytes
};

std::string BuildHello(uint16_t productId) {
    Json::Value hello(Json::objectValue);
    hello["vid"] = kZorvVendorId;
    hello["pid"] = productId;
    hello["version"] = kMouseFirmwareVersion;
    hello["interface"] = kInterfaceNumber;
    hello["name"] = MouseProductName(productId);
    hello["descriptor"] = ToHex(kMouseDescriptor, sizeof kMouseDescriptor);
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, hello);
}

bool ReadHexInto(const Json::Value& value, uint8_t* target, size_t size) {
    if (!value.isString()) return false;
    auto bytes = FromHex(value.asString());
    if (!bytes || bytes->size() != size) return false;
    std::memcpy(target, bytes->data(), size);
    return true;
}
}  // namespace

const char* MouseProductName(uint16_t productId) {
    if (productId == kMouseWiredProductId) return "Zorv demo mouse";
    if (productId == kMouseReceiverProductId) return "Zorv demo mouse receiver";
    return nullptr;
}

EmulatedMouse::EmulatedMouse(MouseOptions options)
    : options_(std::move(options)),
      productId_(options_.productId),
      dir_(options_.dir.empty() ? DefaultEmulatorDir() : options_.dir),
      firmware_(options_.productId == kMouseReceiverProductId) {
    if (!MouseProductName(productId_)) return;
    hello_ = BuildHello(productId_);
    HidSocketServer::Handlers handlers;
    handlers.onPacket = [this](int client, const uint8_t* data, size_t length) { OnPacket(client, data, length); };
    handlers.onIdle = [this] { SaveState(); };
    server_ = std::make_unique<HidSocketServer>(SocketPath(), hello_, std::move(handlers));
}

EmulatedMouse::~EmulatedMouse() { Stop(); }

std::string EmulatedMouse::SocketPath() const { return HidSocketPath(dir_, options_.name); }

bool EmulatedMouse::Start(std::string& error) {
    if (!server_) {
        char id[8];
        std::snprintf(id, sizeof id, "0x%04x", productId_);
        error = std::string("product ") + id + " is not an emulated mouse";
        return false;
    }
    if (!IsValidEmulatorName(options_.name)) {
        error = "invalid emulator name \"" + options_.name + "\"";
        return false;
    }
    if (!PrepareEmulatorDir(dir_, error)) return false;
    LoadState();
    return server_->Start(error);
}

void EmulatedMouse::Stop() {
    if (!server_) return;
    server_->Stop();
    SaveState();
}

void EmulatedMouse::OnPacket(int client, const uint8_t* data, size_t length) {
    std::vector<VendorPacket> replies;
    bool unplug = false;
    int replugMs = kNoReplug;
    {
        CriticalSectionLock lock(lock_);
        log_.Append(client, data, length);
        const bool vendorRequest = length >= 1 && length <= kPacketSize && data[0] == kVendorReportId;
        const FaultDecision decision = faults_.OnPacket(vendorRequest);
        unplug = decision.unplugAfterwards;
        replugMs = decision.replugAfterMs;
        if (vendorRequest && !decision.dropRequest) {
            VendorPacket request{};
            std::memcpy(request.data(), data, length);
            if (decision.failStatus) {
                replies.push_back(KeyboardFirmware::ReplyWithStatus(request, *decision.failStatus));
            } else {
                MouseFirmware::Outcome outcome = firmware_.Execute(request);
                replies.push_back(outcome.reply);
                stateDirty_ = stateDirty_ || outcome.memoryChanged;
                if (linkDropCountdown_ > 0 && --linkDropCountdown_ == 0) firmware_.SetLinkUp(false);
            }
        }
    }
    for (const VendorPacket& reply : replies) server_->Broadcast(reply.data(), reply.size());
    if (unplug) {
        server_->Unplug();
        if (replugMs >= 0) server_->After(static_cast<uint32_t>(replugMs), [this] {
            std::string error;
            server_->Plug(error);
        });
    }
}

bool EmulatedMouse::SendEvent(uint16_t code) {
    if (!server_) return false;
    bool sent = false;
    server_->Run([&] {
        if (!server_->Plugged()) return;
        {
            CriticalSectionLock lock(lock_);
            firmware_.ApplyEvent(code);
        }
        for (uint16_t report : {code, uint16_t{0}}) {
            const uint8_t bytes[] = {kEventReportId, static_cast<uint8_t>(report & 0xFF), static_cast<uint8_t>(report >> 8)};
            server_->Broadcast(bytes, sizeof bytes);
        }
        sent = true;
    });
    return sent;
}

void EmulatedMouse::SetLinkUp(bool up) {
    CriticalSectionLock lock(lock_);
    linkDropCountdown_ = -1;
    firmware_.SetLinkUp(up);
}

void EmulatedMouse::DropLinkAfter(int requests) {
    CriticalSectionLock lock(lock_);
    linkDropCountdown_ = requests;
    if (requests <= 0) firmware_.SetLinkUp(false);
}

void EmulatedMouse::DropRequests(int count) {
    CriticalSectionLock lock(lock_);
    faults_.DropRequests(count);
}

void EmulatedMouse::FailWithStatus(uint8_t status, int passing) {
    CriticalSectionLock lock(lock_);
    faults_.FailWithStatus(status, passing);
}

void EmulatedMouse::ClearFaults() {
    CriticalSectionLock lock(lock_);
    faults_.Clear();
    linkDropCountdown_ = -1;
    firmware_.SetLinkUp(true);
}

bool EmulatedMouse::Unplug() {
    if (!server_) return false;
    bool was = false;
    server_->Run([&] {
        was = server_->Plugged();
        if (was) server_->Unplug();
    });
    return was;
}

bool EmulatedMouse::Replug(std::string& error) {
    if (!server_) return false;
    bool plugged = false;
    server_->Run([&] { plugged = server_->Plug(error); });
    return plugged;
}

std::vector<PacketLogEntry> EmulatedMouse::PacketLogEntries() const {
    CriticalSectionLock lock(lock_);
    return log_.Entries();
}

void EmulatedMouse::ClearPacketLog() {
    CriticalSectionLock lock(lock_);
    log_.Clear();
}

MouseMemory EmulatedMouse::Memory() const {
    CriticalSectionLock lock(lock_);
    return firmware_.Memory();
}

void EmulatedMouse::SetMemory(const MouseMemory& memory) {
    CriticalSectionLock lock(lock_);
    firmware_.Memory() = memory;
}

bool EmulatedMouse::ConfigMode() const {
    CriticalSectionLock lock(lock_);
    return firmware_.ConfigMode();
}

// The settings memory and the button table survive a restart; a file that does not fit is left
// alone and the mouse starts from its factory state.
void EmulatedMouse::LoadState() {
    if (options_.statePath.empty() || !FileExists(options_.statePath)) return;
    std::string text;
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    MouseMemory memory = MouseMemory::Factory();
    const bool ok = ReadWholeFile(options_.statePath, text) &&
                    reader->parse(text.data(), text.data() + text.size(), &root, &errors) && root.isObject() &&
                    root["Format"] == kStateFormat && root["ProductId"] == productId_ &&
                    ReadHexInto(root["Settings"], memory.settings.data(), memory.settings.size()) &&
                    ReadHexInto(root["ButtonTable"], memory.buttonTable.data(), memory.buttonTable.size());
    DebugOutput(std::string("zorv-emulator: ") + (ok ? "state loaded from " : "state file not usable, factory state: ") +
                options_.statePath);
    if (!ok) return;
    CriticalSectionLock lock(lock_);
    firmware_.Memory() = memory;
}

void EmulatedMouse::SaveState() {
    if (options_.statePath.empty()) return;
    MouseMemory memory;
    {
        CriticalSectionLock lock(lock_);
        if (!stateDirty_) return;
        stateDirty_ = false;
        memory = firmware_.Memory();
    }
    Json::Value root(Json::objectValue);
    root["Format"] = kStateFormat;
    root["ProductId"] = productId_;
    root["Settings"] = ToHex(memory.settings);
    root["ButtonTable"] = ToHex(memory.buttonTable);
    if (!WriteFileAtomic(options_.statePath, Json::StyledWriter().write(root)))
        DebugOutput("zorv-emulator: cannot write " + options_.statePath);
}

}  // namespace emu
