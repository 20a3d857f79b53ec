#pragma once
// Kernel-style event: manual or auto reset, waitable with a time-out, alone or with others.
// Realised over an eventfd so that the HID backends can wait on a device and an event in one poll.
#include <cstddef>
#include <cstdint>

inline constexpr uint32_t INFINITE = 0xFFFFFFFFu;

enum class WaitResult { Signaled, Timeout, Failed };

class Event {
public:
    explicit Event(bool manualReset = true, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // An auto-reset event is consumed by the one waiter it releases.
    WaitResult Wait(uint32_t timeoutMs);
    bool IsManualReset() const { return manualReset_; }

    // Waits for the first of several events; returns its index, -1 on time-out, -2 on failure.
    static int WaitAny(Event* const* events, size_t count, uint32_t timeoutMs);

    // For platform code only: readable while the event is set.
    int Fd() const { return fd_; }
    // Consumes an auto-reset event after its fd polled readable; false if another waiter won.
    bool TryConsume();

private:
    int fd_;
    bool manualReset_;
};
