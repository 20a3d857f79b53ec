#include "input/DeviceHook.h"

#include "input/InputCapture.h"

int InstallHook(DuiLib::HWND window, int mode) { return CInputCapture::Instance().InstallMouseHook(window, mode) ? 1 : 0; }

int UnInstallHook(DuiLib::HWND) {
    CInputCapture::Instance().RemoveMouseHook();
    return 1;
}

CDeviceHook::~CDeviceHook() { Stop(); }

bool CDeviceHook::Start(uint32_t value, int mode, DuiLib::HWND window, bool useKeyboardHook, bool useHookLibrary) {
    CInputCapture& capture = CInputCapture::Instance();
    if (keyboardHook_) {
        capture.RemoveKeyboardHook();
        keyboardHook_ = false;
    }
    if (useKeyboardHook) {
        if (!capture.InstallKeyboardHook(window, mode)) return false;
        keyboardHook_ = true;
    }
    if (useHookLibrary) {
        InstallHook(window, mode);
        hookLibrary_ = true;
    }
    value_ = value;
    window_ = window;
    mode_ = mode;
    return true;
}

int CDeviceHook::Stop() {
    const int removed = keyboardHook_ ? 1 : 0;
    if (keyboardHook_) CInputCapture::Instance().RemoveKeyboardHook();
    keyboardHook_ = false;
    if (hookLibrary_) UnInstallHook(window_);
    hookLibrary_ = false;
    return removed;
}

std::string CDeviceHook::LastError() const { return CInputCapture::Instance().LastError(); }
