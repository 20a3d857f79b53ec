// Wayland sessions: X11 sees no global input there, so the events come straight from the evdev
// nodes the user may read (the udev rule grants the supported keyboards' own nodes). Keyboards
// are grabbed while keys are swallowed; pointers are only read.
#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

#include "input/EvdevDecoder.h"
#include "input/InputBackend.h"
#include "platform/DebugOutput.h"
#include "platform/WorkerThread.h"

namespace {

constexpr uint32_t kStopTimeoutMs = 1000;

struct Node {
    int fd = -1;
    libevdev* device = nullptr;
    bool keyboard = false;
};

class CEvdevInputBackend : public IInputBackend {
public:
    CEvdevInputBackend(PointerPositionFn pointer, std::string folder)
        : decoder_(std::move(pointer)), folder_(std::move(folder)) {}
    ~CEvdevInputBackend() override { Close(); }
    const char* Name() const override { return "evdev"; }

    bool Open(IInputSink& sink, std::string& error) override {
        if (!nodes_.empty()) return true;
        OpenNodes();
        bool keyboards = false;
        for (const Node& node : nodes_) keyboards = keyboards || node.keyboard;
        if (!keyboards) {
            CloseNodes();
            error = "no keyboard input node of " + folder_ + " may be read by this user";
            return false;
        }
        sink_ = &sink;
        worker_.Start(this, [this](const WorkerArgs& args) { Run(args); }, kStopTimeoutMs);
        return true;
    }

    void Close() override {
        if (nodes_.empty()) return;
        worker_.Stop(kStopTimeoutMs);
        std::string ignored;
        SetKeyGrab(false, ignored);
        CloseNodes();
        sink_ = nullptr;
    }

    bool SetKeyGrab(bool on, std::string& error) override {
        std::lock_guard<std::mutex> guard(lock_);
        bool grabbedAny = false;
        for (Node& node : nodes_) {
            if (!node.keyboard) continue;
            if (libevdev_grab(node.device, on ? LIBEVDEV_GRAB : LIBEVDEV_UNGRAB) == 0) grabbedAny = true;
        }
        if (on && !grabbedAny) {
            error = "the keyboard input nodes cannot be grabbed";
            return false;
        }
        return true;
    }

private:
    void OpenNodes() {
        DIR* dir = opendir(folder_.c_str());
        if (!dir) return;
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.rfind("event", 0) != 0) continue;
            const int fd = open((folder_ + "/" + name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) continue;
            libevdev* device = nullptr;
            if (libevdev_new_from_fd(fd, &device) != 0) {
                close(fd);
                continue;
            }
            const bool keyboard = IsKeyboardNode(device);
            if (!keyboard && !IsPointerNode(device)) {
                libevdev_free(device);
                close(fd);
                continue;
            }
            nodes_.push_back({fd, device, keyboard});
        }
        closedir(dir);
    }

    void CloseNodes() {
        for (Node& node : nodes_) {
            libevdev_free(node.device);
            close(node.fd);
        }
        nodes_.clear();
    }

    void Run(const WorkerArgs& args) {
        std::vector<pollfd> fds;
        for (const Node& node : nodes_) fds.push_back({node.fd, POLLIN, 0});
        fds.push_back({args.stopEvent->Fd(), POLLIN, 0});
        for (;;) {
            if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
            if (fds.back().revents & POLLIN) return;
            for (size_t i = 0; i + 1 < fds.size(); ++i) {
                if (fds[i].revents & (POLLERR | POLLHUP | POLLNVAL)) fds[i].fd = -1;  // unplugged
                else if (fds[i].revents & POLLIN) ReadNode(nodes_[i]);
            }
        }
    }

    void ReadNode(Node& node) {
        input_event event{};
        int flag = LIBEVDEV_READ_FLAG_NORMAL;
        for (;;) {
            int rc;
            {
                std::lock_guard<std::mutex> guard(lock_);
                rc = libevdev_next_event(node.device, flag, &event);
            }
            if (rc == LIBEVDEV_READ_STATUS_SYNC) {
                flag = LIBEVDEV_READ_FLAG_SYNC;  // events dropped by the kernel: catch up, then go on
                continue;
            }
            if (rc == -EAGAIN && flag == LIBEVDEV_READ_FLAG_SYNC) {
                flag = LIBEVDEV_READ_FLAG_NORMAL;
                continue;
            }
            if (rc != LIBEVDEV_READ_STATUS_SUCCESS) return;
            const DecodedInput decoded = decoder_.Decode(event);
            if (const auto* key = std::get_if<CapturedKey>(&decoded)) {
                if (node.keyboard) sink_->OnKey(*key);
            } else if (const auto* button = std::get_if<CapturedButton>(&decoded)) {
                sink_->OnButton(*button);
            }
        }
    }

    CEvdevDecoder decoder_;
    std::string folder_;
    std::vector<Node> nodes_;
    IInputSink* sink_ = nullptr;
    std::mutex lock_;
    WorkerThread worker_;
};

}  // namespace

std::unique_ptr<IInputBackend> MakeEvdevInputBackend(PointerPositionFn pointer, std::string nodeFolder) {
    return std::make_unique<CEvdevInputBackend>(std::move(pointer), std::move(nodeFolder));
}
