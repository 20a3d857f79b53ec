#pragma once
// The skin chooser: a small pop-up under the "skinbtn" caption button. Every choice is announced
// on TheSkinObserver(); offered images and the reset are remembered in "main.ini".
//
// Main window use (click on "skinbtn"):  CSkinFrame::Open(GetHWND(), FindControl("skinbtn"));
#include <memory>
#include <string>

#include "toolkit/PaintManager.h"
#include "toolkit/WindowBase.h"

class QObject;

class CSkinFrame : public DuiLib::CWindowWnd, public DuiLib::INotifyUI {
public:
    // Creates and shows the chooser; it deletes itself when its window is destroyed.
    static CSkinFrame* Open(DuiLib::HWND parent, DuiLib::CControlUI* anchor);
    // The open chooser (0 when none), so that its owner can close it before it goes itself.
    static DuiLib::HWND OpenWindow();

    CSkinFrame(DuiLib::HWND parent, DuiLib::CControlUI* anchor, std::string choiceFilePath);
    ~CSkinFrame() override;

    std::string GetWindowClassName() const override { return "UISkinFrame"; }
    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::LRESULT HandleMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam) override;
    void OnFinalMessage(DuiLib::HWND hwnd) override;

    DuiLib::CPaintManagerUI* GetPaintManager() { return &m_pm; }
    DuiLib::CControlUI* FindControl(const std::string& name) const { return m_pm.FindControl(name); }
    // Losing the focus closes the chooser (not while its own file dialog is open).
    void OnDeactivated();

protected:
    void OnCreate() override;

private:
    void PlaceUnderAnchor();
    void ChooseCustomImage();
    void ShowTab(int index);

    DuiLib::CPaintManagerUI m_pm;
    DuiLib::HWND m_hParent;
    DuiLib::CControlUI* m_pAnchor;
    std::string m_choiceFilePath;
    bool m_bChoosingFile = false;
    std::unique_ptr<QObject> m_focusWatch;
};
