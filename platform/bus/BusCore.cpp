#include "platform/bus/BusCore.h"

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/DebugOutput.h"
#include "platform/bus/BusAdmission.h"
#include "platform/bus/BusNames.h"
#include "platform/bus/BusWindowConnection.h"

namespace {
constexpr uint64_t kUsecPerMs = 1000;
// Calls to the daemon itself (names, matches) answer at once or something is badly wrong.
constexpr uint64_t kDaemonCallTimeoutUsec = 2000 * kUsecPerMs;
// A caller waits this much beyond its time-out for the bus thread to report it.
constexpr uint32_t kCallGraceMs = 1000;
// Messages taken from one connection per pass, so that a flooding peer cannot starve the rest.
constexpr int kMessagesPerPass = 64;

constexpr struct {
    const char* errorName;
    BusStatus status;
} kErrorStatuses[] = {
    {"org.freedesktop.DBus.Error.ServiceUnknown", BusStatus::NoSuchWindow},
    {"org.freedesktop.DBus.Error.NameHasNoOwner", BusStatus::NoSuchWindow},
    {"org.freedesktop.DBus.Error.UnknownObject", BusStatus::NoSuchWindow},
    {"org.zorv.Error.WindowClosed", BusStatus::NoSuchWindow},
    {"org.freedesktop.DBus.Error.NoReply", BusStatus::Timeout},
    {"org.freedesktop.DBus.Error.Timeout", BusStatus::Timeout},
    {"org.freedesktop.DBus.Error.TimedOut", BusStatus::Timeout},
    {"org.zorv.Error.NotAdmitted", BusStatus::Refused},
    {"org.freedesktop.DBus.Error.InvalidArgs", BusStatus::InvalidArgument},
    {"org.freedesktop.DBus.Error.NoServer", BusStatus::NoBus},
    {"org.freedesktop.DBus.Error.Disconnected", BusStatus::NoBus},
};

// Window names are never activatable: a missing window should fail at once, not after activation.
int PrepareCall(sd_bus_message* call, const BusCore::MessageWriter& write) {
    int r = sd_bus_message_set_auto_start(call, 0);
    return r < 0 ? r : write(call);
}

uint64_t MonotonicUsec() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}
}  // namespace

BusStatus StatusOfBusError(const sd_bus_error* error) {
    if (!error || !error->name) return BusStatus::Failed;
    for (const auto& entry : kErrorStatuses)
        if (std::strcmp(entry.errorName, error->name) == 0) return entry.status;
    return BusStatus::Failed;
}

BusStatus StatusOfErrno(int negativeErrno) {
    switch (-negativeErrno) {
        case ETIMEDOUT: return BusStatus::Timeout;
        case EINVAL:
        case E2BIG:
        case EMSGSIZE: return BusStatus::InvalidArgument;
        case ENOTCONN:
        case ECONNRESET:
        case ECONNREFUSED:
        case ENOENT:
        case ENOMEDIUM:
        case ENXIO: return BusStatus::NoBus;
        case EEXIST: return BusStatus::NameTaken;
        default: return BusStatus::Failed;
    }
}

int OpenSessionConnection(sd_bus** bus, const std::string& description) {
    *bus = nullptr;
    int r = sd_bus_open_user_with_description(bus, description.c_str());
    if (r < 0) return r;
    sd_bus_set_method_call_timeout(*bus, kDaemonCallTimeoutUsec);
    // Waits for the daemon's hello, so a socket without a bus behind it fails here.
    const char* unique = nullptr;
    r = sd_bus_get_unique_name(*bus, &unique);
    if (r < 0) *bus = sd_bus_flush_close_unref(*bus);
    return r;
}

struct BusCore::PendingCall {
    Event done{true, false};
    sd_bus_slot* slot = nullptr;
    sd_bus_message* reply = nullptr;  // null when finished without one (the bus went away)
    bool finished = false;            // under lock
};

BusCore::BusCore() = default;

BusCore::~BusCore() { Disconnect(); }

