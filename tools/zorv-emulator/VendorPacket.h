#pragma once
// The 64-byte request/reply packet of the vendor collection: report id, 16-bit checksum over
// bytes 3-63, command code, length, offset, status, 56 payload bytes.
#include <array>
#include <cstddef>
#include <cstdint>

namespace emu {

inline constexpr size_t kPacketSize = 64;
inline constexpr size_t kPayloadOffset = 8;
inline constexpr size_t kMaxPayload = kPacketSize - kPayloadOffset;

inline constexpr size_t kChecksumLowByte = 1;
inline constexpr size_t kChecksumHighByte = 2;
inline constexpr size_t kCommandByte = 3;
inline constexpr size_t kLengthByte = 4;
inline constexpr size_t kOffsetLowByte = 5;
inline constexpr size_t kOffsetHighByte = 6;
inline constexpr size_t kStatusByte = 7;

inline constexpr uint8_t kStatusOk = 0x00;
inline constexpr uint8_t kStatusRejected = 0xFF;    // unknown command, bad checksum, bad length
inline constexpr uint8_t kStatusOutOfRange = 0xFE;  // access beyond the memory it addresses

enum class KeyboardCommand : uint8_t {
    BeginConfig = 0x01,
    EndConfig = 0x02,
    ReadDeviceInfo = 0x03,
    ReadParams = 0x05,
    WriteParams = 0x06,
    ReadKeyTable = 0x07,
    WriteKeyTable = 0x09,
    WriteCustomLight = 0x0B,
    StreamLightFrame = 0x12,
    WriteMacroData = 0x15,
    WriteShootData = 0x17,
    ReadParamsOnce = 0x1A,
    ReadKeyTable2 = 0x1B,
    AnnounceLightControl = 0x1C,
    QueryReceiverLink = 0xAA,
};

using VendorPacket = std::array<uint8_t, kPacketSize>;

uint16_t PacketChecksum(const VendorPacket& packet);
bool HasValidChecksum(const VendorPacket& packet);
// Fills bytes 1-2 from the rest; the last step of building any packet.
void SealPacket(VendorPacket& packet);

inline uint16_t PacketOffset(const VendorPacket& packet) {
    return static_cast<uint16_t>(packet[kOffsetLowByte] | packet[kOffsetHighByte] << 8);
}

}  // namespace emu
