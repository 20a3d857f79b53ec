#include "tools/zorv-emulator/HeadsetFirmware.h"

#include <algorithm>
#include <cstdio>

#include "tools/zorv-emulator/MousePadProduct.h"

namespace emu {

namespace {

constexpr uint8_t kDescriptor[] = {
    // 1: consumer control; one 16-bit array field carrying the device event codes.
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x03,        //   Report ID (3)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2A, 0xFF, 0x1F,  //   Usage Maximum (0x1FFF)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x1F,  //   Logical Maximum (0x1FFF)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute)
    0xC0,              // End Collection

    // 2: vendor commands (report 4, 63 bytes each way) and the zone colours (report 0xFF out).
    0x06, 0x1C, 0xFF,  // Usage Page (Vendor 0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (vendor 1)
    0x81, 0x02,        //   Input: replies
    0x09, 0x02,        //   Usage (vendor 2)
    0x91, 0x02,        //   Output: requests
    0x85, 0xFF,        //   Report ID (0xFF)
    0x95, 0x10,        //   Report Count (16)
    0x09, 0x03,        //   Usage (vendor 3)
    0x91, 0x02,        //   Output: zone colours
    0xC0,              // End Collection
};

VendorPacket ReplyWithStatus(const VendorPacket& request, uint8_t status) {
    VendorPacket reply{};
    reply[0] = request[0];
    for (size_t i = kCommandByte; i <= kOffsetHighByte; ++i) reply[i] = request[i];
    reply[kStatusByte] = status;
    SealPacket(reply);
    return reply;
}

}  // namespace

std::span<const uint8_t> AccessoryReportDescriptor() { return kDescriptor; }

const AccessoryModel& HeadsetModel() {
    static const AccessoryModel model{0x0C76, 0x1630, "Zorv CM6533 headset", 3, 0, false};
    return model;
}

const AccessoryModel* FindAccessoryModel(uint16_t vendorId, uint16_t productId) {
    for (const AccessoryModel* model : {&HeadsetModel(), &MousePadModel()}) {
        if (model->vendorId == vendorId && model->productId == productId) return model;
    }
    return nullptr;
}

HeadsetFirmware::HeadsetFirmware(const AccessoryModel& model)
    : model_(model), frameBuffer_(model.frameZones * 3, 0), lastFrame_(model.frameZones * 3, 0) {
    // A page that reads back as a stored effect: static red, full brightness, speed 2 (stored 4 − 2).
    const uint8_t page[] = {0, 3, 4, 2, 0, 0, 255, 0, 0};
    std::copy(std::begin(page), std::end(page), settings_.begin());
    deviceInfo_[0] = 0x01;
    deviceInfo_[1] = static_cast<uint8_t>(model.productId & 0xFF);
    deviceInfo_[2] = static_cast<uint8_t>(model.productId >> 8);
}

VendorPacket HeadsetFirmware::Execute(const VendorPacket& request) {
    if (!HasValidChecksum(request)) return ReplyWithStatus(request, kStatusRejected);
    VendorPacket reply = ReplyWithStatus(request, kStatusOk);
    const size_t length = request[kLengthByte];
    const size_t offset = PacketOffset(request);
    if (length > kMaxPayload) return ReplyWithStatus(request, kStatusRejected);
    switch (static_cast<KeyboardCommand>(request[kCommandByte])) {
    case KeyboardCommand::BeginConfig: configMode_ = true; break;
    case KeyboardCommand::EndConfig: configMode_ = false; break;
    case KeyboardCommand::ReadDeviceInfo:
        if (!model_.hasDeviceInfo) return ReplyWithStatus(request, kStatusRejected);
        std::copy_n(deviceInfo_.begin(), std::min(length, deviceInfo_.size()), reply.begin() + kPayloadOffset);
        break;
    case KeyboardCommand::ReadParams:
        if (offset + length > settings_.size()) return ReplyWithStatus(request, kStatusOutOfRange);
        std::copy_n(settings_.begin() + offset, length, reply.begin() + kPayloadOffset);
        break;
    case KeyboardCommand::WriteParams:
        if (offset + length > settings_.size()) return ReplyWithStatus(request, kStatusOutOfRange);
        std::copy_n(request.begin() + kPayloadOffset, length, settings_.begin() + offset);
        break;
    case KeyboardCommand::StreamLightFrame:
        if (model_.frameZones == 0) return ReplyWithStatus(request, kStatusRejected);
        if (offset + length > frameBuffer_.size()) return ReplyWithStatus(request, kStatusOutOfRange);
        std::copy_n(request.begin() + kPayloadOffset, length, frameBuffer_.begin() + offset);
        if (offset == 0) frameStarted_ = true;
        if (frameStarted_ && offset + length >= frameBuffer_.size()) {
            lastFrame_ = frameBuffer_;
            ++frameCount_;
            frameStarted_ = false;
        }
        break;
    default:
        return ReplyWithStatus(request, kStatusRejected);
    }
    SealPacket(reply);
    return reply;
}

bool HeadsetFirmware::TakeZoneReport(const uint8_t* data, size_t length) {
    if (model_.frameZones != 0 || length != kZoneReportBytes || data[0] != kZoneReportId) return false;
    zoneReports_.emplace_back(data, data + length);
    return true;
}

std::string DescribeZoneReport(const std::vector<uint8_t>& report) {
    std::string text;
    for (uint8_t byte : report) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x ", byte);
        text += hex;
    }
    if (!text.empty()) text.pop_back();
    return text;
}

}  // namespace emu
