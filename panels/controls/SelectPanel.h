#pragma once
// The key picture's panel: dragging over it draws a rubber band, and releasing selects every
// key button (class "DeviceKeyButton", found by class name so that the panel does not depend on
// the device engines) whose rectangle touches the band and unselects the others, then raises
// "click_select_end". The selection is kept here; selected keys get an accent outline.
// It is also the key picture: the caps are drawn into one kept image of the panel, where a frame
// redraws only the caps that changed and one blit shows it, at most once per displayed frame; the
// caps' tooltips are shown from here.
#include <QImage>
#include <QRegion>
#include <set>
#include <vector>

#include "engines/device/KeyPicture.h"
#include "toolkit/Container.h"

namespace DuiLib {

namespace detail {
class SelectionOverlay;
class PictureHost;
class CapLayer;
}

class CSelectPanelUI : public CVerticalLayoutUI, public IKeyPicture {
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
    void DoPaint(QPainter& painter, const RECT& rcPaint) override;
    void SetPos(RECT rc, bool needInvalidate = true) override;
    // IKeyPicture.
    void CapChanged(CControlUI* cap) override;
    unsigned long BackdropColour() const override { return GetBkColor(); }
    // The tooltip of the key under a point (window coordinates), empty when none.
    std::string ToolTipAt(POINT pt);
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    bool RemoveAt(int index, bool doNotDestroy = false) override;
    void RemoveAll() override;

protected:
    QWidget* CreateWidget() override;

private:
    friend class detail::SelectionOverlay;
    friend class detail::PictureHost;
    friend class detail::CapLayer;
    enum class Drag { None, Pending, Active };
    std::vector<CControlUI*> KeyButtons();
    void FinishSelection();
    // A plain click goes on to the key under the pointer, which lost the release to the panel.
    void ForwardClick(TEventUI& event);
    void ForgetRemoved();
    void RefreshOverlay();
    // The cap layer covers the caps where the panel is a plain opaque colour; elsewhere (or with
    // no caps) the panel's own pass paints them.
    void PlaceCapLayer();
    bool CapLayerInUse() const;
    bool IsPlainUnder(const QRect& area) const;
    // Brings the kept image up to date (all of it, or the caps that changed) and shows it.
    void PaintCapLayer(QPainter& painter);
    void DrawUnderCap(QPainter& painter, const QRect& area);

    Drag m_drag = Drag::None;
    POINT m_ptAnchor;
    RECT m_rcSelection;
    std::set<const CControlUI*> m_selected;
    detail::SelectionOverlay* m_pOverlay = nullptr;
    QRegion m_paintRegion;  // what the pass being painted covers, in widget coordinates
    QRect m_pendingCaps;    // the caps changed since the last pass, in widget coordinates
    detail::CapLayer* m_pCapLayer = nullptr;
    QRect m_capArea;                       // the layer, in window coordinates
    QImage m_capImage;                     // the panel under the layer as last drawn
    unsigned long m_capImageBackdrop = 0;  // the colour it was drawn on
    bool m_capImageStale = true;           // drawn again whole on the next pass
    std::vector<CControlUI*> m_changedCaps;
    QRect m_pendingLayer;                  // the changed caps, in layer coordinates
};

}  // namespace DuiLib
