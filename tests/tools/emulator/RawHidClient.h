#pragma once
// Test side of the emulator: a raw SOCK_SEQPACKET client speaking the interface protocol the way
// the HID backend does, and a private directory per test.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A fresh directory below $ZORV_TEST_TMP (else the temp folder), removed with its content.
class TestDir {
public:
    TestDir();
    ~TestDir();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A request packet built independently of the emulator's code: id 4, checksum over bytes 3-63.
std::vector<uint8_t> BuildRequest(uint8_t code, uint8_t length = 0, uint16_t offset = 0,
                                  const std::vector<uint8_t>& payload = {});
uint16_t ChecksumOf(const std::vector<uint8_t>& packet);

class RawHidClient {
public:
    explicit RawHidClient(const std::string& socketPath);
    ~RawHidClient();
    RawHidClient(const RawHidClient&) = delete;
    RawHidClient& operator=(const RawHidClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    const std::string& Hello() const { return hello_; }

    bool Send(const std::vector<uint8_t>& packet);
    // The next report; nothing on time-out or when the device closed the connection.
    std::optional<std::vector<uint8_t>> Receive(int timeoutMs = 1000);
    // The next report with this report id, skipping others.
    std::optional<std::vector<uint8_t>> ReceiveReport(uint8_t reportId, int timeoutMs = 1000);
    // True once the device has closed the connection (reports still queued are skipped).
    bool WaitClosed(int timeoutMs = 1000);

    // One request and its reply (the next report 4).
    std::optional<std::vector<uint8_t>> Request(uint8_t code, uint8_t length = 0, uint16_t offset = 0,
                                                const std::vector<uint8_t>& payload = {});
    // Reads `total` bytes with command `code` in chunks of 56, as the host does; nothing on a failed chunk.
    std::optional<std::vector<uint8_t>> ReadChunked(uint8_t code, size_t total, uint16_t start = 0);
    // Writes in chunks of 56; false on a missing reply or a non-zero status.
    bool WriteChunked(uint8_t code, const std::vector<uint8_t>& bytes, uint16_t start = 0);

private:
    int fd_ = -1;
    bool closed_ = false;
    std::string hello_;
};
