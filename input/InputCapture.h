#pragma once
// The process-wide owner of the input backend. The keyboard hook and the mouse hook library are
// two clients of it: while either is installed the backend runs, and each captured event reaches
// its client's window as the hook message of the client's mode, on the UI thread.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "input/InputBackend.h"

class CUiThreadQueue;

class CInputCapture : public IInputSink {
public:
    using BackendFactory = std::function<std::vector<std::unique_ptr<IInputBackend>>()>;

    // UI thread only.
    static CInputCapture& Instance();

    // The backends to try, in order; an empty factory brings back the default: X11 then evdev
    // (evdev first in a Wayland session, and only the one named by ZORV_INPUT_BACKEND, "x11" or
    // "evdev", when that is set).
    void SetBackendFactory(BackendFactory factory) { factory_ = std::move(factory); }
    void SetPointerPosition(PointerPositionFn pointer) { pointer_ = std::move(pointer); }

    // The keyboard hook: keys reach the window as the mode's message and are swallowed, except
    // the lock keys. False, with LastError, when no backend can capture.
    bool InstallKeyboardHook(DuiLib::HWND window, int mode);
    void RemoveKeyboardHook();
    // The mouse hook library: buttons reach the window as the mode's mouse message.
    bool InstallMouseHook(DuiLib::HWND window, int mode);
    void RemoveMouseHook();

    bool KeyboardHookInstalled() const { return keyHook_.installed; }
    bool MouseHookInstalled() const { return mouseHook_.installed; }
    // "X11", "evdev", or "" while no backend runs.
    std::string BackendName() const;
    const std::string& LastError() const { return lastError_; }
    // Drops the backend and every hook (tests, and the end of the program).
    void Reset();

    // IInputSink, on the backend's thread.
    void OnKey(const CapturedKey& key) override;
    void OnButton(const CapturedButton& button) override;

private:
    struct HookState {
        bool installed = false;
        DuiLib::HWND window = 0;
        int mode = 0;
    };

    CInputCapture() = default;
    ~CInputCapture() override;
    std::vector<std::unique_ptr<IInputBackend>> DefaultBackends();
    bool EnsureBackend();
    void CloseIfIdle();
    void DeliverKey(const CapturedKey& key);
    void DeliverButton(const CapturedButton& button);

    BackendFactory factory_;
    PointerPositionFn pointer_;
    std::unique_ptr<IInputBackend> backend_;
    std::unique_ptr<CUiThreadQueue> queue_;
    HookState keyHook_;
    HookState mouseHook_;
    bool keysGrabbed_ = false;
    std::string lastError_;
};
