#include "app/dialogs/AboutWnd.h"

#include "app/language/LanguageSwitcher.h"
#include "toolkit/Control.h"
#include "toolkit/WindowMessages.h"
#include "device/registry/ModelRegistry.h"

using namespace DuiLib;

namespace {
constexpr int kAboutWidth = 800;
constexpr int kAboutHeight = 572;
HWND g_aboutWindow = 0;
}  // namespace

void CAboutWnd::InitWindow() {
    m_pCloseBtn = FindControl("closebtn");
    m_pMaxBtn = FindControl("maxbtn");
    m_pRestoreBtn = FindControl("restorebtn");
    m_pMinBtn = FindControl("minbtn");
    m_pMenuBtn = FindControl("menubtn");
}

void CAboutWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender) {
        const std::string& name = msg.pSender->GetName();
        if (name == "closebtn") return Close(0);
        if (name == "menubtn" || name == "homepage_btn") return;
    }
    WindowImplBase::Notify(msg);
}

LRESULT CAboutWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    if (msg != kApplyLanguageMessage) return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, bHandled);
    bHandled = true;
    SetVersionLine();
    m_pm.Invalidate();
    if (CControlUI* root = m_pm.GetRoot()) root->NeedUpdate();
    return 0;
}

LRESULT CAboutWnd::OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    // Let the toolkit carry out the command first, then follow the new state with the buttons.
    bHandled = true;
    const LRESULT result = CWindowWnd::HandleMessage(msg, wParam, lParam);
    UpdateMaximiseButtons();
    return result;
}

void CAboutWnd::UpdateMaximiseButtons() {
    const bool maximized = IsMaximized();
    if (maximized == m_bWasMaximized) return;
    m_bWasMaximized = maximized;
    if (m_pMaxBtn) m_pMaxBtn->SetVisible(!maximized);
    if (m_pRestoreBtn) m_pRestoreBtn->SetVisible(maximized);
}

void CAboutWnd::OnFinalMessage(HWND hwnd) {
    if (g_aboutWindow == hwnd) g_aboutWindow = 0;
    delete this;
}

void CAboutWnd::SetVersionLine() {
    CControlUI* probe = FindControl("text_test");
    CControlUI* version = FindControl("software_ver_label");
    if (!probe || !version) return;
    // The hidden label resolves the key in the current language.
    probe->SetResourceText(true);
    probe->SetText("software_rev_text");
    version->SetResourceText(false);
    version->SetText(probe->GetText() + ProductTable().back().extraLabel);
}

void ShowAbout(HWND mainWindow) {
    if (g_aboutWindow && IsWindow(g_aboutWindow)) return;
    auto* about = new CAboutWnd();
    g_aboutWindow = about->Create(mainWindow, "  ", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, kAboutWidth,
                                  kAboutHeight);
    about->SetVersionLine();
    about->CenterWindow();
    about->ShowModal();
}

HWND AboutWindowHandle() { return g_aboutWindow; }
