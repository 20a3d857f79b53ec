#include "platform/Folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

std::string FromEnvOrHome(const char* variable, const char* belowHome) {
    if (const char* v = std::getenv(variable); v && *v == '/') return WithSlash(v);
    return WithSlash(HomeFolder() + "/" + belowHome);
}
}  // namespace

std::string ProgramFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "./";
    return WithSlash(exe.parent_path().string());
}

std::string LocalAppDataFolder() { return FromEnvOrHome("XDG_DATA_HOME", ".local/share"); }

std::string ConfigFolder() { return FromEnvOrHome("XDG_CONFIG_HOME", ".config"); }

std::string TempFolder() {
    if (const char* v = std::getenv("TMPDIR"); v && *v) return WithSlash(v);
    return "/tmp/";
}

bool EnsureFolder(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}
