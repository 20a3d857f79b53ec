#include "tools/zorv-emulator/ControlCommand.h"

#include <array>
#include <cstdio>

#include <json/writer.h>

#include "tools/zorv-emulator/EmulatedKeyboard.h"
#include "tools/zorv-emulator/HexText.h"

namespace emu {

namespace {
enum class ArgKind { None, Required, Optional, Status };

struct ArgSpec {
    ArgKind kind = ArgKind::None;
    const char* name = "";
    int64_t min = 0, max = 0, fallback = 0;
};

struct Grammar {
    const char* word1;
    const char* word2;  // null for one-word commands
    ControlVerb verb;
    ArgSpec first, second;
    const char* help;
};

constexpr int64_t kMaxCount = 1000000;
constexpr int64_t kMaxDelayMs = 600000;

// Two-word forms come before the one-word form with the same first word.
constexpr std::array<Grammar, 18> kGrammar = {{
    {"event", nullptr, ControlVerb::Event, {ArgKind::Required, "CODE", 0, 0xFFFF}, {}, "event CODE            send a device event (e.g. 0x0401), then its release"},
    {"key", "press", ControlVerb::KeyPress, {ArgKind::Required, "POS", 0, 0xFF}, {}, "key press POS         key at device position POS goes down"},
    {"key", "release", ControlVerb::KeyRelease, {ArgKind::Required, "POS", 0, 0xFF}, {}, "key release POS       key at device position POS goes up"},
    {"profile", nullptr, ControlVerb::Profile, {ArgKind::Required, "N", 0, 0xFF}, {}, "profile N             switch to onboard profile N (event 0x1000+N)"},
    {"fault", "noreply", ControlVerb::FaultNoReply, {ArgKind::Optional, "K", 1, kMaxCount, kUntilCleared}, {}, "fault noreply [K]     lose the next K requests (all until cleared)"},
    {"fault", "wrongcode", ControlVerb::FaultWrongCode, {ArgKind::Optional, "K", 1, kMaxCount, 1}, {}, "fault wrongcode [K]   next K requests: a reply with another code, then the right one"},
    {"fault", "aa", ControlVerb::FaultAa, {ArgKind::Optional, "K", 1, kMaxCount, 1}, {}, "fault aa [K]          answer the next K requests with code 0xAA only"},
    {"fault", "status", ControlVerb::FaultStatus, {ArgKind::Status, "ff|fe"}, {ArgKind::Optional, "AFTER", 0, kMaxCount, 0}, "fault status ff|fe [AFTER]  fail the request after AFTER good ones"},
    {"fault", "slow", ControlVerb::FaultSlow, {ArgKind::Required, "MS", 0, kMaxDelayMs}, {}, "fault slow MS         delay every reply by MS (0 ends it)"},
    {"fault", "unplug-after", ControlVerb::FaultUnplugAfter, {ArgKind::Required, "K", 0, kMaxCount}, {ArgKind::Optional, "REPLUG_MS", 0, kMaxDelayMs, kNoReplug}, "fault unplug-after K [REPLUG_MS]  unplug after K more packets"},
    {"fault", "clear", ControlVerb::FaultClear, {}, {}, "fault clear           end every fault"},
    {"unplug", nullptr, ControlVerb::Unplug, {}, {}, "unplug                remove the device"},
    {"replug", nullptr, ControlVerb::Replug, {}, {}, "replug                plug it in again"},
    {"log", "--clear", ControlVerb::LogClear, {}, {}, "log --clear           empty the packet log"},
    {"log", nullptr, ControlVerb::Log, {}, {}, "log                   every received packet"},
    {"memory", nullptr, ControlVerb::Memory, {}, {}, "memory                the device memory as JSON"},
    {"frames", nullptr, ControlVerb::Frames, {}, {}, "frames                light frame count and the last frame"},
    {"quit", nullptr, ControlVerb::Quit, {}, {}, "quit                  stop the emulator"},
}};

bool ParseArgument(const ArgSpec& spec, const std::string* text, int64_t& out, std::string& error) {
    if (spec.kind == ArgKind::None) return true;
    if (!text) {
        if (spec.kind == ArgKind::Optional) {
            out = spec.fallback;
            return true;
        }
        error = std::string("missing ") + spec.name;
        return false;
    }
    if (spec.kind == ArgKind::Status) {
        auto value = ParseNumber(*text);
        if (!value) value = ParseNumber("0x" + *text);
        if (!value || (*value != 0xFF && *value != 0xFE)) {
            error = "status must be ff or fe, not \"" + *text + "\"";
            return false;
        }
        out = *value;
        return true;
    }
    auto value = ParseNumber(*text);
    if (!value || *value < spec.min || *value > spec.max) {
        error = std::string(spec.name) + " must be a number from " + std::to_string(spec.min) + " to " +
                std::to_string(spec.max) + ", not \"" + *text + "\"";
        return false;
    }
    out = *value;
    return true;
}

std::string JoinArgs(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
    return text;
}

std::string Hex16(int64_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(value));
    return text;
}

ControlResult Done(std::string output) { return {kExitOk, std::move(output) + "\n"}; }
ControlResult Refused(std::string output) { return {kExitBadArguments, std::move(output) + "\n"}; }
}  // namespace

