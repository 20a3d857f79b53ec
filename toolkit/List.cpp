#include "toolkit/List.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;

namespace {

// The row events both row kinds share; true when the event was consumed.
bool HandleRowEvent(CControlUI* row, IListItemUI* item, TEventUI& event, UINT& state) {
    IListOwnerUI* owner = item->GetOwner();
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (row->IsEnabled() && owner) {
            if (owner->IsMultiSelect() && (event.wKeyState & MK_CONTROL)) {
                if (item->IsSelected()) owner->UnSelectItem(item->GetIndex());
                else owner->SelectMultiItem(item->GetIndex());
            } else {
                owner->SelectItem(item->GetIndex(), true);
            }
            row->Invalidate();
        }
        return true;
    case UIEVENT_BUTTONUP:
        if (row->IsEnabled() && row->GetManager()) row->GetManager()->SendNotify(row, DUI_MSGTYPE_ITEMCLICK);
        return true;
    case UIEVENT_DBLCLICK:
        if (row->IsEnabled()) row->Activate();
        return true;
    case UIEVENT_KEYDOWN:
        if (row->IsEnabled() && event.chKey == VK_RETURN) {
            row->Activate();
            return true;
        }
        return false;
    case UIEVENT_MOUSEENTER:
        if (row->IsEnabled()) state |= UISTATE_HOT;
        row->Invalidate();
        return false;
    case UIEVENT_MOUSELEAVE:
        state &= ~UISTATE_HOT;
        row->Invalidate();
        return false;
    default:
        return false;
    }
}

void PaintRowBackground(QPainter& painter, const CControlUI* row, const IListItemUI* item, UINT state) {
    const IListOwnerUI* owner = item->GetOwner();
    const TListInfoUI info = owner ? owner->GetListInfo() : TListInfoUI{};
    DWORD color = info.bkColor;
    if (item->IsSelected()) color = info.selectedBkColor ? info.selectedBkColor : Theme::kRaised;
    else if (state & UISTATE_HOT) color = info.hotBkColor ? info.hotBkColor : Theme::kSurface;
    const QRect r = detail::ToQRect(row->GetPos());
    if (color) painter.fillRect(r, detail::ToQColor(color));
    if (item->IsSelected()) {
        const int bar = std::max(2, row->Scale(3));
        painter.fillRect(QRect(r.left(), r.top(), bar, r.height()), detail::ToQColor(Theme::kAccent));
    }
    if (info.lineColor) painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), detail::ToQColor(info.lineColor));
}

bool ActivateRow(CControlUI* row) {
    if (!row->IsVisible() || !row->IsEnabled()) return false;
    if (row->GetManager()) row->GetManager()->SendNotify(row, DUI_MSGTYPE_ITEMACTIVATE);
    return true;
}

}  // namespace

void SetListInfoAttribute(TListInfoUI& info, const std::string& name, const std::string& value, bool& handled) {
    DWORD color = 0;
    RECT rc;
    handled = true;
    if (SameNoCase(name, "itemfont")) info.font = std::atoi(value.c_str());
    else if (SameNoCase(name, "itemtextpadding")) { if (ParseRectValue(value, rc)) info.textPadding = rc; }
    else if (SameNoCase(name, "itemalign")) {
        info.textStyle = (info.textStyle & ~(DT_LEFT | DT_CENTER | DT_RIGHT)) |
                         (value == "center" ? DT_CENTER : value == "right" ? DT_RIGHT : DT_LEFT);
    } else if (SameNoCase(name, "itemtextcolor")) { if (ParseColorValue(value, color)) info.textColor = color; }
    else if (SameNoCase(name, "itembkcolor")) { if (ParseColorValue(value, color)) info.bkColor = color; }
    else if (SameNoCase(name, "itemselectedtextcolor")) { if (ParseColorValue(value, color)) info.selectedTextColor = color; }
    else if (SameNoCase(name, "itemselectedbkcolor")) { if (ParseColorValue(value, color)) info.selectedBkColor = color; }
    else if (SameNoCase(name, "itemhotbkcolor")) { if (ParseColorValue(value, color)) info.hotBkColor = color; }
    else if (SameNoCase(name, "itemdisabledtextcolor")) { if (ParseColorValue(value, color)) info.disabledTextColor = color; }
    else if (SameNoCase(name, "itemlinecolor")) { if (ParseColorValue(value, color)) info.lineColor = color; }
    else handled = false;
}

