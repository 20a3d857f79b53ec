#include "tools/zorv-emulator/MouseFirmware.h"

#include <algorithm>

#include "tools/zorv-emulator/KeyboardFirmware.h"

namespace emu {

namespace {
constexpr uint8_t kOutOfReachCode = 0xAA;
constexpr uint8_t kLinkUp = 0xFF;

// Device order of the buttons. The last one carries a function the page has no logical button for,
// so logical button 9 (factory code 16 90 01) has no slot on this mouse.
constexpr std::array<std::array<uint8_t, 3>, 10> kFactoryButtons = {{
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x08, 0x00}, {0x10, 0x10, 0x00},
    {0x13, 0x03, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0xA0, 0x1B, 0x00}, {0x13, 0x04, 0x00},
}};

// A factory settings page: breathing in red at full brightness, 1 kHz, four stages.
void FillFactoryPage(std::vector<uint8_t>& settings, size_t profile) {
    uint8_t* page = settings.data() + profile * kMousePageStride;
    page[1] = 1;  // effect
    page[2] = 4;  // brightness
    page[3] = 2;  // speed as the mouse stores it
    page[6] = 0xFF;
    page[11] = 4;  // report-rate index
    page[12] = 1;  // active stage
    constexpr uint16_t kStages[] = {8, 16, 32, 64};
    for (size_t i = 0; i < 4; ++i) {
        uint8_t* stage = page + 14 + 9 * i;
        stage[0] = 1;
        stage[2] = kStages[i] & 0xFF;
        stage[3] = kStages[i] >> 8;
        stage[4] = kStages[i] & 0xFF;
        stage[5] = kStages[i] >> 8;
        stage[6] = static_cast<uint8_t>(0x40 * i);
        stage[8] = 0xFF;
    }
    page[59] = 1;
}
}  // namespace

MouseMemory MouseMemory::Factory() {
    MouseMemory memory;
    memory.deviceInfo[5] = static_cast<uint8_t>(kFactoryButtons.size());
    memory.deviceInfo[11] = kMouseDpiStep;
    memory.deviceInfo[12] = kMouseHighestDpiSteps & 0xFF;
    memory.deviceInfo[13] = kMouseHighestDpiSteps >> 8;
    memory.deviceInfo[14] = kMouseLowestDpi & 0xFF;
    memory.deviceInfo[15] = kMouseLowestDpi >> 8;
    for (const auto& code : kFactoryButtons) memory.buttonTable.insert(memory.buttonTable.end(), code.begin(), code.end());
    for (size_t profile = 0; profile < kMouseProfileCount; ++profile) FillFactoryPage(memory.settings, profile);
    memory.settings[0] = 0;
    // Battery percentage, not charging; byte 4 repeats the level for the main window's message.
    memory.power = {kMouseBatteryPercent, 0x00, 0x00, 0x00, kMouseBatteryPercent, 0x00};
    return memory;
}

std::span<uint8_t> MouseFirmware::RegionOf(uint8_t code) {
    switch (static_cast<KeyboardCommand>(code)) {
        case KeyboardCommand::ReadDeviceInfo: return memory_.deviceInfo;
        case KeyboardCommand::ReadParams:
        case KeyboardCommand::WriteParams: return memory_.settings;
        case KeyboardCommand::ReadKeyTable:
        case KeyboardCommand::WriteKeyTable: return memory_.buttonTable;
        case KeyboardCommand::WriteShootData: return memory_.shootArea;
        case KeyboardCommand::ReadParamsOnce: return memory_.power;
        default: return {};
    }
}

MouseFirmware::Outcome MouseFirmware::Execute(const VendorPacket& request) {
    Outcome outcome;
    if (!HasValidChecksum(request)) {
        outcome.reply = KeyboardFirmware::ReplyWithStatus(request, kStatusRejected);
        return outcome;
    }
    const uint8_t code = request[kCommandByte];
    VendorPacket reply = KeyboardFirmware::ReplyWithStatus(request, kStatusOk);
    if (code == static_cast<uint8_t>(KeyboardCommand::QueryReceiverLink)) {
        reply[kPayloadOffset] = receiver_ && !linkUp_ ? 0x00 : kLinkUp;
        SealPacket(reply);
        outcome.reply = reply;
        return outcome;
    }
    if (receiver_ && !linkUp_) {
        reply[kCommandByte] = kOutOfReachCode;
        SealPacket(reply);
        outcome.reply = reply;
        return outcome;
    }
    if (code == static_cast<uint8_t>(KeyboardCommand::BeginConfig) ||
        code == static_cast<uint8_t>(KeyboardCommand::EndConfig)) {
        configMode_ = code == static_cast<uint8_t>(KeyboardCommand::BeginConfig);
        outcome.reply = reply;
        return outcome;
    }
    std::span<uint8_t> region = RegionOf(code);
    const size_t length = request[kLengthByte];
    const size_t offset = PacketOffset(request);
    if (region.empty() || length > kMaxPayload) {
        outcome.reply = KeyboardFirmware::ReplyWithStatus(request, kStatusRejected);
        return outcome;
    }
    if (offset + length > region.size()) {
        outcome.reply = KeyboardFirmware::ReplyWithStatus(request, kStatusOutOfRange);
        return outcome;
    }
    const bool write = code == static_cast<uint8_t>(KeyboardCommand::WriteParams) ||
                       code == static_cast<uint8_t>(KeyboardCommand::WriteKeyTable) ||
                       code == static_cast<uint8_t>(KeyboardCommand::WriteShootData);
    if (write) {
        std::copy_n(request.begin() + kPayloadOffset, length, region.begin() + static_cast<long>(offset));
        outcome.memoryChanged = length > 0;
    } else {
        std::copy_n(region.begin() + static_cast<long>(offset), length, reply.begin() + kPayloadOffset);
        SealPacket(reply);
    }
    outcome.reply = reply;
    return outcome;
}

void MouseFirmware::ApplyEvent(uint16_t code) {
    const uint8_t hi = code >> 8, lo = code & 0xFF;
    if (hi != 0x10 && hi != 0x11) return;
    const size_t profile = lo & 0x0F;
    if (profile >= kMouseProfileCount) return;
    memory_.settings[0] = static_cast<uint8_t>(profile);
    if (hi == 0x11) memory_.settings[profile * kMousePageStride + 12] = lo >> 4;
}

}  // namespace emu
