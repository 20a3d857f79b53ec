// X11: XInput2 raw events on the root window for every key and button of the desktop, and passive
// grabs of every key but the lock keys while keys are to be swallowed. The grabs keep the keys from
// every other client, the focused one included, and hand them to us as core events; the server
// does not always send the raw release of a grabbed key, so while grabbing the keys are taken from
// the core events and only the lock keys from the raw ones.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <optional>

#include "input/InputBackend.h"
#include "input/KeyCaptureTable.h"
#include "platform/DebugOutput.h"
#include "platform/WorkerThread.h"

namespace {

// X key codes are Linux key numbers + 8 on every evdev-based server.
constexpr int kKeycodeOffset = 8;
constexpr uint32_t kStopTimeoutMs = 1000;

std::atomic<int> g_grabErrors{0};

int CountGrabError(Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess) g_grabErrors.fetch_add(1);
    return 0;
}

std::optional<MouseButton> ButtonOfX(int detail) {
    switch (detail) {
    case 1: return MouseButton::Left;
    case 2: return MouseButton::Middle;
    case 3: return MouseButton::Right;
    case 8: return MouseButton::Back;
    case 9: return MouseButton::Forward;
    default: return std::nullopt;
    }
}

class CX11InputBackend : public IInputBackend {
public:
    ~CX11InputBackend() override { Close(); }
    const char* Name() const override { return "X11"; }

    bool Open(IInputSink& sink, std::string& error) override {
        if (display_) return true;
        XInitThreads();
        display_ = XOpenDisplay(nullptr);
        if (!display_) {
            error = "no X display";
            return false;
        }
        int opcode = 0, event = 0, err = 0;
        int major = 2, minor = 2;
        if (!XQueryExtension(display_, "XInputExtension", &opcode, &event, &err) ||
            XIQueryVersion(display_, &major, &minor) != Success) {
            error = "the X server has no XInput 2.2";
            XCloseDisplay(display_);
            display_ = nullptr;
            return false;
        }
        xiOpcode_ = opcode;
        root_ = DefaultRootWindow(display_);
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
        XISetMask(bits, XI_RawButtonPress);
        XISetMask(bits, XI_RawButtonRelease);
        XIEventMask mask{XIAllMasterDevices, sizeof(bits), bits};
        XISelectEvents(display_, root_, &mask, 1);
        XSync(display_, False);
        sink_ = &sink;
        worker_.Start(this, [this](const WorkerArgs& args) { Run(args); }, kStopTimeoutMs);
        return true;
    }

    void Close() override {
        if (!display_) return;
        std::string ignored;
        SetKeyGrab(false, ignored);
        worker_.Stop(kStopTimeoutMs);
        XCloseDisplay(display_);
        display_ = nullptr;
        sink_ = nullptr;
    }

    bool SetKeyGrab(bool on, std::string& error) override {
        if (!display_) return !on;
        std::lock_guard<std::mutex> guard(lock_);
        if (on == grabbed_) return true;
        int minCode = 0, maxCode = 0;
        XDisplayKeycodes(display_, &minCode, &maxCode);
        XSync(display_, False);
        g_grabErrors = 0;
        XErrorHandler previous = XSetErrorHandler(CountGrabError);
        for (int code = minCode; code <= maxCode; ++code) {
            if (IsLockKey(static_cast<uint16_t>(code - kKeycodeOffset))) continue;
            if (on) XGrabKey(display_, code, AnyModifier, root_, False, GrabModeAsync, GrabModeAsync);
            else XUngrabKey(display_, code, AnyModifier, root_);
        }
        XSync(display_, False);
        XSetErrorHandler(previous);
        grabbed_ = on;
        // Another client holding some key combinations is not fatal: those few keys stay theirs.
        if (on && g_grabErrors > 0) {
            DebugOutput("input: " + std::to_string(g_grabErrors.load()) + " key grabs were refused by the X server");
            error = "some keys are grabbed by another program";
        }
        return true;
    }

private:
    void Run(const WorkerArgs& args) {
        pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {args.stopEvent->Fd(), POLLIN, 0}};
        for (;;) {
            DrainEvents();
            // Short waits: Xlib may have queued events that the socket no longer shows.
            if (poll(fds, 2, 1) < 0 && errno != EINTR) return;
            if (fds[1].revents & POLLIN) return;
        }
    }

    void DrainEvents() {
        std::unique_lock<std::mutex> guard(lock_);
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == KeyPress || event.type == KeyRelease) {
                CapturedKey key;
                key.linuxKey = static_cast<uint16_t>(event.xkey.keycode - kKeycodeOffset);
                key.down = event.type == KeyPress;
                key.timeMs = static_cast<uint32_t>(event.xkey.time);
                if (!grabbed_ || IsLockKey(key.linuxKey)) continue;
                guard.unlock();
                sink_->OnKey(key);
                guard.lock();
                continue;
            }
            XGenericEventCookie* cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != xiOpcode_ || !XGetEventData(display_, cookie))
                continue;
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            const int type = cookie->evtype;
            const uint32_t time = static_cast<uint32_t>(raw->time);
            if (type == XI_RawKeyPress || type == XI_RawKeyRelease) {
                CapturedKey key;
                key.linuxKey = static_cast<uint16_t>(raw->detail - kKeycodeOffset);
                key.down = type == XI_RawKeyPress;
                key.repeat = (raw->flags & XIKeyRepeat) != 0;
                key.timeMs = time;
                XFreeEventData(display_, cookie);
                if (grabbed_ && !IsLockKey(key.linuxKey)) continue;  // the grab's core event tells it
                guard.unlock();
                sink_->OnKey(key);
                guard.lock();
            } else if (type == XI_RawButtonPress || type == XI_RawButtonRelease) {
                const std::optional<MouseButton> button = ButtonOfX(raw->detail);
                XFreeEventData(display_, cookie);
                if (!button) continue;
                CapturedButton captured;
                captured.button = *button;
                captured.down = type == XI_RawButtonPress;
                captured.pt = PointerPosition();
                captured.timeMs = time;
                guard.unlock();
                sink_->OnButton(captured);
                guard.lock();
            } else {
                XFreeEventData(display_, cookie);
            }
        }
    }

    DuiLib::POINT PointerPosition() {
        Window rootReturn = 0, child = 0;
        int x = 0, y = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        XQueryPointer(display_, root_, &rootReturn, &child, &x, &y, &wx, &wy, &mask);
        return {x, y};
    }

    Display* display_ = nullptr;
    Window root_ = 0;
    int xiOpcode_ = 0;
    IInputSink* sink_ = nullptr;
    bool grabbed_ = false;
    std::mutex lock_;
    WorkerThread worker_;
};

}  // namespace

std::unique_ptr<IInputBackend> MakeX11InputBackend() { return std::make_unique<CX11InputBackend>(); }
