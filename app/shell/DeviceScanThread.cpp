#include "app/shell/DeviceScanThread.h"

#include <algorithm>
#include <set>

#include "app/shell/AppMessages.h"
#include "toolkit/WindowMessages.h"
#include "device/hid/HidHotplugMonitor.h"
#include "device/hid/HidPath.h"
#include "platform/DebugOutput.h"

namespace {

// A socket file appears before its emulator listens, and a node may lag its notice: a notice that
// found nothing new is looked at again a few times, this far apart.
constexpr uint32_t kNoticeRetryMs = 10;
constexpr int kNoticeRetries = 10;

}  // namespace

ScanChanges CKnownInterfaceScanner::RunPass(InterfaceList& list, const std::vector<std::string>& goneLocations) {
    ScanChanges result;
    std::set<std::string> present;
    if (record_.EnumeratePaths()) {
        while (const char* path = record_.NextPath()) present.insert(path);
        record_.ReleasePaths();
    }
    for (size_t i = 0; i < list.size(); ++i) {
        DeviceInterfaceEntry& entry = list[i];
        if (!entry.present) continue;
        const bool gone = !present.count(entry.devicePath) ||
                          std::find(goneLocations.begin(), goneLocations.end(), PathLocation(entry.devicePath)) !=
                              goneLocations.end();
        if (!gone) continue;
        entry.present = 0;
        entry.devicePath.clear();
        result.removals.push_back(static_cast<int>(i));
    }
    for (const std::string& path : present) {
        if (!AnyRowFree(list)) break;
        if (!PassesPrecheck(list, path)) continue;
        InterfaceCandidate candidate;
        if (!ProbeCandidate(record_, path, candidate)) continue;
        const int row = MatchInterface(list, candidate);
        if (row >= 0) result.arrivals.push_back(row);
    }
    return result;
}

void RunDeviceScanThread(const WorkerArgs& args) {
    const auto& params = *static_cast<const DeviceScanParams*>(args.owner);
    CKnownInterfaceScanner scanner;
    CHidHotplugMonitor monitor;
    bool firstPassDone = false;
    std::vector<std::string> gone;
    int retries = 0;
    for (;;) {
        ScanChanges changes;
        {
            CriticalSectionLock hold(params.models->lock);
            changes = scanner.RunPass(params.models->rows, gone);
        }
        gone.clear();
        // Removals first: a device that left and came back in one pass frees its row before it
        // takes it again.
        for (int row : changes.removals) DuiLib::SendMessage(params.window, AppMsg::kDeviceRemoval, row, 0);
        for (int row : changes.arrivals) DuiLib::SendMessage(params.window, AppMsg::kDeviceArrival, row, 0);
        if (!firstPassDone) {
            firstPassDone = true;
            DuiLib::PostMessage(params.window, UWM_APP_INSTANCE, 0, 0);
        }
        if (!changes.arrivals.empty() || !changes.removals.empty()) retries = 0;
        const WorkerWake wake =
            WorkerWaitFd(args, monitor.Fd(), retries > 0 ? kNoticeRetryMs : params.passIntervalMs);
        if (wake == WorkerWake::Stop) break;
        if (retries > 0) --retries;
        if (wake == WorkerWake::Ready && monitor.Drain(gone)) retries = kNoticeRetries;
        monitor.WatchEmulatorFolder();
    }
    DebugOutput("抓取设备线程设定退出");
}
