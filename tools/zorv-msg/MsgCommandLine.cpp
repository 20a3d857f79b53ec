#include "tools/zorv-msg/MsgCommandLine.h"

#include <charconv>
#include <cstring>

const char* const kMsgUsage =
    "usage:\n"
    "  zorv-msg post      TARGET NAME [WPARAM [LPARAM]]\n"
    "  zorv-msg send      TARGET [--timeout MS] NAME [WPARAM [LPARAM]]   prints the answer\n"
    "  zorv-msg broadcast NAME [WPARAM [LPARAM]]\n"
    "  zorv-msg copydata  TARGET --id N [--sender HEX] [--timeout MS] (--hex HEX | --file F | --text S)\n"
    "  zorv-msg find      [--class C] [--title T]                        prints the handle\n"
    "  zorv-msg listen    [--title T] [--class C] [--answer N] [--count N]\n"
    "  zorv-msg list\n"
    "TARGET is --title T, --class C or --handle HEX. Numbers are decimal or 0x hexadecimal.\n"
    "Exit status: 0 done, 1 no session bus / no such window / refused / timed out, 2 bad usage.\n";

namespace {
template <typename T>
std::optional<T> ParseNumber(std::string_view text, int base) {
    T value{};
    if (text.empty()) return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool HasHexPrefix(std::string_view text) { return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'); }

std::optional<uint64_t> ParseHandle(const std::string& text) {
    std::string_view digits = text;
    if (HasHexPrefix(digits)) digits.remove_prefix(2);
    auto handle = ParseNumber<uint64_t>(digits, 16);
    if (!handle || *handle == 0) return std::nullopt;
    return handle;
}

class ArgCursor {
public:
    explicit ArgCursor(const std::vector<std::string>& args) : args_(args) {}
    bool Done() const { return next_ >= args_.size(); }
    const std::string& Peek() const { return args_[next_]; }
    const std::string& Take() { return args_[next_++]; }

private:
    const std::vector<std::string>& args_;
    size_t next_ = 1;
};

struct Parser {
    MsgCommand command;
    std::string error;
    std::vector<std::string> positional;

    bool Fail(std::string text) {
        if (error.empty()) error = std::move(text);
        return false;
    }

    bool SetTarget(BusTarget target) {
        if (command.target) return Fail("only one of --title, --class, --handle");
        command.target = std::move(target);
        return true;
    }

    bool SetData(MsgCommand::DataSource source, const std::string& value) {
        if (command.dataSource != MsgCommand::DataSource::None) return Fail("only one of --hex, --file, --text");
        command.dataSource = source;
        if (source == MsgCommand::DataSource::Hex) {
            auto bytes = ParseHexBytes(value);
            if (!bytes) return Fail("--hex needs pairs of hexadecimal digits: " + value);
            command.hexBytes = std::move(*bytes);
        } else {
            command.dataArgument = value;
        }
        return true;
    }

    // One option with its value; which options a verb takes is checked by the verb.
    bool Option(const std::string& option, const std::string& value) {
        using Source = MsgCommand::DataSource;
        // find and listen take both a title and a class; the senders address one target.
        bool names = command.verb == MsgCommand::Verb::Find || command.verb == MsgCommand::Verb::Listen;
        if (option == "--title") return names ? (command.title = value, true) : SetTarget(BusTarget::ByTitle(value));
        if (option == "--class")
            return names ? (command.className = value, true) : SetTarget(BusTarget::ByClass(value));
        if (option == "--handle") {
            auto handle = ParseHandle(value);
            if (!handle) return Fail("--handle needs a non-zero hexadecimal handle: " + value);
            return SetTarget(BusTarget::ByHandle(*handle));
        }
        if (option == "--hex") return SetData(Source::Hex, value);
        if (option == "--file") return SetData(Source::File, value);
        if (option == "--text") return SetData(Source::Text, value);
        if (option == "--id") {
            auto id = ParseUnsignedNumber(value);
            if (!id) return Fail("--id needs a number: " + value);
            command.dataId = *id;
            command.haveDataId = true;
            return true;
        }
        if (option == "--sender") {
            auto handle = ParseHandle(value);
            if (!handle) return Fail("--sender needs a non-zero hexadecimal handle: " + value);
            command.senderHandle = *handle;
            return true;
        }
        if (option == "--timeout") {
            auto ms = ParseUnsignedNumber(value);
            if (!ms || *ms == 0 || *ms > 600000) return Fail("--timeout needs 1 to 600000 ms: " + value);
            command.timeoutMs = static_cast<uint32_t>(*ms);
            return true;
        }
        if (option == "--answer") {
            auto answer = ParseSignedNumber(value);
            if (!answer) return Fail("--answer needs a number: " + value);
            command.answer = *answer;
            return true;
        }
        if (option == "--count") {
            auto count = ParseUnsignedNumber(value);
            if (!count) return Fail("--count needs a number: " + value);
            command.count = *count;
            return true;
        }
        return Fail("unknown option " + option);
    }

    bool MessageArguments() {
        if (positional.empty()) return Fail("missing message NAME");
        if (positional.size() > 3) return Fail("too many arguments");
        command.name = positional[0];
        if (command.name.empty() || !IsBusString(command.name)) return Fail("NAME must be non-empty UTF-8 text");
        if (positional.size() > 1) {
            auto w = ParseUnsignedNumber(positional[1]);
            if (!w) return Fail("WPARAM is not an unsigned number: " + positional[1]);
            command.wParam = *w;
        }
        if (positional.size() > 2) {
            auto l = ParseSignedNumber(positional[2]);
            if (!l) return Fail("LPARAM is not a number: " + positional[2]);
            command.lParam = *l;
        }
        return true;
    }

    bool Check(const std::vector<std::string>& seen, std::initializer_list<const char*> allowed) {
        for (const auto& option : seen) {
            bool ok = false;
            for (const char* each : allowed) ok = ok || option == each;
            if (!ok) return Fail(option + " does not go with this command");
        }
        return true;
    }

    bool Verb(const std::vector<std::string>& seen) {
        using V = MsgCommand::Verb;
        switch (command.verb) {
            case V::Post:
            case V::Send:
                if (!Check(seen, {"--title", "--class", "--handle", "--timeout"})) return false;
                if (!command.target) return Fail("missing TARGET (--title, --class or --handle)");
                return MessageArguments();
            case V::Broadcast:
                if (!Check(seen, {})) return false;
                return MessageArguments();
            case V::CopyData:
                if (!Check(seen, {"--title", "--class", "--handle", "--timeout", "--id", "--sender", "--hex", "--file",
                                  "--text"}))
                    return false;
                if (!command.target) return Fail("missing TARGET (--title, --class or --handle)");
                if (!command.haveDataId) return Fail("missing --id");
                if (command.dataSource == MsgCommand::DataSource::None) return Fail("missing --hex, --file or --text");
                if (!positional.empty()) return Fail("unexpected argument " + positional[0]);
                return true;
            case V::Find:
                if (!Check(seen, {"--title", "--class"})) return false;
                if (command.title.empty() && command.className.empty()) return Fail("find needs --class or --title");
                if (!positional.empty()) return Fail("unexpected argument " + positional[0]);
                return true;
            case V::Listen:
                if (!Check(seen, {"--title", "--class", "--answer", "--count"})) return false;
                if (!positional.empty()) return Fail("unexpected argument " + positional[0]);
                return true;
            case V::List:
                if (!seen.empty() || !positional.empty()) return Fail("list takes no arguments");
                return true;
        }
        return false;
    }
};

constexpr struct {
    const char* word;
    MsgCommand::Verb verb;
} kVerbs[] = {
    {"post", MsgCommand::Verb::Post},         {"send", MsgCommand::Verb::Send},
    {"broadcast", MsgCommand::Verb::Broadcast}, {"copydata", MsgCommand::Verb::CopyData},
    {"find", MsgCommand::Verb::Find},         {"listen", MsgCommand::Verb::Listen},
    {"list", MsgCommand::Verb::List},
};
}  // namespace

std::optional<uint64_t> ParseUnsignedNumber(const std::string& text) {
    std::string_view view = text;
    if (HasHexPrefix(view)) return ParseNumber<uint64_t>(view.substr(2), 16);
    return ParseNumber<uint64_t>(view, 10);
}

std::optional<int64_t> ParseSignedNumber(const std::string& text) {
    std::string_view view = text;
    bool negative = !view.empty() && view[0] == '-';
    if (negative) view.remove_prefix(1);
    auto magnitude = ParseUnsignedNumber(std::string(view));
    if (!magnitude) return std::nullopt;
    constexpr uint64_t kLimit = static_cast<uint64_t>(INT64_MAX);
    if (negative) {
        if (*magnitude > kLimit + 1) return std::nullopt;
        return *magnitude == kLimit + 1 ? INT64_MIN : -static_cast<int64_t>(*magnitude);
    }
    if (*magnitude > kLimit) return std::nullopt;
    return static_cast<int64_t>(*magnitude);
}

std::optional<std::vector<uint8_t>> ParseHexBytes(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c != ' ' && c != ':') digits += c;
    if (digits.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2) {
        auto byte = ParseNumber<uint8_t>(std::string_view(digits).substr(i, 2), 16);
        if (!byte) return std::nullopt;
        bytes.push_back(*byte);
    }
    return bytes;
}

MsgParseResult ParseMsgCommandLine(const std::vector<std::string>& args) {
    if (args.size() < 2) return {std::nullopt, "missing command"};
    Parser parser;
    bool known = false;
    for (const auto& entry : kVerbs) {
        if (args[1] == entry.word) {
            parser.command.verb = entry.verb;
            known = true;
        }
    }
    if (!known) return {std::nullopt, "unknown command " + args[1]};

    ArgCursor cursor(args);
    cursor.Take();
    std::vector<std::string> seen;
    bool optionsEnded = false;
    while (!cursor.Done()) {
        const std::string& arg = cursor.Take();
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            if (cursor.Done()) return {std::nullopt, arg + " needs a value"};
            seen.push_back(arg);
            if (!parser.Option(arg, cursor.Take())) return {std::nullopt, parser.error};
        } else {
            parser.positional.push_back(arg);
        }
    }
    if (!parser.Verb(seen)) return {std::nullopt, parser.error};
    return {std::move(parser.command), {}};
}
