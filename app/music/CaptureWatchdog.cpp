#include "app/music/CaptureWatchdog.h"

#include "app/music/CaptureProtocol.h"
#include "platform/DebugOutput.h"
#include "platform/NamedMutex.h"
#include "toolkit/WindowMessages.h"

void RunCaptureWatchdog(const WorkerArgs& args, const CaptureWatchdogParams& params) {
    const std::string name = capture::MutexName();
    bool running = NamedMutex::IsHeld(name);
    while (WorkerPause(args, params.intervalMs)) {
        const bool now = NamedMutex::IsHeld(name);
        if (now == running) continue;
        running = now;
        DuiLib::PostMessage(params.window, params.message, running ? 1 : 0, 0);
    }
    DebugOutput(kCaptureWatchdogExitLine);
}
