// Language files ("lan_*.xml"): the XML document, then the key and text of every entry the way the
// resource manager takes them (key or id; the value attribute, else the element's text).
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "toolkit/XmlNode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    auto root = DuiLib::detail::ParseXml(std::string(reinterpret_cast<const char*>(data), size), &error);
    if (!root) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    std::map<std::string, std::string> texts;
    for (const auto& child : root->children) {
        const std::string key = child->Attribute("key", child->Attribute("id"));
        if (key.empty()) continue;
        texts[key] = child->HasAttribute("value") ? child->Attribute("value") : child->text;
    }
    root->Attribute("name");
    return 0;
}
