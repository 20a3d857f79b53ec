#pragma once
// The modal message box: a language-key text, a notice (one button) or a question (two).
#include <array>
#include <string>

#include "toolkit/MessageBox.h"
#include "toolkit/WindowBase.h"

namespace DuiLib {
class CButtonUI;
}


// The DPI values the message box accepts; any other gives 96.
inline constexpr std::array<int, 7> kMessageBoxDpis{48, 72, 96, 120, 144, 168, 192};

// Sent by the platform when the monitor DPI changes: new DPI in the low word of wParam, the
// suggested window rectangle (RECT*) in lParam.
inline constexpr DuiLib::UINT kDpiChangedMessage = 0x02E0;

class CMsgWnd : public DuiLib::WindowImplBase {
public:
    std::string GetWindowClassName() const override { return "MsgWnd"; }
    std::string GetSkinFile() override { return "XML_MSG"; }
    void InitWindow() override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                        bool& bHandled) override;
    void OnFinalMessage(DuiLib::HWND hwnd) override;

    void SetTitle(const std::string& title);
    void SetText(const std::string& text, bool textIsKey);
    void SetButtons(int buttons);
    // Checks dpi against kMessageBoxDpis and, when it differs from the current one, applies it
    // to every toolkit window.
    void SetDPI(int dpi);
    int GetDPI() const { return m_dpi; }

private:
    DuiLib::CButtonUI* m_pCloseBtn = nullptr;
    int m_dpi = 96;
};

// Shows the message box modally over parent (0 for none). title and text are left as the
// layout has them when empty. Returns 1 when the user confirmed, 0 otherwise.
int ShowMessageBox(DuiLib::HWND parent, const std::string& title, const std::string& text, int dpi, int textIsKey,
                   int buttons);
