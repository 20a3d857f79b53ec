#include "tools/zorv-emulator/HidSocketServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/DebugOutput.h"
#include "platform/Time.h"
#include "tools/zorv-emulator/UnixSocket.h"

namespace emu {

namespace {
constexpr int kIdlePollMs = 50;
constexpr size_t kReceiveBufferSize = 4096;
constexpr int kPacketsPerClientPass = 64;  // keeps one chatty client from starving the others

bool IsDue(uint32_t due, uint32_t now) { return static_cast<int32_t>(due - now) <= 0; }
}  // namespace

HidSocketServer::HidSocketServer(std::string socketPath, std::string hello, Handlers handlers)
    : socketPath_(std::move(socketPath)), hello_(std::move(hello)), handlers_(std::move(handlers)) {}

HidSocketServer::~HidSocketServer() { Stop(); }

bool HidSocketServer::Start(std::string& error) {
    if (worker_.Running()) return true;
    if (!Plug(error)) return false;
    {
        CriticalSectionLock lock(taskLock_);
        acceptingTasks_ = true;
    }
    worker_.Start(this, [this](const WorkerArgs& args) { Loop(args); });
    return true;
}

void HidSocketServer::Stop() {
    if (worker_.Running()) worker_.Stop(1000);
    // The worker has ended: its sockets are ours now.
    Unplug();
    timers_.clear();
}

void HidSocketServer::Run(const std::function<void()>& fn) {
    if (OnWorker()) {
        fn();
        return;
    }
    Event done(true, false);
    std::atomic<bool> finished{false};
    bool queued = false;
    {
        CriticalSectionLock lock(taskLock_);
        if (acceptingTasks_) {
            tasks_.push_back({&fn, &done, &finished});
            queued = true;
        }
    }
    if (!queued) {
        fn();
        return;
    }
    wake_.Set();
    done.Wait(INFINITE);
    while (!finished.load(std::memory_order_acquire)) done.Wait(1);
}

void HidSocketServer::RunTasks() {
    std::vector<Task> tasks;
    {
        CriticalSectionLock lock(taskLock_);
        tasks.swap(tasks_);
    }
    for (const Task& task : tasks) {
        (*task.fn)();
        task.done->Set();
        // Last touch of the task: once the caller sees it, it may destroy the event.
        task.finished->store(true, std::memory_order_release);
    }
}

void HidSocketServer::After(uint32_t delayMs, std::function<void()> fn) {
    timers_.push_back({GetTickCount() + delayMs, nextTimerOrder_++, std::move(fn)});
}

void HidSocketServer::RunDueTimers() {
    uint32_t now = GetTickCount();
    std::vector<Timer> due;
    auto split = std::stable_partition(timers_.begin(), timers_.end(), [&](const Timer& t) { return !IsDue(t.due, now); });
    std::move(split, timers_.end(), std::back_inserter(due));
    timers_.erase(split, timers_.end());
    std::sort(due.begin(), due.end(), [now](const Timer& a, const Timer& b) {
        int32_t da = static_cast<int32_t>(a.due - now), db = static_cast<int32_t>(b.due - now);
        return da != db ? da < db : a.order < b.order;
    });
    for (Timer& timer : due) timer.fn();
}

int HidSocketServer::PollTimeoutMs() const {
    int timeout = kIdlePollMs;
    uint32_t now = GetTickCount();
    for (const Timer& timer : timers_) {
        int32_t left = static_cast<int32_t>(timer.due - now);
        timeout = std::min(timeout, std::max(0, static_cast<int>(left)));
    }
    return timeout;
}

bool HidSocketServer::Plug(std::string& error) {
    if (listenFd_ >= 0) return true;
    listenFd_ = ListenUnixSocket(socketPath_, SOCK_SEQPACKET, error);
    if (listenFd_ < 0) return false;
    plugged_ = true;
    return true;
}

void HidSocketServer::Unplug() {
    // The file goes first: a client that sees its connection end finds no device to reconnect to.
    if (listenFd_ >= 0) {
        CloseSocket(listenFd_);
        unlink(socketPath_.c_str());
        ++plugGeneration_;
    }
    plugged_ = false;
    for (auto& [client, fd] : clients_) close(fd);
    clients_.clear();
    clientCount_ = 0;
}

void HidSocketServer::Broadcast(const uint8_t* data, size_t length) {
    std::vector<int> gone;
    for (auto& [client, fd] : clients_) {
        ssize_t sent = send(fd, data, length, MSG_DONTWAIT | MSG_NOSIGNAL);
        // A client that does not read loses reports, as a full hidraw queue does; a closed one goes.
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) gone.push_back(client);
    }
    for (int client : gone) DropClient(client);
}

void HidSocketServer::AcceptClients() {
    for (;;) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (send(fd, hello_.data(), hello_.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0) {
            close(fd);
            continue;
        }
        clients_[nextClient_++] = fd;
        clientCount_ = static_cast<int>(clients_.size());
    }
}

void HidSocketServer::DropClient(int client) {
    auto it = clients_.find(client);
    if (it == clients_.end()) return;
    close(it->second);
    clients_.erase(it);
    clientCount_ = static_cast<int>(clients_.size());
}

void HidSocketServer::ReadClient(int client) {
    uint8_t buffer[kReceiveBufferSize];
    for (int i = 0; i < kPacketsPerClientPass; ++i) {
        auto it = clients_.find(client);
        if (it == clients_.end()) return;  // a handler unplugged the device
        ssize_t n = recv(it->second, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            DropClient(client);
            return;
        }
        if (n < 0) return;
        if (handlers_.onPacket) handlers_.onPacket(client, buffer, static_cast<size_t>(n));
    }
}

void HidSocketServer::Loop(const WorkerArgs& args) {
    workerId_ = std::this_thread::get_id();
    std::vector<pollfd> fds;
    std::vector<int> polledClients;
    while (WorkerKeepRunning(args)) {
        fds.clear();
        polledClients.clear();
        fds.push_back({args.stopEvent->Fd(), POLLIN, 0});
        fds.push_back({wake_.Fd(), POLLIN, 0});
        const bool polledListener = listenFd_ >= 0;
        if (polledListener) fds.push_back({listenFd_, POLLIN, 0});
        for (auto& [client, fd] : clients_) {
            fds.push_back({fd, POLLIN, 0});
            polledClients.push_back(client);
        }
        int ready = poll(fds.data(), fds.size(), PollTimeoutMs());
        if (ready < 0 && errno != EINTR) {
            DebugOutput("zorv-emulator: poll failed");
            break;
        }
        if (fds[1].revents & POLLIN) wake_.TryConsume();
        RunTasks();
        size_t first = 2;
        if (polledListener) {
            // A task may have unplugged meanwhile; accepting then finds no socket.
            if ((fds[2].revents & POLLIN) && listenFd_ >= 0) AcceptClients();
            first = 3;
        }
        for (size_t i = first; i < fds.size(); ++i)
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) ReadClient(polledClients[i - first]);
        RunDueTimers();
        if (handlers_.onIdle) handlers_.onIdle();
    }
    {
        CriticalSectionLock lock(taskLock_);
        acceptingTasks_ = false;
    }
    RunTasks();  // callers queued before the stop still get their answer
    workerId_ = std::thread::id();
}

}  // namespace emu
