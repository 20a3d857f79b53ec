#include "platform/bus/BusNames.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace {
constexpr std::string_view kNamePrefix = "org.zorv.Win.";

std::string TextBusName(char kind, std::string_view text) {
    if (text.empty()) return {};
    std::string name = std::string(kNamePrefix) + kind + "_" + HexOfBytes(text);
    if (name.size() > kMaxBusNameLength) return {};
    return name;
}
}  // namespace

std::string HexOfBytes(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 0x0F];
    }
    return hex;
}

std::string HandleBusName(uint64_t handle) {
    if (handle == 0) return {};
    char digits[17];
    std::snprintf(digits, sizeof digits, "%llx", static_cast<unsigned long long>(handle));
    return std::string(kNamePrefix) + "h_" + digits;
}

std::string TitleBusName(std::string_view title) { return TextBusName('t', title); }
std::string ClassBusName(std::string_view className) { return TextBusName('c', className); }

uint64_t NewWindowHandle() {
    static std::atomic<uint32_t> counter{0};
    return (static_cast<uint64_t>(static_cast<uint32_t>(getpid())) << 32) | (counter.fetch_add(1) + 1);
}

std::string BusTarget::BusName() const {
    switch (kind) {
        case Kind::Handle: return HandleBusName(handle);
        case Kind::Title: return TitleBusName(text);
        case Kind::Class: return ClassBusName(text);
    }
    return {};
}

std::string BusTarget::Describe() const {
    switch (kind) {
        case Kind::Handle: {
            char digits[24];
            std::snprintf(digits, sizeof digits, "0x%llx", static_cast<unsigned long long>(handle));
            return std::string("handle ") + digits;
        }
        case Kind::Title: return "title \"" + text + "\"";
        case Kind::Class: return "class \"" + text + "\"";
    }
    return {};
}

bool IsBusString(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c == 0) return false;
        size_t length;
        uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Over-long forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}
