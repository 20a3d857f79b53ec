#pragma once
// One window on the bus: its own connection, so that its names and its object /org/zorv/Win
// resolve to it alone even when one process owns several windows.
#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/bus/BusFloodGate.h"
#include "platform/bus/BusTypes.h"

class BusCore;
struct WaitingCalls;

class BusWindowConnection {
public:
    BusWindowConnection(BusCore& core, uint64_t handle, std::string title, std::string className, IBusWindow* sink);
    ~BusWindowConnection();  // closes the connection; the caller holds the core lock
    BusWindowConnection(const BusWindowConnection&) = delete;
    BusWindowConnection& operator=(const BusWindowConnection&) = delete;

    // Connects, serves the object and claims the names. Runs before the connection is shared, so
    // it needs no lock.
    WindowRegistration Open();
    // Stops the sink and gives the names back at once, so a search right after finds nothing.
    void Retire();

    uint64_t Handle() const { return handle_; }
    sd_bus* Bus() const { return bus_; }
    bool Broken() const { return broken_; }
    void MarkBroken() { broken_ = true; }
    std::string Describe() const;

private:
    static int OnIncoming(sd_bus_message* m, void* userdata, sd_bus_error* error);
    static int OnMessage(sd_bus_message* m, void* userdata, sd_bus_error* error);
    static int OnSend(sd_bus_message* m, void* userdata, sd_bus_error* error);
    static int OnCopyData(sd_bus_message* m, void* userdata, sd_bus_error* error);
    static int GetTitle(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                        sd_bus_error*);
    static int GetClassName(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                            sd_bus_error*);
    static int GetHandle(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                         sd_bus_error*);
    static const sd_bus_vtable kVtable[];

    // Calls the window holds without having answered them, and their data-copy bytes; more are
    // refused until it catches up, so a window that cannot keep up does not gather them without end.
    static constexpr int kMaxWaitingCalls = 256;
    static constexpr size_t kMaxWaitingBytes = 16 * 1024 * 1024;

    // Admission shared by Message and Send; answers the refusal itself and returns false.
    bool AdmitMessage(sd_bus_message* m, const char* method, const BusMessage& message);
    // Every check a call passes: the sender's share of the window, the message itself (`refusal`,
    // null when admitted), then the window's waiting calls. False when refused (answered here).
    bool Admit(sd_bus_message* m, const char* method, const std::string& what, const char* refusal,
               size_t payloadBytes);
    int Refuse(sd_bus_message* m, const char* method, const std::string& what, const char* why);
    BusReply MakeReply(sd_bus_message* m, size_t payloadBytes = 0);

    BusCore& core_;
    uint64_t handle_;
    std::string title_;
    std::string className_;
    IBusWindow* sink_;
    sd_bus* bus_ = nullptr;
    sd_bus_slot* object_ = nullptr;
    sd_bus_slot* filter_ = nullptr;
    std::vector<std::string> ownedNames_;
    bool broken_ = false;
    BusFloodGate gate_;
    std::shared_ptr<WaitingCalls> waiting_;
};
