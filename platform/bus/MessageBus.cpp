#include "platform/bus/MessageBus.h"

#include "platform/DebugOutput.h"
#include "platform/bus/BusCore.h"
#include "platform/bus/KnownMessages.h"

namespace {
const WorkerStopLines kBusStopLines = {
    "bus: thread ended\n",
    "bus: thread ended\n",
    "bus: thread did not end in time\n",
    "bus: thread stop failed\n",
};
constexpr uint32_t kBusStopTimeoutMs = 1000;

constexpr const char* kStatusTexts[] = {
    "ok", "no session bus", "no such window", "name taken", "invalid argument",
    "timed out", "refused by the window", "blocking call on the bus thread", "bus error",
};

BusCore::MessageWriter WriteMessage(const std::string& name, uint64_t wParam, int64_t lParam) {
    return [&name, wParam, lParam](sd_bus_message* m) {
        return sd_bus_message_append(m, "stx", name.c_str(), wParam, lParam);
    };
}
}  // namespace

const char* BusStatusText(BusStatus status) {
    auto index = static_cast<size_t>(status);
    return index < std::size(kStatusTexts) ? kStatusTexts[index] : "?";
}

CMessageBus::CMessageBus() : core_(std::make_shared<BusCore>()) {}

CMessageBus::~CMessageBus() { Stop(); }

BusStatus CMessageBus::Start() {
    if (thread_.Running()) return BusStatus::Ok;
    BusStatus status = core_->Connect();
    if (status != BusStatus::Ok) return status;
    std::shared_ptr<BusCore> core = core_;
    thread_.Start(this, [core](const WorkerArgs& args) { core->RunLoop(args); }, kBusStopTimeoutMs);
    return BusStatus::Ok;
}

void CMessageBus::Stop() {
    if (core_->OnBusThread()) {
        DebugOutput("bus: Stop refused on the bus thread");
        return;
    }
    thread_.Stop(kBusStopTimeoutMs, kBusStopLines);
    core_->Disconnect();
}

bool CMessageBus::Running() const { return thread_.Running(); }

WindowRegistration CMessageBus::RegisterWindow(uint64_t handle, const std::string& title,
                                               const std::string& className, IBusWindow* sink) {
    if (handle == 0 || !sink || !IsBusString(title) || !IsBusString(className))
        return {BusStatus::InvalidArgument, false, false};
    return core_->RegisterWindow(handle, title, className, sink);
}

bool CMessageBus::UnregisterWindow(uint64_t handle) { return core_->UnregisterWindow(handle); }

std::optional<uint64_t> CMessageBus::HandleOfName(const std::string& busName, uint32_t timeoutMs) {
    if (busName.empty()) return std::nullopt;
    uint64_t handle = 0;
    BusStatus status = core_->Call(
        busName, "org.freedesktop.DBus.Properties", "Get",
        [](sd_bus_message* m) { return sd_bus_message_append(m, "ss", kWindowInterface, "Handle"); },
        [&handle](sd_bus_message* reply) { return sd_bus_message_read(reply, "v", "t", &handle); }, timeoutMs);
    if (status != BusStatus::Ok || handle == 0) return std::nullopt;
    return handle;
}

uint64_t CMessageBus::FindWindow(const std::string& className, const std::string& title, uint32_t timeoutMs) {
    if (className.empty() && title.empty()) return 0;
    std::optional<uint64_t> byClass, byTitle;
    if (!className.empty() && !(byClass = HandleOfName(ClassBusName(className), timeoutMs))) return 0;
    if (!title.empty() && !(byTitle = HandleOfName(TitleBusName(title), timeoutMs))) return 0;
    // Both given: the two names must lead to the same window.
    if (byClass && byTitle && *byClass != *byTitle) return 0;
    return byClass ? *byClass : *byTitle;
}

bool CMessageBus::WindowExists(const BusTarget& target, uint32_t timeoutMs) {
    return HandleOfName(target.BusName(), timeoutMs).has_value();
}

BusStatus CMessageBus::PostMessageTo(const BusTarget& target, const std::string& name, uint64_t wParam,
                                     int64_t lParam) {
    std::string destination = target.BusName();
    if (destination.empty() || !IsBusString(name)) return BusStatus::InvalidArgument;
    return core_->Post(destination, "Message", WriteMessage(name, wParam, lParam));
}

std::optional<int64_t> CMessageBus::SendMessageTo(const BusTarget& target, const std::string& name, uint64_t wParam,
                                                  int64_t lParam, uint32_t timeoutMs, BusStatus* status) {
    std::string destination = target.BusName();
    int64_t answer = 0;
    BusStatus result = BusStatus::InvalidArgument;
    if (!destination.empty() && IsBusString(name))
        result = core_->Call(destination, kWindowInterface, "Send", WriteMessage(name, wParam, lParam),
                             [&answer](sd_bus_message* reply) { return sd_bus_message_read(reply, "x", &answer); },
                             timeoutMs);
    if (status) *status = result;
    if (result != BusStatus::Ok) return std::nullopt;
    return answer;
}

BusAnswer CMessageBus::CopyDataTo(const BusTarget& target, uint64_t senderHandle, uint64_t dataId,
                                  std::span<const uint8_t> bytes, uint32_t timeoutMs) {
    BusAnswer answer;
    std::string destination = target.BusName();
    // The window would refuse it anyway; better not to push a huge message through the bus.
    if (destination.empty() || bytes.size() > kMaxCopyDataBytes) {
        answer.status = BusStatus::InvalidArgument;
        return answer;
    }
    answer.status = core_->Call(
        destination, kWindowInterface, "CopyData",
        [&](sd_bus_message* m) {
            int r = sd_bus_message_append(m, "tt", senderHandle, dataId);
            return r < 0 ? r : sd_bus_message_append_array(m, 'y', bytes.data(), bytes.size());
        },
        [&answer](sd_bus_message* reply) { return sd_bus_message_read(reply, "x", &answer.value); }, timeoutMs);
    return answer;
}

BusStatus CMessageBus::Broadcast(const std::string& name, uint64_t wParam, int64_t lParam) {
    if (!IsBusString(name)) return BusStatus::InvalidArgument;
    return core_->EmitBroadcast({name, wParam, lParam});
}

int CMessageBus::SubscribeBroadcasts(BroadcastCallback callback) { return core_->Subscribe(std::move(callback)); }

void CMessageBus::UnsubscribeBroadcasts(int id) { core_->Unsubscribe(id); }