BusStatus BusCore::Connect() {
    CriticalSectionLock hold(lock);
    if (client_) return BusStatus::Ok;
    int r = OpenSessionConnection(&client_, "zorv-client");
    if (r < 0) {
        DebugOutput(std::string("bus: no session bus: ") + std::strerror(-r));
        return BusStatus::NoBus;
    }
    // Installed once and synchronously, so a broadcast sent after Start returns is never missed.
    r = sd_bus_match_signal(client_, &broadcastMatch_, nullptr, kBroadcastObjectPath, kBroadcastInterface,
                            kBroadcastMember, OnBroadcastSignal, this);
    if (r < 0) {
        DebugOutput(std::string("bus: cannot listen for broadcasts: ") + std::strerror(-r));
        client_ = sd_bus_flush_close_unref(client_);
        return StatusOfErrno(r);
    }
    return BusStatus::Ok;
}

void BusCore::Disconnect() {
    CriticalSectionLock hold(lock);
    for (PendingCall* call : pending_) {
        call->finished = true;
        call->done.Set();
    }
    pending_.clear();
    windows_.clear();
    closing_.clear();
    broadcastMatch_ = sd_bus_slot_unref(broadcastMatch_);
    if (client_) client_ = sd_bus_flush_close_unref(client_);
}

void BusCore::RunLoop(const WorkerArgs& args) {
    busThread_.store(std::this_thread::get_id());
    std::vector<pollfd> fds;
    do {
        int timeoutMs;
        {
            CriticalSectionLock hold(lock);
            ProcessConnections();
            timeoutMs = CollectPoll(fds);
        }
        size_t wakeIndex = fds.size();
        fds.push_back({wake_.Fd(), POLLIN, 0});
        fds.push_back({args.stopEvent->Fd(), POLLIN, 0});
        if (poll(fds.data(), fds.size(), timeoutMs) > 0 && (fds[wakeIndex].revents & POLLIN)) wake_.TryConsume();
    } while (WorkerKeepRunning(args));
    busThread_.store(std::thread::id());
}

bool BusCore::ProcessOne(sd_bus* bus, const std::string& what) {
    for (int i = 0; i < kMessagesPerPass; ++i) {
        int r = sd_bus_process(bus, nullptr);
        if (r == 0) return true;
        if (r < 0) {
            DebugOutput("bus: connection of " + what + " lost: " + std::strerror(-r));
            return false;
        }
    }
    return true;
}

void BusCore::ProcessConnections() {
    if (client_ && sd_bus_is_open(client_) > 0 && !ProcessOne(client_, "this program")) {
        // Waiting callers learn of it at once instead of at their time-outs.
        for (PendingCall* call : pending_) {
            call->finished = true;
            call->done.Set();
        }
        pending_.clear();
    }
    // A sink may register or unregister windows meanwhile: walk a copy; retired ones wait in closing_.
    std::vector<BusWindowConnection*> current;
    for (const auto& window : windows_) current.push_back(window.get());
    for (BusWindowConnection* window : current) {
        if (window->Broken()) continue;
        if (!ProcessOne(window->Bus(), "window " + window->Describe())) window->MarkBroken();
    }
    closing_.clear();
}

int BusCore::CollectPoll(std::vector<pollfd>& fds) {
    fds.clear();
    uint64_t deadline = UINT64_MAX;
    auto add = [&](sd_bus* bus) {
        int fd = sd_bus_get_fd(bus);
        int events = sd_bus_get_events(bus);
        if (fd < 0 || events < 0) return;
        fds.push_back({fd, static_cast<short>(events), 0});
        uint64_t until = UINT64_MAX;
        if (sd_bus_get_timeout(bus, &until) >= 0) deadline = std::min(deadline, until);
    };
    if (client_ && sd_bus_is_open(client_) > 0) add(client_);
    for (const auto& window : windows_)
        if (!window->Broken()) add(window->Bus());
    if (deadline == UINT64_MAX) return -1;
    uint64_t now = MonotonicUsec();
    if (deadline <= now) return 0;
    uint64_t ms = (deadline - now + kUsecPerMs - 1) / kUsecPerMs;
    return static_cast<int>(std::min<uint64_t>(ms, 60000));
}

