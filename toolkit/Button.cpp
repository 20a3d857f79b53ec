#include "toolkit/Button.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <algorithm>

#include "toolkit/Container.h"
#include "toolkit/ControlHost.h"
#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;
using detail::ToQColor;

namespace {

constexpr int kCornerRadius = 4;
constexpr int kMarkSize = 16;
constexpr int kMarkGap = 8;

}  // namespace

CButtonUI::CButtonUI() { m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE; }

std::string CButtonUI::GetClass() const { return "ButtonUI"; }

void* CButtonUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "Button") ? this : CLabelUI::GetInterface(name);
}

QWidget* CButtonUI::CreateWidget() {
    auto* widget = new detail::PaintedHost(this, false);
    widget->setFocusPolicy(Qt::StrongFocus);  // clicking a button ends the edit that had focus
    widget->setCursor(Qt::PointingHandCursor);
    return widget;
}

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
    return true;
}

void CButtonUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (m_rcItem.Contains(event.ptMouse) && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) {
            if (m_rcItem.Contains(event.ptMouse)) m_uButtonState |= UISTATE_PUSHED;
            else m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (m_rcItem.Contains(event.ptMouse)) Activate();
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        break;
    case UIEVENT_MOUSELEAVE:
        m_uButtonState &= ~UISTATE_HOT;
        Invalidate();
        break;
    case UIEVENT_KEYDOWN:
        if (IsEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

bool CButtonUI::HasOwnChrome() const {
    return m_look == Look::Flat || !m_sNormalImage.empty() || !m_sHotImage.empty() || !m_sPushedImage.empty() ||
           m_dwBackColor != 0 || !m_sBkImage.empty();
}

DWORD CButtonUI::StateTextColor() const {
    if (!IsEnabledInTree()) return m_dwDisabledTextColor ? m_dwDisabledTextColor : Theme::kTextDisabled;
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedTextColor) return m_dwPushedTextColor;
    if ((m_uButtonState & UISTATE_HOT) && m_dwHotTextColor) return m_dwHotTextColor;
    if (m_bFocused && m_dwFocusedTextColor) return m_dwFocusedTextColor;
    if (m_dwTextColor) return m_dwTextColor;
    if (HasOwnChrome()) return Theme::kText;
    switch (m_look) {
    case Look::Primary: return Theme::kAccentText;
    case Look::Danger: return Theme::kWarning;
    default: return Theme::kText;
    }
}

void CButtonUI::PaintSkinButton(QPainter& painter) {
    const bool enabled = IsEnabledInTree();
    const bool hot = enabled && (m_uButtonState & UISTATE_HOT);
    const bool pushed = enabled && (m_uButtonState & UISTATE_PUSHED);
    const double inset = 0.5;
    const QRectF box = QRectF(detail::ToQRect(m_rcItem)).adjusted(inset, inset, -inset, -inset);
    const double radius = Scale(kCornerRadius);
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);
    QColor fill, border;
    switch (m_look) {
    case Look::Primary:
        fill = ToQColor(enabled ? Theme::kAccent : Theme::kBorder);
        if (hot) fill = fill.lighter(115);
        if (pushed) fill = fill.darker(115);
        border = fill;
        break;
    case Look::Danger:
        fill = ToQColor(pushed ? 0x40FF5C5C : hot ? 0x26FF5C5C : 0x00000000);
        border = ToQColor(enabled ? Theme::kWarning : Theme::kBorder);
        break;
    default:
        fill = ToQColor(pushed ? Theme::kSurface : hot ? Theme::kRaised : 0x00000000);
        border = ToQColor(hot || m_bFocused ? Theme::kAccent : Theme::kBorder);
        break;
    }
    painter.fillPath(path, fill);
    painter.setPen(QPen(border, std::max(1, Scale(1))));
    painter.drawPath(path);
}

