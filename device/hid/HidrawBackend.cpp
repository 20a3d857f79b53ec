#include "device/hid/HidrawBackend.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "device/hid/HidFdTransport.h"
#include "device/hid/HidPath.h"
#include "device/hid/HidrawSysfs.h"

namespace {

// hidraw passes numbered reports with their id first and unnumbered ones without: the record's
// callers always see the id first (0 for unnumbered). Writes take the id byte in both cases, 0
// for unnumbered reports, which the kernel strips itself.
class HidrawTransport : public HidFdTransport {
public:
    HidrawTransport(int fd, HidInterfaceInfo info, int collection, const ParsedDescriptor& descriptor)
        : HidFdTransport(fd, std::move(info), collection, descriptor), numbered_(UsesReportIds(descriptor)) {}

protected:
    ssize_t ReceiveReport(uint8_t* buffer, size_t capacity) override {
        if (numbered_) return read(Fd(), buffer, capacity);
        const ssize_t n = read(Fd(), buffer + 1, capacity - 1);
        if (n <= 0) return n;
        buffer[0] = 0;
        return n + 1;
    }
    ssize_t SendReport(const uint8_t* buffer, size_t length) override { return write(Fd(), buffer, length); }

private:
    static bool UsesReportIds(const ParsedDescriptor& descriptor) {
        for (const auto& collection : descriptor.collections) {
            if (collection.usesReportIds) return true;
        }
        return false;
    }
    bool numbered_;
};

}  // namespace

HidrawBackend::HidrawBackend(std::string sysfsRoot, std::string deviceRoot)
    : sysfsRoot_(std::move(sysfsRoot)), deviceRoot_(std::move(deviceRoot)) {}

void HidrawBackend::Enumerate(std::vector<std::string>& paths) {
    for (const std::string& node : ListHidrawNodes(sysfsRoot_)) {
        HidInterfaceInfo info;
        if (ReadHidrawInfo(sysfsRoot_, node, info)) AppendCollectionPaths(Scheme(), deviceRoot_ + "/" + node, info, paths);
    }
}

std::string HidrawBackend::InstanceOf(const std::string& path) {
    const std::string node = PathLocation(path);
    const size_t slash = node.find_last_of('/');
    const std::string name = slash == std::string::npos ? node : node.substr(slash + 1);
    if (name.rfind("hidraw", 0) != 0 || name.find("..") != std::string::npos) return {};
    std::error_code error;
    const std::filesystem::path device =
        std::filesystem::canonical(std::filesystem::path(sysfsRoot_) / "class" / "hidraw" / name / "device", error);
    return error ? std::string() : device.string();
}

std::shared_ptr<IHidTransport> HidrawBackend::Open(const std::string& path, bool read, bool write) {
    // Only nodes of the device folder are opened, whatever else the path text says.
    const std::string node = PathLocation(path);
    const std::string prefix = deviceRoot_ + "/";
    if (node.rfind(prefix, 0) != 0) return nullptr;
    const std::string name = node.substr(prefix.size());
    if (name.rfind("hidraw", 0) != 0 || name.find('/') != std::string::npos || name.find("..") != std::string::npos) {
        return nullptr;
    }
    HidInterfaceInfo info;
    if (!ReadHidrawInfo(sysfsRoot_, name, info)) return nullptr;
    const ParsedDescriptor descriptor = ParseReportDescriptor(info.reportDescriptor);
    const int collection = CollectionOfPath(path, descriptor);
    if (collection < 0) return nullptr;
    if (!read && !write) {
        if (access(node.c_str(), F_OK) != 0) return nullptr;
        return std::make_shared<HidrawTransport>(-1, std::move(info), collection, descriptor);
    }
    const int flags = (read && write ? O_RDWR : read ? O_RDONLY : O_WRONLY) | O_NONBLOCK | O_CLOEXEC;
    const int fd = open(node.c_str(), flags);
    if (fd < 0) return nullptr;
    return std::make_shared<HidrawTransport>(fd, std::move(info), collection, descriptor);
}
