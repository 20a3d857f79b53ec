#pragma once
// One per window: the control tree, lookups, option groups, notifications, control timers, DPI
// and the focus. Process-wide: the resource folder, the shared font table and the message loop.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/DPI.h"
#include "toolkit/UIDefs.h"

class QWidget;
class QFont;

namespace DuiLib {

class CControlUI;

struct FontInfo {
    std::string face;
    int size = 14;  // pixel height at 96 DPI
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // Process-wide set-up: makes the QApplication when there is none and applies the dark skin.
    static void SetInstance();
    static std::string GetInstancePath();
    // Folder of layouts and images; ProgramFolder() + "skin/" until set. Ends with "/".
    static void SetResourcePath(const std::string& path);
    static std::string GetResourcePath();
    // Runs the application until PostQuitMessage; returns its code.
    static int MessageLoop();
    // From any thread; a quit posted before the loop runs ends the loop at once.
    static void PostQuitMessage(int code = 0);
    // Releases the process-wide tables (fonts, texts, images).
    static void Term();

    // The shared font table (ids as the layouts name them).
    static void AddFont(int id, const std::string& face, int size, bool bold, bool underline, bool italic);
    static void SetDefaultFont(const std::string& face, int size, bool bold, bool underline, bool italic);
    static void RemoveAllFonts();
    static FontInfo GetDefaultFontInfo();
    // False when the id is not in the table (the default font is used then).
    static bool GetFontInfo(int id, FontInfo& out);

    static const std::vector<CPaintManagerUI*>& GetPaintManagers();
    // Every window at this DPI.
    static void SetAllDPI(int dpi);
    // Every key-mode text of every window resolved again.
    static void ReloadAllText();

    // Binding to the window.
    void Init(HWND hwnd, QWidget* host, const std::string& name = {});
    HWND GetPaintWindow() const { return m_hWnd; }
    QWidget* GetHostWidget() const { return m_pHost; }
    const std::string& GetName() const { return m_sName; }
    bool AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return m_pRoot; }
    // Takes the root away without deleting it (the window deletes it).
    CControlUI* DetachRoot();
    void InitControls(CControlUI* control, CControlUI* parent = nullptr);
    // A control is going away: its timers, groups and focus are dropped.
    void ReapObjects(CControlUI* control);

    // Window declarations from the layout root, logical pixels.
    SIZE GetInitSize() const { return m_szInitWindowSize; }
    void SetInitSize(int cx, int cy);
    RECT GetCaptionRect() const { return m_rcCaption; }
    void SetCaptionRect(RECT logical) { m_rcCaption = logical; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy) { m_szMinWindow = SIZE{cx, cy}; }
    void SetDefaultResourceText(bool keys) { m_bDefaultResourceText = keys; }
    bool GetDefaultResourceText() const { return m_bDefaultResourceText; }
    void AddDefaultAttributeList(const std::string& controlClass, const std::string& list);
    std::string GetDefaultAttributeList(const std::string& controlClass) const;

    // Lookups; the first match in tree order.
    CControlUI* FindControl(const std::string& name) const;
    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindSubControlByName(CControlUI* parent, const std::string& name) const;
    CControlUI* FindSubControlByClass(CControlUI* parent, const std::string& controlClass, int index = 0) const;

    // Option groups.
    void AddOptionGroup(const std::string& group, CControlUI* option);
    const std::vector<CControlUI*>* GetOptionGroup(const std::string& group) const;
    void RemoveOptionGroup(const std::string& group, CControlUI* option);

    // Notifications go to every notifier in the order they were added.
    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    void SendNotify(CControlUI* sender, const std::string& type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool async = false);
    void SendNotify(TNotifyUI& msg, bool async = false);

    // Control timers; a tick is a UIEVENT_TIMER event to the control.
    bool SetTimer(CControlUI* control, UINT id, UINT elapseMs);
    bool KillTimer(CControlUI* control, UINT id);
    void KillTimer(CControlUI* control);
    void RemoveAllTimers();
    bool HasTimer(CControlUI* control, UINT id) const;

    // Fonts at this window's DPI.
    QFont GetFont(int id) const;
    static QFont FontAt(int id, const CDPI& dpi);
    CDPI* GetDPIObj() { return &m_dpi; }
    const CDPI* GetDPIObj() const { return &m_dpi; }
    int GetDPI() const { return m_dpi.GetDPI(); }
    void SetDPI(int dpi);
    // Scaled fonts, sizes and images taken again, then the layout is redone.
    void ResetDPIAssets();

    CControlUI* GetFocus() const { return m_pFocus; }
    void SetFocus(CControlUI* control);
    // Called by the controls' widgets when the focus moves.
    void OnFocusChanged(CControlUI* control, bool gained);

    // Layout: NeedUpdate schedules one pass; UpdateLayout runs it now.
    void NeedUpdate();
    void UpdateLayout();
    void Invalidate();
    // The root's rectangle follows the host's client size.
    void OnHostResized(int width, int height);

    // While the window is being destroyed no notification is sent.
    void SetClosing() { m_bClosing = true; }
    bool IsClosing() const { return m_bClosing; }

private:
    struct TimerSet;
    void DeliverTimer(CControlUI* control, UINT id);
    void DispatchNotify(TNotifyUI& msg);

    HWND m_hWnd = 0;
    QWidget* m_pHost = nullptr;
    std::string m_sName;
    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    SIZE m_szInitWindowSize;
    SIZE m_szMinWindow;
    RECT m_rcCaption;
    bool m_bDefaultResourceText = false;
    bool m_bClosing = false;
    bool m_bLayoutPending = false;
    CDPI m_dpi;
    std::vector<INotifyUI*> m_notifiers;
    std::map<std::string, std::vector<CControlUI*>> m_optionGroups;
    std::map<std::string, std::string> m_defaultAttributes;
    std::unique_ptr<TimerSet> m_timers;
    std::shared_ptr<bool> m_alive;  // lets queued calls see that the manager is gone
};

}  // namespace DuiLib
