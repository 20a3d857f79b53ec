#include "device/channel/CommandPacket.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/DebugOutput.h"

CommandPacket CopyToPacket(const uint8_t* bytes, uint32_t length) {
    CommandPacket packet{};
    if (bytes) std::memcpy(packet.data(), bytes, std::min<uint32_t>(length, kPacketSize));
    return packet;
}

uint16_t PacketChecksum(const CommandPacket& packet) {
    uint32_t sum = 0;
    for (uint32_t i = kPacketCode; i < kPacketSize; ++i) sum += packet[i];
    return static_cast<uint16_t>(sum);
}

void StoreChecksum(CommandPacket& packet) {
    const uint16_t sum = PacketChecksum(packet);
    packet[kPacketChecksumLow] = static_cast<uint8_t>(sum & 0xFF);
    packet[kPacketChecksumHigh] = static_cast<uint8_t>(sum >> 8);
}

CommandPacket BuildCommandPacket(uint8_t code, uint8_t length, uint16_t offset, const uint8_t* payload,
                                 uint32_t payloadLength) {
    CommandPacket packet{};
    packet[0] = kCommandReportId;
    packet[kPacketCode] = code;
    packet[kPacketLength] = length;
    packet[kPacketOffsetLow] = static_cast<uint8_t>(offset & 0xFF);
    packet[kPacketOffsetHigh] = static_cast<uint8_t>(offset >> 8);
    packet[kPacketStatus] = 0;
    if (payload && payloadLength > 0)
        std::memcpy(packet.data() + kPacketPayloadOffset, payload, std::min(payloadLength, kPacketPayloadCapacity));
    StoreChecksum(packet);
    return packet;
}

std::string FormatDumpLine(const uint8_t* b) {
    char line[128];
    std::snprintf(line, sizeof line,
                  "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x  "
                  "%02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15],
                  b[16], b[17], b[18], b[19], b[20], b[21], b[22], b[23], b[24], b[25], b[26], b[27], b[28], b[29],
                  b[30], b[31]);
    return line;
}

void LogPacket(const char* title, const CommandPacket& packet) {
    DebugOutput(title);
    DebugOutput(FormatDumpLine(packet.data()));
    DebugOutput(FormatDumpLine(packet.data() + kPacketSize / 2));
}
