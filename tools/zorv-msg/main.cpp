// zorv-msg: sends any registered message or data-copy message from a shell, finds windows, and
// listens as a window (for example as "ZuzaZoro") printing what arrives.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Event.h"
#include "platform/Files.h"
#include "platform/bus/KnownMessages.h"
#include "platform/bus/MessageBus.h"
#include "tools/zorv-msg/MsgCommandLine.h"

namespace {
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

std::atomic<bool> gStopRequested{false};
void RequestStop(int) { gStopRequested.store(true); }

int Fail(const std::string& text) {
    std::fprintf(stderr, "zorv-msg: %s\n", text.c_str());
    return kExitFailed;
}

int FailStatus(BusStatus status, const std::string& what) {
    return Fail(what + ": " + BusStatusText(status));
}

void WarnIfUnknown(const std::string& name) {
    if (!FindKnownMessage(name))
        std::fprintf(stderr, "zorv-msg: warning: \"%s\" is not a registered message; receivers drop it\n",
                     name.c_str());
}

void PrintLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string HandleText(uint64_t handle) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(handle));
    return text;
}

std::string MessageText(const char* kind, const BusMessage& message) {
    return std::string(kind) + " " + message.name + " wparam=" + std::to_string(message.wParam) +
           " lparam=" + std::to_string(message.lParam);
}

int List() {
    PrintLine("registered messages:");
    for (const auto& known : kKnownMessages) {
        std::string line = "  " + std::string(known.name);
        if (!known.codeName.empty()) line += "  (" + std::string(known.codeName) + ")";
        if (known.reach == MessageReach::InProcessOnly) line += "  [in-process only]";
        line += "  - " + std::string(known.role);
        PrintLine(line);
    }
    PrintLine("data-copy messages (--id):");
    for (const auto& known : kKnownCopyData)
        PrintLine("  " + std::to_string(known.dataId) + "  " + std::to_string(known.size) + " bytes  - " +
                  std::string(known.role));
    return kExitOk;
}

// Fails with "no such window" before sending, since a post itself does not wait to find out.
int CheckTarget(CMessageBus& bus, const BusTarget& target) {
    if (bus.WindowExists(target)) return kExitOk;
    return Fail("no such window: " + target.Describe());
}

int Post(CMessageBus& bus, const MsgCommand& command) {
    WarnIfUnknown(command.name);
    if (int failed = CheckTarget(bus, *command.target)) return failed;
    BusStatus status = bus.PostMessageTo(*command.target, command.name, command.wParam, command.lParam);
    return status == BusStatus::Ok ? kExitOk : FailStatus(status, "post to " + command.target->Describe());
}

int Send(CMessageBus& bus, const MsgCommand& command) {
    WarnIfUnknown(command.name);
    BusStatus status = BusStatus::Failed;
    auto answer =
        bus.SendMessageTo(*command.target, command.name, command.wParam, command.lParam, command.timeoutMs, &status);
    if (!answer) return FailStatus(status, "send to " + command.target->Describe());
    PrintLine(std::to_string(*answer));
    return kExitOk;
}

int Broadcast(CMessageBus& bus, const MsgCommand& command) {
    WarnIfUnknown(command.name);
    BusStatus status = bus.Broadcast(command.name, command.wParam, command.lParam);
    return status == BusStatus::Ok ? kExitOk : FailStatus(status, "broadcast");
}

int CopyData(CMessageBus& bus, const MsgCommand& command) {
    std::vector<uint8_t> bytes;
    switch (command.dataSource) {
        case MsgCommand::DataSource::Hex: bytes = command.hexBytes; break;
        case MsgCommand::DataSource::Text: bytes.assign(command.dataArgument.begin(), command.dataArgument.end()); break;
        case MsgCommand::DataSource::File: {
            std::string content;
            if (!ReadWholeFile(command.dataArgument, content)) return Fail("cannot read " + command.dataArgument);
            bytes.assign(content.begin(), content.end());
            break;
        }
        case MsgCommand::DataSource::None: break;
    }
    if (bytes.size() > kMaxCopyDataBytes)
        return Fail("data of " + std::to_string(bytes.size()) + " bytes is over the limit of " +
                    std::to_string(kMaxCopyDataBytes));
    BusAnswer answer = bus.CopyDataTo(*command.target, command.senderHandle, command.dataId, bytes, command.timeoutMs);
    if (answer.status != BusStatus::Ok) return FailStatus(answer.status, "copydata to " + command.target->Describe());
    PrintLine(std::to_string(answer.value));
    return kExitOk;
}

