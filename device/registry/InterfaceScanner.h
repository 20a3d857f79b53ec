#pragma once
// One pass of the device-scanning thread: enumerate, drop the rows whose device has gone, and let
// fresh paths occupy free rows.
#include <vector>

#include "device/hid/HidInterface.h"
#include "device/registry/InterfaceMatching.h"

struct ScanPassResult {
    std::vector<int> arrivals;  // run-time rows occupied in this pass
    std::vector<int> removals;  // run-time rows whose device left in this pass
};

class CInterfaceScanner {
public:
    ScanPassResult RunScanPass(InterfaceList& list);

private:
    // Long-lived: enumerates, and probes candidates and present rows one at a time.
    CHidInterface record_;
};
