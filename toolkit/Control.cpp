#include "toolkit/Control.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "toolkit/ControlHost.h"
#include "toolkit/ImageDrawer.h"
#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/Theme.h"

namespace DuiLib {
namespace {

bool EqualsNoCase(const std::string& a, const char* b) {
    size_t n = std::char_traits<char>::length(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

UINT AlignStyle(UINT style, const std::string& value) {
    if (value.find("left") != std::string::npos) style = (style & ~(DT_CENTER | DT_RIGHT)) | DT_LEFT;
    if (value.find("center") != std::string::npos) style = (style & ~(DT_LEFT | DT_RIGHT)) | DT_CENTER;
    if (value.find("right") != std::string::npos) style = (style & ~(DT_LEFT | DT_CENTER)) | DT_RIGHT;
    if (value.find("top") != std::string::npos) style = style & ~(DT_VCENTER | DT_BOTTOM);
    if (value.find("vcenter") != std::string::npos) style = (style & ~DT_BOTTOM) | DT_VCENTER;
    if (value.find("bottom") != std::string::npos) style = (style & ~DT_VCENTER) | DT_BOTTOM;
    return style;
}

}  // namespace

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (m_pManager) m_pManager->ReapObjects(this);
    if (m_pWidget) {
        if (auto* host = dynamic_cast<detail::HostBase*>(m_pWidget)) host->Detach();
        detail::DeleteWidget(m_pWidget);
        m_pWidget = nullptr;
    }
}

std::string CControlUI::GetClass() const { return "ControlUI"; }

void* CControlUI::GetInterface(const std::string& name) {
    return EqualsNoCase(name, "Control") ? this : nullptr;
}

void CControlUI::SetName(const std::string& name) { m_sName = name; }

std::string CControlUI::GetText() const {
    if (!m_bResourceText) return m_sText;
    return CResourceManager::GetInstance()->GetText(m_sText, GetClass());
}

void CControlUI::SetText(const std::string& text) {
    m_sText = text;
    OnTextChanged();
    Invalidate();
}

void CControlUI::SetResourceText(bool isKey) {
    if (m_bResourceText == isKey) return;
    m_bResourceText = isKey;
    ReloadText();
}

std::string CControlUI::GetToolTip() const {
    if (!m_bResourceText) return m_sToolTip;
    return CResourceManager::GetInstance()->GetText(m_sToolTip, GetClass());
}

void CControlUI::SetToolTip(const std::string& text) {
    m_sToolTip = text;
    if (m_pWidget) m_pWidget->setToolTip(detail::ToQ(GetToolTip()));
}

void CControlUI::ReloadText() {
    OnTextChanged();
    if (m_pWidget) m_pWidget->setToolTip(detail::ToQ(GetToolTip()));
    Invalidate();
}

int CControlUI::Scale(int logical) const { return m_pManager ? m_pManager->GetDPIObj()->Scale(logical) : logical; }

RECT CControlUI::Scale(RECT r) const { return m_pManager ? m_pManager->GetDPIObj()->Scale(r) : r; }

void CControlUI::SetPos(RECT rc, bool needInvalidate) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    m_rcItem = rc;
    m_bUpdateNeeded = false;
    PlaceWidget();
    if (needInvalidate) Invalidate();
}

void CControlUI::PlaceWidget() {
    if (!m_pWidget || !m_pWidget->parentWidget()) return;
    POINT origin;
    if (m_pParent && m_pParent->m_pWidget == m_pWidget->parentWidget())
        origin = POINT{m_pParent->m_rcItem.left, m_pParent->m_rcItem.top};
    m_pWidget->setGeometry(m_rcItem.left - origin.x, m_rcItem.top - origin.y, m_rcItem.Width(), m_rcItem.Height());
}

RECT CControlUI::GetPadding() const { return Scale(m_rcPadding); }
void CControlUI::SetPadding(RECT logical) { m_rcPadding = logical; NeedParentUpdate(); }
int CControlUI::GetFixedWidth() const { return Scale(m_cxyFixed.cx); }
int CControlUI::GetFixedHeight() const { return Scale(m_cxyFixed.cy); }
void CControlUI::SetFixedWidth(int logical) { m_cxyFixed.cx = std::max(0, logical); NeedParentUpdate(); }
void CControlUI::SetFixedHeight(int logical) { m_cxyFixed.cy = std::max(0, logical); NeedParentUpdate(); }
int CControlUI::GetMinWidth() const { return Scale(m_cxyMin.cx); }
int CControlUI::GetMaxWidth() const { return Scale(m_cxyMax.cx); }
int CControlUI::GetMinHeight() const { return Scale(m_cxyMin.cy); }
int CControlUI::GetMaxHeight() const { return Scale(m_cxyMax.cy); }
void CControlUI::SetMinWidth(int logical) { m_cxyMin.cx = std::max(0, logical); NeedParentUpdate(); }
void CControlUI::SetMaxWidth(int logical) { m_cxyMax.cx = std::max(0, logical); NeedParentUpdate(); }
void CControlUI::SetMinHeight(int logical) { m_cxyMin.cy = std::max(0, logical); NeedParentUpdate(); }
void CControlUI::SetMaxHeight(int logical) { m_cxyMax.cy = std::max(0, logical); NeedParentUpdate(); }

SIZE CControlUI::EstimateSize(SIZE) { return SIZE{GetFixedWidth(), GetFixedHeight()}; }

void CControlUI::SetFloat(bool floating) { m_bFloat = floating; NeedParentUpdate(); }

void CControlUI::SetFloatPos(RECT logical) {
    m_rcFloat = logical;
    m_cxyFixed = SIZE{std::max(0, logical.Width()), std::max(0, logical.Height())};
    NeedParentUpdate();
}

void CControlUI::SetBkColor(DWORD argb) { m_dwBackColor = argb; Invalidate(); }
void CControlUI::SetBkImage(const std::string& image) { m_sBkImage = image; Invalidate(); }
void CControlUI::SetBorderColor(DWORD argb) { m_dwBorderColor = argb; Invalidate(); }
void CControlUI::SetFocusBorderColor(DWORD argb) { m_dwFocusBorderColor = argb; Invalidate(); }
void CControlUI::SetBorderSize(int logical) { m_nBorderSize = std::max(0, logical); Invalidate(); }
void CControlUI::SetBorderRound(SIZE logical) { m_cxyBorderRound = logical; Invalidate(); }
void CControlUI::SetTextColor(DWORD argb) { m_dwTextColor = argb; ApplyWidgetState(); Invalidate(); }
void CControlUI::SetDisabledTextColor(DWORD argb) { m_dwDisabledTextColor = argb; Invalidate(); }

void CControlUI::SetFont(int fontId) {
    m_iFont = fontId;
    if (m_pWidget) m_pWidget->setFont(GetQFont());
    NeedParentUpdate();
    Invalidate();
}

void CControlUI::SetTextStyle(UINT style) { m_uTextStyle = style; ApplyWidgetState(); Invalidate(); }
RECT CControlUI::GetTextPadding() const { return Scale(m_rcTextPadding); }
void CControlUI::SetTextPadding(RECT logical) { m_rcTextPadding = logical; Invalidate(); }

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    m_bVisible = visible;
    ApplyWidgetVisibility();
    NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    if (m_bInternVisible == visible) return;
    m_bInternVisible = visible;
    ApplyWidgetVisibility();
}

