#pragma once
// The worker-thread pattern every background worker of the program follows:
// an argument record {owner, manual-reset stop event}, a body that sleeps until its next due moment
// (or a stop), and a stop that sets the event, waits a bounded time and logs the outcome.
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/Event.h"

struct WorkerArgs {
    void* owner = nullptr;
    Event* stopEvent = nullptr;
};

// True while the worker should go on: one 1 ms wait on the stop event that timed out.
bool WorkerKeepRunning(const WorkerArgs& args);
// Waits up to ms on the stop event; false when the stop event was set (the worker should end).
bool WorkerPause(const WorkerArgs& args, uint32_t ms);
// Sleeps up to ms (INFINITE: until woken) or until the wake event is set; false when the stop event
// was set. A worker with nothing due waits here instead of polling.
bool WorkerSleep(const WorkerArgs& args, Event& wake, uint32_t ms);
enum class WorkerWake { Stop, Timeout, Ready };
// Sleeps up to ms or until fd (a notice source; -1 for none) is readable or the worker is stopped.
WorkerWake WorkerWaitFd(const WorkerArgs& args, int fd, uint32_t ms);

// The debugger lines written by Stop, by wait outcome.
struct WorkerStopLines {
    const char* ended;
    const char* abandoned;  // kept for the record; a thread here cannot die owning a lock
    const char* timedOut;
    const char* failed;
};
// Lines of the device engines and the main window.
extern const WorkerStopLines kThreadStopLines;
// Lines of the update window's workers.
extern const WorkerStopLines kObjectStopLines;

enum class WorkerStopOutcome { NotRunning, Ended, TimedOut, Failed };

class WorkerThread {
public:
    using Body = std::function<void(const WorkerArgs&)>;

    WorkerThread() = default;
    ~WorkerThread();  // stops quietly (no log) if still running
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the body on a new thread with a fresh stop event. A running worker is stopped first.
    void Start(void* owner, Body body, uint32_t stopTimeoutMs = 1000);
    // The same for a body that blocks in a call which does not watch the stop event (a device read
    // with no time-out): interrupt, run by Stop (and the destructor) right after the stop event is
    // set, makes that call return. It runs on the stopping thread while the body may still run.
    void Start(void* owner, Body body, uint32_t stopTimeoutMs, std::function<void()> interrupt);
    // Sets the stop event and waits up to the time-out, then writes the line of the outcome.
    // A worker that misses its time-out is still joined, so it never outlives its owner.
    WorkerStopOutcome Stop(uint32_t timeoutMs, const WorkerStopLines& lines = kThreadStopLines);
    bool Running() const { return thread_.joinable(); }
    Event* StopEvent() { return args_ ? args_->stopEvent : nullptr; }

private:
    struct Record {
        WorkerArgs args;
        Event stop{true, false};
        Event done{true, false};
        std::function<void()> interrupt;
    };
    // Sets the stop event and runs the interrupt, if any.
    void SignalStop();
    std::unique_ptr<Record> record_;
    WorkerArgs* args_ = nullptr;
    std::thread thread_;
};
