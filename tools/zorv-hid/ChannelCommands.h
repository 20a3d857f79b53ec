#pragma once
// The inspector's exchanges with a device, through the same command channel the manager uses.
#include <json/json.h>

#include <cstdint>
#include <string>
#include <vector>

struct ChannelRun {
    bool opened = false;
    std::string openProblem;         // why the path could not be used
    std::vector<std::string> log;    // the "命令"/"返回" dump lines, as the manager writes them
    Json::Value json{Json::objectValue};
    std::string text;                // readable summary
    bool ok = false;
};

// One Transfer of `request` (cut or zero-filled to 64 bytes). With fillChecksum, bytes 1-2 get the
// checksum of bytes 3..63 first.
ChannelRun RunExchange(const std::string& path, std::vector<uint8_t> request, bool fillChecksum);

// BeginConfig, ReadDeviceInfo, EndConfig, and what the information block means.
ChannelRun RunInfo(const std::string& path);