CListLabelElementUI::CListLabelElementUI() { m_uTextStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE; }

std::string CListLabelElementUI::GetClass() const { return "ListLabelElementUI"; }

void* CListLabelElementUI::GetInterface(const std::string& name) {
    if (SameNoCase(name, "ListLabelElement") || SameNoCase(name, "ListItem")) return this;
    if (SameNoCase(name, "ListItemInterface")) return static_cast<IListItemUI*>(this);
    return CLabelUI::GetInterface(name);
}

bool CListLabelElementUI::Select(bool select) {
    IListItemUI::Select(select);
    Invalidate();
    return true;
}

bool CListLabelElementUI::Activate() { return ActivateRow(this); }

void CListLabelElementUI::SetAttribute(const std::string& name, const std::string& value) {
    if (SameNoCase(name, "selected")) Select(ParseBoolValue(value));
    else CLabelUI::SetAttribute(name, value);
}

void CListLabelElementUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    if (m_pOwner) m_pOwner->OnItemChanged(this);
}

void CListLabelElementUI::OnTextChanged() {
    if (m_pOwner) m_pOwner->OnItemChanged(this);
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
    if (!HandleRowEvent(this, this, event, m_uButtonState)) CLabelUI::DoEvent(event);
}

void CListLabelElementUI::PaintStatusImage(QPainter& painter) { PaintRowBackground(painter, this, this, m_uButtonState); }

void CListLabelElementUI::PaintText(QPainter& painter) {
    const TListInfoUI info = m_pOwner ? m_pOwner->GetListInfo() : TListInfoUI{};
    DWORD color = info.textColor ? info.textColor : Theme::kText;
    if (m_bSelected && info.selectedTextColor) color = info.selectedTextColor;
    if (!IsEnabledInTree()) color = info.disabledTextColor ? info.disabledTextColor : Theme::kTextDisabled;
    if (m_dwTextColor) color = m_dwTextColor;
    if (m_rcTextPadding.IsEmpty() && !m_rcTextPadding.left) {
        const RECT keep = m_rcTextPadding;
        m_rcTextPadding = info.textPadding;
        DrawText(painter, m_rcItem, color);
        m_rcTextPadding = keep;
        return;
    }
    DrawText(painter, m_rcItem, color);
}

std::string CListContainerElementUI::GetClass() const { return "ListContainerElementUI"; }

void* CListContainerElementUI::GetInterface(const std::string& name) {
    if (SameNoCase(name, "ListContainerElement") || SameNoCase(name, "ListItem")) return this;
    if (SameNoCase(name, "ListItemInterface")) return static_cast<IListItemUI*>(this);
    return CHorizontalLayoutUI::GetInterface(name);
}

bool CListContainerElementUI::Select(bool select) {
    IListItemUI::Select(select);
    Invalidate();
    return true;
}

bool CListContainerElementUI::Activate() { return ActivateRow(this); }

void CListContainerElementUI::DoEvent(TEventUI& event) {
    if (!HandleRowEvent(this, this, event, m_uButtonState)) CHorizontalLayoutUI::DoEvent(event);
}

void CListContainerElementUI::PaintStatusImage(QPainter& painter) { PaintRowBackground(painter, this, this, m_uButtonState); }

CListUI::CListUI() { EnableScrollBar(true, false); }

std::string CListUI::GetClass() const { return "ListUI"; }

void* CListUI::GetInterface(const std::string& name) {
    if (SameNoCase(name, "List")) return this;
    if (SameNoCase(name, "IListOwner")) return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(name);
}

void CListUI::Reindex() {
    for (int i = 0; i < GetCount(); ++i)
        if (auto* item = static_cast<IListItemUI*>(GetItemAt(i)->GetInterface("ListItemInterface"))) {
            item->SetOwner(this);
            item->SetIndex(i);
        }
}

