#include "device/registry/InterfaceScanner.h"

#include "device/hid/HidTransport.h"

ScanPassResult CInterfaceScanner::RunScanPass(InterfaceList& list) {
    ScanPassResult result;
    const bool enumerated = AnyRowFree(list) && record_.EnumeratePaths();

    for (size_t i = 0; i < list.size(); ++i) {
        DeviceInterfaceEntry& entry = list[i];
        // A device unplugged and plugged in again since the last pass has the same path but is
        // another instance: it leaves and arrives again, so that its users reconnect.
        if (!entry.present ||
            (IsInterfaceStillThere(record_, entry.devicePath) && HidInstanceOf(entry.devicePath) == entry.deviceInstance))
            continue;
        entry.present = 0;
        entry.devicePath.clear();
        entry.deviceInstance.clear();
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
            if (row < 0) continue;
            list[static_cast<size_t>(row)].deviceInstance = HidInstanceOf(candidatePath);
            result.arrivals.push_back(row);
        }
        record_.ReleasePaths();
    }
    return result;
}
