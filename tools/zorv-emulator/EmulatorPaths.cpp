#include "tools/zorv-emulator/EmulatorPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/Folders.h"

namespace emu {

namespace {
std::string WithoutTrailingSlash(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : "";
}
}  // namespace

std::string DefaultEmulatorDir() {
    if (std::string dir = Environment("ZORV_HID_EMULATOR_DIR"); !dir.empty()) return WithoutTrailingSlash(dir);
    if (std::string runtime = Environment("XDG_RUNTIME_DIR"); !runtime.empty())
        return WithoutTrailingSlash(runtime) + "/zorv-hid";
    return "/tmp/zorv-hid-" + std::to_string(getuid());
}

bool PrepareEmulatorDir(const std::string& dir, std::string& error) {
    std::string parent = dir.substr(0, dir.find_last_of('/'));
    if (!parent.empty() && !EnsureFolder(parent)) {
        error = "cannot create " + parent;
        return false;
    }
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + dir + ": " + std::strerror(errno);
        return false;
    }
    // Sockets in a directory another user controls could be swapped under us.
    struct stat info {};
    if (lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = dir + " is not a directory";
        return false;
    }
    if (info.st_uid != getuid()) {
        error = dir + " belongs to another user";
        return false;
    }
    return true;
}

bool IsValidEmulatorName(const std::string& name) {
    if (name.empty() || name.size() > 64 || name[0] == '.') return false;
    for (char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                     c == '_' || c == '-';
        if (!plain) return false;
    }
    return true;
}

std::string HidSocketPath(const std::string& dir, const std::string& name) {
    return WithoutTrailingSlash(dir) + "/" + name + ".sock";
}

std::string ControlSocketPath(const std::string& dir, const std::string& name) {
    return WithoutTrailingSlash(dir) + "/" + name + ".ctl";
}

}  // namespace emu
