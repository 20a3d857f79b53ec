#include "device/hid/HidInterface.h"

#include <chrono>

#include "device/hid/HidPath.h"

namespace {
// Close re-arms the abort event at this pace: a backend that consumes the auto-reset event for
// one transfer must not leave the other one (reader and writer may both be pending) asleep.
constexpr auto kAbortRearm = std::chrono::milliseconds(5);
constexpr size_t kInitialPathCapacity = 8;
}  // namespace

CHidInterface::CHidInterface() = default;

CHidInterface::~CHidInterface() {
    Close();
    ReleasePaths();
}

int CHidInterface::EnumeratePaths() {
    pathCursor_ = 0;
    paths_.clear();
    paths_.reserve(kInitialPathCapacity);
    for (const auto& backend : HidBackends()) backend->Enumerate(paths_);
    return 1;
}

const char* CHidInterface::NextPath() {
    if (pathCursor_ >= paths_.size()) return nullptr;
    return paths_[pathCursor_++].c_str();
}

void CHidInterface::ReleasePaths() {
    paths_.clear();
    paths_.shrink_to_fit();
    pathCursor_ = 0;
}

int CHidInterface::Open(const std::string& path, int wantRead, int wantWrite, int overlapped, int exclusive) {
    std::unique_lock<std::mutex> lock(stateMutex_);
    CloseLocked(lock);
    wantRead_ = wantRead;
    wantWrite_ = wantWrite;
    overlapped_ = overlapped;
    exclusive_ = exclusive;
    devicePath_.clear();
    // The original path field holds 259 characters and its terminator; longer paths are refused.
    if (path.size() >= kHidPathCapacity) return 0;
    devicePath_ = path;

    const std::string scheme = PathScheme(path);
    std::shared_ptr<IHidTransport> transport;
    for (const auto& backend : HidBackends()) {
        if (backend->Scheme() == scheme) {
            transport = backend->Open(path, wantRead != 0, wantWrite != 0);
            break;
        }
    }
    if (!transport || !LoadCapabilities(*transport)) {
        ReleaseCapabilities();
        return 0;
    }
    transport_ = std::move(transport);
    return 1;
}

void CHidInterface::Close() {
    std::unique_lock<std::mutex> lock(stateMutex_);
    CloseLocked(lock);
}

void CHidInterface::CloseLocked(std::unique_lock<std::mutex>& lock) {
    // New transfers see a closed record from here on; the running ones keep their own reference.
    std::shared_ptr<IHidTransport> transport = std::move(transport_);
    transport_.reset();
    while (readPending_.load() != 0 || writePending_.load() != 0) {
        abort_.Set();
        transferEnded_.wait_for(lock, kAbortRearm);
    }
    abort_.Reset();
    ReleaseCapabilities();
    transport.reset();
}

bool CHidInterface::IsOpen() const {
    std::lock_guard<std::mutex> guard(stateMutex_);
    return transport_ != nullptr;
}

std::shared_ptr<const ParsedCollection> CHidInterface::Preparsed() const {
    std::lock_guard<std::mutex> guard(stateMutex_);
    return preparsed_;
}

std::shared_ptr<IHidTransport> CHidInterface::BeginTransfer(std::atomic<int>& pending) {
    std::lock_guard<std::mutex> guard(stateMutex_);
    if (!transport_) return nullptr;
    pending.fetch_add(1);
    return transport_;
}

void CHidInterface::EndTransfer(std::atomic<int>& pending) {
    std::lock_guard<std::mutex> guard(stateMutex_);
    pending.fetch_sub(1);
    transferEnded_.notify_all();
}

int CHidInterface::ReadReport(uint8_t* buffer, uint32_t length, uint32_t* bytesRead, uint32_t timeoutMs) {
    if (bytesRead) *bytesRead = 0;
    if (!buffer || length == 0) return 0;
    std::shared_ptr<IHidTransport> transport = BeginTransfer(readPending_);
    if (!transport) return 0;
    uint32_t transferred = 0;
    const HidIoResult result = transport->Read(buffer, length, transferred, timeoutMs, abort_);
    transport.reset();
    EndTransfer(readPending_);
    if (bytesRead) *bytesRead = transferred;
    return result == HidIoResult::Ok ? 1 : 0;
}

int CHidInterface::WriteReport(const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten, uint32_t timeoutMs) {
    if (bytesWritten) *bytesWritten = 0;
    if (!buffer || length == 0) return 0;
    std::shared_ptr<IHidTransport> transport = BeginTransfer(writePending_);
    if (!transport) return 0;
    uint32_t transferred = 0;
    const HidIoResult result = transport->Write(buffer, length, transferred, timeoutMs, abort_);
    transport.reset();
    EndTransfer(writePending_);
    if (bytesWritten) *bytesWritten = transferred;
    return result == HidIoResult::Ok ? 1 : 0;
}
