#pragma once
// A machine-wide named mutex for one user session: an exclusive flock on
// $XDG_RUNTIME_DIR/<name>.lock (else /tmp). The lock goes with the process, so a crashed first
// instance never blocks the next start.
#include <string>

class NamedMutex {
public:
    enum class CreateResult { Owned, AlreadyExists, Failed };

    NamedMutex() = default;
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // Takes the lock if nobody holds it. Failed means the lock file could not be opened at all.
    CreateResult Create(const std::string& name);
    void Close();
    bool Owned() const { return fd_ >= 0; }
    // Whether another holder has the lock now, without taking it (a shared probe that is released
    // at once). False when nobody holds it or the lock file does not exist.
    static bool IsHeld(const std::string& name);
    // Where the lock of a name lives (names with "/" are flattened so the file stays in the folder).
    static std::string LockPath(const std::string& name);

private:
    int fd_ = -1;
};
