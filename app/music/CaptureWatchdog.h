#pragma once
// The capture program's watchdog (worker slot 1): once a second, whether the program's named
// mutex is held. A change is posted to the main window (wParam 1: the program runs now, 0: it
// ended), so that a crash is reported once and a restarted program is linked again.
#include "platform/WorkerThread.h"
#include "toolkit/UIDefs.h"

inline constexpr uint32_t kCaptureWatchIntervalMs = 1000;
inline constexpr const char kCaptureWatchdogExitLine[] = "AudioDaemonThreadPrc stop";

struct CaptureWatchdogParams {
    DuiLib::HWND window = 0;
    DuiLib::UINT message = 0;
    uint32_t intervalMs = kCaptureWatchIntervalMs;
};

void RunCaptureWatchdog(const WorkerArgs& args, const CaptureWatchdogParams& params);
