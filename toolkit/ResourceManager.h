#pragma once
// Process-wide resources: the layout index ("res.xml": keys such as "XML_MAIN" to files) and the
// language texts (key -> text) that key-mode controls show.
#include <map>
#include <string>

#include "toolkit/UIDefs.h"

namespace DuiLib {

class CResourceManager {
public:
    static CResourceManager* GetInstance();

    // Reads the index from the resource folder; false when missing or damaged (index unchanged).
    bool LoadResource(const std::string& indexFile = "res.xml");
    // The file a layout key names; a name that is no key is returned as it is.
    std::string GetXmlPath(const std::string& keyOrFile) const;
    void ResetResourceMap();

    void SetLanguage(const std::string& name) { m_sLanguage = name; }
    const std::string& GetLanguage() const { return m_sLanguage; }
    // Replaces the text table from a language file (relative to the resource folder, or
    // absolute); false when it cannot be read, and the current texts stay.
    bool LoadLanguage(const std::string& file);
    // The text of a key: the language file's, else the query interface's, else the key itself.
    std::string GetText(const std::string& key, const std::string& controlClass = {}) const;
    bool HasText(const std::string& key) const { return m_texts.count(key) != 0; }
    // Every key-mode control of every window takes its text again.
    void ReloadText();
    void ResetTextMap() { m_texts.clear(); }
    void SetTextQueryInterface(IQueryControlText* query) { m_pQuery = query; }
    // Drops texts, index and query interface (program end).
    void Release();

private:
    std::map<std::string, std::string> m_layouts;
    std::map<std::string, std::string> m_texts;
    std::string m_sLanguage;
    IQueryControlText* m_pQuery = nullptr;
};

}  // namespace DuiLib
