#include "input/InputCapture.h"

#include <cstdlib>
#include <string_view>

#include "engines/device/UiThreadQueue.h"
#include "input/HookMessages.h"
#include "input/KeyCaptureTable.h"
#include "platform/DebugOutput.h"
#include "toolkit/WindowMessages.h"

namespace {

bool WaylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (type && std::string_view(type) == "wayland") || std::getenv("WAYLAND_DISPLAY");
}

struct MouseMessages {
    DuiLib::UINT down;
    DuiLib::UINT up;
    uint32_t xButton;  // high word of the mouse data
};

MouseMessages MessagesOf(MouseButton button) {
    switch (button) {
    case MouseButton::Left: return {kMsgLButtonDown, kMsgLButtonUp, 0};
    case MouseButton::Right: return {kMsgRButtonDown, kMsgRButtonUp, 0};
    case MouseButton::Middle: return {kMsgMButtonDown, kMsgMButtonUp, 0};
    case MouseButton::Back: return {kMsgXButtonDown, kMsgXButtonUp, kXButtonBack};
    case MouseButton::Forward: return {kMsgXButtonDown, kMsgXButtonUp, kXButtonForward};
    }
    return {0, 0, 0};
}

}  // namespace

CInputCapture& CInputCapture::Instance() {
    static CInputCapture capture;
    return capture;
}

std::vector<std::unique_ptr<IInputBackend>> CInputCapture::DefaultBackends() {
    std::vector<std::unique_ptr<IInputBackend>> backends;
    const char* only = std::getenv("ZORV_INPUT_BACKEND");
    const std::string_view choice = only ? only : "";
    auto evdev = [this] { return MakeEvdevInputBackend([this] { return pointer_ ? pointer_() : DuiLib::POINT{}; }); };
    if (choice == "x11") {
        backends.push_back(MakeX11InputBackend());
    } else if (choice == "evdev") {
        backends.push_back(evdev());
    } else if (WaylandSession()) {
        backends.push_back(evdev());
        backends.push_back(MakeX11InputBackend());
    } else {
        backends.push_back(MakeX11InputBackend());
        backends.push_back(evdev());
    }
    return backends;
}

CInputCapture::~CInputCapture() { Reset(); }

void CInputCapture::Reset() {
    keyHook_ = {};
    mouseHook_ = {};
    keysGrabbed_ = false;
    if (backend_) backend_->Close();
    backend_.reset();
    queue_.reset();
}

std::string CInputCapture::BackendName() const { return backend_ ? backend_->Name() : ""; }

bool CInputCapture::EnsureBackend() {
    if (backend_) return true;
    if (!queue_) queue_ = std::make_unique<CUiThreadQueue>();
    std::string reasons;
    for (std::unique_ptr<IInputBackend>& candidate : factory_ ? factory_() : DefaultBackends()) {
        std::string error;
        if (candidate->Open(*this, error)) {
            backend_ = std::move(candidate);
            DebugOutput(std::string("input: capturing through ") + backend_->Name());
            lastError_.clear();
            return true;
        }
        if (!reasons.empty()) reasons += "; ";
        reasons += std::string(candidate->Name()) + ": " + error;
    }
    lastError_ = reasons.empty() ? "no input backend" : reasons;
    DebugOutput("input: no capture possible (" + lastError_ + ")");
    return false;
}

void CInputCapture::CloseIfIdle() {
    if (keyHook_.installed || mouseHook_.installed || !backend_) return;
    backend_->Close();
    backend_.reset();
    keysGrabbed_ = false;
}

bool CInputCapture::InstallKeyboardHook(DuiLib::HWND window, int mode) {
    if (!EnsureBackend()) return false;
    if (!keysGrabbed_) {
        std::string error;
        if (!backend_->SetKeyGrab(true, error)) {
            lastError_ = error;
            CloseIfIdle();
            return false;
        }
        if (!error.empty()) DebugOutput("input: " + error);
        keysGrabbed_ = true;
    }
    keyHook_ = {true, window, mode};
    return true;
}

void CInputCapture::RemoveKeyboardHook() {
    if (!keyHook_.installed) return;
    keyHook_ = {};
    if (backend_ && keysGrabbed_) {
        std::string ignored;
        backend_->SetKeyGrab(false, ignored);
    }
    keysGrabbed_ = false;
    CloseIfIdle();
}

bool CInputCapture::InstallMouseHook(DuiLib::HWND window, int mode) {
    if (!EnsureBackend()) return false;
    mouseHook_ = {true, window, mode};
    return true;
}

void CInputCapture::RemoveMouseHook() {
    mouseHook_ = {};
    CloseIfIdle();
}

void CInputCapture::OnKey(const CapturedKey& key) {
    queue_->Post([this, key] { DeliverKey(key); });
}

void CInputCapture::OnButton(const CapturedButton& button) {
    queue_->Post([this, button] { DeliverButton(button); });
}

void CInputCapture::DeliverKey(const CapturedKey& key) {
    // A hook removed meanwhile sends nothing more.
    if (!keyHook_.installed) return;
    const std::optional<HookMsg> message = KeyboardMessageForMode(keyHook_.mode);
    const std::optional<ScanCode> scan = ScanCodeOfLinuxKey(key.linuxKey);
    if (!message || !scan) return;
    KeyboardHookRecord record;
    record.scanCode = scan->code;
    record.flags = scan->extended ? kKeyFlagExtended : 0;
    record.time = key.timeMs;
    if (const std::optional<size_t> row = FindCaptureRow(scan->code, scan->extended))
        record.vkCode = kCaptureTable[*row].vkCode;
    DuiLib::SendMessage(keyHook_.window, HookMessage(*message), key.down ? kMsgKeyDown : kMsgKeyUp,
                        reinterpret_cast<DuiLib::LPARAM>(&record));
}

void CInputCapture::DeliverButton(const CapturedButton& button) {
    if (!mouseHook_.installed) return;
    const std::optional<HookMsg> message = MouseMessageForMode(mouseHook_.mode);
    if (!message) return;
    const MouseMessages messages = MessagesOf(button.button);
    MouseHookRecord record;
    record.pt = button.pt;
    record.mouseData = messages.xButton << 16;
    record.time = button.timeMs;
    DuiLib::SendMessage(mouseHook_.window, HookMessage(*message), button.down ? messages.down : messages.up,
                        reinterpret_cast<DuiLib::LPARAM>(&record));
}
