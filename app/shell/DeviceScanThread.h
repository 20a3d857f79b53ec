#pragma once
// The device-scanning worker (slot 0 of the main window): a scan pass at once when the kernel or
// the emulator folder reports an interface coming or going, and a slow pass as a safety net;
// arrivals and removals told to the window by blocking sends, and the window shown after the
// first pass.
#include <string>
#include <vector>

#include "toolkit/UIDefs.h"
#include "device/hid/HidInterface.h"
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
    // The safety-net pass; hot-plug notices bring a pass at once.
    uint32_t passIntervalMs = 2000;
};

struct ScanChanges {
    std::vector<int> arrivals;  // run-time rows occupied in this pass
    std::vector<int> removals;  // run-time rows whose device left in this pass
};

// One pass that opens only interfaces it does not know yet: a present row stays while its path is
// still enumerated and its location was not reported gone; free rows are matched as before.
class CKnownInterfaceScanner {
public:
    ScanChanges RunPass(InterfaceList& list, const std::vector<std::string>& goneLocations);

private:
    CHidInterface record_;  // enumerates, and probes candidates one at a time
};

// The worker body; args.owner is a DeviceScanParams that outlives the thread.
void RunDeviceScanThread(const WorkerArgs& args);
