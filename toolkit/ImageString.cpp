#include "toolkit/ImageString.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace DuiLib {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

}  // namespace

bool ParseRectValue(const std::string& text, RECT& out) {
    int values[4];
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < 4; ++i) {
        while (p < end && (*p == ' ' || *p == ',')) ++p;
        auto [next, ec] = std::from_chars(p, end, values[i]);
        if (ec != std::errc()) return false;
        p = next;
    }
    out = RECT{values[0], values[1], values[2], values[3]};
    return true;
}

bool ParseColorValue(const std::string& raw, DWORD& out) {
    std::string text = Trim(raw);
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.erase(0, 2);
    if (text.size() != 6 && text.size() != 8) return false;
    uint32_t value = 0;
    auto [next, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || next != text.data() + text.size()) return false;
    out = text.size() == 6 ? (0xFF000000u | value) : value;
    return true;
}

bool ParseBoolValue(const std::string& text) {
    const std::string v = Lower(Trim(text));
    return v == "true" || v == "1";
}

std::string NormalizeSkinPath(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool ParseImageString(const std::string& text, ImageDescriptor& out) {
    out = ImageDescriptor{};
    if (text.find('=') == std::string::npos) {
        out.file = NormalizeSkinPath(Trim(text));
        return !out.file.empty();
    }
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t eq = text.find('=', pos);
        if (eq == std::string::npos) break;
        const std::string key = Lower(Trim(text.substr(pos, eq - pos)));
        size_t q1 = text.find('\'', eq);
        if (q1 == std::string::npos) break;
        const size_t q2 = text.find('\'', q1 + 1);
        if (q2 == std::string::npos) break;
        const std::string value = text.substr(q1 + 1, q2 - q1 - 1);
        pos = q2 + 1;
        if (key == "file" || key == "res") out.file = NormalizeSkinPath(value);
        else if (key == "source") ParseRectValue(value, out.source);
        else if (key == "corner") ParseRectValue(value, out.corner);
        else if (key == "dest") ParseRectValue(value, out.dest);
        else if (key == "mask") ParseColorValue(value, out.mask);
        else if (key == "fade") out.fade = std::clamp(std::atoi(value.c_str()), 0, 255);
        else if (key == "hole") out.hole = ParseBoolValue(value);
        else if (key == "xtiled") out.xtiled = ParseBoolValue(value);
        else if (key == "ytiled") out.ytiled = ParseBoolValue(value);
    }
    return !out.file.empty();
}

}  // namespace DuiLib
