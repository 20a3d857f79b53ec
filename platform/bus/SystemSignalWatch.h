#pragma once
// Listens for one boolean signal on the system bus (logind's sleep notice, for one). The bus is
// $ZORV_SYSTEM_BUS_ADDRESS when set, so that tests can stand a private bus in for the system bus.
#include <functional>
#include <memory>
#include <string>

#include "platform/WorkerThread.h"

struct SystemSignalWatchState;

class SystemSignalWatch {
public:
    using Callback = std::function<void(bool)>;

    SystemSignalWatch();
    ~SystemSignalWatch();  // stops
    SystemSignalWatch(const SystemSignalWatch&) = delete;
    SystemSignalWatch& operator=(const SystemSignalWatch&) = delete;

    // Connects and starts the listening thread; false (and one debug line) when there is no system
    // bus or the match cannot be installed. The callback runs on that thread.
    bool Start(const std::string& path, const std::string& interface, const std::string& member, Callback callback);
    void Stop();
    bool Running() const { return thread_.Running(); }

private:
    std::unique_ptr<SystemSignalWatchState> state_;
    WorkerThread thread_;
};
