#include "app/shell/DeviceScanThread.h"

#include "app/shell/AppMessages.h"
#include "toolkit/WindowMessages.h"
#include "device/registry/InterfaceScanner.h"
#include "platform/DebugOutput.h"

void RunDeviceScanThread(const WorkerArgs& args) {
    const auto& params = *static_cast<const DeviceScanParams*>(args.owner);
    CInterfaceScanner scanner;
    bool firstPassDone = false;
    while (WorkerKeepRunning(args)) {
        ScanPassResult changes;
        {
            CriticalSectionLock hold(params.models->lock);
            changes = scanner.RunScanPass(params.models->rows);
        }
        // Removals first: a device that left and came back in one pass frees its row before it
        // takes it again.
        for (int row : changes.removals) DuiLib::SendMessage(params.window, AppMsg::kDeviceRemoval, row, 0);
        for (int row : changes.arrivals) DuiLib::SendMessage(params.window, AppMsg::kDeviceArrival, row, 0);
        if (!firstPassDone) {
            firstPassDone = true;
            DuiLib::PostMessage(params.window, UWM_APP_INSTANCE, 0, 0);
        }
        if (!WorkerPause(args, params.passIntervalMs)) break;
    }
    DebugOutput("抓取设备线程设定退出");
}
