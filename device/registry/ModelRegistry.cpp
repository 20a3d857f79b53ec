#include "device/registry/ModelRegistry.h"

#include <algorithm>
#include <charconv>
#include <deque>
#include <fstream>
#include <sstream>

#include <json/json.h>

#include "platform/Folders.h"

namespace {

constexpr std::uintmax_t kLargestDeviceFile = 64 * 1024;
constexpr size_t kLargestName = 64;
constexpr Json::ArrayIndex kMostInterfaces = 8;
constexpr int32_t kDeviceProductClass = 2;  // firmware versions shown in hexadecimal

struct Registry {
    std::vector<DeviceInterfaceRow> interfaces{kInterfaceTable.begin(), kInterfaceTable.end()};
    std::vector<DevicePageEntry> pages{kPageTable.begin(), kPageTable.end()};
    std::vector<DeviceLayoutEntry> layouts{kLayoutTable.begin(), kLayoutTable.end()};
    std::vector<ProductInfoEntry> products{kProductTable.begin(), kProductTable.end()};
    std::vector<std::string> pageNames = std::vector<std::string>(kPageTable.size());
    std::deque<std::string> texts;  // the added rows' texts; a deque keeps their addresses

    const char* Keep(std::string text) { return texts.emplace_back(std::move(text)).c_str(); }
};

Registry& Current() {
    static Registry registry;
    return registry;
}

struct InterfaceSpec {
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t role = 0;
};

struct DeviceFile {
    std::string name;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    int page = 0;
    std::vector<InterfaceSpec> interfaces;
    bool hasReceiver = false;
    uint16_t receiverVendorId = 0;
    uint16_t receiverProductId = 0;
    std::string vendorName = "NUVEX";
    std::string modelCode;
    std::string productNumber;
};

class FileError {
public:
    explicit FileError(std::string reason) : reason_(std::move(reason)) {}
    const std::string& Reason() const { return reason_; }

private:
    std::string reason_;
};

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", value & 0xFFFFu);
    return text;
}

// A JSON integer, or text in decimal or with "0x" in hexadecimal, within [low, high].
long long Number(const Json::Value& object, const char* key, long long low, long long high) {
    const Json::Value& value = object[key];
    long long number = 0;
    if (value.isNull()) throw FileError(std::string("\"") + key + "\" is missing");
    if (value.isIntegral()) {
        number = value.isInt64() ? value.asInt64() : high + 1;
    } else if (value.isString()) {
        const std::string text = value.asString();
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        const char* first = text.data() + (hex ? 2 : 0);
        const char* last = text.data() + text.size();
        const auto [end, error] = std::from_chars(first, last, number, hex ? 16 : 10);
        if (text.empty() || error != std::errc() || end != last)
            throw FileError(std::string("\"") + key + "\" is not a number: \"" + text + "\"");
    } else {
        throw FileError(std::string("\"") + key + "\" must be a number or a \"0x\" text");
    }
    if (number < low || number > high)
        throw FileError(std::string("\"") + key + "\" is out of range (" + std::to_string(low) + " to " +
                        std::to_string(high) + ")");
    return number;
}

std::string Text(const Json::Value& object, const char* key, bool required, const std::string& fallback = {}) {
    const Json::Value& value = object[key];
    if (value.isNull()) {
        if (required) throw FileError(std::string("\"") + key + "\" is missing");
        return fallback;
    }
    if (!value.isString()) throw FileError(std::string("\"") + key + "\" must be a text");
    std::string text = value.asString();
    if (text.empty() || text.size() > kLargestName)
        throw FileError(std::string("\"") + key + "\" must have 1 to " + std::to_string(kLargestName) + " characters");
    return text;
}

Json::Value ReadJson(const std::filesystem::path& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) throw FileError("cannot be read");
    if (size > kLargestDeviceFile) throw FileError("is larger than 64 KB");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError("cannot be read");
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    Json::Value root;
    std::string errors;
    bool parsed = false;
    try {
        parsed = Json::parseFromStream(builder, in, &root, &errors);
    } catch (const std::exception&) {
        errors = "nested too deeply";  // jsoncpp throws beyond its stack limit
    }
    if (!parsed) {
        std::string first = errors.substr(0, errors.find('\n'));
        throw FileError("is not valid JSON: " + first);
    }
    if (!root.isObject()) throw FileError("must hold one JSON object");
    return root;
}

