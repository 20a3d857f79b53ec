#pragma once
// The tray icon: clicks reach the owner window as message 1025 (WM_TRAYICON) with the icon id
// as wParam and WM_LBUTTONUP or WM_RBUTTONUP as lParam.
#include <memory>
#include <string>

#include "toolkit/UIDefs.h"

namespace DuiLib {

class CTrayIcon {
public:
    CTrayIcon();
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // The icon is the skin image "common/icon_<id>.svg"; a second create replaces the first.
    bool CreateTrayIcon(HWND owner, UINT iconId, const std::string& toolTip, UINT message = WM_TRAYICON);
    void DeleteTrayIcon();
    void SetTooltipText(const std::string& toolTip);
    bool IsCreated() const;
    // What a click does, also for tests where no tray exists.
    void SimulateClick(bool rightButton);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace DuiLib