void CControlUI::ApplyWidgetVisibility() {
    if (!m_pWidget || !m_pWidget->parentWidget()) return;
    m_pWidget->setVisible(IsVisible());
}

void CControlUI::SetEnabled(bool enabled) {
    m_bEnabled = enabled;
    if (!enabled) m_uButtonState = 0;
    if (m_pWidget) m_pWidget->setEnabled(enabled);
    Invalidate();
}

bool CControlUI::IsEnabledInTree() const { return m_pWidget ? m_pWidget->isEnabled() : m_bEnabled; }

void CControlUI::SetFocus() {
    if (m_pWidget) m_pWidget->setFocus(Qt::OtherFocusReason);
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    m_pManager = manager;
    m_pParent = parent;
    if (init && parent) Init();
}

bool CControlUI::VisitTree(const std::function<bool(CControlUI*)>& visitor) { return visitor(this); }

void CControlUI::Init() {
    // A control can be attached more than once (built with a manager, then added to a page).
    if (m_bInited) return;
    m_bInited = true;
    DoInit();
}

void CControlUI::Invalidate() {
    if (m_pWidget) m_pWidget->update();
}

void CControlUI::NeedUpdate() {
    m_bUpdateNeeded = true;
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
    if (m_pParent) m_pParent->NeedUpdate();
    else NeedUpdate();
}