bool CListUI::Add(CControlUI* control) {
    if (!CVerticalLayoutUI::Add(control)) return false;
    Reindex();
    return true;
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (!CVerticalLayoutUI::AddAt(control, index)) return false;
    if (m_iCurSel >= index) ++m_iCurSel;
    Reindex();
    return true;
}

bool CListUI::Remove(CControlUI* control, bool doNotDestroy) {
    const int index = GetItemIndex(control);
    return index >= 0 && RemoveAt(index, doNotDestroy);
}

bool CListUI::RemoveAt(int index, bool doNotDestroy) {
    if (!CVerticalLayoutUI::RemoveAt(index, doNotDestroy)) return false;
    if (m_iCurSel == index) m_iCurSel = -1;
    else if (m_iCurSel > index) --m_iCurSel;
    Reindex();
    return true;
}

void CListUI::RemoveAll() {
    m_iCurSel = -1;
    CVerticalLayoutUI::RemoveAll();
}

bool CListUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    if (index == m_iCurSel && !m_bMultiSelect) return true;
    const int old = m_iCurSel;
    for (int i = 0; i < GetCount(); ++i)
        if (auto* item = static_cast<IListItemUI*>(GetItemAt(i)->GetInterface("ListItemInterface")))
            if (item->IsSelected() && i != index) item->Select(false);
    if (index < 0) {
        m_iCurSel = -1;
        return false;
    }
    CControlUI* row = GetItemAt(index);
    auto* item = row ? static_cast<IListItemUI*>(row->GetInterface("ListItemInterface")) : nullptr;
    if (!item || !row->IsVisible() || !row->IsEnabled()) {
        m_iCurSel = -1;
        return false;
    }
    m_iCurSel = index;
    item->Select(true);
    EnsureVisible(index);
    if (takeFocus) row->SetFocus();
    if (triggerEvent && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), old);
    return true;
}

bool CListUI::SelectMultiItem(int index, bool triggerEvent) {
    if (!m_bMultiSelect) return SelectItem(index, false, triggerEvent);
    CControlUI* row = GetItemAt(index);
    auto* item = row ? static_cast<IListItemUI*>(row->GetInterface("ListItemInterface")) : nullptr;
    if (!item || item->IsSelected()) return false;
    const int old = m_iCurSel;
    m_iCurSel = index;
    item->Select(true);
    if (triggerEvent && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), old);
    return true;
}

bool CListUI::UnSelectItem(int index, bool others) {
    bool any = false;
    for (int i = 0; i < GetCount(); ++i) {
        if ((i == index) == others) continue;
        if (auto* item = static_cast<IListItemUI*>(GetItemAt(i)->GetInterface("ListItemInterface")))
            if (item->IsSelected()) {
                item->Select(false);
                any = true;
            }
    }
    if (!others && index == m_iCurSel) {
        const auto selected = GetSelectedItems();
        m_iCurSel = selected.empty() ? -1 : selected.front();
    }
    return any;
}

std::vector<int> CListUI::GetSelectedItems() const {
    std::vector<int> out;
    for (int i = 0; i < GetCount(); ++i)
        if (auto* item = static_cast<IListItemUI*>(GetItemAt(i)->GetInterface("ListItemInterface")))
            if (item->IsSelected()) out.push_back(i);
    return out;
}

void CListUI::EnsureVisible(int index) {
    CControlUI* row = GetItemAt(index);
    if (!row || m_szScrollRange.cy == 0) return;
    const RECT content = ContentRect();
    const RECT rc = row->GetPos();
    SIZE pos = m_szScrollPos;
    if (rc.top < content.top) pos.cy -= content.top - rc.top;
    else if (rc.bottom > content.bottom) pos.cy += rc.bottom - content.bottom;
    SetScrollPos(pos);
}

void CListUI::SetAttribute(const std::string& name, const std::string& value) {
    bool handled = false;
    SetListInfoAttribute(m_listInfo, name, value, handled);
    if (handled) return Invalidate();
    if (SameNoCase(name, "multiselect")) SetMultiSelect(ParseBoolValue(value));
    else if (SameNoCase(name, "header")) {}  // our lists have no header row
    else CVerticalLayoutUI::SetAttribute(name, value);
}

}  // namespace DuiLib
