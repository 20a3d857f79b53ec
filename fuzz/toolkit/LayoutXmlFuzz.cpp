// Layout files as the builder reads them: the XML document, then every attribute through the value
// readers the controls use (image strings, rectangles, colours, booleans).
#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/ImageString.h"
#include "toolkit/XmlNode.h"

namespace {
using DuiLib::detail::XmlNode;

void ReadValues(const XmlNode& node, int depth) {
    if (depth > 200) return;  // the reader refuses deeper documents before the builder sees them
    for (const auto& [key, value] : node.attributes) {
        DuiLib::ImageDescriptor image;
        DuiLib::ParseImageString(value, image);
        DuiLib::RECT rect{};
        DuiLib::ParseRectValue(value, rect);
        DuiLib::DWORD colour = 0;
        DuiLib::ParseColorValue(value, colour);
        DuiLib::ParseBoolValue(value);
        DuiLib::NormalizeSkinPath(value);
        // Attribute lookup ignores case: the first of the same name wins.
        if (node.Attribute(key) != value && !node.HasAttribute(key)) __builtin_trap();
    }
    for (const auto& child : node.children) ReadValues(*child, depth + 1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    auto root = DuiLib::detail::ParseXml(std::string(reinterpret_cast<const char*>(data), size), &error);
    if (!root) {
        if (error.empty()) __builtin_trap();  // a refusal always says why
        return 0;
    }
    ReadValues(*root, 0);
    return 0;
}