void CControlUI::OnDPIChanged() {
    ApplyWidgetState();
    NeedUpdate();
}

void CControlUI::Event(TEventUI& event) { DoEvent(event); }

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        Invalidate();
        break;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        Invalidate();
        break;
    case UIEVENT_TIMER:
        if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_TIMER, event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (m_bMenuUsed && m_pManager) {
            m_pManager->SendNotify(this, DUI_MSGTYPE_MENU, event.wParam, event.lParam);
            return;
        }
        break;
    default:
        break;
    }
    event.bDefaultHandling = true;
}

void CControlUI::DoPaint(QPainter& painter, const RECT&) {
    PaintBkColor(painter);
    PaintBkImage(painter);
    PaintStatusImage(painter);
    PaintText(painter);
    PaintBorder(painter);
}

void CControlUI::PaintBkColor(QPainter& painter) {
    if (m_dwBackColor == 0) return;
    const QRect r = detail::ToQRect(m_rcItem);
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        QPainterPath path;
        path.addRoundedRect(r, Scale(m_cxyBorderRound.cx) / 2.0, Scale(m_cxyBorderRound.cy) / 2.0);
        painter.fillPath(path, detail::ToQColor(m_dwBackColor));
    } else {
        painter.fillRect(r, detail::ToQColor(m_dwBackColor));
    }
}

void CControlUI::PaintBkImage(QPainter& painter) {
    if (!m_sBkImage.empty()) DrawImage(painter, m_sBkImage);
}

void CControlUI::PaintStatusImage(QPainter&) {}

void CControlUI::PaintText(QPainter&) {}

void CControlUI::PaintBorder(QPainter& painter) {
    DWORD color = m_bFocused && m_dwFocusBorderColor ? m_dwFocusBorderColor : m_dwBorderColor;
    if (m_nBorderSize <= 0 || color == 0) return;
    const int width = std::max(1, Scale(m_nBorderSize));
    QPen pen(detail::ToQColor(color));
    pen.setWidth(width);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const double inset = width / 2.0;
    const QRectF r = QRectF(detail::ToQRect(m_rcItem)).adjusted(inset, inset, -inset, -inset);
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)
        painter.drawRoundedRect(r, Scale(m_cxyBorderRound.cx) / 2.0, Scale(m_cxyBorderRound.cy) / 2.0);
    else painter.drawRect(r);
}

