#include "toolkit/Container.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "toolkit/ControlHost.h"
#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {
namespace {

constexpr int kScrollBarWidth = 8;
constexpr int kScrollLine = 30;

using detail::SameNoCase;

int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, std::max(lo, hi))); }

// Deletes a control removed during one of its own events once that event is over.
void DeleteSoon(CControlUI* control) {
    if (detail::DispatchDepth() == 0 || !QCoreApplication::instance()) {
        delete control;
        return;
    }
    if (control->HasWidget()) control->GetWidget()->hide();
    QMetaObject::invokeMethod(QCoreApplication::instance(), [control] { delete control; }, Qt::QueuedConnection);
}

}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children first: their widgets live inside ours.
    std::vector<CControlUI*> items;
    items.swap(m_items);
    if (m_bAutoDestroy)
        for (CControlUI* c : items) delete c;
}

std::string CContainerUI::GetClass() const { return "ContainerUI"; }

void* CContainerUI::GetInterface(const std::string& name) {
    if (SameNoCase(name, "Container") || SameNoCase(name, "IContainer")) return this;
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)] : nullptr;
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto it = std::find(m_items.begin(), m_items.end(), control);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    const int old = GetItemIndex(control);
    if (old < 0 || index < 0 || index >= GetCount()) return false;
    m_items.erase(m_items.begin() + old);
    m_items.insert(m_items.begin() + index, control);
    NeedUpdate();
    return true;
}

void CContainerUI::AdoptChild(CControlUI* control) {
    QWidget* own = GetWidget();
    QWidget* child = control->GetWidget();
    child->setParent(own);
    if (m_pManager) m_pManager->InitControls(control, this);
    else control->SetManager(nullptr, this, false);
    child->setVisible(control->IsVisible());
    if (m_pVScroll) m_pVScroll->raise();
    if (m_pHScroll) m_pHScroll->raise();
    NeedUpdate();
}

bool CContainerUI::Add(CControlUI* control) {
    if (!control) return false;
    m_items.push_back(control);
    AdoptChild(control);
    return true;
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (!control || index < 0 || index > GetCount()) return false;
    m_items.insert(m_items.begin() + index, control);
    AdoptChild(control);
    return true;
}

void CContainerUI::ReleaseChild(CControlUI* control, bool doNotDestroy) {
    if (m_pManager) {
        control->VisitTree([this](CControlUI* c) {
            m_pManager->ReapObjects(c);
            return true;
        });
    }
    if (doNotDestroy || !m_bAutoDestroy) {
        if (control->HasWidget()) {
            control->GetWidget()->hide();
            control->GetWidget()->setParent(nullptr);
        }
        control->SetManager(nullptr, nullptr, false);
        return;
    }
    control->SetManager(nullptr, nullptr, false);
    DeleteSoon(control);
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    return RemoveAt(index, doNotDestroy);
}

bool CContainerUI::RemoveAt(int index, bool doNotDestroy) {
    CControlUI* control = GetItemAt(index);
    if (!control) return false;
    m_items.erase(m_items.begin() + index);
    ReleaseChild(control, doNotDestroy);
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> items;
    items.swap(m_items);
    for (CControlUI* c : items) ReleaseChild(c, false);
    m_szScrollPos = SIZE{};
    NeedUpdate();
}

CControlUI* CContainerUI::FindSubControl(const std::string& name) {
    CControlUI* found = nullptr;
    for (CControlUI* c : m_items) {
        c->VisitTree([&](CControlUI* d) {
            if (d->GetName() == name) found = d;
            return found == nullptr;
        });
        if (found) break;
    }
    return found;
}

RECT CContainerUI::GetInset() const { return Scale(m_rcInset); }
void CContainerUI::SetInset(RECT logical) { m_rcInset = logical; NeedUpdate(); }
int CContainerUI::GetChildPadding() const { return Scale(m_iChildPadding); }
void CContainerUI::SetChildPadding(int logical) { m_iChildPadding = logical; NeedUpdate(); }

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
    m_bVScrollEnabled = vertical;
    m_bHScrollEnabled = horizontal;
    NeedUpdate();
}

void CContainerUI::SetScrollPos(SIZE pos) {
    pos.cx = Clamp(pos.cx, 0, m_szScrollRange.cx);
    pos.cy = Clamp(pos.cy, 0, m_szScrollRange.cy);
    if (pos.cx == m_szScrollPos.cx && pos.cy == m_szScrollPos.cy) return;
    m_szScrollPos = pos;
    if (!m_bInLayout) SetPos(m_rcItem, true);
}

