#pragma once
// Toolkit windows. CWindowWnd is a frameless top-level window with a message queue and window
// timers; WindowImplBase adds the layout (built from GetSkinFile at creation), notifications,
// the builder callback and the caption area that drags the window.
#include <map>
#include <memory>
#include <string>

#include "toolkit/PaintManager.h"
#include "toolkit/UIDefs.h"
#include "toolkit/WindowMessages.h"

class QWidget;

namespace DuiLib {

class CWindowWnd {
public:
    CWindowWnd();
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const { return m_hWnd; }
    virtual std::string GetWindowClassName() const = 0;
    const std::string& GetTitle() const { return m_sTitle; }

    // Makes the window (hidden unless WS_VISIBLE); cx/cy of 0 leave the size to the layout.
    HWND Create(HWND parent, const std::string& title, DWORD style, DWORD exStyle, int x = 0, int y = 0, int cx = 0,
                int cy = 0);
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Shows the window modal and returns the code it was closed with.
    UINT ShowModal();
    // Posts WM_CLOSE; the window is destroyed when the message is handled.
    void Close(UINT ret = IDOK);
    void CenterWindow();
    void SetIcon(UINT resourceId);
    void ResizeClient(int cx, int cy);
    void MoveWindow(int x, int y);
    RECT GetWindowRect() const;
    bool IsWindowVisible() const;
    bool IsMinimized() const;
    bool IsMaximized() const;
    HWND GetParentHWND() const { return m_hParent; }

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Window timers deliver WM_TIMER with the id as wParam.
    bool SetWindowTimer(UINT id, UINT elapseMs);
    bool KillWindowTimer(UINT id);

    // Every message of the queue, and the ones sent directly.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The last call after destruction; a window allocated with new may delete itself here.
    virtual void OnFinalMessage(HWND hwnd);

    QWidget* GetHostWidget() const;

protected:
    // After the host exists and before it is shown.
    virtual void OnCreate() {}
    // The caption area (window coordinates) where a press starts moving the window.
    virtual bool IsInCaption(POINT) const { return false; }
    // Destroys now: the queue closes first so that blocked senders return, then WM_DESTROY.
    void DestroyWindowNow(UINT ret);

private:
    friend class HostWindowWidget;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    HWND m_hWnd = 0;
    HWND m_hParent = 0;
    std::string m_sTitle;
};

class WindowImplBase : public CWindowWnd, public INotifyUI, public IDialogBuilderCallback {
public:
    WindowImplBase();
    ~WindowImplBase() override;

    virtual std::string GetSkinFile() = 0;
    virtual std::string GetSkinFolder() { return {}; }
    virtual void InitWindow() {}
    CControlUI* CreateControl(const std::string& className) override;
    // The default handler: "closebtn" closes, "minbtn"/"maxbtn"/"restorebtn" send the system
    // commands. Derived windows call it after their own handling.
    void Notify(TNotifyUI& msg) override;
    virtual void OnClick(TNotifyUI& msg);
    virtual LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnClose(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    CControlUI* FindControl(const std::string& name) const { return m_pm.FindControl(name); }
    CControlUI* FindSubControlByName(CControlUI* parent, const std::string& name) const {
        return m_pm.FindSubControlByName(parent, name);
    }
    CPaintManagerUI* GetPaintManager() { return &m_pm; }

protected:
    void OnCreate() override;
    bool IsInCaption(POINT pt) const override;
    CPaintManagerUI m_pm;
};

}  // namespace DuiLib
