#pragma once
// Device kind and interface role codes shared by the model tables and every engine.
#include <cstdint>

enum DeviceKind : uint16_t {
    kKindKeyboard = 1,
    kKindMouse = 2,
    kKindMousePad = 3,
    kKindMouseViaReceiver = 6,
    kKindHeadset = 7,
    kKindKeyboardViaReceiver = 9,
};

enum InterfaceRole : uint16_t {
    kRoleCommand = 0,   // the collection the command channel talks to
    kRoleEvent = 255,   // the collection whose input reports carry device events
};
