#pragma once
// Every packet the device received, numbered and timed, for tests and for `ctl log`. Bounded:
// a long demo run keeps the newest entries. Not thread-safe; its owner locks.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace emu {

struct PacketLogEntry {
    uint64_t sequence = 0;  // from 1, never reused, also not after Clear
    uint32_t timeMs = 0;    // since the log started
    int client = 0;         // connection number
    std::vector<uint8_t> bytes;
};

class PacketLog {
public:
    explicit PacketLog(size_t capacity = 100000);
    void Append(int client, const uint8_t* data, size_t length);
    std::vector<PacketLogEntry> Entries() const;
    void Clear();

private:
    size_t capacity_;
    uint32_t startTick_;
    uint64_t nextSequence_ = 1;
    std::deque<PacketLogEntry> entries_;
};

// "#12 +1530ms c3 04010006..." one line per entry.
std::string FormatPacketLog(const std::vector<PacketLogEntry>& entries);

}  // namespace emu
