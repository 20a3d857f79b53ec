#include "device/hid/HidHotplugMonitor.h"

#include <sys/epoll.h>
#include <sys/inotify.h>
#include <systemd/sd-device.h>
#include <systemd/sd-event.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <memory>

#include "device/hid/EmulatorBackend.h"

struct CHidHotplugMonitor::Udev {
    sd_event* event = nullptr;
    sd_device_monitor* monitor = nullptr;
    // Filled by the monitor's callback during one Drain.
    bool changed = false;
    std::vector<std::string>* removed = nullptr;

    ~Udev() {
        if (monitor) sd_device_monitor_unref(monitor);
        if (event) sd_event_unref(event);
    }

    static int OnDevice(sd_device_monitor*, sd_device* device, void* userdata) {
        auto* self = static_cast<Udev*>(userdata);
        self->changed = true;
        sd_device_action_t action{};
        const char* node = nullptr;
        if (self->removed && sd_device_get_action(device, &action) >= 0 && action == SD_DEVICE_REMOVE &&
            sd_device_get_devname(device, &node) >= 0 && node)
            self->removed->push_back(node);
        return 0;
    }
};

CHidHotplugMonitor::CHidHotplugMonitor() {
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd_ < 0) return;
    inotifyFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd_ >= 0) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = inotifyFd_;
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, inotifyFd_, &ev);
    }
    WatchEmulatorFolder();
    OpenUdev();
}

CHidHotplugMonitor::~CHidHotplugMonitor() {
    delete udev_;
    if (inotifyFd_ >= 0) close(inotifyFd_);
    if (epollFd_ >= 0) close(epollFd_);
}

void CHidHotplugMonitor::OpenUdev() {
    auto udev = std::make_unique<Udev>();
    // Events come after udev has applied its rules, so the node is already accessible.
    if (sd_event_new(&udev->event) < 0 || sd_device_monitor_new(&udev->monitor) < 0 ||
        sd_device_monitor_filter_add_match_subsystem_devtype(udev->monitor, "hidraw", nullptr) < 0 ||
        sd_device_monitor_attach_event(udev->monitor, udev->event) < 0 ||
        sd_device_monitor_start(udev->monitor, &Udev::OnDevice, udev.get()) < 0)
        return;
    const int fd = sd_event_get_fd(udev->event);
    if (fd < 0) return;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = fd;
    if (epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev) != 0) return;
    udevEventFd_ = fd;
    udev_ = udev.release();
}

void CHidHotplugMonitor::WatchEmulatorFolder() {
    if (inotifyFd_ < 0) return;
    const std::string folder = EmulatorDirectory();
    if (watch_ >= 0 && folder == folder_) return;
    if (watch_ >= 0) inotify_rm_watch(inotifyFd_, watch_);
    folder_ = folder;
    watch_ = inotify_add_watch(inotifyFd_, folder_.c_str(),
                               IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ATTRIB | IN_DELETE_SELF |
                                   IN_MOVE_SELF | IN_ONLYDIR);
}

bool CHidHotplugMonitor::DrainInotify(std::vector<std::string>& removed) {
    if (inotifyFd_ < 0) return false;
    bool changed = false;
    alignas(inotify_event) std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t got = read(inotifyFd_, buffer.data(), buffer.size());
        if (got <= 0) break;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
                watch_ = -1;  // the folder went away; watched again when it is back
                changed = true;
                continue;
            }
            changed = true;
            if (event->len > 0 && (event->mask & (IN_DELETE | IN_MOVED_FROM)))
                removed.push_back(folder_ + "/" + event->name);
        }
    }
    return changed;
}

bool CHidHotplugMonitor::DrainUdev(std::vector<std::string>& removed) {
    if (!udev_) return false;
    udev_->changed = false;
    udev_->removed = &removed;
    while (sd_event_run(udev_->event, 0) > 0) {
    }
    udev_->removed = nullptr;
    return udev_->changed;
}

bool CHidHotplugMonitor::Drain(std::vector<std::string>& removed) {
    const bool fromFolder = DrainInotify(removed);
    const bool fromUdev = DrainUdev(removed);
    return fromFolder || fromUdev;
}
