#pragma once
// Unix-domain socket helpers shared by the interface and the control sockets.
#include <string>

namespace emu {

// A non-blocking listening socket at path. A stale file left by a dead emulator is replaced; a
// path some live process still serves is refused. The file appears only once it accepts.
int ListenUnixSocket(const std::string& path, int type, std::string& error);
// A blocking connection; -1 with the reason.
int ConnectUnixSocket(const std::string& path, int type, std::string& error);
void CloseSocket(int& fd);

}  // namespace emu
