#pragma once
// Hexadecimal byte strings as people type them: "04 00 00 01", "04000001", "0x04,0x01".
#include <cstdint>
#include <string>
#include <vector>

// Tokens are separated by white space, ',' or ':'; a "0x" prefix is allowed. A token of one or two
// digits is one byte; a longer one is read as pairs and must have an even length.
bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& bytes, std::string& error);

// True when the bytes are hex text (digits, separators, "0x") rather than a binary descriptor.
bool LooksLikeHexText(const std::vector<uint8_t>& bytes);

std::string ToHex(const uint8_t* bytes, size_t length);  // "04 01 00 01"
