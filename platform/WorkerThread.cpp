#include "platform/WorkerThread.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

#include "platform/DebugOutput.h"

const WorkerStopLines kThreadStopLines = {
    "线程退出：：对象处于激发状态\n",
    "线程退出：：对象处于激发状态，但其中有未释放的Mutex 对象\n",
    "线程退出：：对象处于非激发状态，超时\n",
    "线程退出：：错误\n",
};

const WorkerStopLines kObjectStopLines = {
    "所有对象处于激发状态\n",
    "所有对象处于激发状态，但其中有未释放的Mutex 对象\n",
    "所有对象处于非激发状态，超时\n",
    "错误\n",
};

bool WorkerKeepRunning(const WorkerArgs& args) { return args.stopEvent->Wait(1) == WaitResult::Timeout; }

bool WorkerPause(const WorkerArgs& args, uint32_t ms) { return args.stopEvent->Wait(ms) == WaitResult::Timeout; }

bool WorkerSleep(const WorkerArgs& args, Event& wake, uint32_t ms) {
    Event* const events[] = {args.stopEvent, &wake};
    // The stop event comes first, so a stop wins over a wake-up that arrived at the same time.
    const int first = Event::WaitAny(events, 2, ms);
    return first != 0 && first != -2;
}

WorkerWake WorkerWaitFd(const WorkerArgs& args, int fd, uint32_t ms) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms == INFINITE ? 0 : ms);
    pollfd fds[2] = {{args.stopEvent->Fd(), POLLIN, 0}, {fd, POLLIN, 0}};
    for (;;) {
        int timeout = -1;
        if (ms != INFINITE) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            timeout = left < 0 ? 0 : static_cast<int>(left);
        }
        const int n = poll(fds, fd >= 0 ? 2 : 1, timeout);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return WorkerWake::Timeout;
        if (n == 0) return WorkerWake::Timeout;
        // The stop event is manual-reset: readable means set.
        if (fds[0].revents & POLLIN) return WorkerWake::Stop;
        return WorkerWake::Ready;
    }
}

WorkerThread::~WorkerThread() {
    if (!thread_.joinable()) return;
    SignalStop();
    thread_.join();
}

void WorkerThread::SignalStop() {
    record_->stop.Set();
    if (record_->interrupt) record_->interrupt();
}

void WorkerThread::Start(void* owner, Body body, uint32_t stopTimeoutMs) { Start(owner, std::move(body), stopTimeoutMs, {}); }

void WorkerThread::Start(void* owner, Body body, uint32_t stopTimeoutMs, std::function<void()> interrupt) {
    if (thread_.joinable()) Stop(stopTimeoutMs);
    record_ = std::make_unique<Record>();
    record_->interrupt = std::move(interrupt);
    record_->args.owner = owner;
    record_->args.stopEvent = &record_->stop;
    args_ = &record_->args;
    Record* r = record_.get();
    // The stop event is new for every start, so the thread does not reset it: a reset there could
    // swallow a Stop that came before the thread ran.
    thread_ = std::thread([r, body = std::move(body)] {
        body(r->args);
        r->done.Set();
    });
}

WorkerStopOutcome WorkerThread::Stop(uint32_t timeoutMs, const WorkerStopLines& lines) {
    if (!thread_.joinable()) return WorkerStopOutcome::NotRunning;
    SignalStop();
    WaitResult waited = record_->done.Wait(timeoutMs);
    WorkerStopOutcome outcome;
    switch (waited) {
        case WaitResult::Signaled:
            DebugOutput(lines.ended);
            outcome = WorkerStopOutcome::Ended;
            break;
        case WaitResult::Timeout:
            DebugOutput(lines.timedOut);
            outcome = WorkerStopOutcome::TimedOut;
            break;
        default:
            DebugOutput(lines.failed);
            outcome = WorkerStopOutcome::Failed;
            break;
    }
    // The original ends a late thread by force; here every blocking call of a worker wakes on its
    // stop or abort event, so joining is bounded and no lock is left held.
    thread_.join();
    record_.reset();
    args_ = nullptr;
    return outcome;
}
