#pragma once
// The device-scanning worker (slot 0 of the main window): a scan pass every 100 ms, arrivals and
// removals told to the window by blocking sends, and the window shown after the first pass.
#include "toolkit/UIDefs.h"
#include "device/registry/InterfaceMatching.h"
#include "platform/CriticalSection.h"
#include "platform/WorkerThread.h"

// The run-time interface list and its lock, shared by the scanning thread and the UI thread. The
// scanner holds the lock only for a pass and never while it waits on the window.
struct SharedInterfaceList {
    CriticalSection lock;
    InterfaceList rows = MakeInterfaceList();
};

struct DeviceScanParams {
    DuiLib::HWND window = 0;
    SharedInterfaceList* models = nullptr;
    uint32_t passIntervalMs = 100;
};

// The worker body; args.owner is a DeviceScanParams that outlives the thread.
void RunDeviceScanThread(const WorkerArgs& args);
