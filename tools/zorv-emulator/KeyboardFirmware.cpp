#include "tools/zorv-emulator/KeyboardFirmware.h"

#include <algorithm>
#include <array>

namespace emu {

enum class FirmwareRegion : uint8_t {
    None, DeviceInfo, Params, KeyTable, LightTable, CustomColours, LightFrame, MacroImage, ShootData
};

namespace {
constexpr uint8_t kReceiverLinked = 0xFF;

enum class Access { Control, Read, Write };
struct Route {
    KeyboardCommand code;
    Access access;
    FirmwareRegion region;
};

using C = KeyboardCommand;
using R = FirmwareRegion;
constexpr std::array<Route, 15> kRoutes = {{
    {C::BeginConfig, Access::Control, R::None},
    {C::EndConfig, Access::Control, R::None},
    {C::ReadDeviceInfo, Access::Read, R::DeviceInfo},
    {C::ReadParams, Access::Read, R::Params},
    {C::WriteParams, Access::Write, R::Params},
    {C::ReadKeyTable, Access::Read, R::KeyTable},
    {C::WriteKeyTable, Access::Write, R::KeyTable},           // offset = bank × 512 + position
    {C::WriteCustomLight, Access::Write, R::CustomColours},   // offset = slot × 512 + position
    {C::StreamLightFrame, Access::Write, R::LightFrame},
    {C::WriteMacroData, Access::Write, R::MacroImage},
    {C::WriteShootData, Access::Write, R::ShootData},
    {C::ReadParamsOnce, Access::Read, R::Params},
    {C::ReadKeyTable2, Access::Read, R::LightTable},
    {C::AnnounceLightControl, Access::Control, R::None},
    {C::QueryReceiverLink, Access::Control, R::None},
}};

const Route* FindRoute(uint8_t code) {
    for (const Route& route : kRoutes)
        if (static_cast<uint8_t>(route.code) == code) return &route;
    return nullptr;
}
}  // namespace

KeyboardFirmware::KeyboardFirmware(const DeviceLayout& layout, KeyboardMemory memory)
    : memory_(std::move(memory)),
      frameLength_(static_cast<size_t>(layout.positionCount) * 3),
      frameBuffer_(kLightFrameBufferSize, 0),
      lastFrame_(frameLength_, 0) {}

VendorPacket KeyboardFirmware::ReplyWithStatus(const VendorPacket& request, uint8_t status) {
    VendorPacket reply{};
    reply[0] = request[0];
    for (size_t i = kCommandByte; i <= kOffsetHighByte; ++i) reply[i] = request[i];
    reply[kStatusByte] = status;
    SealPacket(reply);
    return reply;
}

std::span<uint8_t> KeyboardFirmware::RegionBytes(FirmwareRegion region) {
    switch (region) {
        case R::DeviceInfo: return memory_.deviceInfo;
        case R::Params: return memory_.params;
        case R::KeyTable: return memory_.keyTable;
        case R::LightTable: return memory_.lightTable;
        case R::CustomColours: return memory_.customColours;
        case R::LightFrame: return frameBuffer_;
        case R::MacroImage: return memory_.macroImage;
        case R::ShootData: return memory_.shootData;
        case R::None: break;
    }
    return {};
}

bool KeyboardFirmware::SetActiveProfile(int profile) {
    if (profile < 0 || profile >= kProfileCount) return false;
    memory_.params[0] = static_cast<uint8_t>(profile);
    return true;
}

void KeyboardFirmware::RunControl(KeyboardCommand code, VendorPacket& reply) {
    switch (code) {
        case KeyboardCommand::BeginConfig: configMode_ = true; break;
        case KeyboardCommand::EndConfig: configMode_ = false; break;
        case KeyboardCommand::AnnounceLightControl: ++lightControlAnnouncements_; break;
        case KeyboardCommand::QueryReceiverLink: reply[kPayloadOffset] = kReceiverLinked; break;
        default: break;
    }
}

void KeyboardFirmware::CollectFrameChunk(size_t offset, size_t length) {
    if (offset == 0) frameStarted_ = true;
    if (frameStarted_ && offset + length >= frameLength_) {
        std::copy_n(frameBuffer_.begin(), frameLength_, lastFrame_.begin());
        ++frameCount_;
        frameStarted_ = false;
    }
}

KeyboardFirmware::Outcome KeyboardFirmware::Execute(const VendorPacket& request) {
    Outcome outcome;
    const Route* route = HasValidChecksum(request) ? FindRoute(request[kCommandByte]) : nullptr;
    if (!route) {
        outcome.reply = ReplyWithStatus(request, kStatusRejected);
        return outcome;
    }
    VendorPacket reply = ReplyWithStatus(request, kStatusOk);
    if (route->access == Access::Control) {
        RunControl(route->code, reply);
        SealPacket(reply);
        outcome.reply = reply;
        return outcome;
    }

    const size_t length = request[kLengthByte];
    const size_t offset = PacketOffset(request);
    std::span<uint8_t> region = RegionBytes(route->region);
    if (length > kMaxPayload) {
        outcome.reply = ReplyWithStatus(request, kStatusRejected);
        return outcome;
    }
    // Nothing of an access that runs past the region is done, so no partial chunk lands.
    if (offset + length > region.size()) {
        outcome.reply = ReplyWithStatus(request, kStatusOutOfRange);
        return outcome;
    }
    if (route->access == Access::Read) {
        std::copy_n(region.begin() + offset, length, reply.begin() + kPayloadOffset);
    } else {
        std::copy_n(request.begin() + kPayloadOffset, length, region.begin() + offset);
        if (route->region == R::LightFrame)
            CollectFrameChunk(offset, length);
        else
            outcome.memoryChanged = length > 0;
    }
    SealPacket(reply);
    outcome.reply = reply;
    return outcome;
}

}  // namespace emu
