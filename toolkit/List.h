#pragma once
// Lists: rows that know their owner and index. CListLabelElementUI is a text row (also the item
// of a combo); CListContainerElementUI is a row laid out from a sub-layout. CListUI is a
// scrolling vertical list raising "itemselect" (wParam new index, lParam old), "itemclick" and
// "itemactivate".
#include <vector>

#include "toolkit/Container.h"
#include "toolkit/Label.h"

namespace DuiLib {

struct TListInfoUI {
    int font = -1;
    UINT textStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    RECT textPadding{8, 0, 8, 0};
    DWORD textColor = 0;
    DWORD bkColor = 0;
    DWORD selectedTextColor = 0;
    DWORD selectedBkColor = 0;
    DWORD hotBkColor = 0;
    DWORD disabledTextColor = 0;
    DWORD lineColor = 0;
};

class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual const TListInfoUI& GetListInfo() const = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) = 0;
    virtual bool IsMultiSelect() const { return false; }
    virtual bool SelectMultiItem(int index, bool triggerEvent = true) { return SelectItem(index, false, triggerEvent); }
    virtual bool UnSelectItem(int, bool = false) { return false; }
    // A row's text or visibility changed (combos mirror it into their popup).
    virtual void OnItemChanged(CControlUI*) {}
};

class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    int GetIndex() const { return m_iIndex; }
    void SetIndex(int index) { m_iIndex = index; }
    IListOwnerUI* GetOwner() const { return m_pOwner; }
    void SetOwner(IListOwnerUI* owner) { m_pOwner = owner; }
    bool IsSelected() const { return m_bSelected; }
    // Only the state; the owner decides about events.
    virtual bool Select(bool select = true) {
        m_bSelected = select;
        return true;
    }

protected:
    int m_iIndex = -1;
    IListOwnerUI* m_pOwner = nullptr;
    bool m_bSelected = false;
};

// A text row; in a combo it is an item of the drop-down.
class CListLabelElementUI : public CLabelUI, public IListItemUI {
public:
    CListLabelElementUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    bool Select(bool select = true) override;
    bool Activate() override;
    void SetVisible(bool visible = true) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;
    // "selected" marks the item a combo starts on.
    void SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void OnTextChanged() override;
};

// A row built from a sub-layout; its children are laid out horizontally.
class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    bool Select(bool select = true) override;
    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& painter) override;
};

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
public:
    CListUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    bool RemoveAt(int index, bool doNotDestroy = false) override;
    void RemoveAll() override;

    const TListInfoUI& GetListInfo() const override { return m_listInfo; }
    TListInfoUI& ListInfo() { return m_listInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
    void SetMultiSelect(bool multi) { m_bMultiSelect = multi; }
    bool IsMultiSelect() const override { return m_bMultiSelect; }
    bool SelectMultiItem(int index, bool triggerEvent = true) override;
    bool UnSelectItem(int index, bool others = false) override;
    std::vector<int> GetSelectedItems() const;
    // Scrolls so that the row is inside the visible part.
    void EnsureVisible(int index);
    void SetAttribute(const std::string& name, const std::string& value) override;

private:
    void Reindex();
    TListInfoUI m_listInfo;
    int m_iCurSel = -1;
    bool m_bMultiSelect = false;
};

// Shared by the rows: selection, "itemclick", activation, hover.
void SetListInfoAttribute(TListInfoUI& info, const std::string& name, const std::string& value, bool& handled);

}  // namespace DuiLib
