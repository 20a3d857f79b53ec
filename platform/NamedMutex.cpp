#include "platform/NamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

NamedMutex::~NamedMutex() { Close(); }

std::string NamedMutex::LockPath(const std::string& name) {
    std::string folder = "/tmp";
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat st {};
        if (stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) folder = runtime;
    }
    std::string file = name;
    for (char& c : file)
        if (c == '/') c = '_';
    return folder + "/" + file + ".lock";
}

NamedMutex::CreateResult NamedMutex::Create(const std::string& name) {
    if (fd_ >= 0) return CreateResult::Owned;
    const std::string path = LockPath(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return CreateResult::Failed;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? CreateResult::AlreadyExists : CreateResult::Failed;
    }
    fd_ = fd;
    return CreateResult::Owned;
}

void NamedMutex::Close() {
    if (fd_ < 0) return;
    // The file stays: removing it would let a racing start lock a fresh inode beside ours.
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

bool NamedMutex::IsHeld(const std::string& name) {
    const int fd = ::open(LockPath(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    int rc;
    do {
        rc = ::flock(fd, LOCK_SH | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    const bool held = rc != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // also releases the probe's shared lock
    return held;
}
