#include "engines/headset/AudioValueText.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

std::string ValueText(const char16_t* buffer, size_t units) {
    std::string text;
    if (!buffer) return text;
    for (size_t i = 0; i < units && buffer[i] != u'\0'; ++i)
        text.push_back(buffer[i] < 0x80 ? static_cast<char>(buffer[i]) : '?');
    return text;
}

int32_t ValueTextToInt(const std::string& text) {
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

double ValueTextToDouble(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

std::vector<std::string> SplitFeatureText(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const size_t end = comma == std::string::npos ? text.size() : comma;
        if (end > start) fields.push_back(text.substr(start, end - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return fields;
}

std::u16string PropertyName(const std::string& name) { return std::u16string(name.begin(), name.end()); }
