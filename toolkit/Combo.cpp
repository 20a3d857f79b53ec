#include "toolkit/Combo.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QListView>
#include <QStandardItemModel>

#include "toolkit/ControlHost.h"
#include "toolkit/ImageString.h"
#include "toolkit/NativeStyle.h"
#include "toolkit/PaintManager.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;
using detail::ToQ;

namespace {

using ComboHost = detail::ControlHost<QComboBox>;
constexpr int kDefaultItemHeight = 30;

IListItemUI* AsItem(CControlUI* control) {
    return control ? static_cast<IListItemUI*>(control->GetInterface("ListItemInterface")) : nullptr;
}

}  // namespace

CComboUI::CComboUI() { m_uTextStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE; }

std::string CComboUI::GetClass() const { return "ComboUI"; }

void* CComboUI::GetInterface(const std::string& name) {
    if (SameNoCase(name, "Combo")) return this;
    if (SameNoCase(name, "IListOwner")) return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

QWidget* CComboUI::CreateWidget() {
    auto* combo = new ComboHost(this, true);
    combo->setFocusPolicy(Qt::StrongFocus);
    combo->setView(new QListView(combo));  // the style sheet styles list views, not the default delegate
    QObject::connect(combo, qOverload<int>(&QComboBox::activated), [this](int index) { OnUserPicked(index); });
    return combo;
}

void CComboUI::ApplyWidgetState() {
    CContainerUI::ApplyWidgetState();
    if (auto* combo = static_cast<QComboBox*>(m_pWidget)) {
        detail::ApplyNativeColors(combo, "QComboBox", m_dwBackColor, m_dwTextColor);
        RebuildModel();
    }
}

void CComboUI::OnDPIChanged() {
    CContainerUI::OnDPIChanged();
    RebuildModel();
}

void CComboUI::RebuildModel() {
    auto* combo = static_cast<QComboBox*>(m_pWidget);
    if (!combo) return;
    const QSignalBlocker block(combo);
    combo->clear();
    auto* view = qobject_cast<QListView*>(combo->view());
    const QFont itemFont = m_pManager ? m_pManager->GetFont(m_listInfo.font) : CPaintManagerUI::FontAt(m_listInfo.font, CDPI{});
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        combo->addItem(ToQ(item->GetText()), ToQ(item->GetUserData()));
        const int height = item->GetFixedHeight() > 0 ? item->GetFixedHeight() : Scale(kDefaultItemHeight);
        combo->setItemData(i, QSize(0, height), Qt::SizeHintRole);
        combo->setItemData(i, itemFont, Qt::FontRole);
        if (view) view->setRowHidden(i, !item->IsVisible());
    }
    combo->setCurrentIndex(m_iCurSel);
}

bool CComboUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CComboUI::AddAt(CControlUI* control, int index) {
    if (!control || index < 0 || index > GetCount()) return false;
    // Items live in the combo's model, not as widgets of their own.
    m_items.insert(m_items.begin() + index, control);
    control->SetManager(m_pManager, this, m_pManager != nullptr);
    if (m_iCurSel >= index) ++m_iCurSel;
    if (m_iCurSel < 0 && AsItem(control) && AsItem(control)->IsSelected()) m_iCurSel = index;
    for (int i = 0; i < GetCount(); ++i)
        if (IListItemUI* item = AsItem(GetItemAt(i))) {
            item->SetOwner(this);
            item->SetIndex(i);
        }
    RebuildModel();
    return true;
}

bool CComboUI::Remove(CControlUI* control, bool doNotDestroy) {
    const int index = GetItemIndex(control);
    return index >= 0 && RemoveAt(index, doNotDestroy);
}

bool CComboUI::RemoveAt(int index, bool doNotDestroy) {
    CControlUI* control = GetItemAt(index);
    if (!control) return false;
    m_items.erase(m_items.begin() + index);
    if (IListItemUI* item = AsItem(control)) item->SetOwner(nullptr);
    ReleaseChild(control, doNotDestroy);
    if (m_iCurSel == index) m_iCurSel = -1;
    else if (m_iCurSel > index) --m_iCurSel;
    for (int i = 0; i < GetCount(); ++i)
        if (IListItemUI* item = AsItem(GetItemAt(i))) item->SetIndex(i);
    RebuildModel();
    return true;
}

void CComboUI::RemoveAll() {
    for (CControlUI* c : m_items)
        if (IListItemUI* item = AsItem(c)) item->SetOwner(nullptr);
    CContainerUI::RemoveAll();
    m_iCurSel = -1;
    RebuildModel();
}

bool CComboUI::SelectItem(int index, bool, bool triggerEvent) {
    if (index == m_iCurSel) return true;
    const int old = m_iCurSel;
    if (IListItemUI* previous = AsItem(GetItemAt(m_iCurSel))) previous->Select(false);
    if (index < 0 || index >= GetCount()) {
        m_iCurSel = -1;
        if (auto* combo = static_cast<QComboBox*>(m_pWidget)) {
            const QSignalBlocker block(combo);
            combo->setCurrentIndex(-1);
        }
        return false;
    }
    m_iCurSel = index;
    if (IListItemUI* item = AsItem(GetItemAt(index))) item->Select(true);
    if (auto* combo = static_cast<QComboBox*>(m_pWidget)) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(index);
    }
    if (triggerEvent && m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), old);
    return true;
}

void CComboUI::OnUserPicked(int index) { SelectItem(index, false, true); }

void CComboUI::OnItemChanged(CControlUI*) { RebuildModel(); }

std::string CComboUI::GetText() const {
    const CControlUI* item = GetItemAt(m_iCurSel);
    return item ? item->GetText() : std::string{};
}

void CComboUI::SetPos(RECT rc, bool needInvalidate) { CControlUI::SetPos(rc, needInvalidate); }

SIZE CComboUI::EstimateSize(SIZE available) { return CControlUI::EstimateSize(available); }

void CComboUI::DoPaint(QPainter& painter, const RECT&) { PaintBorder(painter); }

void CComboUI::SetAttribute(const std::string& name, const std::string& value) {
    bool handled = false;
    SetListInfoAttribute(m_listInfo, name, value, handled);
    if (handled) return RebuildModel();
    if (SameNoCase(name, "dropboxsize") || SameNoCase(name, "dropbox") || SameNoCase(name, "textpadding") ||
        SameNoCase(name, "normalimage") || SameNoCase(name, "hotimage") || SameNoCase(name, "pushedimage")) {
        return;  // the skin draws the box and its drop-down
    }
    CContainerUI::SetAttribute(name, value);
}

}  // namespace DuiLib
