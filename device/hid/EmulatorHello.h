#pragma once
// The first packet an emulated device sends (protocol version 1): a UTF-8 JSON object
// {"vid":int,"pid":int,"version":int,"interface":int,"name":str,"descriptor":"<hex>"}.
#include <string>

#include "device/hid/HidTransport.h"

struct EmulatorHello {
    HidInterfaceInfo info;
    std::string name;
};

// False with a reason when the text is not a valid hello.
bool ParseEmulatorHello(const std::string& text, EmulatorHello& hello, std::string& error);
