#pragma once
// The About window: the application's version line in the current language.
#include <string>

#include "toolkit/WindowBase.h"

class CAboutWnd : public DuiLib::WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "AboutWnd"; }
    std::string GetSkinFile() override { return "AboutWnd.xml"; }
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                        bool& bHandled) override;
    DuiLib::LRESULT OnSysCommand(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                 bool& bHandled) override;
    void OnFinalMessage(DuiLib::HWND hwnd) override;

    // "software_rev_text" in the current language followed by the application's product label.
    void SetVersionLine();

private:
    void UpdateMaximiseButtons();

    DuiLib::CControlUI* m_pCloseBtn = nullptr;
    DuiLib::CControlUI* m_pMaxBtn = nullptr;
    DuiLib::CControlUI* m_pRestoreBtn = nullptr;
    DuiLib::CControlUI* m_pMinBtn = nullptr;
    DuiLib::CControlUI* m_pMenuBtn = nullptr;
    bool m_bWasMaximized = false;
};

// Opens the About window modally over the main window; does nothing while one is open.
void ShowAbout(DuiLib::HWND mainWindow);
// The open About window (0 when none), so that language changes reach it.
DuiLib::HWND AboutWindowHandle();
