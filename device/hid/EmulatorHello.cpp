#include "device/hid/EmulatorHello.h"

#include <json/json.h>

#include <cctype>
#include <memory>

namespace {

bool ReadId(const Json::Value& root, const char* key, bool required, uint16_t& out, std::string& error) {
    const Json::Value& value = root[key];
    if (value.isNull() && !required) return true;
    if (!value.isIntegral() || value.asLargestInt() < 0 || value.asLargestInt() > 0xFFFF) {
        error = std::string("\"") + key + "\" must be an integer 0..65535";
        return false;
    }
    out = static_cast<uint16_t>(value.asLargestInt());
    return true;
}

int HexDigit(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isdigit(u)) return u - '0';
    if (std::isxdigit(u)) return std::tolower(u) - 'a' + 10;
    return -1;
}

bool DecodeHex(const std::string& hex, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::string digits;
    for (char c : hex) {
        if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
    }
    if (digits.size() % 2 != 0) return false;
    bytes.reserve(digits.size() / 2);
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int high = HexDigit(digits[i]);
        const int low = HexDigit(digits[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return true;
}

}  // namespace

bool ParseEmulatorHello(const std::string& text, EmulatorHello& hello, std::string& error) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string parseErrors;
    bool read = false;
    try {
        read = reader->parse(text.data(), text.data() + text.size(), &root, &parseErrors);
    } catch (const std::exception&) {
        read = false;  // jsoncpp throws on nesting deeper than its stack limit
    }
    if (!read || !root.isObject()) {
        error = "hello is not a JSON object";
        return false;
    }
    EmulatorHello parsed;
    if (!ReadId(root, "vid", true, parsed.info.vendorId, error) ||
        !ReadId(root, "pid", true, parsed.info.productId, error) ||
        !ReadId(root, "version", false, parsed.info.version, error) ||
        !ReadId(root, "interface", false, parsed.info.interfaceNumber, error)) {
        return false;
    }
    if (root.isMember("name")) {
        if (!root["name"].isString()) {
            error = "\"name\" must be a string";
            return false;
        }
        parsed.name = root["name"].asString();
    }
    if (!root["descriptor"].isString() || !DecodeHex(root["descriptor"].asString(), parsed.info.reportDescriptor)) {
        error = "\"descriptor\" must be a hexadecimal string";
        return false;
    }
    hello = std::move(parsed);
    return true;
}
