// Showing the window: monitor DPI, interface scale, bringing it to front, the empty-state view
// and the start-up screenshot.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "app/devicelist/DeviceList.h"
#include "app/shell/AppMessages.h"
#include "app/shell/InterfaceScale.h"
#include "app/shell/MainWnd.h"
#include "platform/DebugOutput.h"

using namespace DuiLib;

namespace {
// Long enough for a keyboard found by the first scan to be read and lit.
constexpr int kScreenshotDelayMs = 1500;
}  // namespace

void CMainWnd::WatchMonitorDpi() {
    QWidget* host = GetHostWidget();
    if (!host) return;
    // The hidden window has no platform window yet; the screen it will be on is known only then.
    if (!host->windowHandle()) host->winId();
    QWindow* window = host->windowHandle();
    if (!window) return;
    auto dpiOf = [](QScreen* screen) { return screen ? static_cast<int>(screen->logicalDotsPerInch() + 0.5) : 0; };
    monitorDpi_ = dpiOf(window->screen());
    const HWND self = GetHWND();
    // Any screen's change is checked against the one holding the window; moving between
    // monitors of one DPI changes nothing.
    auto postIfChanged = [this, self, window, dpiOf] {
        const int dpi = dpiOf(window->screen());
        if (dpi == 0 || dpi == monitorDpi_) return;
        monitorDpi_ = dpi;
        DuiLib::PostMessage(self, AppMsg::kDpiChanged, static_cast<WPARAM>(dpi), 0);
    };
    auto watchScreen = [host, postIfChanged](QScreen* screen) {
        QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, host, postIfChanged);
    };
    for (QScreen* screen : QGuiApplication::screens()) watchScreen(screen);
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, host, watchScreen);
    QObject::connect(window, &QWindow::screenChanged, host, postIfChanged);
}

void CMainWnd::UpdateNoDeviceView() {
    // The empty state and the pages share the page area: one of them has it all.
    presentDevices_ = deviceList_ ? deviceList_->VisibleCount() : 0;
    if (CControlUI* view = FindControl("No_device_Link")) view->SetVisible(presentDevices_ == 0);
    if (CControlUI* pages = FindControl("device_switch")) pages->SetVisible(presentDevices_ != 0);
    if (CControlUI* hint = FindControl("device_strip_empty")) hint->SetVisible(presentDevices_ == 0);
}

void CMainWnd::BringToFront() {
    UpdateNoDeviceView();
    SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    // Raising and activating is what topmost-then-normal achieves: in front, without staying there.
    ShowWindow(true, true);
    if (!shownOnce_) {
        shownOnce_ = true;
        DebugOutput("main window: shown");
        if (!screenshotPath_.empty()) QTimer::singleShot(kScreenshotDelayMs, GetHostWidget(), [this] { TakeScreenshot(); });
    } else {
        DebugOutput("main window: brought to front");
    }
}

void CMainWnd::TakeScreenshot() {
    const bool saved = GetHostWidget()->grab().toImage().save(QString::fromStdString(screenshotPath_));
    DebugOutput(std::string("main window: screenshot ") + (saved ? "saved to " : "failed: ") + screenshotPath_);
    Close(IDOK);
}

void CMainWnd::ApplyInterfaceScale(int forcedDpi) {
    const bool wasShown = IsWindowVisible() && !IsMinimized();
    QWidget* host = GetHostWidget();
    int dpi = forcedDpi;
    if (dpi <= 0) {
        QScreen* screen = host->screen() ? host->screen() : QGuiApplication::primaryScreen();
        const QSize size = screen ? screen->size() : QSize();
        dpi = ChooseInterfaceDpi(size.width(), size.height());
    }
    dpi_ = dpi;
    CPaintManagerUI::SetAllDPI(96);
    ResizeClient(kMainWindowWidth, kMainWindowHeight);
    CPaintManagerUI::SetAllDPI(dpi);
    CenterWindow();
    ShowWindow(wasShown, false);
}

void CMainWnd::OnDpiChanged(int dpi) {
    // The toolkit keeps the logical size, so the new pixel size is the one the monitor suggests.
    if (dpi < 48 || dpi > 480) return;
    dpi_ = dpi;
    CPaintManagerUI::SetAllDPI(dpi);
    CenterWindow();
    m_pm.NeedUpdate();
    m_pm.Invalidate();
    DebugOutput("main window: monitor DPI " + std::to_string(dpi));
}
