#include "device/hid/HidPath.h"

#include <cctype>
#include <cstdio>

#include "device/hid/HidInterface.h"

namespace {

// Case-insensitive search for the marker, then a "%x" style number right behind it.
uint16_t ParseHexAfter(const std::string& path, const char* marker) {
    const std::string key(marker);
    if (path.size() < key.size()) return 0;
    for (size_t at = 0; at + key.size() <= path.size(); ++at) {
        bool match = true;
        for (size_t i = 0; i < key.size() && match; ++i) {
            match = std::tolower(static_cast<unsigned char>(path[at + i])) == key[i];
        }
        if (!match) continue;
        uint32_t value = 0;
        for (size_t i = at + key.size(); i < path.size(); ++i) {
            const auto c = static_cast<unsigned char>(path[i]);
            if (!std::isxdigit(c)) break;
            const uint32_t digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
            value = (value << 4) | digit;  // only the low 16 bits are kept
        }
        return static_cast<uint16_t>(value);
    }
    return 0;
}

}  // namespace

uint16_t ParseVid(const std::string& path) { return ParseHexAfter(path, "vid_"); }
uint16_t ParsePid(const std::string& path) { return ParseHexAfter(path, "pid_"); }
uint16_t ParseInterfaceNumber(const std::string& path) { return ParseHexAfter(path, "&mi_"); }
uint16_t ParseCollectionNumber(const std::string& path) { return ParseHexAfter(path, "&col"); }

std::string PathScheme(const std::string& path) {
    return path.substr(0, path.find_first_of(":#"));
}

std::string PathLocation(const std::string& path) {
    const size_t colon = path.find(':');
    const size_t hash = path.rfind('#');
    if (colon == std::string::npos || hash == std::string::npos || hash < colon) return {};
    return path.substr(colon + 1, hash - colon - 1);
}

std::string FormatInterfacePath(const std::string& scheme, const std::string& location, uint16_t vendorId,
                                uint16_t productId, uint16_t interfaceNumber, int collection) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "#vid_%04x&pid_%04x&mi_%02x", vendorId, productId, interfaceNumber);
    std::string path = scheme + ":" + location + suffix;
    if (collection > 0) {
        std::snprintf(suffix, sizeof suffix, "&col%02x", collection & 0xFFFF);
        path += suffix;
    }
    return path;
}