void CButtonUI::PaintStatusImage(QPainter& painter) {
    const bool enabled = IsEnabledInTree();
    if (!HasOwnChrome()) PaintSkinButton(painter);
    if (m_dwBackColor) {
        DWORD color = m_dwBackColor;
        if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedBkColor) color = m_dwPushedBkColor;
        else if ((m_uButtonState & UISTATE_HOT) && m_dwHotBkColor) color = m_dwHotBkColor;
        if (color != m_dwBackColor) {
            QPainterPath path;
            path.addRoundedRect(detail::ToQRect(m_rcItem), Scale(m_cxyBorderRound.cx) / 2.0, Scale(m_cxyBorderRound.cy) / 2.0);
            painter.fillPath(path, ToQColor(color));
        }
    }
    const std::string* image = &m_sNormalImage;
    if (!enabled && !m_sDisabledImage.empty()) image = &m_sDisabledImage;
    else if ((m_uButtonState & UISTATE_PUSHED) && !m_sPushedImage.empty()) image = &m_sPushedImage;
    else if ((m_uButtonState & UISTATE_HOT) && !m_sHotImage.empty()) image = &m_sHotImage;
    else if (m_bFocused && !m_sFocusedImage.empty()) image = &m_sFocusedImage;
    if (!image->empty()) DrawImage(painter, *image);
    const std::string& fore = (m_uButtonState & UISTATE_HOT) && !m_sHotForeImage.empty() ? m_sHotForeImage : m_sForeImage;
    if (!fore.empty()) DrawImage(painter, fore);
}

void CButtonUI::PaintText(QPainter& painter) { DrawText(painter, m_rcItem, StateTextColor()); }

void CButtonUI::SetAttribute(const std::string& name, const std::string& value) {
    DWORD color = 0;
    if (SameNoCase(name, "normalimage")) SetNormalImage(value);
    else if (SameNoCase(name, "hotimage")) SetHotImage(value);
    else if (SameNoCase(name, "pushedimage")) SetPushedImage(value);
    else if (SameNoCase(name, "focusedimage")) m_sFocusedImage = value;
    else if (SameNoCase(name, "disabledimage")) SetDisabledImage(value);
    else if (SameNoCase(name, "foreimage")) SetForeImage(value);
    else if (SameNoCase(name, "hotforeimage")) m_sHotForeImage = value;
    else if (SameNoCase(name, "hotbkcolor")) { if (ParseColorValue(value, color)) m_dwHotBkColor = color; }
    else if (SameNoCase(name, "pushedbkcolor")) { if (ParseColorValue(value, color)) m_dwPushedBkColor = color; }
    else if (SameNoCase(name, "hottextcolor")) { if (ParseColorValue(value, color)) m_dwHotTextColor = color; }
    else if (SameNoCase(name, "pushedtextcolor")) { if (ParseColorValue(value, color)) m_dwPushedTextColor = color; }
    else if (SameNoCase(name, "focusedtextcolor")) { if (ParseColorValue(value, color)) m_dwFocusedTextColor = color; }
    else if (SameNoCase(name, "style")) {
        m_look = SameNoCase(value, "primary") ? Look::Primary
               : SameNoCase(value, "danger")  ? Look::Danger
               : SameNoCase(value, "flat")    ? Look::Flat
                                              : Look::Secondary;
        Invalidate();
    } else CLabelUI::SetAttribute(name, value);
}

COptionUI::COptionUI() = default;

COptionUI::~COptionUI() {
    if (m_pManager && !m_sGroupName.empty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

std::string COptionUI::GetClass() const { return "OptionUI"; }

void* COptionUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "Option") ? this : CButtonUI::GetInterface(name);
}

