#include "toolkit/ResourceManager.h"

#include <functional>

#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"
#include "toolkit/XmlNode.h"
#include "platform/DebugOutput.h"

namespace DuiLib {
namespace {

std::string InResourceFolder(const std::string& file) {
    const std::string normal = NormalizeSkinPath(file);
    if (!normal.empty() && normal.front() == '/') return normal;
    return CPaintManagerUI::GetResourcePath() + normal;
}

}  // namespace

CResourceManager* CResourceManager::GetInstance() {
    static CResourceManager instance;
    return &instance;
}

bool CResourceManager::LoadResource(const std::string& indexFile) {
    std::string error;
    auto root = detail::ParseXmlFile(InResourceFolder(indexFile), &error);
    if (!root) {
        DebugOutput("res.xml: " + error);
        return false;
    }
    // Any element carrying id and path is an entry, however the index groups them.
    std::function<void(const detail::XmlNode&)> collect = [&](const detail::XmlNode& node) {
        const std::string id = node.Attribute("id", node.Attribute("key"));
        const std::string path = node.Attribute("path", node.Attribute("file"));
        if (!id.empty() && !path.empty()) m_layouts[id] = NormalizeSkinPath(path);
        for (const auto& child : node.children) collect(*child);
    };
    collect(*root);
    return true;
}

std::string CResourceManager::GetXmlPath(const std::string& keyOrFile) const {
    auto it = m_layouts.find(keyOrFile);
    return it == m_layouts.end() ? keyOrFile : it->second;
}

void CResourceManager::ResetResourceMap() { m_layouts.clear(); }

bool CResourceManager::LoadLanguage(const std::string& file) {
    std::string error;
    auto root = detail::ParseXmlFile(InResourceFolder(file), &error);
    if (!root) {
        DebugOutput("LoadLanguage " + file + ": " + error);
        return false;
    }
    std::map<std::string, std::string> texts;
    for (const auto& child : root->children) {
        const std::string key = child->Attribute("key", child->Attribute("id"));
        if (key.empty()) continue;
        texts[key] = child->HasAttribute("value") ? child->Attribute("value") : child->text;
    }
    m_texts = std::move(texts);
    if (root->HasAttribute("name")) m_sLanguage = root->Attribute("name");
    return true;
}

std::string CResourceManager::GetText(const std::string& key, const std::string& controlClass) const {
    if (auto it = m_texts.find(key); it != m_texts.end()) return it->second;
    if (m_pQuery) {
        if (const char* text = m_pQuery->QueryControlText(key, controlClass)) return text;
    }
    return key;
}

void CResourceManager::ReloadText() { CPaintManagerUI::ReloadAllText(); }

void CResourceManager::Release() {
    m_layouts.clear();
    m_texts.clear();
    m_sLanguage.clear();
    m_pQuery = nullptr;
}

}  // namespace DuiLib