void CContainerUI::LineUp() { SetScrollPos(SIZE{m_szScrollPos.cx, m_szScrollPos.cy - Scale(kScrollLine)}); }
void CContainerUI::LineDown() { SetScrollPos(SIZE{m_szScrollPos.cx, m_szScrollPos.cy + Scale(kScrollLine)}); }

RECT CContainerUI::ContentRect() const {
    RECT inset = GetInset();
    RECT rc{m_rcItem.left + inset.left, m_rcItem.top + inset.top, m_rcItem.right - inset.right,
            m_rcItem.bottom - inset.bottom};
    if (m_bVScrollShown) rc.right -= Scale(kScrollBarWidth);
    if (m_bHScrollShown) rc.bottom -= Scale(kScrollBarWidth);
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    return rc;
}

RECT CContainerUI::FloatRect(CControlUI* child) const {
    const RECT f = Scale(child->GetFloatPos());
    RECT rc{m_rcItem.left + f.left, m_rcItem.top + f.top, m_rcItem.left + f.right, m_rcItem.top + f.bottom};
    if (child->GetFixedWidth() > 0) rc.right = rc.left + child->GetFixedWidth();
    if (child->GetFixedHeight() > 0) rc.bottom = rc.top + child->GetFixedHeight();
    return rc;
}

void CContainerUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    LayoutStacked();
}

void CContainerUI::LayoutStacked() {
    const RECT area = ContentRect();
    for (CControlUI* child : m_items) {
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            child->SetPos(FloatRect(child));
            continue;
        }
        const RECT pad = child->GetPadding();
        RECT r{area.left + pad.left, area.top + pad.top, area.right - pad.right, area.bottom - pad.bottom};
        const SIZE sz = child->EstimateSize(SIZE{r.Width(), r.Height()});
        if (sz.cx > 0) r.right = r.left + Clamp(sz.cx, child->GetMinWidth(), child->GetMaxWidth());
        if (sz.cy > 0) r.bottom = r.top + Clamp(sz.cy, child->GetMinHeight(), child->GetMaxHeight());
        child->SetPos(r);
    }
}

