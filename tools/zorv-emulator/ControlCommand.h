#pragma once
// The commands of `zorv-emulator ctl`: parsed on the client (bad arguments fail before any
// connection) and again by the running emulator, which executes them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace emu {

class EmulatedKeyboard;

enum class ControlVerb {
    Event,
    KeyPress,
    KeyRelease,
    Profile,
    FaultNoReply,
    FaultWrongCode,
    FaultAa,
    FaultStatus,
    FaultSlow,
    FaultUnplugAfter,
    FaultClear,
    Unplug,
    Replug,
    Log,
    LogClear,
    Memory,
    Frames,
    Quit,
};

struct ControlCommand {
    ControlVerb verb = ControlVerb::Memory;
    int64_t first = 0;   // first argument, or its default
    int64_t second = 0;  // second argument, or its default
};

struct ControlResult {
    int exitCode = 0;  // 0 done, 1 no emulator / failed, 2 bad arguments
    std::string output;
};

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadArguments = 2;

std::optional<ControlCommand> ParseControlCommand(const std::vector<std::string>& args, std::string& error);
// Quit is the caller's business (it owns the process); here it only answers.
ControlResult ExecuteControlCommand(EmulatedKeyboard& keyboard, const ControlCommand& command);
std::string ControlCommandUsage();

// Decimal or 0x-prefixed hexadecimal, nothing else.
std::optional<int64_t> ParseNumber(const std::string& text);

}  // namespace emu