WindowRegistration BusCore::RegisterWindow(uint64_t handle, const std::string& title, const std::string& className,
                                           IBusWindow* sink) {
    {
        CriticalSectionLock hold(lock);
        if (!client_) return {BusStatus::NoBus, false, false};
        for (const auto& window : windows_)
            if (window->Handle() == handle) return {BusStatus::NameTaken, false, false};
    }
    // Connecting and claiming the names wait on the daemon: done before the connection is shared.
    auto window = std::make_unique<BusWindowConnection>(*this, handle, title, className, sink);
    WindowRegistration result = window->Open();
    CriticalSectionLock hold(lock);
    if (result.status != BusStatus::Ok || !client_) {
        if (result.status == BusStatus::Ok) result = {BusStatus::NoBus, false, false};
        window->Retire();
        return result;  // the connection closes here, under the lock
    }
    windows_.push_back(std::move(window));
    Wake();
    return result;
}

bool BusCore::UnregisterWindow(uint64_t handle) {
    CriticalSectionLock hold(lock);
    auto it = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w->Handle() == handle; });
    if (it == windows_.end()) return false;
    (*it)->Retire();
    std::unique_ptr<BusWindowConnection> window = std::move(*it);
    windows_.erase(it);
    // Inside a dispatch the connection may be the one being processed: free it after the pass.
    if (OnBusThread()) closing_.push_back(std::move(window));
    Wake();
    return true;
}

int BusCore::OnPostReply(sd_bus_message* reply, void*, sd_bus_error*) {
    if (const sd_bus_error* error = sd_bus_message_get_error(reply))
        DebugOutput(std::string("bus: posted message not delivered: ") + (error->name ? error->name : "?") + ": " +
                    (error->message ? error->message : ""));
    return 0;
}

BusStatus BusCore::Post(const std::string& destination, const char* member, const MessageWriter& write) {
    CriticalSectionLock hold(lock);
    if (!client_ || sd_bus_is_open(client_) <= 0) return BusStatus::NoBus;
    sd_bus_message* call = nullptr;
    int r = sd_bus_message_new_method_call(client_, &call, destination.c_str(), kWindowObjectPath, kWindowInterface,
                                           member);
    if (r >= 0) r = PrepareCall(call, write);
    // The answer only tells whether the window was there; it is logged, nobody waits for it.
    if (r >= 0) r = sd_bus_call_async(client_, nullptr, call, OnPostReply, nullptr, 0);
    sd_bus_message_unref(call);
    Wake();
    return r < 0 ? StatusOfErrno(r) : BusStatus::Ok;
}

int BusCore::OnCallReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    auto* call = static_cast<PendingCall*>(userdata);
    call->reply = sd_bus_message_ref(reply);
    call->finished = true;
    call->done.Set();
    return 0;
}

BusStatus BusCore::Call(const std::string& destination, const char* interface, const char* member,
                        const MessageWriter& write, const MessageWriter& read, uint32_t timeoutMs) {
    if (OnBusThread()) {
        // The answer would have to come through this very thread.
        DebugOutput(std::string("bus: blocking call ") + member + " refused on the bus thread");
        return BusStatus::WrongThread;
    }
    PendingCall call;
    {
        CriticalSectionLock hold(lock);
        if (!client_ || sd_bus_is_open(client_) <= 0) return BusStatus::NoBus;
        sd_bus_message* message = nullptr;
        int r = sd_bus_message_new_method_call(client_, &message, destination.c_str(), kWindowObjectPath, interface,
                                               member);
        if (r >= 0) r = PrepareCall(message, write);
        if (r >= 0)
            r = sd_bus_call_async(client_, &call.slot, message, OnCallReply, &call,
                                  static_cast<uint64_t>(timeoutMs) * kUsecPerMs);
        sd_bus_message_unref(message);
        if (r < 0) return StatusOfErrno(r);
        pending_.push_back(&call);
        Wake();
    }
    call.done.Wait(static_cast<uint32_t>(std::min<uint64_t>(uint64_t{timeoutMs} + kCallGraceMs, INFINITE - 1)));

    CriticalSectionLock hold(lock);
    pending_.erase(std::remove(pending_.begin(), pending_.end(), &call), pending_.end());
    // Dropping the slot also cancels a call still in flight, so its callback never sees `call` again.
    call.slot = sd_bus_slot_unref(call.slot);
    BusStatus status;
    if (!call.finished) {
        status = BusStatus::Timeout;
    } else if (!call.reply) {
        status = BusStatus::NoBus;
    } else if (const sd_bus_error* error = sd_bus_message_get_error(call.reply)) {
        status = StatusOfBusError(error);
        if (status == BusStatus::Failed)
            DebugOutput(std::string("bus: call ") + member + " to " + destination + " failed: " +
                        (error->name ? error->name : "?"));
    } else {
        status = read(call.reply) < 0 ? BusStatus::Failed : BusStatus::Ok;
    }
    sd_bus_message_unref(call.reply);
    return status;
}

