#pragma once
// "hidraw" backend: the kernel's hidraw nodes, one path per top-level collection.
#include "device/hid/HidTransport.h"

class HidrawBackend : public IHidBackend {
public:
    // The roots are parameters so that tests can use a fake sysfs tree and device folder.
    explicit HidrawBackend(std::string sysfsRoot = "/sys", std::string deviceRoot = "/dev");
    std::string Scheme() const override { return "hidraw"; }
    void Enumerate(std::vector<std::string>& paths) override;
    std::shared_ptr<IHidTransport> Open(const std::string& path, bool read, bool write) override;

private:
    std::string sysfsRoot_;
    std::string deviceRoot_;
};
