#pragma once
// Basic types of the toolkit: window handles, message parameters, rectangles, events and
// notifications. Free of Qt so that engine code can include control headers.
#include <cstdint>
#include <string>

namespace DuiLib {

using HWND = uint64_t;  // 64-bit window handle, unique on the machine while the window exists
using UINT = uint32_t;
using DWORD = uint32_t;
using WPARAM = uint64_t;
using LPARAM = int64_t;
using LRESULT = int64_t;

struct POINT {
    int x = 0;
    int y = 0;
};

struct SIZE {
    int cx = 0;
    int cy = 0;
};

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(POINT pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }
    bool Intersects(const RECT& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    bool operator==(const RECT&) const = default;
};

// Window message numbers the toolkit itself delivers; the program's own messages keep theirs.
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_TRAYICON = WM_USER + 1;     // 1025: tray icon callback
inline constexpr UINT WM_MENUCLICK = WM_USER + 121;  // 1145: chosen menu item
inline constexpr UINT kRegisteredMessageBase = 0xC000;

inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_MAXIMIZE = 0xF030;
inline constexpr WPARAM SC_RESTORE = 0xF120;
inline constexpr WPARAM SC_CLOSE = 0xF060;

// Window styles honoured by Create; the rest are accepted and ignored.
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;

inline constexpr UINT IDOK = 1;
inline constexpr UINT IDCANCEL = 2;

// Control states.
inline constexpr UINT UISTATE_FOCUSED = 0x01;
inline constexpr UINT UISTATE_SELECTED = 0x02;
inline constexpr UINT UISTATE_DISABLED = 0x04;
inline constexpr UINT UISTATE_HOT = 0x08;
inline constexpr UINT UISTATE_PUSHED = 0x10;
inline constexpr UINT UISTATE_CAPTURED = 0x40;

// Text alignment flags (the "align" attribute and SetTextStyle).
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_END_ELLIPSIS = 0x8000;

enum EVENTTYPE_UI {
    UIEVENT__FIRST = 1,
    UIEVENT_MOUSEMOVE,
    UIEVENT_MOUSELEAVE,
    UIEVENT_MOUSEENTER,
    UIEVENT_MOUSEHOVER,
    UIEVENT_KEYDOWN,
    UIEVENT_KEYUP,
    UIEVENT_CHAR,
    UIEVENT_KILLFOCUS,
    UIEVENT_SETFOCUS,
    UIEVENT_BUTTONDOWN,
    UIEVENT_BUTTONUP,
    UIEVENT_RBUTTONDOWN,
    UIEVENT_RBUTTONUP,
    UIEVENT_DBLCLICK,
    UIEVENT_CONTEXTMENU,
    UIEVENT_SCROLLWHEEL,
    UIEVENT_TIMER,
    UIEVENT__LAST,
};

// Modifier bits of TEventUI::wKeyState.
inline constexpr UINT MK_LBUTTON = 0x0001;
inline constexpr UINT MK_RBUTTON = 0x0002;
inline constexpr UINT MK_SHIFT = 0x0004;
inline constexpr UINT MK_CONTROL = 0x0008;
inline constexpr UINT MK_ALT = 0x0020;

// Key codes of TEventUI::chKey for the keys the controls react to.
inline constexpr UINT VK_RETURN = 0x0D;
inline constexpr UINT VK_ESCAPE = 0x1B;
inline constexpr UINT VK_SPACE = 0x20;

class CControlUI;

struct TEventUI {
    int Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse;  // window coordinates, as GetPos
    UINT chKey = 0;
    UINT wKeyState = 0;
    WPARAM wParam = 0;  // timer id; wheel: 1 for down, 0 for up
    LPARAM lParam = 0;
    // Set by CControlUI::DoEvent: the wrapped widget's own handling may run.
    bool bDefaultHandling = false;
};

struct TNotifyUI {
    std::string sType;
    std::string sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // Asked for every tag the builder does not know; nullptr when the tag is not ours either.
    virtual CControlUI* CreateControl(const std::string& className) = 0;
};

class IQueryControlText {
public:
    virtual ~IQueryControlText() = default;
    // Text for a language key the loaded language file lacks; nullptr for none.
    virtual const char* QueryControlText(const std::string& key, const std::string& controlClass) = 0;
};

// Notification types.
inline constexpr const char* DUI_MSGTYPE_WINDOWINIT = "windowinit";
inline constexpr const char* DUI_MSGTYPE_WINDOWSIZE = "windowsize";
inline constexpr const char* DUI_MSGTYPE_CLICK = "click";
inline constexpr const char* DUI_MSGTYPE_SELECTCHANGED = "selectchanged";
inline constexpr const char* DUI_MSGTYPE_ITEMSELECT = "itemselect";
inline constexpr const char* DUI_MSGTYPE_ITEMCLICK = "itemclick";
inline constexpr const char* DUI_MSGTYPE_ITEMACTIVATE = "itemactivate";
inline constexpr const char* DUI_MSGTYPE_VALUECHANGED = "valuechanged";
inline constexpr const char* DUI_MSGTYPE_MOVEVALUECHANGED = "movevaluechanged";
inline constexpr const char* DUI_MSGTYPE_COLORCHANGED = "colorchanged";
inline constexpr const char* DUI_MSGTYPE_TEXTCHANGED = "textchanged";
inline constexpr const char* DUI_MSGTYPE_KILLFOCUS = "killfocus";
inline constexpr const char* DUI_MSGTYPE_SETFOCUS = "setfocus";
inline constexpr const char* DUI_MSGTYPE_RETURN = "return";
inline constexpr const char* DUI_MSGTYPE_MENU = "menu";
inline constexpr const char* DUI_MSGTYPE_TIMER = "timer";
inline constexpr const char* DUI_MSGTYPE_DBCLICK = "dbclick";

}  // namespace DuiLib
