#pragma once
// A tiny emulated device for tests: a listening SOCK_SEQPACKET socket that greets each client
// with a hello packet, records the reports clients write and sends input reports on request.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestEmulatorServer {
public:
    TestEmulatorServer(std::string socketPath, std::string hello)
        : path_(std::move(socketPath)), hello_(std::move(hello)) {
        unlink(path_.c_str());
        listen_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
        bound_ = bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(listen_, 8) == 0;
        wake_ = eventfd(0, EFD_CLOEXEC);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TestEmulatorServer() {
        Stop();
    }
    // Unplug: closes every connection and removes the socket file.
    void Stop() {
        if (!thread_.joinable()) return;
        const uint64_t one = 1;
        (void)!write(wake_, &one, sizeof one);
        thread_.join();
        std::lock_guard<std::mutex> guard(lock_);
        for (int fd : clients_) close(fd);
        clients_.clear();
        close(listen_);
        close(wake_);
        unlink(path_.c_str());
    }
    // Drops the clients but keeps listening, as a device that reset its link.
    void DisconnectClients() {
        std::lock_guard<std::mutex> guard(lock_);
        for (int fd : clients_) shutdown(fd, SHUT_RDWR);
    }
    void SendInput(const std::vector<uint8_t>& report) {
        std::lock_guard<std::mutex> guard(lock_);
        for (int fd : clients_) (void)!send(fd, report.data(), report.size(), MSG_NOSIGNAL);
    }
    void WaitForClients(size_t count) {
        for (;;) {
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (clients_.size() >= count) return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::vector<std::vector<uint8_t>> Received() {
        std::lock_guard<std::mutex> guard(lock_);
        return received_;
    }
    int Accepted() const { return accepted_.load(); }
    bool Bound() const { return bound_; }
    const std::string& Path() const { return path_; }

private:
    void Serve() {
        for (;;) {
            std::vector<pollfd> fds = {{wake_, POLLIN, 0}, {listen_, POLLIN, 0}};
            {
                std::lock_guard<std::mutex> guard(lock_);
                for (int fd : clients_) fds.push_back({fd, POLLIN, 0});
            }
            if (poll(fds.data(), fds.size(), 50) < 0) return;
            if (fds[0].revents) return;
            if (fds[1].revents & POLLIN) {
                const int client = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0) {
                    // Counted and listed before the hello goes out, so a client that has the
                    // hello can rely on both.
                    std::lock_guard<std::mutex> guard(lock_);
                    ++accepted_;
                    clients_.push_back(client);
                    (void)!send(client, hello_.data(), hello_.size(), MSG_NOSIGNAL);
                }
            }
            for (size_t i = 2; i < fds.size(); ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
                uint8_t packet[4096];
                const ssize_t n = recv(fds[i].fd, packet, sizeof packet, MSG_DONTWAIT);
                std::lock_guard<std::mutex> guard(lock_);
                if (n > 0) {
                    received_.emplace_back(packet, packet + n);
                } else if (n == 0) {
                    std::erase(clients_, fds[i].fd);
                    close(fds[i].fd);
                }
            }
        }
    }

    std::string path_;
    std::string hello_;
    int listen_ = -1;
    int wake_ = -1;
    bool bound_ = false;
    std::atomic<int> accepted_{0};
    std::mutex lock_;
    std::vector<int> clients_;
    std::vector<std::vector<uint8_t>> received_;
    std::thread thread_;
};
