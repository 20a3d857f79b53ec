#include "device/hid/EmulatorBackend.h"

#include <dirent.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "device/hid/HidFdTransport.h"
#include "device/hid/HidPath.h"

namespace {

constexpr uint32_t kEnumerateHelloTimeoutMs = 100;
constexpr uint32_t kOpenHelloTimeoutMs = 1000;
constexpr size_t kMaxHelloBytes = 64 * 1024;
constexpr char kSocketSuffix[] = ".sock";

class EmulatorTransport : public HidFdTransport {
public:
    using HidFdTransport::HidFdTransport;

protected:
    ssize_t ReceiveReport(uint8_t* buffer, size_t capacity) override {
        return recv(Fd(), buffer, capacity, MSG_DONTWAIT);
    }
    ssize_t SendReport(const uint8_t* buffer, size_t length) override {
        return send(Fd(), buffer, length, MSG_DONTWAIT | MSG_NOSIGNAL);
    }
};

// The socket file, if it is a socket owned by this user.
bool StatOwnSocket(const std::string& path, struct stat& st) {
    return lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == getuid();
}

int64_t MtimeNs(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

int ConnectSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    // A Unix socket connect completes at once or fails (a full backlog gives EAGAIN).
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool ReceiveHello(int fd, uint32_t timeoutMs, EmulatorHello& hello) {
    pollfd pfd{fd, POLLIN, 0};
    int n;
    while ((n = poll(&pfd, 1, static_cast<int>(timeoutMs))) < 0 && errno == EINTR) {
    }
    if (n <= 0) return false;
    std::string text(kMaxHelloBytes, '\0');
    const ssize_t got = recv(fd, text.data(), text.size(), MSG_DONTWAIT);
    if (got <= 0) return false;
    text.resize(static_cast<size_t>(got));
    std::string error;
    return ParseEmulatorHello(text, hello, error);
}

}  // namespace

std::string EmulatorDirectory() {
    if (const char* dir = std::getenv("ZORV_HID_EMULATOR_DIR"); dir && *dir) return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        return std::string(runtime) + "/zorv-hid";
    }
    return "/tmp/zorv-hid-" + std::to_string(getuid());
}

bool EmulatorBackend::HelloOf(const std::string& socketPath, EmulatorHello& hello) {
    struct stat st{};
    if (!StatOwnSocket(socketPath, st)) return false;
    {
        std::lock_guard<std::mutex> guard(cacheLock_);
        auto cached = cache_.find(socketPath);
        if (cached != cache_.end() && cached->second.inode == st.st_ino && cached->second.mtimeNs == MtimeNs(st)) {
            hello = cached->second.hello;
            return true;
        }
    }
    const int fd = ConnectSocket(socketPath);
    if (fd < 0) return false;
    const bool ok = ReceiveHello(fd, kEnumerateHelloTimeoutMs, hello);
    close(fd);
    if (!ok) return false;
    std::lock_guard<std::mutex> guard(cacheLock_);
    cache_[socketPath] = CachedHello{st.st_ino, MtimeNs(st), hello};
    return true;
}

void EmulatorBackend::Enumerate(std::vector<std::string>& paths) {
    const std::string dir = EmulatorDirectory();
    std::vector<std::string> sockets;
    if (DIR* listing = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            const size_t suffix = sizeof kSocketSuffix - 1;
            if (name.size() > suffix && name.compare(name.size() - suffix, suffix, kSocketSuffix) == 0) {
                sockets.push_back(dir + "/" + name);
            }
        }
        closedir(listing);
    }
    std::sort(sockets.begin(), sockets.end());  // stable order from scan to scan
    {
        std::lock_guard<std::mutex> guard(cacheLock_);
        std::erase_if(cache_, [&](const auto& entry) {
            return !std::binary_search(sockets.begin(), sockets.end(), entry.first);
        });
    }
    for (const std::string& socketPath : sockets) {
        EmulatorHello hello;
        if (HelloOf(socketPath, hello)) AppendCollectionPaths(Scheme(), socketPath, hello.info, paths);
    }
}

std::string EmulatorBackend::InstanceOf(const std::string& path) {
    struct stat st{};
    if (!StatOwnSocket(PathLocation(path), st)) return {};
    return std::to_string(st.st_ino) + ":" + std::to_string(MtimeNs(st));
}

std::shared_ptr<IHidTransport> EmulatorBackend::Open(const std::string& path, bool read, bool write) {
    const std::string socketPath = PathLocation(path);
    struct stat st{};
    if (socketPath.empty() || !StatOwnSocket(socketPath, st)) return nullptr;
    const int fd = ConnectSocket(socketPath);
    if (fd < 0) return nullptr;
    EmulatorHello hello;
    // A presence probe only needs the socket to accept; what it describes may come from the cache.
    const bool probe = !read && !write;
    if (!(probe && HelloOf(socketPath, hello)) && !ReceiveHello(fd, kOpenHelloTimeoutMs, hello)) {
        close(fd);
        return nullptr;
    }
    const ParsedDescriptor descriptor = ParseReportDescriptor(hello.info.reportDescriptor);
    const int collection = CollectionOfPath(path, descriptor);
    if (collection < 0) {
        close(fd);
        return nullptr;
    }
    if (probe) {
        close(fd);
        return std::make_shared<EmulatorTransport>(-1, std::move(hello.info), collection, descriptor);
    }
    return std::make_shared<EmulatorTransport>(fd, std::move(hello.info), collection, descriptor);
}
