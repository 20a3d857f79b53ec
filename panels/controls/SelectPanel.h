#pragma once
// The key picture's panel: dragging over it draws a rubber band, and releasing selects every
// key button (class "DeviceKeyButton", found by class name so that the panel does not depend on
// the device engines) whose rectangle touches the band and unselects the others, then raises
// "click_select_end". The selection is kept here; selected keys get an accent outline.
#include <set>
#include <vector>

#include "toolkit/Container.h"

namespace DuiLib {

namespace detail {
class SelectionOverlay;
}

class CSelectPanelUI : public CVerticalLayoutUI {
public:
    static constexpr const char* kClassName = "SelectPanel";
    static constexpr const char* kKeyButtonClass = "DeviceKeyButton";
    static constexpr const char* kSelectEndNotify = "click_select_end";

    CSelectPanelUI();
    ~CSelectPanelUI() override;
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    bool IsDragging() const { return m_drag == Drag::Active; }
    // The band in window coordinates while a drag is active, empty otherwise.
    RECT GetSelectionRect() const { return IsDragging() ? m_rcSelection : RECT{}; }
    // Selection state of one key button of this panel.
    bool IsKeySelected(const CControlUI* key) const;
    void SetKeySelected(CControlUI* key, bool selected);
    // The selected key buttons in tree order.
    std::vector<CControlUI*> GetSelectedKeys();
    void ClearSelection();

    void DoEvent(TEventUI& event) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    bool RemoveAt(int index, bool doNotDestroy = false) override;
    void RemoveAll() override;

protected:
    QWidget* CreateWidget() override;

private:
    friend class detail::SelectionOverlay;
    enum class Drag { None, Pending, Active };
    std::vector<CControlUI*> KeyButtons();
    void FinishSelection();
    // A plain click goes on to the key under the pointer, which lost the release to the panel.
    void ForwardClick(TEventUI& event);
    void ForgetRemoved();
    void RefreshOverlay();

    Drag m_drag = Drag::None;
    POINT m_ptAnchor;
    RECT m_rcSelection;
    std::set<const CControlUI*> m_selected;
    detail::SelectionOverlay* m_pOverlay = nullptr;
};

}  // namespace DuiLib
