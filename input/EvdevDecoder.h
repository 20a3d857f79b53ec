#pragma once
// Turns a stream of evdev input events into key and button events, and tells which nodes are
// keyboards (the nodes grabbed while keys are swallowed). Free of device access, so recorded
// streams and in-memory devices test it.
#include <linux/input.h>

#include <optional>
#include <variant>

#include "input/InputBackend.h"

struct libevdev;

using DecodedInput = std::variant<std::monostate, CapturedKey, CapturedButton>;

class CEvdevDecoder {
public:
    explicit CEvdevDecoder(PointerPositionFn pointer = {}) : pointer_(std::move(pointer)) {}
    // One event of a node; a key or button change gives its event, everything else nothing.
    DecodedInput Decode(const input_event& event) const;

private:
    PointerPositionFn pointer_;
};

// A node with letter keys: its events are keys and it is grabbed while keys are swallowed.
bool IsKeyboardNode(const libevdev* device);
// A node with a left button: its buttons are recorded, it is never grabbed.
bool IsPointerNode(const libevdev* device);
