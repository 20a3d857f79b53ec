#pragma once
// Byte strings as lower-case hexadecimal text, the form the hello, the state file and the packet
// log carry them in.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace emu {

std::string ToHex(const uint8_t* data, size_t length);
inline std::string ToHex(const std::vector<uint8_t>& bytes) { return ToHex(bytes.data(), bytes.size()); }
// Accepts upper or lower case; nothing for an odd length or a non-hex character.
std::optional<std::vector<uint8_t>> FromHex(const std::string& text);

}  // namespace emu
