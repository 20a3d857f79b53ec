#include "device/channel/CommandChannel.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/DebugOutput.h"
#include "platform/Time.h"

namespace {

// Counts an exchange in progress for as long as it lives.
class BusyScope {
public:
    explicit BusyScope(std::atomic<int>& depth) : depth_(depth) { depth_.fetch_add(1); }
    ~BusyScope() { depth_.fetch_sub(1); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<int>& depth_;
};

std::unique_lock<CriticalSection> LockIfAny(CriticalSection* lock) {
    return lock ? std::unique_lock<CriticalSection>(*lock) : std::unique_lock<CriticalSection>();
}

int StatusResult(const CommandPacket& reply) {
    if (reply[kPacketStatus] == kStatusErrorFF) return kChannelStatusFF;
    if (reply[kPacketStatus] == kStatusErrorFE) return kChannelStatusFE;
    return kChannelOk;
}

// The device offset field is 16 bits; a command whose last packet would not fit is refused
// rather than written to a wrapped-around offset.
bool OffsetsFit(uint32_t start, uint32_t length, uint32_t chunkSize) {
    if (length == 0) return true;
    const uint64_t lastPosition = static_cast<uint64_t>((length - 1) / chunkSize) * chunkSize;
    return static_cast<uint64_t>(start) + lastPosition <= 0xFFFF;
}

void CopyReplyOut(const CommandPacket& reply, uint8_t* destination, uint32_t length) {
    if (!destination) return;
    const uint32_t copied = std::min<uint32_t>(length, kPacketSize);
    std::memcpy(destination, reply.data(), copied);
    if (length > copied) std::memset(destination + copied, 0, length - copied);
}

constexpr const char kLogRequest[] = "命令";
constexpr const char kLogReply[] = "返回";
constexpr const char kLogFrameDropped[] = "放弃灯光数据";

}  // namespace

CCommandChannel::CCommandChannel() = default;

CCommandChannel::~CCommandChannel() {
    connected_ = false;
    viaReceiver_ = false;
    streamPaused_ = false;
}

int CCommandChannel::SetBlockSize(uint16_t size) {
    if (size > kMaxBlockSize) return 0;
    blockSize_ = size;
    return 1;
}

void CCommandChannel::SetConnectionMode(int mode) {
    const bool receiver = mode == kModeReceiver;
    viaReceiver_ = receiver;
    chunkSize_ = receiver ? kChunkSizeReceiver : kChunkSizeDirect;
}

int CCommandChannel::ReadReplyMatching(CHidInterface& record, uint32_t timeoutMs, uint8_t code, bool viaReceiver,
                                       CommandPacket& reply, uint32_t& bytesRead) {
    constexpr int kMaxReads = 2;
    for (int read = 0; read < kMaxReads; ++read) {
        reply.fill(0);
        bytesRead = 0;
        // A reply that does not come in time is not waited for again.
        if (record.ReadReport(reply.data(), kPacketSize, &bytesRead, timeoutMs) <= 0) return kChannelNoReply;
        if (reply[kPacketCode] == code) return kChannelOk;
        if (viaReceiver && reply[kPacketCode] == kReplyOutOfReach) return kChannelOutOfReach;
    }
    return kChannelOk;  // the second read stands even when its code differs
}

int CCommandChannel::Transfer(const uint8_t* request, uint32_t requestLength, uint8_t* reply, uint32_t replyLength,
                              uint32_t* bytesRead) {
    BusyScope busy(busyDepth_);
    if (bytesRead) *bytesRead = 0;
    if (!connected_) return kChannelNoReply;

    const CommandPacket packet = CopyToPacket(request, requestLength);
    LogPacket(kLogRequest, packet);

    const bool viaReceiver = viaReceiver_;
    CHidInterface& record = viaReceiver ? secondary_ : primary_;
    const uint32_t timeoutMs = viaReceiver ? kTimeoutReceiverMs : kTimeoutDirectMs;

    int writeResult;
    {
        CriticalSectionLock lock(transferLock_);
        uint32_t written = 0;
        writeResult = record.WriteReport(packet.data(), kPacketSize, &written, timeoutMs);
    }
    if (writeResult <= 0) return kChannelWriteFailed;

    CommandPacket replyPacket{};
    uint32_t received = 0;
    int result;
    {
        CriticalSectionLock lock(transferLock_);
        result = ReadReplyMatching(record, timeoutMs, packet[kPacketCode], viaReceiver, replyPacket, received);
    }
    CopyReplyOut(replyPacket, reply, replyLength);
    if (bytesRead) *bytesRead = std::min(received, replyLength);

    CommandPacket logged{};
    std::memcpy(logged.data(), replyPacket.data(), std::min<uint32_t>(replyLength, kPacketSize));
    LogPacket(kLogReply, logged);
    return result;
}

int CCommandChannel::TransferPlain(const uint8_t* request, uint32_t requestLength, uint8_t* reply,
                                   uint32_t replyLength, uint32_t* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    const CommandPacket packet = CopyToPacket(request, requestLength);
    int writeResult;
    {
        CriticalSectionLock lock(transferLock_);
        uint32_t written = 0;
        writeResult = primary_.WriteReport(packet.data(), kPacketSize, &written, kTimeoutDirectMs);
    }
    if (writeResult <= 0) return kChannelWriteFailed;

    CommandPacket replyPacket{};
    uint32_t received = 0;
    int result;
    {
        CriticalSectionLock lock(transferLock_);
        result = primary_.ReadReport(replyPacket.data(), kPacketSize, &received, kTimeoutDirectMs) > 0
                     ? kChannelOk
                     : kChannelNoReply;
    }
    CopyReplyOut(replyPacket, reply, replyLength);
    if (bytesRead) *bytesRead = std::min(received, replyLength);
    return result;
}

int CCommandChannel::ExchangePacket(const CommandPacket& packet, CommandPacket& reply, Route route) {
    uint32_t received = 0;
    const int result = route == Route::Plain
                           ? TransferPlain(packet.data(), kPacketSize, reply.data(), kPacketSize, &received)
                           : Transfer(packet.data(), kPacketSize, reply.data(), kPacketSize, &received);
    if (result != kChannelOk) return result;
    return StatusResult(reply);
}

int CCommandChannel::RunChunked(const ChunkedCommand& command, const uint8_t* source, uint8_t* destination,
                                uint32_t length, uint32_t start) {
    const uint32_t chunkSize = command.fixedChunkSize ? command.fixedChunkSize : chunkSize_.load();
    if (chunkSize == 0 || !OffsetsFit(start, length, chunkSize)) return kChannelNoReply;

    for (uint32_t position = 0; position < length; position += chunkSize) {
        const uint32_t chunk = std::min(chunkSize, length - position);
        const uint8_t* payload = command.direction == Direction::Write ? source + position : nullptr;
        const CommandPacket packet = BuildCommandPacket(command.code, static_cast<uint8_t>(chunk),
                                                        static_cast<uint16_t>(start + position), payload,
                                                        payload ? chunk : 0);
        CommandPacket reply{};
        int result;
        {
            auto guard = LockIfAny(command.lock);  // per packet: packets of other commands may interleave
            if (command.route == Route::Plain) {
                // A frame packet never waits for a configuration exchange: dropped, it counts as sent.
                if (IsBusy()) {
                    DebugOutput(kLogFrameDropped);
                    continue;
                }
                if (viaReceiver_) continue;
            }
            result = ExchangePacket(packet, reply, command.route);
        }
        if (result != kChannelOk) return result;
        if (command.direction == Direction::Read)
            std::memcpy(destination + position, reply.data() + kPacketPayloadOffset, chunk);
    }
    return kChannelOk;
}

int CCommandChannel::SimpleCommand(uint8_t code) {
    CommandPacket reply{};
    CriticalSectionLock lock(commandLock_);
    return ExchangePacket(BuildCommandPacket(code, 0, 0), reply, Route::Logged);
}

int CCommandChannel::BeginConfig() { return SimpleCommand(kCmdBeginConfig); }

int CCommandChannel::EndConfig() {
    Sleep(kEndConfigDelayMs);
    return SimpleCommand(kCmdEndConfig);
}

int CCommandChannel::AnnounceLightControl() { return SimpleCommand(kCmdAnnounceLightControl); }

int CCommandChannel::ReadDeviceInfo(uint8_t* destination) {
    return RunChunked({kCmdReadDeviceInfo, Direction::Read, &commandLock_, Route::Logged, 0}, nullptr, destination,
                      kDeviceInfoLength, 0);
}

int CCommandChannel::ReadParams(uint8_t* destination, uint32_t length, uint32_t start) {
    return RunChunked({kCmdReadParams, Direction::Read, &commandLock_, Route::Logged, 0}, nullptr, destination,
                      length, start);
}

int CCommandChannel::WriteParams(const uint8_t* source, uint32_t length, uint32_t start) {
    return RunChunked({kCmdWriteParams, Direction::Write, &commandLock_, Route::Logged, 0}, source, nullptr, length,
                      start);
}

int CCommandChannel::ReadKeyTable(uint8_t* destination) {
    return RunChunked({kCmdReadKeyTable, Direction::Read, &commandLock_, Route::Logged, 0}, nullptr, destination,
                      blockSize_, 0);
}

int CCommandChannel::WriteKeyTable(const uint8_t* source, int bank) {
    if (bank != 0) return kChannelBadBank;
    return RunChunked({kCmdWriteKeyTable, Direction::Write, &commandLock_, Route::Logged, 0}, source, nullptr,
                      blockSize_, static_cast<uint32_t>(bank) * kKeyTableBankStride);
}

int CCommandChannel::ReadKeyTable2(uint8_t* destination) {
    return RunChunked({kCmdReadKeyTable2, Direction::Read, &commandLock_, Route::Logged, 0}, nullptr, destination,
                      blockSize_ / 3u, 0);
}

int CCommandChannel::WriteCustomLight(const uint8_t* source, uint32_t length, uint32_t slot, uint32_t slotStride) {
    const uint64_t start = static_cast<uint64_t>(slot) * slotStride;
    if (start > 0xFFFF) return kChannelNoReply;
    return RunChunked({kCmdWriteCustomLight, Direction::Write, &lightingLock_, Route::Logged, 0}, source, nullptr,
                      length, static_cast<uint32_t>(start));
}

int CCommandChannel::StreamLightFrame(const uint8_t* source, uint32_t length) {
    return RunChunked({kCmdStreamLightFrame, Direction::Write, &lightingLock_, Route::Plain, 0}, source, nullptr,
                      length, 0);
}

int CCommandChannel::WriteMacroData(const uint8_t* source, uint32_t length) {
    return RunChunked({kCmdWriteMacroData, Direction::Write, &commandLock_, Route::Logged, 0}, source, nullptr,
                      length, 0);
}

int CCommandChannel::WriteShootData(const uint8_t* source, uint32_t length) {
    return RunChunked({kCmdWriteShootData, Direction::Write, nullptr, Route::Logged, kShootChunkSize}, source,
                      nullptr, length, 0);
}

int CCommandChannel::ReadParamsOnce(uint8_t* destination, uint32_t length, uint32_t offset) {
    // One packet carries at most 56 reply bytes; more would read past the reply.
    if (length > kPacketPayloadCapacity || offset > 0xFFFF) return kChannelNoReply;
    CommandPacket reply{};
    int result;
    {
        CriticalSectionLock lock(commandLock_);
        result = ExchangePacket(
            BuildCommandPacket(kCmdReadParamsOnce, static_cast<uint8_t>(length), static_cast<uint16_t>(offset)),
            reply, Route::Logged);
    }
    if (result == kChannelOk && destination) std::memcpy(destination, reply.data() + kPacketPayloadOffset, length);
    return result;
}

int CCommandChannel::QueryReceiverLink() {
    if (!viaReceiver_) return 1;
    CommandPacket reply{};
    CriticalSectionLock lock(commandLock_);
    const int result = ExchangePacket(BuildCommandPacket(kCmdQueryReceiverLink, 0, 0), reply, Route::Logged);
    return result == kChannelOk && reply[kPacketPayloadOffset] == kReceiverLinkUp ? 1 : 0;
}
