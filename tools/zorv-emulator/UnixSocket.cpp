#include "tools/zorv-emulator/UnixSocket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace emu {

namespace {
bool FillAddress(const std::string& path, sockaddr_un& address, std::string& error) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = "socket path too long (" + std::to_string(path.size()) + " characters): " + path;
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool SomeoneListens(const std::string& path, int type) {
    std::string ignored;
    int fd = ConnectUnixSocket(path, type, ignored);
    if (fd < 0) return false;
    close(fd);
    return true;
}
}  // namespace

int ConnectUnixSocket(const std::string& path, int type, std::string& error) {
    sockaddr_un address;
    if (!FillAddress(path, address, error)) return -1;
    int fd = socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = path + ": " + std::strerror(errno);
        close(fd);
        return -1;
    }
    return fd;
}

int ListenUnixSocket(const std::string& path, int type, std::string& error) {
    sockaddr_un address;
    std::string staging = path + ".new";
    if (!FillAddress(staging, address, error)) return -1;
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            error = path + " exists and is not a socket";
            return -1;
        }
        if (SomeoneListens(path, type)) {
            error = "another emulator already serves " + path;
            return -1;
        }
        unlink(path.c_str());
    }
    int fd = socket(AF_UNIX, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    unlink(staging.c_str());
    // Bound and listening under a staging name first, so a scanner never meets a file that refuses.
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0 ||
        rename(staging.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        close(fd);
        unlink(staging.c_str());
        return -1;
    }
    return fd;
}

void CloseSocket(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace emu
