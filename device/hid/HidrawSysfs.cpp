#include "device/hid/HidrawSysfs.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/Files.h"

namespace fs = std::filesystem;

namespace {

constexpr char kHidrawPrefix[] = "hidraw";

// A hexadecimal attribute such as "0105\n"; false when missing or not a number.
bool ReadHexAttribute(const fs::path& file, unsigned long& value) {
    std::string text;
    if (!ReadWholeFile(file.string(), text) || text.empty()) return false;
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, 16);
    return end != text.c_str();
}

// "HID_ID=0003:00007A61:00005062" -> vendor 0x7A61, product 0x5062.
bool ParseHidId(const std::string& uevent, uint16_t& vendor, uint16_t& product) {
    std::istringstream lines(uevent);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("HID_ID=", 0) != 0) continue;
        const std::string fields = line.substr(7);
        const size_t first = fields.find(':');
        const size_t second = fields.find(':', first == std::string::npos ? first : first + 1);
        if (first == std::string::npos || second == std::string::npos) return false;
        char* end = nullptr;
        const std::string vendorText = fields.substr(first + 1, second - first - 1);
        const std::string productText = fields.substr(second + 1);
        const unsigned long v = std::strtoul(vendorText.c_str(), &end, 16);
        if (end == vendorText.c_str()) return false;
        const unsigned long p = std::strtoul(productText.c_str(), &end, 16);
        if (end == productText.c_str()) return false;
        vendor = static_cast<uint16_t>(v);
        product = static_cast<uint16_t>(p);
        return true;
    }
    return false;
}

unsigned long NodeNumber(const std::string& name) {
    return std::strtoul(name.c_str() + sizeof kHidrawPrefix - 1, nullptr, 10);
}

}  // namespace

bool ReadHidrawInfo(const std::string& sysfsRoot, const std::string& nodeName, HidInterfaceInfo& info) {
    std::error_code error;
    const fs::path hidDevice = fs::canonical(fs::path(sysfsRoot) / "class" / "hidraw" / nodeName / "device", error);
    if (error) return false;
    HidInterfaceInfo found;
    std::string uevent;
    if (!ReadWholeFile((hidDevice / "uevent").string(), uevent) ||
        !ParseHidId(uevent, found.vendorId, found.productId)) {
        return false;
    }
    std::string descriptor;
    if (!ReadWholeFile((hidDevice / "report_descriptor").string(), descriptor)) return false;
    found.reportDescriptor.assign(descriptor.begin(), descriptor.end());
    // USB devices only: the HID device hangs below the USB interface, which hangs below the device.
    const fs::path usbInterface = hidDevice.parent_path();
    unsigned long number = 0;
    if (ReadHexAttribute(usbInterface / "bInterfaceNumber", number)) {
        found.interfaceNumber = static_cast<uint16_t>(number);
    }
    if (ReadHexAttribute(usbInterface.parent_path() / "bcdDevice", number)) {
        found.version = static_cast<uint16_t>(number);
    }
    info = std::move(found);
    return true;
}

std::vector<std::string> ListHidrawNodes(const std::string& sysfsRoot) {
    std::vector<std::string> nodes;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(sysfsRoot) / "class" / "hidraw", error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(kHidrawPrefix, 0) == 0 && name.size() > sizeof kHidrawPrefix - 1) nodes.push_back(name);
    }
    std::sort(nodes.begin(), nodes.end(), [](const std::string& a, const std::string& b) {
        return NodeNumber(a) < NodeNumber(b);
    });
    return nodes;
}
