#pragma once
// Registered messages, broadcasts and data-copy messages between programs, over the session bus.
// One CMessageBus per process; its worker thread runs the bus's event loop and calls the windows'
// sinks (see IBusWindow for what a sink may do there).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/WorkerThread.h"
#include "platform/bus/BusNames.h"
#include "platform/bus/BusTypes.h"

class BusCore;

inline constexpr uint32_t kDefaultSendTimeoutMs = 5000;
inline constexpr uint32_t kFindWindowTimeoutMs = 1000;

class CMessageBus {
public:
    using BroadcastCallback = std::function<void(const BusMessage&)>;

    CMessageBus();
    ~CMessageBus();  // stops
    CMessageBus(const CMessageBus&) = delete;
    CMessageBus& operator=(const CMessageBus&) = delete;

    // Connects to the session bus and starts the bus thread. NoBus when there is no session bus.
    BusStatus Start();
    // Ends the thread, fails the calls still waiting and closes every window's connection.
    void Stop();
    bool Running() const;

    // Claims the window's names and serves its object. The handle is required (0 is invalid);
    // empty title or class names are not claimed. Title and class names someone else holds are
    // reported in the result (and logged); the window is still registered by its handle.
    WindowRegistration RegisterWindow(uint64_t handle, const std::string& title, const std::string& className,
                                      IBusWindow* sink);
    // Gives the names back; once it returns, the sink is not called again.
    bool UnregisterWindow(uint64_t handle);

    // The handle of the window with this class name and title (an empty one matches any), or 0.
    uint64_t FindWindow(const std::string& className, const std::string& title,
                        uint32_t timeoutMs = kFindWindowTimeoutMs);

    // Whether a window answers to the target's name.
    bool WindowExists(const BusTarget& target, uint32_t timeoutMs = kFindWindowTimeoutMs);

    // Posted: returns once the message is on its way; a window that turns out missing is logged.
    BusStatus PostMessageTo(const BusTarget& target, const std::string& name, uint64_t wParam, int64_t lParam);
    // Sent: the window's answer, or nothing (why in *status when given).
    std::optional<int64_t> SendMessageTo(const BusTarget& target, const std::string& name, uint64_t wParam,
                                         int64_t lParam, uint32_t timeoutMs = kDefaultSendTimeoutMs,
                                         BusStatus* status = nullptr);
    BusAnswer CopyDataTo(const BusTarget& target, uint64_t senderHandle, uint64_t dataId,
                         std::span<const uint8_t> bytes, uint32_t timeoutMs = kDefaultSendTimeoutMs);

    // To every program on the bus, this one included.
    BusStatus Broadcast(const std::string& name, uint64_t wParam, int64_t lParam);
    // The callback gets every admitted broadcast, on the bus thread. Returns an id for Unsubscribe;
    // once Unsubscribe returns, the callback is not called again.
    int SubscribeBroadcasts(BroadcastCallback callback);
    void UnsubscribeBroadcasts(int id);

private:
    std::optional<uint64_t> HandleOfName(const std::string& busName, uint32_t timeoutMs);

    std::shared_ptr<BusCore> core_;
    WorkerThread thread_;
};
