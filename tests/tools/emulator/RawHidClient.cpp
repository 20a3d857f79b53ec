#include "RawHidClient.h"

#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "platform/Folders.h"


TestDir::TestDir() {
    const char* base = std::getenv("ZORV_TEST_TMP");
    std::string root = base && *base ? base : TempFolder() + "zorv-emulator-tests";
    std::filesystem::create_directories(root);
    std::string pattern = root + "/XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed in " + root);
    path_ = pattern;
}

TestDir::~TestDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

uint16_t ChecksumOf(const std::vector<uint8_t>& packet) {
    uint32_t sum = 0;
    for (size_t i = 3; i < packet.size(); ++i) sum += packet[i];
    return static_cast<uint16_t>(sum);
}

std::vector<uint8_t> BuildRequest(uint8_t code, uint8_t length, uint16_t offset, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> packet(64, 0);
    packet[0] = 0x04;
    packet[3] = code;
    packet[4] = length;
    packet[5] = static_cast<uint8_t>(offset & 0xFF);
    packet[6] = static_cast<uint8_t>(offset >> 8);
    std::copy_n(payload.begin(), std::min<size_t>(payload.size(), 56), packet.begin() + 8);
    uint16_t sum = ChecksumOf(packet);
    packet[1] = static_cast<uint8_t>(sum & 0xFF);
    packet[2] = static_cast<uint8_t>(sum >> 8);
    return packet;
}

RawHidClient::RawHidClient(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) return;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    fd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    auto hello = Receive(1000);
    if (hello) hello_.assign(hello->begin(), hello->end());
}

RawHidClient::~RawHidClient() {
    if (fd_ >= 0) close(fd_);
}

bool RawHidClient::Send(const std::vector<uint8_t>& packet) {
    return fd_ >= 0 && send(fd_, packet.data(), packet.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(packet.size());
}

std::optional<std::vector<uint8_t>> RawHidClient::Receive(int timeoutMs) {
    if (fd_ < 0 || closed_) return std::nullopt;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return std::nullopt;
    std::vector<uint8_t> buffer(8192);
    ssize_t n = recv(fd_, buffer.data(), buffer.size(), 0);
    if (n <= 0) {
        closed_ = true;
        return std::nullopt;
    }
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

std::optional<std::vector<uint8_t>> RawHidClient::ReceiveReport(uint8_t reportId, int timeoutMs) {
    for (;;) {
        auto report = Receive(timeoutMs);
        if (!report || (!report->empty() && (*report)[0] == reportId)) return report;
    }
}

bool RawHidClient::WaitClosed(int timeoutMs) {
    while (!closed_) {
        if (!Receive(timeoutMs) && !closed_) return false;
    }
    return true;
}

std::optional<std::vector<uint8_t>> RawHidClient::Request(uint8_t code, uint8_t length, uint16_t offset,
                                                          const std::vector<uint8_t>& payload) {
    if (!Send(BuildRequest(code, length, offset, payload))) return std::nullopt;
    return ReceiveReport(0x04);
}

std::optional<std::vector<uint8_t>> RawHidClient::ReadChunked(uint8_t code, size_t total, uint16_t start) {
    std::vector<uint8_t> bytes;
    for (size_t position = 0; position < total; position += 56) {
        uint8_t chunk = static_cast<uint8_t>(std::min<size_t>(56, total - position));
        auto reply = Request(code, chunk, static_cast<uint16_t>(start + position));
        if (!reply || reply->size() != 64 || (*reply)[7] != 0) return std::nullopt;
        bytes.insert(bytes.end(), reply->begin() + 8, reply->begin() + 8 + chunk);
    }
    return bytes;
}

bool RawHidClient::WriteChunked(uint8_t code, const std::vector<uint8_t>& bytes, uint16_t start) {
    for (size_t position = 0; position < bytes.size(); position += 56) {
        size_t chunk = std::min<size_t>(56, bytes.size() - position);
        std::vector<uint8_t> payload(bytes.begin() + position, bytes.begin() + position + chunk);
        auto reply = Request(code, static_cast<uint8_t>(chunk), static_cast<uint16_t>(start + position), payload);
        if (!reply || (*reply)[7] != 0) return false;
    }
    return true;
}
