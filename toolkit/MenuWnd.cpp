#include "toolkit/MenuWnd.h"

#include <QPainter>
#include <QWidget>

#include "toolkit/Container.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;

namespace {
constexpr size_t kMaxItemName = 256;
}

void DeletePtr(MenuCmd* cmd) { delete cmd; }

CMenuElementUI::CMenuElementUI() {
    m_look = Look::Flat;
    m_uTextStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    m_rcTextPadding = RECT{14, 0, 14, 0};
    m_cxyFixed.cy = 32;
}

std::string CMenuElementUI::GetClass() const { return "MenuElementUI"; }

void* CMenuElementUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "MenuElement") ? this : CButtonUI::GetInterface(name);
}

bool CMenuElementUI::Activate() {
    if (!CControlUI::Activate()) return false;
    CPaintManagerUI* manager = m_pManager;
    if (!manager) return false;
    if (auto* menu = dynamic_cast<CMenuWnd*>(FromHandle(manager->GetPaintWindow()))) return menu->ChooseItem(this);
    return CButtonUI::Activate();
}

void CMenuElementUI::PaintStatusImage(QPainter& painter) {
    if ((m_uButtonState & UISTATE_HOT) && IsEnabledInTree())
        painter.fillRect(detail::ToQRect(m_rcItem), detail::ToQColor(Theme::kSurface));
    CButtonUI::PaintStatusImage(painter);
}

CMenuWnd::CMenuWnd() = default;

void CMenuWnd::Init(HWND owner, const std::string& layout, POINT screenPoint, DWORD alignment) {
    m_hOwner = owner;
    m_sLayout = layout;
    Create(owner, "menu", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    if (QWidget* host = GetHostWidget()) host->setWindowFlag(Qt::Popup);
    MoveTo(screenPoint, alignment);
    ShowWindow(true);
}

void CMenuWnd::MoveTo(POINT pt, DWORD alignment) {
    QWidget* host = GetHostWidget();
    if (!host) return;
    int x = pt.x, y = pt.y;
    if (alignment & eMenuAlignment_Right) x = pt.x - host->width();
    if (alignment & eMenuAlignment_Bottom) y = pt.y - host->height();
    host->move(x, y);
}

CControlUI* CMenuWnd::CreateControl(const std::string& className) {
    if (SameNoCase(className, "Menu")) return new CVerticalLayoutUI();
    if (SameNoCase(className, "MenuElement")) return new CMenuElementUI();
    return nullptr;
}

bool CMenuWnd::ChooseItem(CControlUI* item) {
    auto* cmd = new MenuCmd;
    cmd->szName = item->GetName().substr(0, kMaxItemName);
    cmd->szUserData = item->GetUserData();
    cmd->szText = item->GetText();
    const bool posted = DuiLib::PostMessage(m_hOwner, WM_MENUCLICK, reinterpret_cast<WPARAM>(cmd), 0,
                                            [cmd] { DeletePtr(cmd); });
    if (!posted) DeletePtr(cmd);
    Close(IDOK);
    return posted;
}

void CMenuWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == DUI_MSGTYPE_CLICK) return;  // items act in Activate
    WindowImplBase::Notify(msg);
}

void CMenuWnd::OnFinalMessage(HWND) { delete this; }

}  // namespace DuiLib
