#pragma once
// Tells the device-scanning thread at once when HID interfaces come or go: a udev monitor on the
// hidraw subsystem for real devices and an inotify watch on the emulator folder for emulated ones.
// Either source may be missing (no udev in a container, no emulator folder yet); the periodic scan
// still finds everything then, only later.
#include <string>
#include <vector>

class CHidHotplugMonitor {
public:
    CHidHotplugMonitor();
    ~CHidHotplugMonitor();
    CHidHotplugMonitor(const CHidHotplugMonitor&) = delete;
    CHidHotplugMonitor& operator=(const CHidHotplugMonitor&) = delete;

    // Readable while notices are waiting; -1 when no source could be opened.
    int Fd() const { return epollFd_; }
    // Takes the waiting notices. True when an interface may have come or gone; the locations that
    // went away (emulator socket paths, hidraw device nodes) are added to removed.
    bool Drain(std::vector<std::string>& removed);
    // Watches the emulator folder if it was not there before; cheap when it is already watched.
    void WatchEmulatorFolder();
    bool HasUdev() const { return udevEventFd_ >= 0; }
    bool WatchesEmulatorFolder() const { return watch_ >= 0; }

private:
    struct Udev;
    void OpenUdev();
    bool DrainInotify(std::vector<std::string>& removed);
    bool DrainUdev(std::vector<std::string>& removed);

    int epollFd_ = -1;
    int inotifyFd_ = -1;
    int watch_ = -1;
    std::string folder_;
    int udevEventFd_ = -1;
    Udev* udev_ = nullptr;
};
