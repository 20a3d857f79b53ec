#pragma once
// Pop-up menus built from a layout whose items are "MenuElement" controls. A chosen item is
// posted to the owner window as WM_MENUCLICK (1145) with a MenuCmd as wParam, which the owner
// releases with DeletePtr. The menu closes when an item is chosen or it loses the focus.
#include <string>

#include "toolkit/Button.h"
#include "toolkit/WindowBase.h"

namespace DuiLib {

struct MenuCmd {
    std::string szName;  // the item's name, at most 256 characters
    std::string szUserData;
    std::string szText;
    bool bChecked = false;
};

void DeletePtr(MenuCmd* cmd);

enum MenuAlignment : DWORD {
    eMenuAlignment_Left = 1 << 1,    // the menu's left edge at the point
    eMenuAlignment_Top = 1 << 2,     // its top edge at the point
    eMenuAlignment_Right = 1 << 3,   // its right edge at the point
    eMenuAlignment_Bottom = 1 << 4,  // its bottom edge at the point
};

class CMenuElementUI : public CButtonUI {
public:
    CMenuElementUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    bool Activate() override;
    void PaintStatusImage(QPainter& painter) override;
};

class CMenuWnd : public WindowImplBase {
public:
    CMenuWnd();
    // Allocate with new: the menu deletes itself when it closes.
    void Init(HWND owner, const std::string& layout, POINT screenPoint,
              DWORD alignment = eMenuAlignment_Left | eMenuAlignment_Top);
    // Moves the open menu (for example beside the task bar) keeping the alignment rule.
    void MoveTo(POINT screenPoint, DWORD alignment);
    HWND GetOwner() const { return m_hOwner; }

    std::string GetWindowClassName() const override { return "MenuWnd"; }
    std::string GetSkinFile() override { return m_sLayout; }
    CControlUI* CreateControl(const std::string& className) override;
    void Notify(TNotifyUI& msg) override;
    void OnFinalMessage(HWND hwnd) override;
    // Posts the item to the owner and closes; false when the owner is gone.
    bool ChooseItem(CControlUI* item);

private:
    HWND m_hOwner = 0;
    std::string m_sLayout;
};

}  // namespace DuiLib
