#pragma once
// A dbus-daemon of the test's own, made the session bus of this process while the object lives.
#include <sys/types.h>

#include <optional>
#include <string>

class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool Started() const { return pid_ > 0; }
    const std::string& Address() const { return address_; }
    // Ends the daemon now, as a crashed session bus would.
    void Kill();

private:
    std::string address_;
    pid_t pid_ = -1;
    std::optional<std::string> previousAddress_;
};

// Points the session bus at a socket nobody listens on, while the object lives.
class NoSessionBus {
public:
    NoSessionBus();
    ~NoSessionBus();

private:
    std::optional<std::string> previousAddress_;
};
