#include "app/language/LanguageSwitcher.h"

#include <utility>

#include "app/language/DesktopLocale.h"
#include "app/language/InterfaceFonts.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/WindowMessages.h"
#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "store/ShippedLists.h"

namespace {

std::string LanguageKey() { return CurrentUserSoftwareKey(kAppName); }

// Language files are named by the shipped list; anything that could leave the folder is refused.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name != "." && name != "..";
}

// Every window takes the fonts of the new face.
void ResetFontsOfAllWindows() {
    for (DuiLib::CPaintManagerUI* manager : DuiLib::CPaintManagerUI::GetPaintManagers()) manager->ResetDPIAssets();
}

}  // namespace

CLanguageSwitcher::CLanguageSwitcher()
    : CLanguageSwitcher(ProgramFolder() + "DefaultData/Language.config", RegistryStore()) {}

CLanguageSwitcher::CLanguageSwitcher(std::string languageListPath, RegistryStore registry)
    : m_languageListPath(std::move(languageListPath)), m_registry(std::move(registry)) {}

bool CLanguageSwitcher::LoadFirstLanguage() {
    return DuiLib::CResourceManager::GetInstance()->LoadLanguage(std::string(kLanguageFolder) + kFirstLanguageFile);
}

int CLanguageSwitcher::ReadSavedIndex() const {
    const std::vector<LanguageEntry> list = ReadLanguageList(m_languageListPath);
    uint32_t saved = 0;
    if (m_registry.ReadDword(LanguageKey(), kLanguageValueName, saved))
        for (size_t i = 0; i < list.size(); ++i)
            if (static_cast<uint32_t>(list[i].Language_ID) == saved) return static_cast<int>(i);
    // Nothing chosen yet (or a choice this list does not have): the desktop's language.
    return DesktopLanguageIndex(list);
}

void CLanguageSwitcher::ApplySavedLanguage() { ApplyLanguage(ReadSavedIndex()); }

bool CLanguageSwitcher::ApplyLanguage(int index) {
    if (index == m_languageIndex) return false;
    const std::vector<LanguageEntry> list = ReadLanguageList(m_languageListPath);
    // Without a list the texts stay, but the face still follows the choice; an index the list
    // does not have is refused so that no half-applied language is remembered.
    if (index < 0 || (!list.empty() && static_cast<size_t>(index) >= list.size())) return false;

    if (const auto face = InterfaceFaceFor(index, m_languageIndex)) {
        RebuildInterfaceFonts(*face);
        ResetFontsOfAllWindows();
    }
    m_languageIndex = index;
    if (list.empty()) return true;

    const LanguageEntry& entry = list[static_cast<size_t>(index)];
    auto* resources = DuiLib::CResourceManager::GetInstance();
    resources->SetLanguage(entry.Language_name);
    if (!IsPlainFileName(entry.Language_file) ||
        !resources->LoadLanguage(std::string(kLanguageFolder) + entry.Language_file))
        DebugOutput("language file " + entry.Language_file + " not loaded");
    resources->ReloadText();

    if (m_registry.WriteDword(LanguageKey(), kLanguageValueName, static_cast<uint32_t>(entry.Language_ID)))
        DebugOutput("写成功！");
    return true;
}

void RefreshLanguageWindows(const std::vector<DuiLib::HWND>& windows) {
    for (const DuiLib::HWND hwnd : windows)
        if (hwnd && DuiLib::IsWindow(hwnd)) DuiLib::SendMessage(hwnd, kApplyLanguageMessage, 0, 0);
}
