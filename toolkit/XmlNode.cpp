#include "toolkit/XmlNode.h"

#include <QXmlStreamReader>
#include <cctype>

#include "toolkit/QtConvert.h"
#include "platform/Files.h"

namespace DuiLib::detail {

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::string XmlNode::Attribute(const std::string& attr, const std::string& fallback) const {
    for (const auto& [key, value] : attributes)
        if (SameNoCase(key, attr)) return value;
    return fallback;
}

bool XmlNode::HasAttribute(const std::string& attr) const {
    for (const auto& entry : attributes)
        if (SameNoCase(entry.first, attr)) return true;
    return false;
}

std::unique_ptr<XmlNode> ParseXml(const std::string& bytes, std::string* error) {
    QXmlStreamReader reader(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    std::unique_ptr<XmlNode> root;
    std::vector<XmlNode*> stack;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            auto node = std::make_unique<XmlNode>();
            node->name = FromQ(reader.name().toString());
            for (const auto& a : reader.attributes())
                node->attributes.emplace_back(FromQ(a.name().toString()), FromQ(a.value().toString()));
            XmlNode* raw = node.get();
            if (stack.empty()) {
                if (root) break;  // a second root element is malformed; the reader flags it
                root = std::move(node);
            } else {
                stack.back()->children.push_back(std::move(node));
            }
            stack.push_back(raw);
        } else if (token == QXmlStreamReader::EndElement) {
            if (!stack.empty()) stack.pop_back();
        } else if (token == QXmlStreamReader::Characters && !stack.empty() && !reader.isWhitespace()) {
            stack.back()->text += FromQ(reader.text().toString());
        }
    }
    if (reader.hasError() || !root) {
        if (error) *error = reader.hasError() ? FromQ(reader.errorString()) : "no root element";
        return nullptr;
    }
    return root;
}

std::unique_ptr<XmlNode> ParseXmlFile(const std::string& path, std::string* error) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        if (error) *error = "cannot read " + path;
        return nullptr;
    }
    return ParseXml(bytes, error);
}

}  // namespace DuiLib::detail
