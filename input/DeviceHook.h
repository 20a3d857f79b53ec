#pragma once
// The input hook of the main window: the program's keyboard hook and the mouse hook library,
// switched on for key capture and macro recording and off again.
#include <cstdint>
#include <string>

#include "toolkit/UIDefs.h"

// The mouse hook library's two entry points.
int InstallHook(DuiLib::HWND window, int mode);
int UnInstallHook(DuiLib::HWND window);

class CDeviceHook {
public:
    CDeviceHook() = default;
    virtual ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    // Removes an installed keyboard hook, installs the keyboard hook (failure ends here) and asks
    // the mouse hook library for its hooks (its result is not used).
    bool Start(uint32_t value, int mode, DuiLib::HWND window, bool useKeyboardHook, bool useHookLibrary);
    // Removes the keyboard hook and the library's hooks; 1 when a keyboard hook was removed.
    int Stop();

    int Mode() const { return mode_; }
    bool KeyboardHookInstalled() const { return keyboardHook_; }
    bool HookLibraryInstalled() const { return hookLibrary_; }
    // Why the last Start failed.
    std::string LastError() const;

private:
    bool keyboardHook_ = false;
    bool hookLibrary_ = false;
    DuiLib::HWND window_ = 0;
    int mode_ = 0;
    uint32_t value_ = 0;
};
