#include "InterfaceListing.h"

#include <glob.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "device/hid/EmulatorBackend.h"
#include "device/hid/HidInterface.h"
#include "device/hid/HidPath.h"
#include "device/registry/InterfaceMatching.h"
#include "device/registry/ModelRegistry.h"

namespace {

constexpr const char kUdevHint[] =
    "install the udev rule: copy resources/linux/70-zorv-wired-manager.rules to /etc/udev/rules.d/, run "
    "'sudo udevadm control --reload && sudo udevadm trigger', then unplug and replug the keyboard";

std::string Printf(const char* format, auto... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

bool IsSupportedProduct(uint16_t vendorId, uint16_t productId) {
    if (vendorId == 0) return false;
    for (const DeviceInterfaceRow& row : InterfaceTable())
        if (row.vendorId == vendorId && row.productId == productId) return true;
    return false;
}

// "0x7a61:0x5062, ..." for every product of the interface table, in table order.
std::string SupportedProducts() {
    std::vector<std::pair<uint16_t, uint16_t>> seen;
    std::string text;
    for (const DeviceInterfaceRow& row : InterfaceTable()) {
        const auto product = std::make_pair(row.vendorId, row.productId);
        if (row.vendorId == 0 || std::find(seen.begin(), seen.end(), product) != seen.end()) continue;
        seen.push_back(product);
        text += Printf("%s0x%04x:0x%04x", text.empty() ? "" : ", ", row.vendorId, row.productId);
    }
    return text;
}

std::vector<std::string> HidrawNodes() {
    std::vector<std::string> nodes;
    glob_t found{};
    if (glob("/dev/hidraw*", 0, nullptr, &found) == 0)
        for (size_t i = 0; i < found.gl_pathc; ++i) nodes.emplace_back(found.gl_pathv[i]);
    globfree(&found);
    return nodes;
}

const char* RoleName(uint16_t role) { return role == kRoleCommand ? "command" : "event"; }

}  // namespace

std::string OpenFailureReason(const std::string& path) {
    if (PathScheme(path) == "hidraw") {
        const std::string node = PathLocation(path);
        if (access(node.c_str(), F_OK) != 0) return node + " has gone";
        if (access(node.c_str(), R_OK | W_OK) != 0)
            return "no read/write access to " + node + " (" + std::strerror(errno) + "): " + kUdevHint;
        return node + " could not be opened or its report descriptor could not be read";
    }
    if (PathScheme(path) == "emu") return "the emulated device does not answer (is zorv-emulator still running?)";
    return "cannot be opened";
}

std::vector<ListedInterface> ListInterfaces() {
    std::vector<ListedInterface> listing;
    CHidInterface enumeration;
    CHidInterface probe;
    enumeration.EnumeratePaths();
    while (const char* path = enumeration.NextPath()) {
        ListedInterface item;
        item.path = path;
        item.vendorId = ParseVid(item.path);
        item.productId = ParsePid(item.path);
        item.interfaceNumber = ParseInterfaceNumber(item.path);
        item.collectionNumber = ParseCollectionNumber(item.path);
        // Opened as the scanning thread probes a candidate: read only, overlapped, shared.
        item.opened = probe.Open(item.path, 1, 0, 1, 0) == 1;
        if (item.opened) {
            item.vendorId = probe.Attributes.VendorID;
            item.productId = probe.Attributes.ProductID;
            item.version = probe.Attributes.VersionNumber;
            item.usagePage = probe.Capabilities.UsagePage;
            item.usage = probe.Capabilities.Usage;
            item.inputLength = probe.Capabilities.InputReportByteLength;
            item.outputLength = probe.Capabilities.OutputReportByteLength;
            item.featureLength = probe.Capabilities.FeatureReportByteLength;
            probe.Close();
            InterfaceList fresh = MakeInterfaceList();
            const InterfaceCandidate candidate{item.vendorId,   item.productId, item.interfaceNumber,
                                               item.collectionNumber, item.usagePage, item.usage, item.path};
            item.row = MatchInterface(fresh, candidate);
            if (item.row < 0 && IsSupportedProduct(item.vendorId, item.productId))
                item.problem = DescribeMismatch(fresh, candidate);
        } else {
            item.problem = OpenFailureReason(item.path);
        }
        listing.push_back(std::move(item));
    }
    return listing;
}

Json::Value ListingToJson(const std::vector<ListedInterface>& listing) {
    Json::Value array(Json::arrayValue);
    for (const ListedInterface& item : listing) {
        Json::Value entry(Json::objectValue);
        entry["path"] = item.path;
        entry["vid"] = item.vendorId;
        entry["pid"] = item.productId;
        entry["version"] = item.version;
        entry["interface"] = item.interfaceNumber;
        entry["collection"] = item.collectionNumber;
        entry["usage_page"] = item.usagePage;
        entry["usage"] = item.usage;
        entry["input_report_byte_length"] = item.inputLength;
        entry["row"] = item.row;
        array.append(entry);
    }
    return array;
}

std::string ListingToText(const std::vector<ListedInterface>& listing) {
    std::string text;
    for (const ListedInterface& item : listing) {
        text += item.path + "\n";
        text += Printf("  vendor 0x%04x  product 0x%04x  version 0x%04x  interface %u  collection %u\n",
                       item.vendorId, item.productId, item.version, item.interfaceNumber, item.collectionNumber);
        if (!item.opened) {
            text += "  not opened: " + item.problem + "\n";
            continue;
        }
        text += Printf("  usage page 0x%04x  usage 0x%04x  report bytes: input %u, output %u, feature %u\n",
                       item.usagePage, item.usage, item.inputLength, item.outputLength, item.featureLength);
        if (item.row >= 0) {
            const DeviceInterfaceRow& row = InterfaceTable()[static_cast<size_t>(item.row)];
            text += Printf("  row %d (device kind %u, %s interface)\n", item.row, row.deviceKind,
                           RoleName(row.interfaceRole));
        } else {
            text += "  row -1" + (item.problem.empty() ? std::string() : ": " + item.problem) + "\n";
        }
    }
    return text;
}

std::vector<std::string> DiagnoseListing(const std::vector<ListedInterface>& listing) {
    std::vector<std::string> advice;
    if (listing.empty()) {
        const std::vector<std::string> nodes = HidrawNodes();
        bool anyAccessible = false;
        for (const std::string& node : nodes) anyAccessible |= access(node.c_str(), R_OK | W_OK) == 0;
        if (nodes.empty())
            advice.push_back("no HID interfaces at all: there is no /dev/hidraw* node and no emulated device in " +
                             EmulatorDirectory() + "; is the keyboard plugged in?");
        else if (!anyAccessible)
            advice.push_back("no HID interface could be listed and /dev/hidraw* are not accessible: " +
                             std::string(kUdevHint));
        else
            advice.push_back("/dev/hidraw* exist but /sys/class/hidraw could not be read");
        return advice;
    }

    // Per supported product: which roles matched, and what went wrong with its interfaces.
    std::map<std::pair<uint16_t, uint16_t>, std::set<uint16_t>> matchedRoles;
    std::map<std::pair<uint16_t, uint16_t>, std::vector<std::string>> problems;
    for (const ListedInterface& item : listing) {
        if (!IsSupportedProduct(item.vendorId, item.productId)) continue;
        const auto product = std::make_pair(item.vendorId, item.productId);
        matchedRoles[product];
        if (item.row >= 0)
            matchedRoles[product].insert(InterfaceTable()[static_cast<size_t>(item.row)].interfaceRole);
        else if (!item.problem.empty())
            problems[product].push_back(item.path + ": " + item.problem);
    }
    if (matchedRoles.empty()) {
        advice.push_back(Printf("none of the %zu interfaces belongs to a supported product (%s)", listing.size(),
                                SupportedProducts().c_str()));
        bool anyUnopened = false;
        for (const ListedInterface& item : listing) anyUnopened |= !item.opened;
        if (anyUnopened) advice.push_back(std::string("some interfaces could not be opened; if the keyboard is "
                                                      "among them, ") + kUdevHint);
        return advice;
    }
    for (const auto& [product, roles] : matchedRoles) {
        for (const uint16_t role : {kRoleCommand, kRoleEvent}) {
            if (roles.count(role)) continue;
            advice.push_back(Printf("product 0x%04x:0x%04x was seen, but none of its interfaces matches its %s row",
                                    product.first, product.second, RoleName(role)));
        }
        if (roles.size() < 2)
            for (const std::string& problem : problems[product]) advice.push_back("  " + problem);
    }
    return advice;
}
