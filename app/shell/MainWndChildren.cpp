#include "app/shell/MainWndChildren.h"

#include <string>

#include "app/dialogs/AboutWnd.h"
#include "app/language/LanguageSwitcher.h"
#include "app/music/MusicWnd.h"
#include "app/shell/MainWnd.h"
#include "app/skins/SkinFrame.h"
#include "toolkit/WindowMessages.h"
#include "platform/DebugOutput.h"

namespace {
CLanguageSwitcher& Switcher() {
    static CLanguageSwitcher switcher;
    return switcher;
}
}  // namespace

void ApplyStartupLanguage(CMainWnd&) {
    CLanguageSwitcher& switcher = Switcher();
    if (!switcher.LoadFirstLanguage()) DebugOutput("language: \"lan_cn.xml\" could not be read");
    switcher.ApplySavedLanguage();
    DuiLib::CPaintManagerUI::ReloadAllText();
}

void ApplyLanguageMessage(CMainWnd&, DuiLib::WPARAM languageIndex) {
    if (!Switcher().ApplyLanguage(static_cast<int>(languageIndex))) return;
    DuiLib::CPaintManagerUI::ReloadAllText();
    RefreshLanguageWindows({AboutWindowHandle(), SettingsWindowHandle()});
}

void OpenAboutWindow(CMainWnd& window) { ShowAbout(window.GetHWND()); }

void OpenSkinChooser(CMainWnd& window) { CSkinFrame::Open(window.GetHWND(), window.FindControl("skinbtn")); }

// The settings window with the update check comes with the online update.
void OpenSettingsWindow(CMainWnd&, bool) { DebugOutput("settings: the settings window is not built yet"); }

void CloseChildWindows(CMainWnd&) {
    if (DuiLib::HWND about = AboutWindowHandle()) DuiLib::SendMessage(about, DuiLib::WM_CLOSE);
    if (DuiLib::HWND music = MusicWindowHandle()) DuiLib::SendMessage(music, DuiLib::WM_CLOSE);
}

DuiLib::HWND SettingsWindowHandle() { return 0; }