bool CControlUI::DrawImage(QPainter& painter, const std::string& image) {
    const CDPI defaultDpi;
    return detail::DrawImageString(painter, m_rcItem, image, m_pManager ? *m_pManager->GetDPIObj() : defaultDpi);
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::SetAttribute(const std::string& name, const std::string& value) {
    RECT rc;
    DWORD color = 0;
    const int number = std::atoi(value.c_str());
    if (EqualsNoCase(name, "name")) SetName(value);
    else if (EqualsNoCase(name, "text")) SetText(value);
    else if (EqualsNoCase(name, "tooltip")) SetToolTip(value);
    else if (EqualsNoCase(name, "userdata")) SetUserData(value);
    else if (EqualsNoCase(name, "tag")) SetTag(std::strtoull(value.c_str(), nullptr, 10));
    else if (EqualsNoCase(name, "resourcetext")) SetResourceText(ParseBoolValue(value));
    else if (EqualsNoCase(name, "pos")) {
        if (ParseRectValue(value, rc)) SetFloatPos(rc);
    } else if (EqualsNoCase(name, "float")) SetFloat(ParseBoolValue(value));
    else if (EqualsNoCase(name, "padding")) {
        if (ParseRectValue(value, rc)) SetPadding(rc);
    } else if (EqualsNoCase(name, "width")) SetFixedWidth(number);
    else if (EqualsNoCase(name, "height")) SetFixedHeight(number);
    else if (EqualsNoCase(name, "minwidth")) SetMinWidth(number);
    else if (EqualsNoCase(name, "minheight")) SetMinHeight(number);
    else if (EqualsNoCase(name, "maxwidth")) SetMaxWidth(number);
    else if (EqualsNoCase(name, "maxheight")) SetMaxHeight(number);
    else if (EqualsNoCase(name, "bkcolor") || EqualsNoCase(name, "bkcolor1")) {
        if (ParseColorValue(value, color)) SetBkColor(color);
    } else if (EqualsNoCase(name, "bordercolor")) {
        if (ParseColorValue(value, color)) SetBorderColor(color);
    } else if (EqualsNoCase(name, "focusbordercolor")) {
        if (ParseColorValue(value, color)) SetFocusBorderColor(color);
    } else if (EqualsNoCase(name, "textcolor")) {
        if (ParseColorValue(value, color)) SetTextColor(color);
    } else if (EqualsNoCase(name, "disabledtextcolor")) {
        if (ParseColorValue(value, color)) SetDisabledTextColor(color);
    } else if (EqualsNoCase(name, "bordersize")) SetBorderSize(number);
    else if (EqualsNoCase(name, "borderround")) {
        int cx = 0, cy = 0;
        if (std::sscanf(value.c_str(), "%d,%d", &cx, &cy) >= 1) SetBorderRound(SIZE{cx, cy ? cy : cx});
    } else if (EqualsNoCase(name, "bkimage")) SetBkImage(value);
    else if (EqualsNoCase(name, "visible")) SetVisible(ParseBoolValue(value));
    else if (EqualsNoCase(name, "enabled")) SetEnabled(ParseBoolValue(value));
    else if (EqualsNoCase(name, "mouse")) SetMouseEnabled(ParseBoolValue(value));
    else if (EqualsNoCase(name, "menu")) SetContextMenuUsed(ParseBoolValue(value));
    else if (EqualsNoCase(name, "font")) SetFont(number);
    else if (EqualsNoCase(name, "align") || EqualsNoCase(name, "valign")) SetTextStyle(AlignStyle(m_uTextStyle, value));
    else if (EqualsNoCase(name, "endellipsis")) {
        SetTextStyle(ParseBoolValue(value) ? (m_uTextStyle | DT_END_ELLIPSIS) : (m_uTextStyle & ~DT_END_ELLIPSIS));
    } else if (EqualsNoCase(name, "wordbreak") || EqualsNoCase(name, "multiline")) {
        SetTextStyle(ParseBoolValue(value) ? ((m_uTextStyle | DT_WORDBREAK) & ~DT_SINGLELINE)
                                           : ((m_uTextStyle & ~DT_WORDBREAK) | DT_SINGLELINE));
    } else if (EqualsNoCase(name, "textpadding")) {
        if (ParseRectValue(value, rc)) SetTextPadding(rc);
    }
    // Anything else (cursor, virtualwnd, ...) is accepted and ignored.
}

void CControlUI::ApplyAttributeList(const std::string& list) {
    size_t pos = 0;
    while (pos < list.size()) {
        while (pos < list.size() && std::isspace(static_cast<unsigned char>(list[pos]))) ++pos;
        const size_t eq = list.find('=', pos);
        if (eq == std::string::npos) return;
        std::string name = list.substr(pos, eq - pos);
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
        const size_t q1 = list.find('"', eq);
        if (q1 == std::string::npos) return;
        const size_t q2 = list.find('"', q1 + 1);
        if (q2 == std::string::npos) return;
        SetAttribute(name, list.substr(q1 + 1, q2 - q1 - 1));
        pos = q2 + 1;
    }
}

QWidget* CControlUI::GetWidget() {
    if (!m_pWidget) {
        m_pWidget = CreateWidget();
        ApplyWidgetState();
        OnTextChanged();
    }
    return m_pWidget;
}

QWidget* CControlUI::CreateWidget() { return new detail::PaintedHost(this, false); }

void CControlUI::ApplyWidgetState() {
    if (!m_pWidget) return;
    m_pWidget->setToolTip(detail::ToQ(GetToolTip()));
    m_pWidget->setEnabled(m_bEnabled);
    m_pWidget->setFont(GetQFont());
    ApplyWidgetVisibility();
    PlaceWidget();
}

QFont CControlUI::GetQFont() const {
    if (m_pManager) return m_pManager->GetFont(m_iFont);
    return CPaintManagerUI::FontAt(m_iFont, CDPI{});
}

}  // namespace DuiLib