void COptionUI::SetGroup(const std::string& group) {
    if (group == m_sGroupName) return;
    if (m_pManager && !m_sGroupName.empty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = group;
    if (m_pManager && !m_sGroupName.empty()) m_pManager->AddOptionGroup(m_sGroupName, this);
    Selected(m_bSelected, false);
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    if (m_pManager && manager != m_pManager && !m_sGroupName.empty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
    CButtonUI::SetManager(manager, parent, init);
    if (m_pManager && !m_sGroupName.empty()) m_pManager->AddOptionGroup(m_sGroupName, this);
}

void COptionUI::Selected(bool selected, bool triggerEvent) {
    const bool changed = m_bSelected != selected;
    m_bSelected = selected;
    if (selected) m_uButtonState |= UISTATE_SELECTED;
    else m_uButtonState &= ~UISTATE_SELECTED;
    Invalidate();
    if (!m_pManager) return;
    if (!m_sGroupName.empty()) {
        if (!selected) return;
        if (const auto* group = m_pManager->GetOptionGroup(m_sGroupName)) {
            const auto members = *group;
            for (CControlUI* other : members)
                if (other != this)
                    if (auto* option = static_cast<COptionUI*>(other->GetInterface("Option"))) option->Selected(false, triggerEvent);
        }
        if (!changed) return;
        if (triggerEvent) m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED, 1, 0);
        SelectBoundTab();
        return;
    }
    if (!changed) return;
    if (triggerEvent) m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED, selected ? 1 : 0, 0);
    if (selected) SelectBoundTab();
}

void COptionUI::SelectBoundTab() {
    if (!m_pManager || m_sBindTabLayoutName.empty() || m_iBindTabIndex < 0) return;
    if (CControlUI* control = m_pManager->FindControl(m_sBindTabLayoutName))
        if (auto* tab = static_cast<CTabLayoutUI*>(control->GetInterface("TabLayout"))) tab->SelectItem(m_iBindTabIndex);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    if (!m_sGroupName.empty()) Selected(true);
    else Selected(!m_bSelected);
    return true;
}

RECT COptionUI::MarkTextRect() const {
    RECT rc = m_rcItem;
    rc.left += Scale(kMarkSize + kMarkGap);
    return rc;
}

