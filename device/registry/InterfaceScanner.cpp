#include "device/registry/InterfaceScanner.h"

ScanPassResult CInterfaceScanner::RunScanPass(InterfaceList& list) {
    ScanPassResult result;
    const bool enumerated = AnyRowFree(list) && record_.EnumeratePaths();

    for (size_t i = 0; i < list.size(); ++i) {
        DeviceInterfaceEntry& entry = list[i];
        if (!entry.present || IsInterfaceStillThere(record_, entry.devicePath)) continue;
        entry.present = 0;
        entry.devicePath.clear();
        result.removals.push_back(static_cast<int>(i));
    }

    if (enumerated) {
        // NextPath may return null before the end of the list; that ends the pass.
        while (const char* path = record_.NextPath()) {
            if (!AnyRowFree(list)) break;
            const std::string candidatePath = path;
            if (!PassesPrecheck(list, candidatePath)) continue;
            InterfaceCandidate candidate;
            if (!ProbeCandidate(record_, candidatePath, candidate)) continue;
            const int row = MatchInterface(list, candidate);
            if (row >= 0) result.arrivals.push_back(row);
        }
        record_.ReleasePaths();
    }
    return result;
}