DeviceFile Parse(const Json::Value& root) {
    DeviceFile file;
    file.name = Text(root, "name", true);
    file.vendorId = static_cast<uint16_t>(Number(root, "vid", 1, 0xFFFF));
    file.productId = static_cast<uint16_t>(Number(root, "pid", 0, 0xFFFF));
    file.page = static_cast<int>(Number(root, "page", 0, static_cast<long long>(kPageTable.size()) - 1));
    const Json::Value& interfaces = root["interfaces"];
    if (!interfaces.isArray() || interfaces.empty() || interfaces.size() > kMostInterfaces)
        throw FileError("\"interfaces\" must list 1 to " + std::to_string(kMostInterfaces) + " interfaces");
    int commandInterfaces = 0;
    for (const Json::Value& entry : interfaces) {
        if (!entry.isObject()) throw FileError("every entry of \"interfaces\" must be an object");
        InterfaceSpec spec;
        spec.interfaceNumber = static_cast<uint16_t>(Number(entry, "interface", 0, 255));
        spec.collectionNumber = static_cast<uint16_t>(Number(entry, "collection", 0, 255));
        spec.usagePage = static_cast<uint16_t>(Number(entry, "usage_page", 0, 0xFFFF));
        spec.usage = static_cast<uint16_t>(Number(entry, "usage", 0, 0xFFFF));
        spec.role = static_cast<uint16_t>(Number(entry, "role", 0, 255));
        if (spec.role != kRoleCommand && spec.role != kRoleEvent)
            throw FileError("\"role\" must be 0 (commands) or 255 (events)");
        commandInterfaces += spec.role == kRoleCommand ? 1 : 0;
        for (const InterfaceSpec& earlier : file.interfaces)
            if (earlier.interfaceNumber == spec.interfaceNumber && earlier.collectionNumber == spec.collectionNumber)
                throw FileError("interface " + std::to_string(spec.interfaceNumber) + " collection " +
                                std::to_string(spec.collectionNumber) + " is listed twice");
        file.interfaces.push_back(spec);
    }
    if (commandInterfaces != 1) throw FileError("exactly one interface must have role 0 (commands)");
    if (const Json::Value& receiver = root["receiver"]; !receiver.isNull()) {
        if (!receiver.isObject()) throw FileError("\"receiver\" must be an object with \"vid\" and \"pid\"");
        file.hasReceiver = true;
        file.receiverVendorId = static_cast<uint16_t>(Number(receiver, "vid", 1, 0xFFFF));
        file.receiverProductId = static_cast<uint16_t>(Number(receiver, "pid", 0, 0xFFFF));
        if (file.receiverVendorId == file.vendorId && file.receiverProductId == file.productId)
            throw FileError("the receiver must have ids of its own");
    }
    file.vendorName = Text(root, "vendor_name", false, file.vendorName);
    file.modelCode = Text(root, "model_code", false, "");
    file.productNumber = Text(root, "product_number", false, file.name);
    return file;
}

uint16_t ReceiverKindOf(int32_t kind) {
    if (kind == kKindMouse) return kKindMouseViaReceiver;
    if (kind == kKindKeyboard) return kKindKeyboardViaReceiver;
    return 0;
}

bool HasInterfaceRows(const Registry& registry, uint16_t vendorId, uint16_t productId) {
    return std::any_of(registry.interfaces.begin(), registry.interfaces.end(), [&](const DeviceInterfaceRow& row) {
        return row.vendorId == vendorId && row.productId == productId;
    });
}

// A compiled page row that names the file's product but that no interface leads to (the headset's):
// the file completes that row instead of adding a page. -1 when there is none.
int PageRowToComplete(const Registry& registry, const DeviceFile& file) {
    if (HasInterfaceRows(registry, file.vendorId, file.productId)) return -1;
    for (size_t p = 0; p < kPageTable.size(); ++p)
        if (registry.pages[p].vendorId == file.vendorId && registry.pages[p].productId == file.productId)
            return static_cast<int>(p);
    return -1;
}

// What an already known product or interface says against the file, or nothing.
void CheckConflicts(const Registry& registry, const DeviceFile& file) {
    const int32_t kind = registry.pages[static_cast<size_t>(file.page)].deviceKind;
    if (file.hasReceiver && ReceiverKindOf(kind) == 0)
        throw FileError("a receiver is only possible for a mouse or keyboard page (page " + std::to_string(file.page) + ")");
    if (const int completed = PageRowToComplete(registry, file); completed >= 0) {
        if (completed != file.page)
            throw FileError("product " + Hex4(file.vendorId) + ":" + Hex4(file.productId) + " is served by page " +
                            std::to_string(completed) + ", not page " + std::to_string(file.page));
        if (file.hasReceiver) throw FileError("page " + std::to_string(completed) + " cannot take a receiver");
        return;
    }
    auto productKnown = [&](uint16_t vendorId, uint16_t productId) {
        return std::any_of(registry.pages.begin(), registry.pages.end(), [&](const DevicePageEntry& page) {
                   return page.vendorId == vendorId && page.productId == productId;
               }) ||
               HasInterfaceRows(registry, vendorId, productId);
    };
    if (productKnown(file.vendorId, file.productId))
        throw FileError("product " + Hex4(file.vendorId) + ":" + Hex4(file.productId) + " is already known");
    if (file.hasReceiver && productKnown(file.receiverVendorId, file.receiverProductId))
        throw FileError("receiver " + Hex4(file.receiverVendorId) + ":" + Hex4(file.receiverProductId) +
                        " is already known");
}

