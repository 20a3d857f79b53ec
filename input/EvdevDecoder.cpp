#include "input/EvdevDecoder.h"

#include <libevdev/libevdev.h>

namespace {

constexpr int kReleased = 0;
constexpr int kPressed = 1;
constexpr int kAutoRepeat = 2;

std::optional<MouseButton> ButtonOfCode(unsigned code) {
    switch (code) {
    case BTN_LEFT: return MouseButton::Left;
    case BTN_RIGHT: return MouseButton::Right;
    case BTN_MIDDLE: return MouseButton::Middle;
    case BTN_SIDE:
    case BTN_BACK: return MouseButton::Back;
    case BTN_EXTRA:
    case BTN_FORWARD: return MouseButton::Forward;
    default: return std::nullopt;
    }
}

uint32_t Milliseconds(const input_event& event) {
    return static_cast<uint32_t>(event.input_event_sec * 1000u + event.input_event_usec / 1000u);
}

}  // namespace

DecodedInput CEvdevDecoder::Decode(const input_event& event) const {
    if (event.type != EV_KEY) return {};
    if (event.value != kReleased && event.value != kPressed && event.value != kAutoRepeat) return {};
    if (const std::optional<MouseButton> button = ButtonOfCode(event.code)) {
        if (event.value == kAutoRepeat) return {};
        CapturedButton captured;
        captured.button = *button;
        captured.down = event.value == kPressed;
        if (pointer_) captured.pt = pointer_();
        captured.timeMs = Milliseconds(event);
        return captured;
    }
    // Keyboard keys end below the button range; joystick and other buttons are not keys.
    if (event.code >= BTN_MISC && event.code < KEY_OK) return {};
    CapturedKey key;
    key.linuxKey = event.code;
    key.down = event.value != kReleased;
    key.repeat = event.value == kAutoRepeat;
    key.timeMs = Milliseconds(event);
    return key;
}

bool IsKeyboardNode(const libevdev* device) {
    return device && libevdev_has_event_code(device, EV_KEY, KEY_A) && libevdev_has_event_code(device, EV_KEY, KEY_Z) &&
           libevdev_has_event_code(device, EV_KEY, KEY_SPACE);
}

bool IsPointerNode(const libevdev* device) {
    return device && libevdev_has_event_code(device, EV_KEY, BTN_LEFT);
}
