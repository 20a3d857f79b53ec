#pragma once
// The shared state behind CMessageBus: the connections, the event loop on the bus thread, and the
// calls other threads make through it. sd-bus objects are not thread-safe, so every sd-bus call,
// on any thread, happens while `lock` is held; the bus thread drops it only while it polls.
#include <systemd/sd-bus.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/WorkerThread.h"
#include "platform/bus/BusFloodGate.h"
#include "platform/bus/BusTypes.h"

class BusWindowConnection;

class BusCore : public std::enable_shared_from_this<BusCore> {
public:
    using BroadcastCallback = std::function<void(const BusMessage&)>;
    using MessageWriter = std::function<int(sd_bus_message*)>;

    BusCore();
    ~BusCore();

    BusStatus Connect();
    // Fails every waiting call, closes every window and the client connection.
    void Disconnect();
    void RunLoop(const WorkerArgs& args);

    bool OnBusThread() const { return busThread_.load() == std::this_thread::get_id(); }
    // Lets the bus thread recompute what to poll (a new connection, output waiting to be sent).
    void Wake() { wake_.Set(); }

    WindowRegistration RegisterWindow(uint64_t handle, const std::string& title, const std::string& className,
                                      IBusWindow* sink);
    bool UnregisterWindow(uint64_t handle);

    // A method call to a window that does not wait for the answer; a failure is only logged.
    BusStatus Post(const std::string& destination, const char* member, const MessageWriter& write);
    // A method call that waits up to timeoutMs; `read` reads the reply. Refused on the bus thread.
    BusStatus Call(const std::string& destination, const char* interface, const char* member,
                   const MessageWriter& write, const MessageWriter& read, uint32_t timeoutMs);
    BusStatus EmitBroadcast(const BusMessage& message);

    int Subscribe(BroadcastCallback callback);
    void Unsubscribe(int id);

    CriticalSection lock;

private:
    struct PendingCall;
    struct Subscription {
        int id;
        std::shared_ptr<BroadcastCallback> callback;
    };

    static int OnCallReply(sd_bus_message* reply, void* userdata, sd_bus_error* error);
    static int OnPostReply(sd_bus_message* reply, void* userdata, sd_bus_error* error);
    static int OnBroadcastSignal(sd_bus_message* signal, void* userdata, sd_bus_error* error);
    void DeliverBroadcast(sd_bus_message* signal);

    // Bus thread, locked: dispatches everything that is waiting and frees windows closed meanwhile.
    void ProcessConnections();
    // Bus thread, locked: the descriptors to poll and the time-out in ms (-1 for none).
    int CollectPoll(std::vector<struct pollfd>& fds);
    bool ProcessOne(sd_bus* bus, const std::string& what);

    Event wake_{false, false};
    std::atomic<std::thread::id> busThread_{};
    sd_bus* client_ = nullptr;
    sd_bus_slot* broadcastMatch_ = nullptr;
    std::vector<std::unique_ptr<BusWindowConnection>> windows_;
    // Windows unregistered from inside a dispatch: freed once the dispatch has returned.
    std::vector<std::unique_ptr<BusWindowConnection>> closing_;
    std::vector<PendingCall*> pending_;
    std::vector<Subscription> subscriptions_;
    BusFloodGate broadcastGate_;
    int nextSubscriptionId_ = 1;
};

// Maps a D-Bus error (from a reply or a failed call) to a status.
BusStatus StatusOfBusError(const sd_bus_error* error);
BusStatus StatusOfErrno(int negativeErrno);
// Calls a window holds and has not let go of yet, and the data-copy bytes they carry.
struct WaitingCalls {
    std::atomic<int> calls{0};
    std::atomic<size_t> bytes{0};
};
// The reply a window's sink answers a Send or CopyData call with; keeps the call until answered.
// `waiting`, when given, counts the call (and its payload bytes) while the reply lives.
BusReply MakeBusReply(std::shared_ptr<BusCore> core, sd_bus_message* call,
                      std::shared_ptr<WaitingCalls> waiting = nullptr, size_t payloadBytes = 0);
// Opens a new connection to the session bus with this program's settings.
int OpenSessionConnection(sd_bus** bus, const std::string& description);
