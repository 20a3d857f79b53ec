#include "HexText.h"

#include <cctype>
#include <cstdio>

namespace {

bool IsSeparator(char c) { return std::isspace(static_cast<unsigned char>(c)) || c == ',' || c == ':'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseToken(std::string token, std::vector<uint8_t>& bytes, std::string& error) {
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) token = token.substr(2);
    for (char c : token) {
        if (HexDigit(c) < 0) {
            error = "not a hexadecimal digit: '" + std::string(1, c) + "' in \"" + token + "\"";
            return false;
        }
    }
    if (token.size() <= 2) {
        int value = 0;
        for (char c : token) value = value * 16 + HexDigit(c);
        bytes.push_back(static_cast<uint8_t>(value));
        return true;
    }
    if (token.size() % 2 != 0) {
        error = "odd number of hexadecimal digits in \"" + token + "\"";
        return false;
    }
    for (size_t i = 0; i < token.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(HexDigit(token[i]) * 16 + HexDigit(token[i + 1])));
    return true;
}

}  // namespace

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    std::string token;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || IsSeparator(text[i])) {
            if (!token.empty() && !ParseToken(token, bytes, error)) return false;
            token.clear();
        } else {
            token += text[i];
        }
    }
    return true;
}

bool LooksLikeHexText(const std::vector<uint8_t>& bytes) {
    bool anyDigit = false;
    for (uint8_t b : bytes) {
        const char c = static_cast<char>(b);
        if (HexDigit(c) >= 0) {
            anyDigit = true;
        } else if (!IsSeparator(c) && c != 'x' && c != 'X') {
            return false;
        }
    }
    return anyDigit;
}

std::string ToHex(const uint8_t* bytes, size_t length) {
    std::string text;
    char digits[4];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(digits, sizeof digits, i ? " %02x" : "%02x", bytes[i]);
        text += digits;
    }
    return text;
}