void CContainerUI::LayoutLinear(bool horizontal) {
    m_bInLayout = true;
    // Twice at most: a first pass may show a scroll bar that narrows the content.
    for (int pass = 0; pass < 2; ++pass) {
        const RECT area = ContentRect();
        const int mainSpace = horizontal ? area.Width() : area.Height();
        const int crossSpace = horizontal ? area.Height() : area.Width();
        const auto mainOf = [horizontal](SIZE s) { return horizontal ? s.cx : s.cy; };
        const auto crossOf = [horizontal](SIZE s) { return horizontal ? s.cy : s.cx; };
        const auto mainPad = [horizontal](RECT p) { return horizontal ? p.left + p.right : p.top + p.bottom; };
        const auto minMain = [horizontal](CControlUI* c) { return horizontal ? c->GetMinWidth() : c->GetMinHeight(); };
        const auto maxMain = [horizontal](CControlUI* c) { return horizontal ? c->GetMaxWidth() : c->GetMaxHeight(); };
        const auto minCross = [horizontal](CControlUI* c) { return horizontal ? c->GetMinHeight() : c->GetMinWidth(); };
        const auto maxCross = [horizontal](CControlUI* c) { return horizontal ? c->GetMaxHeight() : c->GetMaxWidth(); };

        int adjustables = 0, fixedTotal = 0, placed = 0;
        for (CControlUI* child : m_items) {
            if (!child->IsVisible() || child->IsFloat()) continue;
            const int want = mainOf(child->EstimateSize(SIZE{area.Width(), area.Height()}));
            if (want == 0) {
                ++adjustables;
                fixedTotal += minMain(child);
            } else {
                fixedTotal += Clamp(want, minMain(child), maxMain(child));
            }
            fixedTotal += mainPad(child->GetPadding());
            ++placed;
        }
        if (placed > 1) fixedTotal += (placed - 1) * GetChildPadding();
        int minTotal = 0;
        for (CControlUI* child : m_items)
            if (child->IsVisible() && !child->IsFloat() && mainOf(child->EstimateSize({})) == 0) minTotal += minMain(child);
        const int spare = std::max(0, mainSpace - (fixedTotal - minTotal));
        const int expand = adjustables > 0 ? spare / adjustables : 0;
        const int needed = adjustables > 0 ? std::max(fixedTotal, mainSpace) : fixedTotal;

        SIZE neededSize = horizontal ? SIZE{needed, 0} : SIZE{0, needed};
        const bool scrollWasShown = horizontal ? m_bHScrollShown : m_bVScrollShown;
        UpdateScrollBars(neededSize, area);
        const bool scrollShown = horizontal ? m_bHScrollShown : m_bVScrollShown;
        if (scrollShown != scrollWasShown && pass == 0) continue;

        int cursor = (horizontal ? area.left - m_szScrollPos.cx : area.top - m_szScrollPos.cy);
        int adjustLeft = adjustables;
        int spareLeft = spare;
        for (CControlUI* child : m_items) {
            if (!child->IsVisible()) continue;
            if (child->IsFloat()) {
                child->SetPos(FloatRect(child));
                continue;
            }
            const RECT pad = child->GetPadding();
            const SIZE est = child->EstimateSize(SIZE{area.Width(), area.Height()});
            int main = mainOf(est);
            if (main == 0) {
                // The last child without a size takes what rounding left over.
                main = --adjustLeft == 0 ? spareLeft : expand;
                spareLeft -= main;
            }
            main = Clamp(main, minMain(child), maxMain(child));
            const int crossPadBefore = horizontal ? pad.top : pad.left;
            const int crossPadAfter = horizontal ? pad.bottom : pad.right;
            const int crossAvail = crossSpace - crossPadBefore - crossPadAfter;
            int cross = crossOf(est) > 0 ? crossOf(est) : crossAvail;
            cross = Clamp(cross, minCross(child), maxCross(child));
            int crossStart = (horizontal ? area.top : area.left) + crossPadBefore;
            const UINT align = horizontal ? m_uChildVAlign : m_uChildAlign;
            if (align & (horizontal ? DT_VCENTER : DT_CENTER)) crossStart += (crossAvail - cross) / 2;
            else if (align & (horizontal ? DT_BOTTOM : DT_RIGHT)) crossStart += crossAvail - cross;
            const int mainStart = cursor + (horizontal ? pad.left : pad.top);
            RECT r = horizontal ? RECT{mainStart, crossStart, mainStart + main, crossStart + cross}
                                : RECT{crossStart, mainStart, crossStart + cross, mainStart + main};
            child->SetPos(r);
            cursor += main + mainPad(pad) + GetChildPadding();
        }
        break;
    }
    m_bInLayout = false;
}

