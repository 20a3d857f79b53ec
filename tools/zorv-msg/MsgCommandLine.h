#pragma once
// The command line of zorv-msg, parsed into one command; every mistake is a usage error.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/bus/BusNames.h"

struct MsgCommand {
    enum class Verb { Post, Send, Broadcast, CopyData, Find, Listen, List };
    enum class DataSource { None, Hex, File, Text };

    Verb verb = Verb::List;
    std::optional<BusTarget> target;
    std::string name;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    uint32_t timeoutMs = 5000;

    // copydata
    uint64_t dataId = 0;
    bool haveDataId = false;
    uint64_t senderHandle = 0;
    DataSource dataSource = DataSource::None;
    std::string dataArgument;       // file path, or the text
    std::vector<uint8_t> hexBytes;  // --hex, already decoded

    // find and listen
    std::string title;
    std::string className;
    int64_t answer = 0;
    uint64_t count = 0;  // listen: end after this many events; 0 runs until a signal
};

struct MsgParseResult {
    std::optional<MsgCommand> command;
    std::string error;  // set when command is empty
};

MsgParseResult ParseMsgCommandLine(const std::vector<std::string>& args);

extern const char* const kMsgUsage;

// Decimal or 0x-prefixed hexadecimal; the whole text must be the number.
std::optional<uint64_t> ParseUnsignedNumber(const std::string& text);
std::optional<int64_t> ParseSignedNumber(const std::string& text);
// Pairs of hexadecimal digits, optionally separated by spaces or colons.
std::optional<std::vector<uint8_t>> ParseHexBytes(const std::string& text);
