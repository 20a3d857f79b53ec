#pragma once
// What the main window asks of the language, skin, About and settings windows: every call into
// those modules goes through here.
#include "toolkit/UIDefs.h"

class CMainWnd;

// The saved language (or the default) applied to every window.
void ApplyStartupLanguage(CMainWnd& window);
// Message 3089: language index wParam.
void ApplyLanguageMessage(CMainWnd& window, DuiLib::WPARAM languageIndex);
void OpenAboutWindow(CMainWnd& window);
void OpenSkinChooser(CMainWnd& window);
// centred: from the tray menu; otherwise beside the caption's settings button.
void OpenSettingsWindow(CMainWnd& window, bool centred);
// The window's background follows the skin chooser from InitWindow until the window goes.
void WatchSkinChanges(CMainWnd& window);
// When the window goes: every child window is closed at once, and skin changes are no longer watched.
void DestroyChildWindows(CMainWnd& window);
// Every slider with a label named after it ("<slider>_value") beside it shows its value there.
void SyncSliderValueLabels(CMainWnd& window);
// WM_CLOSE to every open child window.
void CloseChildWindows(CMainWnd& window);
// The settings window's handle while it is open, else 0.
DuiLib::HWND SettingsWindowHandle();
