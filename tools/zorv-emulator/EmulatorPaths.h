#pragma once
// Where emulated interfaces live: one "<name>.sock" per interface and one "<name>.ctl" control
// socket per emulator in a private directory of the user.
#include <string>

namespace emu {

inline constexpr const char* kDefaultEmulatorName = "zorv-keyboard";

// $ZORV_HID_EMULATOR_DIR, else $XDG_RUNTIME_DIR/zorv-hid, else /tmp/zorv-hid-<uid>.
std::string DefaultEmulatorDir();
// Creates the directory (mode 0700) when missing; refuses one that is not a directory of this user.
bool PrepareEmulatorDir(const std::string& dir, std::string& error);
// Letters, digits, '.', '_' and '-', not starting with '.', at most 64 characters.
bool IsValidEmulatorName(const std::string& name);

std::string HidSocketPath(const std::string& dir, const std::string& name);
std::string ControlSocketPath(const std::string& dir, const std::string& name);

}  // namespace emu