int Find(CMessageBus& bus, const MsgCommand& command) {
    uint64_t handle = bus.FindWindow(command.className, command.title);
    if (handle == 0) return Fail("no such window");
    PrintLine(HandleText(handle));
    return kExitOk;
}

// Prints every event; runs on the bus thread, which is the only one printing meanwhile.
class ListenWindow : public IBusWindow {
public:
    ListenWindow(int64_t answer, uint64_t count) : answer_(answer), count_(count) {}

    void OnBusMessage(const BusMessage& message) override { Print(MessageText("message", message)); }
    void OnBusSend(const BusMessage& message, BusReply reply) override {
        reply.Answer(answer_);
        Print(MessageText("send", message) + " -> " + std::to_string(answer_));
    }
    void OnBusCopyData(const BusCopyData& data, BusReply reply) override {
        reply.Answer(answer_);
        std::string bytes(data.bytes.begin(), data.bytes.end());
        Print("copydata sender=" + HandleText(data.senderHandle) + " id=" + std::to_string(data.dataId) +
              " size=" + std::to_string(data.bytes.size()) + " data=" + HexOfBytes(bytes));
    }
    void OnBroadcast(const BusMessage& message) { Print(MessageText("broadcast", message)); }

    Event& Done() { return done_; }

private:
    void Print(const std::string& line) {
        PrintLine(line);
        if (count_ != 0 && ++received_ >= count_) done_.Set();
    }

    int64_t answer_;
    uint64_t count_;
    uint64_t received_ = 0;  // bus thread only
    Event done_{true, false};
};

int Listen(CMessageBus& bus, const MsgCommand& command) {
    ListenWindow window(command.answer, command.count);
    uint64_t handle = NewWindowHandle();
    WindowRegistration registration = bus.RegisterWindow(handle, command.title, command.className, &window);
    if (registration.status != BusStatus::Ok) return FailStatus(registration.status, "cannot register the window");
    if (!command.title.empty() && !registration.titleOwned)
        return Fail("the title \"" + command.title + "\" belongs to another window");
    if (!command.className.empty() && !registration.classOwned)
        return Fail("the class \"" + command.className + "\" belongs to another window");
    int subscription = bus.SubscribeBroadcasts([&window](const BusMessage& message) { window.OnBroadcast(message); });

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    PrintLine("listening handle=" + HandleText(handle) + " title=\"" + command.title + "\" class=\"" +
              command.className + "\"");
    while (!gStopRequested.load() && window.Done().Wait(100) == WaitResult::Timeout) {
    }
    bus.UnsubscribeBroadcasts(subscription);
    bus.UnregisterWindow(handle);
    return kExitOk;
}

int Run(const MsgCommand& command) {
    if (command.verb == MsgCommand::Verb::List) return List();
    CMessageBus bus;
    BusStatus status = bus.Start();
    if (status != BusStatus::Ok) return Fail("no session bus (is DBUS_SESSION_BUS_ADDRESS set?)");
    using V = MsgCommand::Verb;
    switch (command.verb) {
        case V::Post: return Post(bus, command);
        case V::Send: return Send(bus, command);
        case V::Broadcast: return Broadcast(bus, command);
        case V::CopyData: return CopyData(bus, command);
        case V::Find: return Find(bus, command);
        case V::Listen: return Listen(bus, command);
        case V::List: break;
    }
    return kExitOk;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
        std::fputs(kMsgUsage, stdout);
        return kExitOk;
    }
    MsgParseResult parsed = ParseMsgCommandLine(args);
    if (!parsed.command) {
        std::fprintf(stderr, "zorv-msg: %s\n%s", parsed.error.c_str(), kMsgUsage);
        return kExitUsage;
    }
    // The bus stops (and flushes what was posted) before Run returns.
    return Run(*parsed.command);
}
