#pragma once
// Containers: the plain container (children share its rectangle), vertical and horizontal
// layouts (fixed sizes first, the rest shared by children without a size), the tab layout (one
// visible child) and scrolling.
#include <vector>

#include "toolkit/Control.h"

class QScrollBar;

namespace DuiLib {

class CContainerUI : public CControlUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;
    bool SetItemIndex(CControlUI* control, int index);
    int GetCount() const { return static_cast<int>(m_items.size()); }
    virtual bool Add(CControlUI* control);
    virtual bool AddAt(CControlUI* control, int index);
    // Deletes the control unless doNotDestroy; a control removed from inside one of its own
    // events is deleted once that event is over.
    virtual bool Remove(CControlUI* control, bool doNotDestroy = false);
    virtual bool RemoveAt(int index, bool doNotDestroy = false);
    virtual void RemoveAll();
    void SetAutoDestroy(bool autoDestroy) { m_bAutoDestroy = autoDestroy; }
    // The first descendant of that name.
    CControlUI* FindSubControl(const std::string& name);

    RECT GetInset() const;
    void SetInset(RECT logical);
    int GetChildPadding() const;
    void SetChildPadding(int logical);
    // DT_LEFT / DT_CENTER / DT_RIGHT and DT_VCENTER / DT_BOTTOM for children smaller than the space.
    void SetChildAlign(UINT align) { m_uChildAlign = align; NeedUpdate(); }
    void SetChildVAlign(UINT align) { m_uChildVAlign = align; NeedUpdate(); }

    void EnableScrollBar(bool vertical = true, bool horizontal = false);
    bool IsVScrollEnabled() const { return m_bVScrollEnabled; }
    SIZE GetScrollPos() const { return m_szScrollPos; }
    SIZE GetScrollRange() const { return m_szScrollRange; }
    void SetScrollPos(SIZE pos);
    void LineUp();
    void LineDown();

    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    bool VisitTree(const std::function<bool(CControlUI*)>& visitor) override;
    void SetEnabled(bool enabled = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

protected:
    // The rectangle left for children: the item minus the inset and any shown scroll bar.
    RECT ContentRect() const;
    // Stacks the children along one axis; the heart of both box layouts.
    void LayoutLinear(bool horizontal);
    void LayoutStacked();
    RECT FloatRect(CControlUI* child) const;
    void AdoptChild(CControlUI* control);
    void UpdateScrollBars(SIZE needed, RECT content);
    void ReleaseChild(CControlUI* control, bool doNotDestroy);

    std::vector<CControlUI*> m_items;
    RECT m_rcInset;
    int m_iChildPadding = 0;
    UINT m_uChildAlign = DT_LEFT;
    UINT m_uChildVAlign = 0;
    bool m_bAutoDestroy = true;
    bool m_bVScrollEnabled = false;
    bool m_bHScrollEnabled = false;
    bool m_bVScrollShown = false;
    bool m_bHScrollShown = false;
    SIZE m_szScrollPos;
    SIZE m_szScrollRange;
    QScrollBar* m_pVScroll = nullptr;
    QScrollBar* m_pHScroll = nullptr;
    bool m_bInLayout = false;
};

class CVerticalLayoutUI : public CContainerUI {
public:
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
};

class CTabLayoutUI : public CContainerUI {
public:
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_iCurSel; }
    // Shows child index alone; "tabselect" goes out when triggerEvent.
    virtual bool SelectItem(int index, bool triggerEvent = true);
    bool SelectItem(CControlUI* control, bool triggerEvent = true);
    void SetPos(RECT rc, bool needInvalidate = true) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

protected:
    int m_iCurSel = -1;
};

}  // namespace DuiLib
