#pragma once
// Buttons: the push button, the option (grouped, can drive a tab layout) and the check box.
// Without state images they draw the dark skin: "style" picks primary, secondary (default),
// danger or flat; options draw a segmented tab, or a radio mark with style "radio".
#include "toolkit/Label.h"

namespace DuiLib {

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // Raises "click".
    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

    void SetNormalImage(const std::string& image) { m_sNormalImage = image; Invalidate(); }
    void SetHotImage(const std::string& image) { m_sHotImage = image; Invalidate(); }
    void SetPushedImage(const std::string& image) { m_sPushedImage = image; Invalidate(); }
    void SetDisabledImage(const std::string& image) { m_sDisabledImage = image; Invalidate(); }
    void SetForeImage(const std::string& image) { m_sForeImage = image; Invalidate(); }
    const std::string& GetNormalImage() const { return m_sNormalImage; }
    const std::string& GetForeImage() const { return m_sForeImage; }
    UINT GetButtonState() const { return m_uButtonState; }

protected:
    QWidget* CreateWidget() override;
    enum class Look { Secondary, Primary, Danger, Flat };
    // True when the layout gave state images or colours, which then replace the skin drawing.
    bool HasOwnChrome() const;
    void PaintSkinButton(QPainter& painter);
    DWORD StateTextColor() const;

    Look m_look = Look::Secondary;
    std::string m_sNormalImage, m_sHotImage, m_sPushedImage, m_sFocusedImage, m_sDisabledImage;
    std::string m_sForeImage, m_sHotForeImage;
    DWORD m_dwHotBkColor = 0, m_dwPushedBkColor = 0;
    DWORD m_dwHotTextColor = 0, m_dwPushedTextColor = 0, m_dwFocusedTextColor = 0;
};

class COptionUI : public CButtonUI {
public:
    COptionUI();
    ~COptionUI() override;
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    const std::string& GetGroup() const { return m_sGroupName; }
    void SetGroup(const std::string& group);
    bool IsSelected() const { return m_bSelected; }
    // Selecting one option of a group deselects the others; only the newly selected option
    // raises "selectchanged" then. An option without a group raises it on every change.
    virtual void Selected(bool selected, bool triggerEvent = true);
    // Raises "click", then selects (grouped) or toggles.
    bool Activate() override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;

    // Selecting the option shows page index of the tab layout of that name.
    void BindTabLayoutName(const std::string& name) { m_sBindTabLayoutName = name; }
    void BindTabIndex(int index) { m_iBindTabIndex = index; }
    const std::string& GetBindTabLayoutName() const { return m_sBindTabLayoutName; }
    int GetBindTabLayoutIndex() const { return m_iBindTabIndex; }

    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

protected:
    enum class Mark { Tab, Radio, Check };
    void PaintMark(QPainter& painter);
    void SelectBoundTab();
    RECT MarkTextRect() const;

    Mark m_mark = Mark::Tab;
    bool m_bSelected = false;
    std::string m_sGroupName;
    std::string m_sSelectedImage, m_sSelectedHotImage, m_sSelectedForeImage;
    DWORD m_dwSelectedTextColor = 0, m_dwSelectedBkColor = 0;
    std::string m_sBindTabLayoutName;
    int m_iBindTabIndex = -1;
};

class CCheckBoxUI : public COptionUI {
public:
    CCheckBoxUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    void SetCheck(bool check, bool triggerEvent = true) { Selected(check, triggerEvent); }
    bool GetCheck() const { return IsSelected(); }
};

// Gives the option groups below root a scope of their own ("group@scope"), so that a layout
// included in several pages of one window keeps one group per page. Calling it again is harmless.
void ScopeOptionGroups(CControlUI* root, const std::string& scope);

}  // namespace DuiLib
