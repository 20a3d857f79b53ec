#pragma once
// Internal: a parsed XML element (name, attributes in document order, children, text), read
// whole with QXmlStreamReader so that the builder can walk it freely.
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace DuiLib::detail {

struct XmlNode {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<std::unique_ptr<XmlNode>> children;
    std::string text;

    // The value of an attribute (name compared without regard to case), or fallback.
    std::string Attribute(const std::string& attr, const std::string& fallback = {}) const;
    bool HasAttribute(const std::string& attr) const;
};

// Nullptr and a reason when the bytes are no well-formed XML document.
std::unique_ptr<XmlNode> ParseXml(const std::string& bytes, std::string* error = nullptr);
std::unique_ptr<XmlNode> ParseXmlFile(const std::string& path, std::string* error = nullptr);
bool SameNoCase(const std::string& a, const std::string& b);

}  // namespace DuiLib::detail
