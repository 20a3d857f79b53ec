#pragma once
// A source of the desktop's keyboard and mouse events: X11 (XInput2) or, in Wayland sessions,
// the evdev nodes the user may read. Events are handed to the sink on the backend's own thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/UIDefs.h"

enum class MouseButton { Left, Right, Middle, Back, Forward };

struct CapturedKey {
    uint16_t linuxKey = 0;  // KEY_* of linux/input-event-codes.h
    bool down = false;
    bool repeat = false;
    uint32_t timeMs = 0;
};

struct CapturedButton {
    MouseButton button = MouseButton::Left;
    bool down = false;
    DuiLib::POINT pt;  // screen coordinates of the pointer
    uint32_t timeMs = 0;
};

class IInputSink {
public:
    virtual ~IInputSink() = default;
    virtual void OnKey(const CapturedKey& key) = 0;
    virtual void OnButton(const CapturedButton& button) = 0;
};

class IInputBackend {
public:
    virtual ~IInputBackend() = default;
    virtual const char* Name() const = 0;
    // Starts handing every key and button event to the sink; false with the reason otherwise.
    virtual bool Open(IInputSink& sink, std::string& error) = 0;
    virtual void Close() = 0;
    // While on, no other program sees the keys, except Caps Lock, Num Lock and Scroll Lock.
    virtual bool SetKeyGrab(bool on, std::string& error) = 0;
};

// Where the pointer is, for backends that cannot ask the desktop (Wayland).
using PointerPositionFn = std::function<DuiLib::POINT()>;

// The X11 backend when $DISPLAY names a server with XInput 2.2, else the evdev backend.
std::unique_ptr<IInputBackend> MakeX11InputBackend();
std::unique_ptr<IInputBackend> MakeEvdevInputBackend(PointerPositionFn pointer, std::string nodeFolder = "/dev/input");