std::optional<int64_t> ParseNumber(const std::string& text) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    size_t start = hex ? 2 : 0;
    if (text.size() == start || text.size() - start > 12) return std::nullopt;
    int64_t value = 0;
    for (size_t i = start; i < text.size(); ++i) {
        char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        value = value * (hex ? 16 : 10) + digit;
    }
    return value;
}

std::optional<ControlCommand> ParseControlCommand(const std::vector<std::string>& args, std::string& error) {
    if (args.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    for (const Grammar& rule : kGrammar) {
        if (args[0] != rule.word1) continue;
        size_t used = 1;
        if (rule.word2) {
            if (args.size() < 2 || args[1] != rule.word2) continue;
            used = 2;
        }
        size_t supplied = args.size() - used;
        size_t accepted = (rule.first.kind != ArgKind::None) + (rule.second.kind != ArgKind::None);
        if (supplied > accepted) {
            error = "too many arguments for \"" + JoinArgs(args) + "\"";
            return std::nullopt;
        }
        ControlCommand command;
        command.verb = rule.verb;
        const std::string* firstText = supplied >= 1 ? &args[used] : nullptr;
        const std::string* secondText = supplied >= 2 ? &args[used + 1] : nullptr;
        if (!ParseArgument(rule.first, firstText, command.first, error) ||
            !ParseArgument(rule.second, secondText, command.second, error))
            return std::nullopt;
        return command;
    }
    error = "unknown command \"" + JoinArgs(args) + "\"";
    return std::nullopt;
}

std::string ControlCommandUsage() {
    std::string text;
    for (const Grammar& rule : kGrammar) text += std::string("  ") + rule.help + "\n";
    return text;
}

ControlResult ExecuteControlCommand(EmulatedKeyboard& keyboard, const ControlCommand& command) {
    const int positions = keyboard.Layout().positionCount;
    auto sent = [](bool ok, const std::string& what) {
        return ok ? Done("sent " + what) : ControlResult{kExitFailed, "not sent: the keyboard is unplugged\n"};
    };
    switch (command.verb) {
        case ControlVerb::Event:
            return sent(keyboard.SendEvent(static_cast<uint16_t>(command.first)), "event " + Hex16(command.first));
        case ControlVerb::KeyPress:
        case ControlVerb::KeyRelease: {
            if (command.first >= positions)
                return Refused("position " + std::to_string(command.first) + " is beyond the keyboard's " +
                               std::to_string(positions) + " positions");
            bool press = command.verb == ControlVerb::KeyPress;
            int position = static_cast<int>(command.first);
            bool ok = press ? keyboard.PressKey(position) : keyboard.ReleaseKey(position);
            return sent(ok, std::string(press ? "press" : "release") + " of position " + std::to_string(position));
        }
        case ControlVerb::Profile:
            if (command.first >= kProfileCount)
                return Refused("the keyboard has profiles 0 to " + std::to_string(kProfileCount - 1));
            return sent(keyboard.SelectProfile(static_cast<int>(command.first)),
                        "profile change to " + std::to_string(command.first));
        case ControlVerb::FaultNoReply:
            keyboard.DropRequests(static_cast<int>(command.first));
            return Done("fault set");
        case ControlVerb::FaultWrongCode:
            keyboard.SendWrongCode(static_cast<int>(command.first));
            return Done("fault set");
        case ControlVerb::FaultAa:
            keyboard.ReportUnreachable(static_cast<int>(command.first));
            return Done("fault set");
        case ControlVerb::FaultStatus:
            keyboard.FailWithStatus(static_cast<uint8_t>(command.first), static_cast<int>(command.second));
            return Done("fault set");
        case ControlVerb::FaultSlow:
            keyboard.DelayReplies(static_cast<uint32_t>(command.first));
            return Done("fault set");
        case ControlVerb::FaultUnplugAfter:
            keyboard.UnplugAfter(static_cast<int>(command.first), static_cast<int>(command.second));
            return Done(command.first == 0 ? "unplugged" : "fault set");
        case ControlVerb::FaultClear:
            keyboard.ClearFaults();
            return Done("faults cleared");
        case ControlVerb::Unplug:
            return Done(keyboard.Unplug() ? "unplugged" : "already unplugged");
        case ControlVerb::Replug: {
            if (keyboard.Plugged()) return Done("already plugged in");
            std::string error;
            if (!keyboard.Replug(error)) return {kExitFailed, "replug failed: " + error + "\n"};
            return Done("plugged in at " + keyboard.SocketPath());
        }
        case ControlVerb::Log:
            return {kExitOk, FormatPacketLog(keyboard.PacketLogEntries())};
        case ControlVerb::LogClear:
            keyboard.ClearPacketLog();
            return Done("log cleared");
        case ControlVerb::Memory: {
            Json::StreamWriterBuilder builder;
            builder["indentation"] = "  ";
            return {kExitOk, Json::writeString(builder, keyboard.MemoryJson()) + "\n"};
        }
        case ControlVerb::Frames: {
            KeyboardSnapshot snapshot = keyboard.Snapshot();
            return {kExitOk, "frames " + std::to_string(snapshot.frameCount) + "\nlast " + ToHex(snapshot.lastFrame) + "\n"};
        }
        case ControlVerb::Quit:
            return Done("stopping");
    }
    return Refused("unknown command");
}

}  // namespace emu
