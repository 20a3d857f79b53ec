#include "tests/platform/bus/PrivateSessionBus.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
constexpr const char* kAddressVariable = "DBUS_SESSION_BUS_ADDRESS";

std::optional<std::string> CurrentAddress() {
    const char* value = std::getenv(kAddressVariable);
    if (!value) return std::nullopt;
    return std::string(value);
}

void RestoreAddress(const std::optional<std::string>& previous) {
    if (previous)
        setenv(kAddressVariable, previous->c_str(), 1);
    else
        unsetenv(kAddressVariable);
}

std::string ReadLine(FILE* stream) {
    char buffer[512];
    if (!std::fgets(buffer, sizeof buffer, stream)) return {};
    std::string line = buffer;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}
}  // namespace

PrivateSessionBus::PrivateSessionBus() : previousAddress_(CurrentAddress()) {
    // The forking daemon prints its address, then its pid, and the launching process exits.
    FILE* launcher = popen("dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1", "r");
    if (!launcher) return;
    address_ = ReadLine(launcher);
    std::string pid = ReadLine(launcher);
    pclose(launcher);
    if (address_.empty() || pid.empty()) return;
    pid_ = static_cast<pid_t>(std::atoi(pid.c_str()));
    setenv(kAddressVariable, address_.c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
    if (pid_ > 0) kill(pid_, SIGTERM);
    RestoreAddress(previousAddress_);
}

void PrivateSessionBus::Kill() {
    if (pid_ > 0) kill(pid_, SIGKILL);
    pid_ = -1;
}

NoSessionBus::NoSessionBus() : previousAddress_(CurrentAddress()) {
    setenv(kAddressVariable, "unix:path=/nonexistent/zorv-no-bus", 1);
}

NoSessionBus::~NoSessionBus() { RestoreAddress(previousAddress_); }
