#pragma once
// One emulated USB HID interface: a listening SOCK_SEQPACKET socket that greets every client with
// the hello packet, hands every received packet (one output report) to the device and sends every
// input report to every client. It owns its sockets on its own worker; other threads reach them
// through Run, which executes a call there and waits for it.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/WorkerThread.h"

namespace emu {

class HidSocketServer {
public:
    struct Handlers {
        std::function<void(int client, const uint8_t* data, size_t length)> onPacket;
        std::function<void()> onIdle;  // each pass of the worker loop, at least every 50 ms
    };

    HidSocketServer(std::string socketPath, std::string hello, Handlers handlers);
    ~HidSocketServer();
    HidSocketServer(const HidSocketServer&) = delete;
    HidSocketServer& operator=(const HidSocketServer&) = delete;

    // Plugs in (creates the socket) and starts the worker.
    bool Start(std::string& error);
    void Stop();

    // Runs fn on the worker and waits; runs it right here on the worker itself or when stopped.
    void Run(const std::function<void()>& fn);

    // Worker only (inside handlers, Run or timers).
    void Broadcast(const uint8_t* data, size_t length);
    void After(uint32_t delayMs, std::function<void()> fn);
    bool Plug(std::string& error);
    void Unplug();

    // Any thread.
    bool Plugged() const { return plugged_.load(); }
    int ClientCount() const { return clientCount_.load(); }
    // Bumped by every unplug, so work scheduled for one connection era can tell it is stale.
    uint32_t PlugGeneration() const { return plugGeneration_.load(); }
    const std::string& SocketPath() const { return socketPath_; }

private:
    struct Timer {
        uint32_t due;
        uint64_t order;
        std::function<void()> fn;
    };
    struct Task {
        const std::function<void()>* fn;
        Event* done;
        // Publishes the task's writes to the caller in a way the thread sanitizer understands too.
        std::atomic<bool>* finished;
    };

    void Loop(const WorkerArgs& args);
    void AcceptClients();
    void ReadClient(int client);
    void DropClient(int client);
    void RunTasks();
    void RunDueTimers();
    int PollTimeoutMs() const;
    bool OnWorker() const { return workerId_.load() == std::this_thread::get_id(); }

    const std::string socketPath_;
    const std::string hello_;
    Handlers handlers_;

    // Worker-owned.
    int listenFd_ = -1;
    std::map<int, int> clients_;  // connection number -> fd
    int nextClient_ = 1;
    std::vector<Timer> timers_;
    uint64_t nextTimerOrder_ = 0;

    CriticalSection taskLock_;
    std::vector<Task> tasks_;
    bool acceptingTasks_ = false;
    Event wake_{false, false};

    std::atomic<bool> plugged_{false};
    std::atomic<int> clientCount_{0};
    std::atomic<uint32_t> plugGeneration_{0};
    std::atomic<std::thread::id> workerId_{};
    WorkerThread worker_;
};

}  // namespace emu