BusStatus BusCore::EmitBroadcast(const BusMessage& message) {
    CriticalSectionLock hold(lock);
    if (!client_ || sd_bus_is_open(client_) <= 0) return BusStatus::NoBus;
    int r = sd_bus_emit_signal(client_, kBroadcastObjectPath, kBroadcastInterface, kBroadcastMember, "stx",
                               message.name.c_str(), message.wParam, message.lParam);
    Wake();
    return r < 0 ? StatusOfErrno(r) : BusStatus::Ok;
}

int BusCore::Subscribe(BroadcastCallback callback) {
    CriticalSectionLock hold(lock);
    int id = nextSubscriptionId_++;
    subscriptions_.push_back({id, std::make_shared<BroadcastCallback>(std::move(callback))});
    return id;
}

void BusCore::Unsubscribe(int id) {
    CriticalSectionLock hold(lock);
    std::erase_if(subscriptions_, [id](const Subscription& s) { return s.id == id; });
}

int BusCore::OnBroadcastSignal(sd_bus_message* signal, void* userdata, sd_bus_error*) {
    static_cast<BusCore*>(userdata)->DeliverBroadcast(signal);
    return 0;
}

void BusCore::DeliverBroadcast(sd_bus_message* signal) {
    const char* sender = sd_bus_message_get_sender(signal);
    std::string from = sender ? sender : "?";
    if (sd_bus_message_has_signature(signal, "stx") <= 0) {
        const char* signature = sd_bus_message_get_signature(signal, 1);
        DebugOutput(std::string("bus: dropped broadcast (") + (signature ? signature : "") + ") from " + from +
                    ": malformed arguments, expected (stx)");
        return;
    }
    const char* name = nullptr;
    BusMessage message;
    if (sd_bus_message_read(signal, "stx", &name, &message.wParam, &message.lParam) < 0) return;
    message.name = name;
    // The sender's share first, so that a flood of anything costs one line.
    const BusFloodGate::Verdict verdict = broadcastGate_.Admit(from, BusGateNowUsec());
    if (!verdict.admitted) {
        if (verdict.firstRefusal) DebugOutput("bus: dropping broadcasts from " + from + ": " + kFloodReason);
        return;
    }
    if (verdict.refusedBefore)
        DebugOutput("bus: " + std::to_string(verdict.refusedBefore) + " broadcasts from " + from +
                    " were dropped while it flooded");
    if (const char* why = RefusalOfMessage(message.name, message.wParam, message.lParam)) {
        DebugOutput("bus: dropped broadcast \"" + message.name + "\" from " + from + ": " + why);
        return;
    }
    // A callback may unsubscribe itself or others: each is looked up again before it is called.
    std::vector<int> ids;
    for (const auto& s : subscriptions_) ids.push_back(s.id);
    for (int id : ids) {
        auto it = std::find_if(subscriptions_.begin(), subscriptions_.end(),
                               [id](const Subscription& s) { return s.id == id; });
        if (it == subscriptions_.end()) continue;
        std::shared_ptr<BroadcastCallback> callback = it->callback;
        (*callback)(message);
    }
}