void COptionUI::PaintMark(QPainter& painter) {
    const bool enabled = IsEnabledInTree();
    const bool hot = enabled && (m_uButtonState & UISTATE_HOT);
    const int size = Scale(kMarkSize);
    const QRectF mark(m_rcItem.left + 0.5, m_rcItem.top + (m_rcItem.Height() - size) / 2.0 + 0.5, size - 1, size - 1);
    const QColor accent = ToQColor(enabled ? Theme::kAccent : Theme::kTextDisabled);
    const QColor edge = m_bSelected ? accent : ToQColor(hot ? Theme::kAccent : Theme::kBorder);
    painter.setPen(QPen(edge, std::max(1, Scale(1))));
    if (m_mark == Mark::Radio) {
        painter.setBrush(ToQColor(Theme::kRaised));
        painter.drawEllipse(mark);
        if (m_bSelected) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(accent);
            painter.drawEllipse(mark.adjusted(size * 0.28, size * 0.28, -size * 0.28, -size * 0.28));
        }
        return;
    }
    const double radius = Scale(3);
    painter.setBrush(m_bSelected ? accent : ToQColor(Theme::kRaised));
    painter.drawRoundedRect(mark, radius, radius);
    if (m_bSelected) {
        QPen tick(ToQColor(Theme::kAccentText), std::max(1.5, size / 8.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(tick);
        painter.setBrush(Qt::NoBrush);
        const QPointF a(mark.left() + size * 0.24, mark.top() + size * 0.52);
        const QPointF b(mark.left() + size * 0.43, mark.top() + size * 0.70);
        const QPointF c(mark.left() + size * 0.76, mark.top() + size * 0.32);
        painter.drawPolyline(QVector<QPointF>{a, b, c});
    }
}

void COptionUI::PaintStatusImage(QPainter& painter) {
    const bool hot = IsEnabledInTree() && (m_uButtonState & UISTATE_HOT);
    if (m_bSelected) {
        if (m_dwSelectedBkColor) painter.fillRect(detail::ToQRect(m_rcItem), ToQColor(m_dwSelectedBkColor));
        const std::string& image = hot && !m_sSelectedHotImage.empty() ? m_sSelectedHotImage : m_sSelectedImage;
        if (!image.empty()) {
            DrawImage(painter, image);
            if (!m_sSelectedForeImage.empty()) DrawImage(painter, m_sSelectedForeImage);
            return;
        }
    }
    if (HasOwnChrome() || !m_sSelectedImage.empty()) {
        CButtonUI::PaintStatusImage(painter);
        if (m_bSelected && !m_sSelectedForeImage.empty()) DrawImage(painter, m_sSelectedForeImage);
        return;
    }
    if (m_mark != Mark::Tab) return PaintMark(painter);
    // Segmented tab: quiet until hovered; the selected one is raised with an accent underline.
    const QRect box = detail::ToQRect(m_rcItem);
    const double radius = Scale(kCornerRadius);
    QPainterPath path;
    path.addRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    if (m_bSelected) painter.fillPath(path, ToQColor(Theme::kRaised));
    else if (hot) painter.fillPath(path, ToQColor(Theme::kSurface));
    painter.setPen(QPen(ToQColor(Theme::kBorder), std::max(1, Scale(1))));
    painter.drawPath(path);
    if (m_bSelected) {
        const int bar = std::max(2, Scale(2));
        painter.fillRect(QRect(box.left() + Scale(6), box.bottom() + 1 - bar - Scale(2), box.width() - Scale(12), bar),
                         ToQColor(IsEnabledInTree() ? Theme::kAccent : Theme::kTextDisabled));
    }
}

void COptionUI::PaintText(QPainter& painter) {
    DWORD color = StateTextColor();
    const bool plain = !HasOwnChrome() && m_sSelectedImage.empty();
    if (IsEnabledInTree()) {
        if (m_bSelected && m_dwSelectedTextColor) color = m_dwSelectedTextColor;
        else if (plain && m_mark == Mark::Tab && !m_dwTextColor) color = m_bSelected ? Theme::kText : Theme::kTextSecondary;
    }
    if (plain && m_mark != Mark::Tab) DrawText(painter, MarkTextRect(), color);
    else DrawText(painter, m_rcItem, color);
}

void COptionUI::SetAttribute(const std::string& name, const std::string& value) {
    DWORD color = 0;
    if (SameNoCase(name, "group")) SetGroup(value);
    else if (SameNoCase(name, "selected")) Selected(ParseBoolValue(value), false);
    else if (SameNoCase(name, "selectedimage")) m_sSelectedImage = value;
    else if (SameNoCase(name, "selectedhotimage")) m_sSelectedHotImage = value;
    else if (SameNoCase(name, "selectedforeimage")) m_sSelectedForeImage = value;
    else if (SameNoCase(name, "selectedtextcolor")) { if (ParseColorValue(value, color)) m_dwSelectedTextColor = color; }
    else if (SameNoCase(name, "selectedbkcolor")) { if (ParseColorValue(value, color)) m_dwSelectedBkColor = color; }
    else if (SameNoCase(name, "bindtablayoutname")) BindTabLayoutName(value);
    else if (SameNoCase(name, "bindtabindex")) BindTabIndex(std::atoi(value.c_str()));
    else if (SameNoCase(name, "style") && SameNoCase(value, "radio")) {
        m_mark = Mark::Radio;
        m_uTextStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    } else if (SameNoCase(name, "style") && SameNoCase(value, "check")) {
        m_mark = Mark::Check;
        m_uTextStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    } else CButtonUI::SetAttribute(name, value);
}

CCheckBoxUI::CCheckBoxUI() {
    m_mark = Mark::Check;
    m_uTextStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
}

std::string CCheckBoxUI::GetClass() const { return "CheckBoxUI"; }

void* CCheckBoxUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "CheckBox") ? this : COptionUI::GetInterface(name);
}

void ScopeOptionGroups(CControlUI* root, const std::string& scope) {
    if (!root || scope.empty()) return;
    const std::string suffix = "@" + scope;
    root->VisitTree([&](CControlUI* control) {
        auto* option = static_cast<COptionUI*>(control->GetInterface("Option"));
        const std::string group = option ? option->GetGroup() : std::string();
        if (!group.empty() && !group.ends_with(suffix)) option->SetGroup(group + suffix);
        return true;
    });
}

}  // namespace DuiLib
