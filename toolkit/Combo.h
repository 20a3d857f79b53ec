#pragma once
// The combo box over QComboBox. Its items are CListLabelElementUI controls (never shown
// themselves); hidden items stay in the index but not in the drop-down. A user choice raises
// "itemselect" with wParam the new index and lParam the old.
#include "toolkit/List.h"

namespace DuiLib {

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    bool RemoveAt(int index, bool doNotDestroy = false) override;
    void RemoveAll() override;

    const TListInfoUI& GetListInfo() const override { return m_listInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
    void OnItemChanged(CControlUI* item) override;
    // The selected item's text.
    std::string GetText() const override;

    void SetPos(RECT rc, bool needInvalidate = true) override;
    SIZE EstimateSize(SIZE available) override;
    void DoPaint(QPainter& painter, const RECT& rcPaint) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void OnDPIChanged() override;

    // Called by the widget when the user picked a row of the drop-down.
    void OnUserPicked(int index);

protected:
    QWidget* CreateWidget() override;
    void ApplyWidgetState() override;
    void RebuildModel();

    TListInfoUI m_listInfo;
    int m_iCurSel = -1;
};

}  // namespace DuiLib
