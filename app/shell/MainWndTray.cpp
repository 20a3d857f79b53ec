// The tray icon, its menu and leaving to the tray or for good.
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/shell/MainWnd.h"
#include "app/shell/AppMessages.h"
#include "app/shell/MainWndChildren.h"
#include "app/shell/TrayMenuPlacement.h"
#include "toolkit/QtConvert.h"

using namespace DuiLib;

namespace {
constexpr DWORD kMenuAlignLeftTop = eMenuAlignment_Left | eMenuAlignment_Top;  // 6
}  // namespace

void CMainWnd::HideToTray() {
    CloseChildWindows(*this);
    ShowWindow(false);
}

void CMainWnd::OnTrayIcon(LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONUP) {
        UpdateNoDeviceView();
        if (IsWindowVisible() && !IsMinimized()) return ShowWindow(false);
        ApplyInterfaceScale();
        SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
        ShowWindow(true, true);
    } else if (mouseMessage == WM_RBUTTONUP) {
        SetWindowTimer(AppTimer::kTrayMenu, 10);
    }
}

void CMainWnd::OpenTrayMenu() {
    if (trayMenu_ && IsWindow(trayMenu_)) DuiLib::PostMessage(trayMenu_, WM_CLOSE, 0, 0);
    auto* menu = new CMenuWnd();
    const QPoint cursor = QCursor::pos();
    menu->Init(GetHWND(), "menu.xml", POINT{cursor.x(), cursor.y()}, kMenuAlignLeftTop);
    trayMenu_ = menu->GetHWND();
    // A new window starts at 96 DPI; the menu follows the interface's.
    menu->GetPaintManager()->SetDPI(dpi_);
    QScreen* screen = QGuiApplication::screenAt(cursor);
    if (!screen) screen = QGuiApplication::primaryScreen();
    QWidget* host = menu->GetHostWidget();
    if (!screen || !host) return;
    // Where the available area stops short of the screen is the panel.
    const RECT placed = PlaceTrayMenu(POINT{cursor.x(), cursor.y()}, SIZE{host->width(), host->height()},
                                      detail::FromQRect(screen->geometry()), detail::FromQRect(screen->availableGeometry()));
    menu->MoveTo(POINT{placed.left, placed.top}, kMenuAlignLeftTop);
}

void CMainWnd::OnMenuCommand(const std::string& item) {
    if (item == "exit") {
        RequestExit();
    } else if (item == "about_menu") {
        OpenAboutWindow(*this);
    } else if (item == "setwnd_menu") {
        OpenSettingsWindow(*this, true);
    }
}

void CMainWnd::RequestExit() {
    CloseChildWindows(*this);
    Close(IDOK);
}
