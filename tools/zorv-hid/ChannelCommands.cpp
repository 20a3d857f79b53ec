#include "ChannelCommands.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "HexText.h"
#include "InterfaceListing.h"
#include "device/channel/CommandChannel.h"
#include "platform/DebugOutput.h"

namespace {

constexpr uint16_t kCommandUsagePage = 0xFF1C;
constexpr uint16_t kCommandUsage = 0x0092;
constexpr size_t kKeyCountByte = 5;
constexpr size_t kMacroCapacityByte = 6;
constexpr uint32_t kMacroCapacityUnit = 128;
constexpr uint32_t kMacroImageHeader = 16;
constexpr uint32_t kMacroBlockOverhead = 6;  // offset entry, event count, reserved
constexpr uint32_t kMacroEventBytes = 4;

std::string Printf(const char* format, auto... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Collects the debugger lines of the channel while alive.
class LogCollector {
public:
    explicit LogCollector(std::vector<std::string>& lines) : lines_(lines) {
        SetDebugSink([this](const std::string& line) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(line);
        });
    }
    ~LogCollector() { SetDebugSink(nullptr); }

private:
    std::vector<std::string>& lines_;
    std::mutex mutex_;
};

// Opens the primary record as the device list does: read, write, overlapped, shared, under the
// transfer lock; then connected, direct mode.
bool OpenChannel(CCommandChannel& channel, const std::string& path, ChannelRun& run) {
    {
        CriticalSectionLock lock(channel.TransferLock());
        if (channel.PrimaryRecord().Open(path, 1, 1, 1, 0) != 1) {
            run.openProblem = OpenFailureReason(path);
            return false;
        }
    }
    const HIDP_CAPS& caps = channel.PrimaryRecord().Capabilities;
    if (caps.UsagePage != kCommandUsagePage || caps.Usage != kCommandUsage)
        run.text += Printf("warning: this collection has usage page 0x%04x usage 0x%04x, not the command collection "
                           "(0x%04x/0x%04x, \"&col04\")\n",
                           caps.UsagePage, caps.Usage, kCommandUsagePage, kCommandUsage);
    channel.SetConnected(true);
    channel.SetConnectionMode(kModeDirect);
    run.opened = true;
    return true;
}

Json::Value LogToJson(const std::vector<std::string>& lines) {
    Json::Value array(Json::arrayValue);
    for (const std::string& line : lines) array.append(line);
    return array;
}

std::string ResultLine(const char* step, int result) {
    return Printf("%s: %d (%s)\n", step, result, ChannelResultText(result));
}

}  // namespace

ChannelRun RunExchange(const std::string& path, std::vector<uint8_t> request, bool fillChecksum) {
    ChannelRun run;
    run.json["path"] = path;
    if (request.size() > kPacketSize)
        run.text += Printf("note: %zu bytes given; only the first 64 are sent\n", request.size());
    CommandPacket packet = CopyToPacket(request.data(), static_cast<uint32_t>(request.size()));
    if (fillChecksum) StoreChecksum(packet);

    CCommandChannel channel;
    if (!OpenChannel(channel, path, run)) {
        run.json["error"] = run.openProblem;
        return run;
    }
    CommandPacket reply{};
    uint32_t bytesRead = 0;
    int result;
    {
        LogCollector collect(run.log);
        result = channel.Transfer(packet.data(), kPacketSize, reply.data(), kPacketSize, &bytesRead);
    }
    run.ok = result == kChannelOk;
    run.json["result"] = result;
    run.json["result_text"] = ChannelResultText(result);
    run.json["request"] = ToHex(packet.data(), packet.size());
    run.json["reply"] = ToHex(reply.data(), reply.size());
    run.json["bytes_read"] = bytesRead;
    run.json["log"] = LogToJson(run.log);
    for (const std::string& line : run.log) run.text += line + "\n";
    run.text += ResultLine("result", result);
    if (result == kChannelOk && reply[kPacketCode] != packet[kPacketCode])
        run.text += Printf("note: the reply answers command 0x%02x, not 0x%02x\n", reply[kPacketCode],
                           packet[kPacketCode]);
    if (result == kChannelOk && !fillChecksum && PacketChecksum(packet) != (packet[1] | (packet[2] << 8)))
        run.text += "note: bytes 1-2 do not hold the packet's checksum (use --checksum to fill them in)\n";
    return run;
}

ChannelRun RunInfo(const std::string& path) {
    ChannelRun run;
    run.json["path"] = path;
    CCommandChannel channel;
    if (!OpenChannel(channel, path, run)) {
        run.json["error"] = run.openProblem;
        return run;
    }
    uint8_t info[kDeviceInfoLength] = {};
    int begin, read, end;
    {
        LogCollector collect(run.log);
        begin = channel.BeginConfig();
        read = channel.ReadDeviceInfo(info);
        end = channel.EndConfig();
    }
    run.json["begin_config"] = begin;
    run.json["read_device_info"] = read;
    run.json["end_config"] = end;
    run.json["log"] = LogToJson(run.log);
    for (const std::string& line : run.log) run.text += line + "\n";
    run.text += ResultLine("BeginConfig", begin) + ResultLine("ReadDeviceInfo", read) + ResultLine("EndConfig", end);
    run.ok = read == kChannelOk;
    if (!run.ok) {
        if (read == kChannelNoReply)
            run.text += "no reply within 1000 ms: is this the command collection of a supported keyboard?\n";
        return run;
    }

    const uint32_t keys = info[kKeyCountByte];
    const uint32_t keyTableBytes = keys * 3;
    const uint32_t macroBytes = info[kMacroCapacityByte] * kMacroCapacityUnit;
    run.json["device_info"] = ToHex(info, sizeof info);
    run.json["key_positions"] = keys;
    run.json["key_table_bytes"] = keyTableBytes;
    run.json["light_table_bytes"] = keys;
    run.json["key_table_fits"] = keyTableBytes <= kMaxBlockSize;
    run.json["macro_memory_bytes"] = macroBytes;

    run.text += "device information block: " + ToHex(info, sizeof info) + "\n";
    run.text += Printf("key positions (byte 5): %u -> key table %u bytes (0x07/0x09), light table %u bytes (0x1B)\n",
                       keys, keyTableBytes, keys);
    if (keyTableBytes > kMaxBlockSize)
        run.text += Printf("  the key table is longer than %u bytes: the manager stops reading after the device "
                           "information and keeps its old key maps\n",
                           static_cast<unsigned>(kMaxBlockSize));
    run.text += Printf("macro memory (byte 6): %u x %u = %u bytes", info[kMacroCapacityByte], kMacroCapacityUnit,
                       macroBytes);
    if (macroBytes >= kMacroImageHeader + kMacroBlockOverhead)
        run.text += Printf(" -> one macro of at most %u events", (macroBytes - kMacroImageHeader - kMacroBlockOverhead) /
                                                                      kMacroEventBytes);
    run.text += "\n";
    return run;
}
