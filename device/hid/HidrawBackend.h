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
    // The HID device behind the node ("0003:VVVV:PPPP.NNNN" numbers every plug-in anew).
    std::string InstanceOf(const std::string& path) override;

private:
    std::string sysfsRoot_;
    std::string deviceRoot_;
};
