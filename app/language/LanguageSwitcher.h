#pragma once
// The interface language: chosen at start-up from the saved registry value, switched on request
// (message 3089 from the settings window), with the interface face that goes with it.
//
// Main window use:
//   InitWindow:       switcher.LoadFirstLanguage();
//   window init:      switcher.ApplySavedLanguage();
//   message 3089:     if (switcher.ApplyLanguage(int(wParam))) { redraw; RefreshLanguageWindows({...}); }
#include <string>
#include <vector>

#include "toolkit/UIDefs.h"
#include "platform/RegistryStore.h"

// Sent by the settings window with the language index; sent with 0 to open windows so that
// they resolve their texts again.
inline constexpr DuiLib::UINT kApplyLanguageMessage = 3089;
// The registry value that holds the chosen "Language_ID".
inline constexpr const char* kLanguageValueName = "LANGUAGE";
// Loaded before any choice is known.
inline constexpr const char* kFirstLanguageFile = "lan_cn.xml";
// Language files live here, below the skin folder.
inline constexpr const char* kLanguageFolder = "lang/";

class CLanguageSwitcher {
public:
    // The shipped list (program folder + "DefaultData/Language.config") and the user's registry.
    CLanguageSwitcher();
    CLanguageSwitcher(std::string languageListPath, RegistryStore registry);

    // Loads kFirstLanguageFile; false when it cannot be read.
    bool LoadFirstLanguage();
    // The index whose "Language_ID" the registry holds; without one, the desktop's language
    // (DesktopLanguageIndex).
    int ReadSavedIndex() const;
    // ApplyLanguage(ReadSavedIndex()).
    void ApplySavedLanguage();
    // Faces, current language, texts and the saved value for index n. False, with nothing
    // changed, when n is already current or the list has no element n.
    bool ApplyLanguage(int index);
    // -1 before the first choice.
    int GetLanguageIndex() const { return m_languageIndex; }
    const std::string& GetLanguageListPath() const { return m_languageListPath; }

private:
    std::string m_languageListPath;
    RegistryStore m_registry;
    int m_languageIndex = -1;
};

// Sends kApplyLanguageMessage with wParam 0 to each of the windows that still exists.
void RefreshLanguageWindows(const std::vector<DuiLib::HWND>& windows);
