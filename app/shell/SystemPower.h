#pragma once
// System suspend and resume: logind's PrepareForSleep becomes the main window's power broadcast.
#include <atomic>

#include "toolkit/UIDefs.h"
#include "platform/bus/SystemSignalWatch.h"

// 0 from the suspend notice until the resume; the window ignores most input meanwhile.
extern std::atomic<int> systemAwake;

inline constexpr DuiLib::UINT WM_POWERBROADCAST = 0x0218;
inline constexpr DuiLib::WPARAM PBT_APMSUSPEND = 4;
inline constexpr DuiLib::WPARAM PBT_APMRESUMEAUTOMATIC = 18;

// The power broadcast event of a PrepareForSleep(b) signal.
constexpr DuiLib::WPARAM PowerEventOfSleepSignal(bool goingToSleep) {
    return goingToSleep ? PBT_APMSUSPEND : PBT_APMRESUMEAUTOMATIC;
}

// Posts WM_POWERBROADCAST to the window for every sleep notice of the system bus.
class CSystemSleepWatch {
public:
    // False without a system bus (logged); the program then never sees a suspend.
    bool Start(DuiLib::HWND window);
    void Stop() { watch_.Stop(); }

private:
    SystemSignalWatch watch_;
};
