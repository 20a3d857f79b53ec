#include "app/shell/SystemPower.h"

#include "toolkit/WindowMessages.h"

std::atomic<int> systemAwake{1};

namespace {
constexpr const char kLogindPath[] = "/org/freedesktop/login1";
constexpr const char kLogindManager[] = "org.freedesktop.login1.Manager";
constexpr const char kSleepSignal[] = "PrepareForSleep";
}  // namespace

bool CSystemSleepWatch::Start(DuiLib::HWND window) {
    return watch_.Start(kLogindPath, kLogindManager, kSleepSignal, [window](bool goingToSleep) {
        DuiLib::PostMessage(window, WM_POWERBROADCAST, PowerEventOfSleepSignal(goingToSleep), 0);
    });
}