void CContainerUI::UpdateScrollBars(SIZE needed, RECT content) {
    QWidget* own = GetWidget();
    const auto place = [&](QScrollBar*& bar, bool enabled, bool& shown, int neededLen, int haveLen, bool vertical,
                           int& pos, int& range) {
        const bool want = enabled && neededLen > haveLen;
        if (want && !bar) {
            bar = new QScrollBar(vertical ? Qt::Vertical : Qt::Horizontal, own);
            QObject::connect(bar, &QScrollBar::valueChanged, [this, vertical](int v) {
                SetScrollPos(vertical ? SIZE{m_szScrollPos.cx, v} : SIZE{v, m_szScrollPos.cy});
            });
        }
        shown = want;
        range = want ? neededLen - haveLen : 0;
        pos = Clamp(pos, 0, range);
        if (!bar) return;
        bar->setVisible(want);
        if (!want) return;
        const int w = Scale(kScrollBarWidth);
        const int ox = m_rcItem.left, oy = m_rcItem.top;
        if (vertical) bar->setGeometry(content.right - ox, content.top - oy, w, content.Height());
        else bar->setGeometry(content.left - ox, content.bottom - oy, content.Width(), w);
        const QSignalBlocker block(bar);
        bar->setRange(0, range);
        bar->setPageStep(haveLen);
        bar->setSingleStep(Scale(kScrollLine));
        bar->setValue(pos);
        bar->raise();
    };
    place(m_pVScroll, m_bVScrollEnabled, m_bVScrollShown, needed.cy, content.Height() + (m_bVScrollShown ? 0 : 0),
          true, m_szScrollPos.cy, m_szScrollRange.cy);
    place(m_pHScroll, m_bHScrollEnabled, m_bHScrollShown, needed.cx, content.Width(), false, m_szScrollPos.cx,
          m_szScrollRange.cx);
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    for (CControlUI* c : m_items) c->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

bool CContainerUI::VisitTree(const std::function<bool(CControlUI*)>& visitor) {
    if (!visitor(this)) return false;
    const auto items = m_items;  // a visitor may not change the tree, but be safe against it
    for (CControlUI* c : items)
        if (!c->VisitTree(visitor)) return false;
    return true;
}

void CContainerUI::SetEnabled(bool enabled) { CControlUI::SetEnabled(enabled); }

void CContainerUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_SCROLLWHEEL && (m_bVScrollShown || m_bHScrollShown)) {
        const bool down = event.wParam != 0;
        if (m_bVScrollShown) down ? LineDown() : LineUp();
        else SetScrollPos(SIZE{m_szScrollPos.cx + (down ? 1 : -1) * Scale(kScrollLine), m_szScrollPos.cy});
        return;
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::SetAttribute(const std::string& name, const std::string& value) {
    RECT rc;
    if (SameNoCase(name, "inset")) {
        if (ParseRectValue(value, rc)) SetInset(rc);
    } else if (SameNoCase(name, "childpadding")) SetChildPadding(std::atoi(value.c_str()));
    else if (SameNoCase(name, "vscrollbar")) EnableScrollBar(ParseBoolValue(value), m_bHScrollEnabled);
    else if (SameNoCase(name, "hscrollbar")) EnableScrollBar(m_bVScrollEnabled, ParseBoolValue(value));
    else if (SameNoCase(name, "autodestroy")) SetAutoDestroy(ParseBoolValue(value));
    else if (SameNoCase(name, "childalign")) {
        SetChildAlign(value == "center" ? DT_CENTER : value == "right" ? DT_RIGHT : DT_LEFT);
    } else if (SameNoCase(name, "childvalign")) {
        SetChildVAlign(value == "vcenter" || value == "center" ? DT_VCENTER : value == "bottom" ? DT_BOTTOM : 0);
    } else CControlUI::SetAttribute(name, value);
}

std::string CVerticalLayoutUI::GetClass() const { return "VerticalLayoutUI"; }
void* CVerticalLayoutUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "VerticalLayout") ? this : CContainerUI::GetInterface(name);
}
void CVerticalLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    LayoutLinear(false);
}

std::string CHorizontalLayoutUI::GetClass() const { return "HorizontalLayoutUI"; }
void* CHorizontalLayoutUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "HorizontalLayout") ? this : CContainerUI::GetInterface(name);
}
void CHorizontalLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CControlUI::SetPos(rc, needInvalidate);
    LayoutLinear(true);
}

std::string CTabLayoutUI::GetClass() const { return "TabLayoutUI"; }
void* CTabLayoutUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "TabLayout") ? this : CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) {
    if (!CContainerUI::Add(control)) return false;
    const int index = GetItemIndex(control);
    // A "selectedid" read before the pages were built names the page that stays visible.
    if (m_iCurSel < 0 && control->IsVisible()) m_iCurSel = index;
    else if (index != m_iCurSel) control->SetVisible(false);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (m_iCurSel < 0 && control->IsVisible()) m_iCurSel = GetItemIndex(control);
    else {
        if (m_iCurSel >= index) ++m_iCurSel;
        control->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool doNotDestroy) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    if (!CContainerUI::RemoveAt(index, doNotDestroy)) return false;
    if (m_iCurSel == index) {
        m_iCurSel = -1;
        if (GetCount() > 0) SelectItem(std::min(index, GetCount() - 1), false);
    } else if (m_iCurSel > index) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int index, bool triggerEvent) {
    if (index < 0 || index >= GetCount()) return false;
    const int old = m_iCurSel;
    m_iCurSel = index;
    for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == index);
    NeedUpdate();
    if (triggerEvent && old != index && m_pManager) m_pManager->SendNotify(this, "tabselect", index, old);
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control, bool triggerEvent) {
    return SelectItem(GetItemIndex(control), triggerEvent);
}

void CTabLayoutUI::SetPos(RECT rc, bool needInvalidate) {
    CContainerUI::SetPos(rc, needInvalidate);  // the one visible child fills the content
}

void CTabLayoutUI::SetAttribute(const std::string& name, const std::string& value) {
    if (SameNoCase(name, "selectedid")) {
        const int index = std::atoi(value.c_str());
        if (!SelectItem(index, false)) m_iCurSel = index;  // children not built yet
    } else CContainerUI::SetAttribute(name, value);
}

}  // namespace DuiLib
