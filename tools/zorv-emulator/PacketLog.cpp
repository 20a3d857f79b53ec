#include "tools/zorv-emulator/PacketLog.h"

#include "platform/Time.h"
#include "tools/zorv-emulator/HexText.h"

namespace emu {

PacketLog::PacketLog(size_t capacity) : capacity_(capacity == 0 ? 1 : capacity), startTick_(GetTickCount()) {}

void PacketLog::Append(int client, const uint8_t* data, size_t length) {
    if (entries_.size() == capacity_) entries_.pop_front();
    entries_.push_back({nextSequence_++, GetTickCount() - startTick_, client, std::vector<uint8_t>(data, data + length)});
}

std::vector<PacketLogEntry> PacketLog::Entries() const { return {entries_.begin(), entries_.end()}; }

void PacketLog::Clear() { entries_.clear(); }

std::string FormatPacketLog(const std::vector<PacketLogEntry>& entries) {
    std::string text;
    for (const PacketLogEntry& entry : entries) {
        text += "#" + std::to_string(entry.sequence) + " +" + std::to_string(entry.timeMs) + "ms c" +
                std::to_string(entry.client) + " " + ToHex(entry.bytes) + "\n";
    }
    return text;
}

}  // namespace emu