void Append(Registry& registry, const DeviceFile& file) {
    const bool completesCompiledRow = PageRowToComplete(registry, file) >= 0;
    const size_t base = static_cast<size_t>(file.page);
    const int32_t kind = registry.pages[base].deviceKind;
    const size_t first = registry.interfaces.size();
    const size_t count = file.interfaces.size();
    for (size_t i = 0; i < count; ++i) {
        const InterfaceSpec& spec = file.interfaces[i];
        const uint16_t partner = static_cast<uint16_t>(first + count + i);
        registry.interfaces.push_back({file.vendorId, file.productId, spec.interfaceNumber, spec.collectionNumber,
                                       static_cast<uint16_t>(kind), spec.role, 0, spec.usagePage, spec.usage,
                                       static_cast<uint16_t>(file.hasReceiver ? 1 : 0),
                                       static_cast<uint16_t>(file.hasReceiver ? partner : 0)});
    }
    if (file.hasReceiver) {
        for (size_t i = 0; i < count; ++i) {
            const InterfaceSpec& spec = file.interfaces[i];
            registry.interfaces.push_back({file.receiverVendorId, file.receiverProductId, spec.interfaceNumber,
                                           spec.collectionNumber, ReceiverKindOf(kind), spec.role, 0, spec.usagePage,
                                           spec.usage, 1, static_cast<uint16_t>(first + i)});
        }
    }
    if (completesCompiledRow) return;  // its page, layout and product rows are compiled
    DevicePageEntry page = registry.pages[base];
    page.vendorId = file.vendorId;
    page.productId = file.productId;
    page.interfaceRole = kRoleCommand;
    registry.pages.push_back(page);
    DeviceLayoutEntry layout = registry.layouts[base];
    if (file.hasReceiver) layout.receiverCapable = 1;
    registry.layouts.push_back(layout);
    registry.pageNames.push_back(file.name);
    const ProductInfoEntry product{kDeviceProductClass,      1,
                                   0,                        registry.Keep(file.vendorName),
                                   registry.Keep(file.modelCode), registry.Keep(file.productNumber),
                                   registry.Keep(file.name), ""};
    registry.products.insert(registry.products.end() - 1, product);  // the application stays last
}

std::vector<std::filesystem::path> JsonFilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".json" && it->is_regular_file(ec)) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::span<const DeviceInterfaceRow> InterfaceTable() { return Current().interfaces; }
std::span<const DevicePageEntry> PageTable() { return Current().pages; }
std::span<const DeviceLayoutEntry> LayoutTable() { return Current().layouts; }
std::span<const ProductInfoEntry> ProductTable() { return Current().products; }

std::string PageModelName(int pageRow) {
    const Registry& registry = Current();
    if (pageRow < 0 || static_cast<size_t>(pageRow) >= registry.pages.size()) return {};
    if (!registry.pageNames[static_cast<size_t>(pageRow)].empty()) return registry.pageNames[static_cast<size_t>(pageRow)];
    const int32_t model = registry.pages[static_cast<size_t>(pageRow)].modelIndex;
    // Only the compiled product rows stand for models; the application row names none.
    return model >= 0 && model < static_cast<int32_t>(kProductTable.size()) - 1 ? kProductTable[static_cast<size_t>(model)].productName
                                                                                  : "";
}

std::vector<std::filesystem::path> DeviceFileFolders() {
    return {std::filesystem::path(ProgramFolder()) / "devices.d",
            std::filesystem::path(ConfigFolder()) / kAppName / "devices.d"};
}

void ResetModelRegistry() { Current() = Registry{}; }

DeviceFileReport LoadDeviceFiles(const std::vector<std::filesystem::path>& folders) {
    ResetModelRegistry();
    Registry& registry = Current();
    DeviceFileReport report;
    for (const std::filesystem::path& folder : folders) {
        for (const std::filesystem::path& path : JsonFilesIn(folder)) {
            try {
                const DeviceFile file = Parse(ReadJson(path));
                CheckConflicts(registry, file);
                Append(registry, file);
                report.added.push_back(file.name);
            } catch (const FileError& error) {
                report.problems.push_back(path.string() + ": " + error.Reason());
            }
        }
    }
    return report;
}
