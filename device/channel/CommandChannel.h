#pragma once
// The request/reply channel of one device: two HID records (direct and through the 2.4 GHz
// receiver), the 64-byte packet format, four locks, and one operation per command code.
//
// Lock order: the command or lighting lock first, then the transfer lock. The transfer lock is
// held separately around each write and each reply read, and never while another lock is taken.
#include <atomic>
#include <cstdint>

#include "device/channel/ChannelCodes.h"
#include "device/channel/CommandPacket.h"
#include "device/hid/HidInterface.h"
#include "platform/CriticalSection.h"

class CCommandChannel {
public:
    CCommandChannel();
    ~CCommandChannel();
    CCommandChannel(const CCommandChannel&) = delete;
    CCommandChannel& operator=(const CCommandChannel&) = delete;

    // Channel management.
    int SetBlockSize(uint16_t size);  // 0 and unchanged above 512
    uint16_t BlockSize() const { return blockSize_.load(); }
    void SetConnectionMode(int mode);  // 2: receiver, 24-byte chunks; otherwise direct, 56-byte chunks
    uint8_t ChunkSize() const { return chunkSize_.load(); }

    // One logged exchange with reply matching on the record in use.
    int Transfer(const uint8_t* request, uint32_t requestLength, uint8_t* reply, uint32_t replyLength,
                 uint32_t* bytesRead);
    // One exchange on the primary record, without log, busy flag or reply matching.
    int TransferPlain(const uint8_t* request, uint32_t requestLength, uint8_t* reply, uint32_t replyLength,
                      uint32_t* bytesRead);

    // Command operations; results as in ChannelCodes.h.
    int BeginConfig();                                                      // 0x01
    int EndConfig();                                                        // 0x02
    int ReadDeviceInfo(uint8_t* destination);                               // 0x03, 34 bytes
    int ReadParams(uint8_t* destination, uint32_t length, uint32_t start);  // 0x05
    int WriteParams(const uint8_t* source, uint32_t length, uint32_t start);  // 0x06
    int ReadKeyTable(uint8_t* destination);                                 // 0x07, block size bytes
    int WriteKeyTable(const uint8_t* source, int bank);                     // 0x09, block size bytes
    int WriteCustomLight(const uint8_t* source, uint32_t length, uint32_t slot, uint32_t slotStride);  // 0x0B
    int StreamLightFrame(const uint8_t* source, uint32_t length);           // 0x12
    int WriteMacroData(const uint8_t* source, uint32_t length);             // 0x15
    int WriteShootData(const uint8_t* source, uint32_t length);             // 0x17
    int ReadParamsOnce(uint8_t* destination, uint32_t length, uint32_t offset);  // 0x1A, at most 56 bytes
    int ReadKeyTable2(uint8_t* destination);                                // 0x1B, block size / 3 bytes
    int AnnounceLightControl();                                             // 0x1C
    int QueryReceiverLink();                                                // 0xAA, 1 when reachable

    // Flags read across threads (UI, lighting thread, shared lighting, device list).
    bool IsBusy() const { return busyDepth_.load() > 0; }
    bool IsConnected() const { return connected_.load(); }
    void SetConnected(bool connected) { connected_.store(connected); }
    bool IsStreamPaused() const { return streamPaused_.load(); }
    void SetStreamPaused(bool paused) { streamPaused_.store(paused); }
    // On the event channel this means that the secondary record is open.
    bool ViaReceiver() const { return viaReceiver_.load(); }
    void SetViaReceiver(bool viaReceiver) { viaReceiver_.store(viaReceiver); }

    // The records and locks the device list and the engines open and take.
    CHidInterface& PrimaryRecord() { return primary_; }
    CHidInterface& SecondaryRecord() { return secondary_; }
    CriticalSection& TransferLock() { return transferLock_; }
    CriticalSection& ReceiverRecordLock() { return receiverRecordLock_; }
    CriticalSection& CommandLock() { return commandLock_; }
    CriticalSection& LightingLock() { return lightingLock_; }

private:
    enum class Direction { Read, Write };
    enum class Route { Logged, Plain };
    struct ChunkedCommand {
        uint8_t code;
        Direction direction;
        CriticalSection* lock;  // null: no lock (0x17)
        Route route;
        uint8_t fixedChunkSize;  // 0: the channel's chunk size
    };

    int RunChunked(const ChunkedCommand& command, const uint8_t* source, uint8_t* destination, uint32_t length,
                   uint32_t start);
    // One packet, the caller holding its lock; 1, or the transfer or status result.
    int ExchangePacket(const CommandPacket& packet, CommandPacket& reply, Route route);
    int SimpleCommand(uint8_t code);
    int ReadReplyMatching(CHidInterface& record, uint32_t timeoutMs, uint8_t code, bool viaReceiver,
                          CommandPacket& reply, uint32_t& bytesRead);

    std::atomic<uint16_t> blockSize_{kMaxBlockSize};
    std::atomic<int> busyDepth_{0};  // overlapping exchanges (command and lighting lock) each count
    std::atomic<bool> connected_{false};
    std::atomic<bool> streamPaused_{false};
    CHidInterface primary_;
    CHidInterface secondary_;
    CriticalSection transferLock_;
    CriticalSection receiverRecordLock_;
    CriticalSection commandLock_;
    CriticalSection lightingLock_;
    std::atomic<bool> viaReceiver_{false};
    std::atomic<uint8_t> chunkSize_{kChunkSizeReceiver};
};
