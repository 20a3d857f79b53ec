#pragma once
// The base of every control: identity (name, text, user data, tag), the toolkit attributes, the
// layout rectangle in window coordinates, painting steps and the event handler. Each control
// owns one Qt widget that shows it; the widget is created on first use.
#include <functional>
#include <string>

#include "toolkit/UIDefs.h"

class QWidget;
class QPainter;
class QFont;

namespace DuiLib {

class CPaintManagerUI;

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::string GetClass() const;
    // The control as the family named (for example "Button"), nullptr when it is not one.
    virtual void* GetInterface(const std::string& name);

    // Identity.
    const std::string& GetName() const { return m_sName; }
    virtual void SetName(const std::string& name);
    // The shown text: in key mode the language text of the stored key.
    virtual std::string GetText() const;
    virtual void SetText(const std::string& text);
    // What SetText stored (the key in key mode).
    const std::string& GetTextSource() const { return m_sText; }
    void SetResourceText(bool isKey);
    bool IsResourceText() const { return m_bResourceText; }
    std::string GetToolTip() const;
    void SetToolTip(const std::string& text);
    const std::string& GetUserData() const { return m_sUserData; }
    void SetUserData(const std::string& data) { m_sUserData = data; }
    uint64_t GetTag() const { return m_tag; }
    void SetTag(uint64_t tag) { m_tag = tag; }
    // Re-resolves key-mode texts after a language switch.
    virtual void ReloadText();

    // Geometry. Sizes are stored in 96-DPI logical pixels; the getters answer in pixels at the
    // manager's DPI.
    const RECT& GetPos() const { return m_rcItem; }
    virtual void SetPos(RECT rc, bool needInvalidate = true);
    int GetWidth() const { return m_rcItem.Width(); }
    int GetHeight() const { return m_rcItem.Height(); }
    int GetX() const { return m_rcItem.left; }
    int GetY() const { return m_rcItem.top; }
    RECT GetPadding() const;
    void SetPadding(RECT logical);
    int GetFixedWidth() const;
    int GetFixedHeight() const;
    void SetFixedWidth(int logical);
    void SetFixedHeight(int logical);
    int GetMinWidth() const;
    int GetMaxWidth() const;
    int GetMinHeight() const;
    int GetMaxHeight() const;
    void SetMinWidth(int logical);
    void SetMaxWidth(int logical);
    void SetMinHeight(int logical);
    void SetMaxHeight(int logical);
    // Wanted size in pixels; 0 in a dimension means "take what is left".
    virtual SIZE EstimateSize(SIZE available);
    bool IsFloat() const { return m_bFloat; }
    void SetFloat(bool floating);
    // Float position relative to the parent's top-left, logical pixels.
    RECT GetFloatPos() const { return m_rcFloat; }
    void SetFloatPos(RECT logical);

    // Look.
    DWORD GetBkColor() const { return m_dwBackColor; }
    void SetBkColor(DWORD argb);
    std::string GetBkImage() const { return m_sBkImage; }
    void SetBkImage(const std::string& image);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD argb);
    void SetFocusBorderColor(DWORD argb);
    int GetBorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int logical);
    void SetBorderRound(SIZE logical);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD argb);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetDisabledTextColor(DWORD argb);
    int GetFont() const { return m_iFont; }
    void SetFont(int fontId);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextStyle(UINT style);
    RECT GetTextPadding() const;
    void SetTextPadding(RECT logical);

    // State.
    bool IsVisible() const { return m_bVisible && m_bInternVisible; }
    virtual void SetVisible(bool visible = true);
    // Hidden by the parent (tab pages) without changing the control's own flag.
    virtual void SetInternVisible(bool visible = true);
    bool IsEnabled() const { return m_bEnabled; }
    // False too while a parent container is disabled.
    bool IsEnabledInTree() const;
    virtual void SetEnabled(bool enabled = true);
    bool IsFocused() const { return m_bFocused; }
    virtual void SetFocus();
    bool IsMouseEnabled() const { return m_bMouseEnabled; }
    void SetMouseEnabled(bool enabled) { m_bMouseEnabled = enabled; }
    bool IsContextMenuUsed() const { return m_bMenuUsed; }
    void SetContextMenuUsed(bool used) { m_bMenuUsed = used; }

    // Tree.
    CPaintManagerUI* GetManager() const { return m_pManager; }
    CControlUI* GetParent() const { return m_pParent; }
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
    // Visits this control and every descendant until the visitor returns false.
    virtual bool VisitTree(const std::function<bool(CControlUI*)>& visitor);
    virtual void Init();
    virtual void DoInit() {}
    void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // The DPI changed: fonts, fixed sizes and images are taken again.
    virtual void OnDPIChanged();

    // Events and painting.
    void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);
    virtual void DoPaint(QPainter& painter, const RECT& rcPaint);
    virtual void PaintBkColor(QPainter& painter);
    virtual void PaintBkImage(QPainter& painter);
    virtual void PaintStatusImage(QPainter& painter);
    virtual void PaintText(QPainter& painter);
    virtual void PaintBorder(QPainter& painter);
    // Draws an image string inside the control rectangle (or its dest); false when not found.
    bool DrawImage(QPainter& painter, const std::string& image);
    virtual bool Activate();

    virtual void SetAttribute(const std::string& name, const std::string& value);
    // "name=\"value\" name2=\"value2\"" as the layout defaults write them.
    void ApplyAttributeList(const std::string& list);

    // The Qt widget showing this control (created on first call).
    QWidget* GetWidget();
    bool HasWidget() const { return m_pWidget != nullptr; }
    // The font of this control at its manager's DPI.
    QFont GetQFont() const;
    // Scales a logical length by the manager's DPI.
    int Scale(int logical) const;
    RECT Scale(RECT logical) const;

protected:
    // Builds the widget; families wrapping a Qt widget replace it. The default paints through
    // DoPaint.
    virtual QWidget* CreateWidget();
    // Pushes the stored state into a freshly created (or re-scaled) widget.
    virtual void ApplyWidgetState();
    // The shown text changed (SetText or language switch); native widgets take it.
    virtual void OnTextChanged() {}
    // The widget geometry in the parent widget's coordinates.
    void PlaceWidget();
    void ApplyWidgetVisibility();

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    QWidget* m_pWidget = nullptr;

    std::string m_sName;
    std::string m_sText;
    std::string m_sToolTip;
    std::string m_sUserData;
    uint64_t m_tag = 0;
    bool m_bResourceText = false;

    RECT m_rcItem;
    RECT m_rcPadding;
    RECT m_rcFloat;
    RECT m_rcTextPadding;
    SIZE m_cxyFixed;
    SIZE m_cxyMin;
    SIZE m_cxyMax{9999, 9999};
    bool m_bFloat = false;

    DWORD m_dwBackColor = 0;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0;
    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_nBorderSize = 0;
    SIZE m_cxyBorderRound;
    std::string m_sBkImage;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;

    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bFocused = false;
    bool m_bMouseEnabled = true;
    bool m_bMenuUsed = false;
    bool m_bUpdateNeeded = true;
    bool m_bInited = false;
    UINT m_uButtonState = 0;
};

}  // namespace DuiLib
