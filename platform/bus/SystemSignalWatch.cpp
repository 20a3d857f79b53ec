#include "platform/bus/SystemSignalWatch.h"

#include <systemd/sd-bus.h>

#include <cstdlib>
#include <cstring>

#include "platform/DebugOutput.h"

namespace {
// Bounds how long a stop waits for the thread to notice it.
constexpr uint64_t kWaitSliceUsec = 20000;

int OpenSystemConnection(sd_bus** bus) {
    *bus = nullptr;
    const char* address = std::getenv("ZORV_SYSTEM_BUS_ADDRESS");
    int r = 0;
    if (address && *address) {
        r = sd_bus_new(bus);
        if (r >= 0) r = sd_bus_set_address(*bus, address);
        if (r >= 0) r = sd_bus_set_bus_client(*bus, 1);
        if (r >= 0) r = sd_bus_start(*bus);
    } else {
        r = sd_bus_open_system_with_description(bus, "zorv-system");
    }
    // Waits for the daemon's hello, so a socket without a bus behind it fails here.
    const char* unique = nullptr;
    if (r >= 0) r = sd_bus_get_unique_name(*bus, &unique);
    if (r < 0 && *bus) *bus = sd_bus_flush_close_unref(*bus);
    return r;
}
}  // namespace

struct SystemSignalWatchState {
    sd_bus* bus = nullptr;
    sd_bus_slot* match = nullptr;
    std::string name;
    SystemSignalWatch::Callback callback;

    ~SystemSignalWatchState() {
        sd_bus_slot_unref(match);
        sd_bus_flush_close_unref(bus);
    }

    static int OnSignal(sd_bus_message* signal, void* userdata, sd_bus_error*) {
        auto* self = static_cast<SystemSignalWatchState*>(userdata);
        int value = 0;
        if (sd_bus_message_read(signal, "b", &value) < 0) {
            DebugOutput("system bus: " + self->name + " without a boolean, ignored");
            return 0;
        }
        self->callback(value != 0);
        return 0;
    }

    void Run(const WorkerArgs& args) {
        while (WorkerKeepRunning(args)) {
            const int r = sd_bus_process(bus, nullptr);
            if (r > 0) continue;
            if (r < 0) {
                DebugOutput("system bus: connection lost: " + std::string(std::strerror(-r)));
                args.stopEvent->Wait(INFINITE);
                return;
            }
            sd_bus_wait(bus, kWaitSliceUsec);
        }
    }
};

SystemSignalWatch::SystemSignalWatch() = default;

SystemSignalWatch::~SystemSignalWatch() { Stop(); }

bool SystemSignalWatch::Start(const std::string& path, const std::string& interface, const std::string& member,
                              Callback callback) {
    Stop();
    auto state = std::make_unique<SystemSignalWatchState>();
    state->name = interface + "." + member;
    state->callback = std::move(callback);
    int r = OpenSystemConnection(&state->bus);
    if (r < 0) {
        DebugOutput("system bus: not available (" + std::string(std::strerror(-r)) + "), no " + state->name);
        return false;
    }
    r = sd_bus_match_signal(state->bus, &state->match, nullptr, path.c_str(), interface.c_str(), member.c_str(),
                            SystemSignalWatchState::OnSignal, state.get());
    if (r < 0) {
        DebugOutput("system bus: cannot listen for " + state->name + ": " + std::strerror(-r));
        return false;
    }
    state_ = std::move(state);
    thread_.Start(state_.get(), [](const WorkerArgs& args) { static_cast<SystemSignalWatchState*>(args.owner)->Run(args); });
    return true;
}

void SystemSignalWatch::Stop() {
    if (thread_.Running()) thread_.Stop(1000);
    state_.reset();
}
