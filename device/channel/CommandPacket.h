#pragma once
// Framing of one 64-byte request packet and the hexadecimal dump written around each exchange.
#include <array>
#include <cstdint>
#include <string>

#include "device/channel/ChannelCodes.h"

using CommandPacket = std::array<uint8_t, kPacketSize>;

// The first `length` bytes zero-filled to 64, or the first 64 of a longer request.
CommandPacket CopyToPacket(const uint8_t* bytes, uint32_t length);

// 16-bit sum of bytes 3..63.
uint16_t PacketChecksum(const CommandPacket& packet);
// Computes the checksum last, over every other byte already in place, into bytes 1-2 (little-endian).
void StoreChecksum(CommandPacket& packet);

// Report id, code, length, offset, zero status byte, payload (at most 56 bytes), checksum.
CommandPacket BuildCommandPacket(uint8_t code, uint8_t length, uint16_t offset, const uint8_t* payload = nullptr,
                                 uint32_t payloadLength = 0);

// 32 bytes as lower-case hex in eight groups of four: three spaces after each of the first three
// groups, two after each later one.
std::string FormatDumpLine(const uint8_t* bytes32);
// The title line, then the packet as two dump lines (bytes 0-31, 32-63), to the debugger output.
void LogPacket(const char* title, const CommandPacket& packet);
