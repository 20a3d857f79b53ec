#include "device/hid/HidFdTransport.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "device/hid/HidInterface.h"
#include "device/hid/HidPath.h"

namespace {

// Larger than any report a HID device may send (the kernel's own buffer is 16 KiB).
constexpr size_t kMaxReportBytes = 16384 + 1;

uint64_t NowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int PollTimeout(uint32_t timeoutMs, uint64_t startMs) {
    if (timeoutMs == INFINITE) return -1;
    const uint64_t elapsed = NowMs() - startMs;
    return elapsed >= timeoutMs ? 0 : static_cast<int>(timeoutMs - elapsed);
}

// Errors that mean the device or the emulator is gone for good.
bool IsGoneError(int error) {
    return error == EPIPE || error == ECONNRESET || error == ENOTCONN || error == ENODEV || error == ESHUTDOWN ||
           error == EIO;
}

}  // namespace

CollectionReportFilter::CollectionReportFilter(const ParsedDescriptor& descriptor, int collection) {
    if (collection <= 0 || static_cast<size_t>(collection) > descriptor.collections.size()) return;
    acceptAll_ = false;
    ids_ = descriptor.collections[static_cast<size_t>(collection - 1)].inputReportIds;
}

bool CollectionReportFilter::Accepts(uint8_t reportId) const {
    return acceptAll_ || std::find(ids_.begin(), ids_.end(), reportId) != ids_.end();
}

void AppendCollectionPaths(const std::string& scheme, const std::string& location, const HidInterfaceInfo& info,
                           std::vector<std::string>& paths) {
    const size_t count = ParseReportDescriptor(info.reportDescriptor).collections.size();
    if (count <= 1) {
        paths.push_back(FormatInterfacePath(scheme, location, info.vendorId, info.productId, info.interfaceNumber, 0));
        return;
    }
    for (size_t c = 1; c <= count; ++c) {
        paths.push_back(FormatInterfacePath(scheme, location, info.vendorId, info.productId, info.interfaceNumber,
                                            static_cast<int>(c)));
    }
}

int CollectionOfPath(const std::string& path, const ParsedDescriptor& descriptor) {
    const size_t count = descriptor.collections.size();
    const int collection = ParseCollectionNumber(path);
    if (count == 0) return -1;
    if (count == 1) return collection <= 1 ? 0 : -1;
    return collection >= 1 && static_cast<size_t>(collection) <= count ? collection : -1;
}

HidFdTransport::HidFdTransport(int fd, HidInterfaceInfo info, int collection, const ParsedDescriptor& descriptor)
    : fd_(fd), info_(std::move(info)), collection_(collection), filter_(descriptor, collection) {}

HidFdTransport::~HidFdTransport() {
    if (fd_ >= 0) close(fd_);
}

HidIoResult HidFdTransport::WaitReady(short events, uint32_t timeoutMs, uint64_t startMs, Event& abort,
                                      bool& hungUp) {
    for (;;) {
        pollfd fds[2] = {{abort.Fd(), POLLIN, 0}, {fd_, events, 0}};
        const int n = poll(fds, 2, PollTimeout(timeoutMs, startMs));
        if (n < 0) {
            if (errno == EINTR) continue;
            return HidIoResult::Failed;
        }
        // The abort event is left set: the record clears it once every transfer has returned.
        if (fds[0].revents & POLLIN) return HidIoResult::Aborted;
        if (n == 0) return HidIoResult::Timeout;
        hungUp = (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        if ((fds[1].revents & events) || hungUp) return HidIoResult::Ok;
    }
}

HidIoResult HidFdTransport::Read(uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs,
                                 Event& abort) {
    transferred = 0;
    if (fd_ < 0 || gone_.load() || !buffer || length == 0) return HidIoResult::Failed;
    const uint64_t start = NowMs();
    auto packet = std::make_unique<uint8_t[]>(kMaxReportBytes);
    for (;;) {
        bool hungUp = false;
        const HidIoResult ready = WaitReady(POLLIN, timeoutMs, start, abort, hungUp);
        if (ready != HidIoResult::Ok) return ready;
        const ssize_t n = ReceiveReport(packet.get(), kMaxReportBytes);
        const bool retry = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
        if (retry && !hungUp) continue;
        if (n <= 0) {
            if (n == 0 || hungUp || IsGoneError(errno)) gone_.store(true);
            return HidIoResult::Failed;
        }
        if (!filter_.Accepts(packet[0])) continue;
        // A report longer than the caller's buffer is cut to it; the rest of a short one is zeroed.
        transferred = std::min<uint32_t>(length, static_cast<uint32_t>(n));
        std::memcpy(buffer, packet.get(), transferred);
        std::memset(buffer + transferred, 0, length - transferred);
        return HidIoResult::Ok;
    }
}

HidIoResult HidFdTransport::Write(const uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs,
                                  Event& abort) {
    transferred = 0;
    if (fd_ < 0 || gone_.load() || !buffer || length == 0) return HidIoResult::Failed;
    const uint64_t start = NowMs();
    for (;;) {
        const ssize_t n = SendReport(buffer, length);
        if (n >= 0) {
            transferred = static_cast<uint32_t>(n);
            return static_cast<uint32_t>(n) == length ? HidIoResult::Ok : HidIoResult::Failed;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            if (IsGoneError(errno)) gone_.store(true);
            return HidIoResult::Failed;
        }
        bool hungUp = false;
        const HidIoResult ready = WaitReady(POLLOUT, timeoutMs, start, abort, hungUp);
        if (ready != HidIoResult::Ok) return ready;
        if (hungUp) {
            gone_.store(true);
            return HidIoResult::Failed;
        }
    }
}
