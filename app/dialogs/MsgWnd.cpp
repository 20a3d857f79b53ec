#include "app/dialogs/MsgWnd.h"

#include <algorithm>

#include "toolkit/Button.h"
#include "toolkit/PaintManager.h"
#include "platform/DebugOutput.h"

using namespace DuiLib;

namespace {
constexpr int kDefaultDpi = 96;
bool IsAcceptedDpi(int dpi) {
    return std::find(kMessageBoxDpis.begin(), kMessageBoxDpis.end(), dpi) != kMessageBoxDpis.end();
}
}  // namespace

void CMsgWnd::InitWindow() { m_pCloseBtn = static_cast<CButtonUI*>(FindControl("closebtn")); }

void CMsgWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender) {
        const std::string& name = msg.pSender->GetName();
        if (name == "confirm_btn") return Close(1);
        if (name == "cancel_btn" || name == "closebtn") return Close(0);
    }
    WindowImplBase::Notify(msg);
}

LRESULT CMsgWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    if (msg != kDpiChangedMessage) return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, bHandled);
    bHandled = true;
    m_dpi = static_cast<int>(wParam & 0xFFFF);
    m_pm.SetDPI(m_dpi);
    m_pm.ResetDPIAssets();
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        MoveWindow(suggested->left, suggested->top);
        ResizeClient(suggested->Width(), suggested->Height());
    }
    if (CControlUI* root = m_pm.GetRoot()) root->NeedUpdate();
    return 0;
}

void CMsgWnd::OnFinalMessage(HWND) { delete this; }

void CMsgWnd::SetTitle(const std::string& title) {
    if (CControlUI* label = FindControl("MessageTitle")) label->SetText(title);
}

void CMsgWnd::SetText(const std::string& text, bool textIsKey) {
    if (CControlUI* label = FindControl("MessageText")) {
        label->SetResourceText(textIsKey);
        label->SetText(text);
    }
}

void CMsgWnd::SetButtons(int buttons) {
    CControlUI* confirm = FindControl("confirm_btn");
    CControlUI* cancel = FindControl("cancel_btn");
    if (!confirm || !cancel) return;
    if (buttons == kMessageBoxNotice) {
        cancel->SetVisible(false);
        confirm->SetVisible(true);
    } else if (buttons == kMessageBoxQuestion) {
        cancel->SetVisible(true);
        confirm->SetVisible(true);
    }
}

void CMsgWnd::SetDPI(int dpi) {
    if (!IsAcceptedDpi(dpi)) {
        DebugOutput("MSG_WND DPI SET ERROR");
        dpi = kDefaultDpi;
    }
    if (dpi == m_dpi) return;
    m_dpi = dpi;
    CPaintManagerUI::SetAllDPI(dpi);
}

int ShowMessageBox(HWND parent, const std::string& title, const std::string& text, int dpi, int textIsKey,
                   int buttons) {
    auto* box = new CMsgWnd();
    box->Create(parent, "msgwnd", WS_POPUP, WS_EX_TOOLWINDOW);
    if (!box->FindControl("confirm_btn")) {
        // Without its layout the box could never be answered: it closes at once as "not confirmed".
        DebugOutput("MsgWnd: layout XML_MSG has no confirm_btn");
        box->Close(0);
        box->ShowModal();
        return 0;
    }
    if (!title.empty()) box->SetTitle(title);
    if (!text.empty()) box->SetText(text, textIsKey != 0);
    box->SetDPI(dpi);
    box->SetButtons(buttons);
    box->CenterWindow();
    // The window deletes itself after its last message; only the result is used afterwards.
    return box->ShowModal() == 1 ? 1 : 0;
}
