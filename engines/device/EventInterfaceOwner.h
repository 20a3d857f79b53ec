#pragma once
// An engine that listens to its product's event interface (mouse, mouse pad, headset). The device
// list hands it the interface's path when it arrives and takes it back when it leaves; the
// keyboard keeps its own records for its two connections.
#include <string>

class IEventInterfaceOwner {
public:
    virtual ~IEventInterfaceOwner() = default;
    // Opens the path and starts the listener, unless one is open already.
    virtual void OpenEventInterface(const std::string& path, int deviceKind) = 0;
    // Stops the listener and closes the interface.
    virtual void CloseEventInterface(int deviceKind) = 0;
};
