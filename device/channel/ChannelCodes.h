#pragma once
// Command codes, result codes and packet geometry of the 64-byte request/reply protocol.
#include <cstdint>

// Results of every channel operation.
inline constexpr int kChannelOk = 1;
inline constexpr int kChannelNoReply = 0;             // not connected, reply read failed or timed out
inline constexpr int kChannelWriteFailed = -1;
inline constexpr int kChannelOutOfReach = -101;       // receiver answered 0xAA
inline constexpr int kChannelStatusFF = -102;
inline constexpr int kChannelStatusFE = -103;
inline constexpr int kChannelBadBank = -201;

enum CommandCode : uint8_t {
    kCmdBeginConfig = 0x01,
    kCmdEndConfig = 0x02,
    kCmdReadDeviceInfo = 0x03,
    kCmdReadParams = 0x05,
    kCmdWriteParams = 0x06,
    kCmdReadKeyTable = 0x07,
    kCmdWriteKeyTable = 0x09,
    kCmdWriteCustomLight = 0x0B,
    kCmdStreamLightFrame = 0x12,
    kCmdWriteMacroData = 0x15,
    kCmdWriteShootData = 0x17,
    kCmdReadParamsOnce = 0x1A,
    kCmdReadKeyTable2 = 0x1B,
    kCmdAnnounceLightControl = 0x1C,
    kCmdQueryReceiverLink = 0xAA,
};

inline constexpr uint32_t kPacketSize = 64;
inline constexpr uint8_t kCommandReportId = 0x04;
inline constexpr uint32_t kPacketPayloadOffset = 8;
inline constexpr uint32_t kPacketPayloadCapacity = kPacketSize - kPacketPayloadOffset;  // 56

// Packet byte positions.
inline constexpr uint32_t kPacketChecksumLow = 1;
inline constexpr uint32_t kPacketChecksumHigh = 2;
inline constexpr uint32_t kPacketCode = 3;
inline constexpr uint32_t kPacketLength = 4;
inline constexpr uint32_t kPacketOffsetLow = 5;
inline constexpr uint32_t kPacketOffsetHigh = 6;
inline constexpr uint32_t kPacketStatus = 7;

inline constexpr uint8_t kReplyOutOfReach = 0xAA;  // reply code of the receiver in mode 2
inline constexpr uint8_t kStatusErrorFF = 0xFF;
inline constexpr uint8_t kStatusErrorFE = 0xFE;
inline constexpr uint8_t kReceiverLinkUp = 0xFF;    // reply byte 8 of 0xAA when the device is reachable

inline constexpr int kModeDirect = 1;
inline constexpr int kModeReceiver = 2;
inline constexpr uint8_t kChunkSizeDirect = 56;
inline constexpr uint8_t kChunkSizeReceiver = 24;
inline constexpr uint8_t kShootChunkSize = 56;
inline constexpr uint32_t kTimeoutDirectMs = 1000;
inline constexpr uint32_t kTimeoutReceiverMs = 5000;

inline constexpr uint16_t kMaxBlockSize = 512;
inline constexpr uint32_t kKeyTableBankStride = 512;
inline constexpr uint32_t kDeviceInfoLength = 34;
inline constexpr uint32_t kEndConfigDelayMs = 10;

// Readable name of a channel result, for tools and diagnostics.
const char* ChannelResultText(int result);
