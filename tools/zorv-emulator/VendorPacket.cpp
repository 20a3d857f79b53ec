#include "tools/zorv-emulator/VendorPacket.h"

namespace emu {

uint16_t PacketChecksum(const VendorPacket& packet) {
    uint32_t sum = 0;
    for (size_t i = kCommandByte; i < kPacketSize; ++i) sum += packet[i];
    return static_cast<uint16_t>(sum);
}

bool HasValidChecksum(const VendorPacket& packet) {
    uint16_t stored = static_cast<uint16_t>(packet[kChecksumLowByte] | packet[kChecksumHighByte] << 8);
    return stored == PacketChecksum(packet);
}

void SealPacket(VendorPacket& packet) {
    uint16_t sum = PacketChecksum(packet);
    packet[kChecksumLowByte] = static_cast<uint8_t>(sum & 0xFF);
    packet[kChecksumHighByte] = static_cast<uint8_t>(sum >> 8);
}

}  // namespace emu
