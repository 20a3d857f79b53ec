#include "platform/Event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline, uint32_t timeoutMs) {
    if (timeoutMs == INFINITE) return -1;
    // Rounded up: a wait that rounds down to 0 returns at once, and a 1 ms polling loop would spin.
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}
}  // namespace

Event::Event(bool manualReset, bool initiallySet)
    : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), manualReset_(manualReset) {
    if (fd_ < 0) throw std::runtime_error("eventfd failed");
    if (initiallySet) Set();
}

Event::~Event() { close(fd_); }

void Event::Set() {
    uint64_t one = 1;
    // The counter only needs to be non-zero; EAGAIN (counter full) still leaves it set.
    while (write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void Event::Reset() {
    uint64_t value;
    while (read(fd_, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

bool Event::TryConsume() {
    if (manualReset_) return true;
    uint64_t value;
    for (;;) {
        if (read(fd_, &value, sizeof value) == sizeof value) return true;
        if (errno != EINTR) return false;
    }
}

WaitResult Event::Wait(uint32_t timeoutMs) {
    Event* self = this;
    int r = WaitAny(&self, 1, timeoutMs);
    if (r == 0) return WaitResult::Signaled;
    return r == -1 ? WaitResult::Timeout : WaitResult::Failed;
}

int Event::WaitAny(Event* const* events, size_t count, uint32_t timeoutMs) {
    std::vector<pollfd> fds(count);
    for (size_t i = 0; i < count; ++i) fds[i] = {events[i]->fd_, POLLIN, 0};
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs == INFINITE ? 0 : timeoutMs);
    for (;;) {
        int n = poll(fds.data(), fds.size(), RemainingMs(deadline, timeoutMs));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -2;
        }
        if (n == 0) return -1;
        for (size_t i = 0; i < count; ++i) {
            if ((fds[i].revents & POLLIN) && events[i]->TryConsume()) return static_cast<int>(i);
        }
        // Another waiter took an auto-reset event first: keep waiting for the rest of the time.
        if (timeoutMs != INFINITE && RemainingMs(deadline, timeoutMs) == 0) return -1;
    }
}
