#pragma once
// "zorv-emulator run --product 0x1630" (the headset) or "0x6110" (the mouse pad): serves the
// emulated accessory until SIGINT or SIGTERM. The accessories have no control socket.
#include <string>

#include "tools/zorv-emulator/HeadsetFirmware.h"

namespace emu {

// The accessory a --product value names ("0x1630", "0x6110", decimal too), or null.
const AccessoryModel* AccessoryOfProductOption(const std::string& product);
// Exit code as the keyboard's run: 0 after a stop signal, 1 when it could not start.
int RunAccessory(const AccessoryModel& model, const std::string& name, const std::string& dir);

}  // namespace emu
