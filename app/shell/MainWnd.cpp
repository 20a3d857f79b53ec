#include "app/shell/MainWnd.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <iterator>

#include "app/devicelist/DeviceList.h"
#include "app/shell/AppMessages.h"
#include "app/shell/DeviceListReport.h"
#include "app/shell/InterfaceScale.h"
#include "app/shell/MainWndChildren.h"
#include "app/shell/TrayMenuPlacement.h"
#include "app/toolkit/QtConvert.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"
#include "platform/bus/MessageBus.h"

using namespace DuiLib;

namespace {
std::atomic<HWND> g_mainWindow{0};

constexpr UINT kTrayIconId = 107;
constexpr const char kTrayTooltip[] = "Zorv Wired Manager 1.0";
constexpr const char kLightControlOnText[] = "控制灯光";
constexpr const char kLightControlOffText[] = "不控制灯光";
constexpr DWORD kMenuAlignLeftTop = eMenuAlignment_Left | eMenuAlignment_Top;  // 6
// Long enough for a keyboard found by the first scan to be read and lit.
constexpr int kScreenshotDelayMs = 1500;

const char* ButtonName(int index) {
    static constexpr const char* kNames[] = {"closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn",
                                             "gamemodebtn", "cloudbtn", "smarteyesbtn", "setbtn"};
    return kNames[index];
}
}  // namespace

HWND MainWindowHandle() { return g_mainWindow.load(); }

CMainWnd::CMainWnd(CMessageBus* bus) : bus_(bus) {}

CMainWnd::~CMainWnd() { StopWorkers(); }

void CMainWnd::InitWindow() {
    DebugOutput("InitWindow");
    CControlUI** buttons[] = {&closeButton_, &maxButton_, &restoreButton_, &minButton_, &skinButton_,
                              &gameModeButton_, &cloudButton_, &smartEyesButton_, &setButton_};
    for (int i = 0; i < 9; ++i) *buttons[i] = FindControl(ButtonName(i));
    g_mainWindow = GetHWND();
    SetIcon(kTrayIconId);
    trayIcon_.CreateTrayIcon(GetHWND(), kTrayIconId, kTrayTooltip);
    if (bus_ && bus_->Running()) {
        busLink_ = std::make_unique<CWindowBusLink>(*bus_);
        busLink_->Attach(GetHWND(), GetTitle(), GetWindowClassName());
    }
    WatchMonitorDpi();
    WatchActivation();
}

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

void CMainWnd::OnWindowInit() {
    // Which outside senders may reach us is the bus's table of known messages (platform/bus).
    if (bus_ && bus_->Running()) bus_->Broadcast(RegisteredName("UWM_LIGHT_CONTROL_NOTIFY"), 1, 1);
    ApplyStartupLanguage(*this);
    CreateDevicePages();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        screenWidth_ = screen->size().width();
        screenHeight_ = screen->size().height();
    }
    UpdateNoDeviceView();
    ShowWindow(false);
    scanParams_.window = GetHWND();
    scanParams_.models = &models_;
    workers_[kScanThreadSlot].Start(&scanParams_, RunDeviceScanThread, kWorkerStopTimeoutMs);
    sleepWatch_.Start(GetHWND());
    SetWindowTimer(AppTimer::kInterfaceScale, 100);
    firstSizePending_ = true;
}

CControlUI* CMainWnd::CreateControl(const std::string& className) { return builder_.CreateControl(className); }

void CMainWnd::Notify(TNotifyUI& msg) {
    const std::string sender = msg.pSender ? msg.pSender->GetName() : std::string();
    if (msg.sType != DUI_MSGTYPE_TIMER) DebugOutput(msg.sType + " " + sender);
    if (msg.sType == DUI_MSGTYPE_WINDOWINIT) return OnWindowInit();
    if (msg.sType == DUI_MSGTYPE_WINDOWSIZE) {
        // The scale was applied by timer 1011 already; applying it again here would undo a
        // DPI chosen since.
        if (firstSizePending_ && sender == "root") firstSizePending_ = false;
        return;
    }
    if (msg.sType == DUI_MSGTYPE_CLICK) {
        if (sender == "closebtn" || sender == "nodevice_ok_btn") return HideToTray();
        if (sender == "control_light_status") return SetLightControl(lightControl_ ? 0 : 1, true);
        if (sender == "skinbtn") return OpenSkinChooser(*this);
        if (sender == "setbtn") return OpenSettingsWindow(*this, false);
        if (sender == "maxbtn" || sender == "restorebtn") {
            WindowImplBase::Notify(msg);
            // One of the two stands in the caption, as the window is.
            if (maxButton_) maxButton_->SetVisible(!IsMaximized());
            if (restoreButton_) restoreButton_->SetVisible(IsMaximized());
            return;
        }
    }
    if (msg.sType == DUI_MSGTYPE_ITEMACTIVATE || msg.sType == DUI_MSGTYPE_SETFOCUS) {
        // The macro action menu and key capture come with the macro editor and key assignment.
        if (sender == "macro_action" || sender == "keyset_keyboard_text_edit")
            DebugOutput("main window: " + msg.sType + " " + sender + " (not built yet)");
    }
    if (!router_.Route(msg)) return;
    WindowImplBase::Notify(msg);
}

void CMainWnd::HideToTray() {
    CloseChildWindows(*this);
    ShowWindow(false);
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

void CMainWnd::SetLightControl(int value, bool broadcast) {
    lightControl_ = value ? 1 : 0;
    if (broadcast && bus_ && bus_->Running()) bus_->Broadcast(RegisteredName("UWM_LIGHT_CONTROL_NOTIFY"), 1, lightControl_);
    if (CControlUI* status = FindControl("control_light_status"))
        status->SetText(lightControl_ ? kLightControlOnText : kLightControlOffText);
    if (systemAwake && deviceList_) deviceList_->SetLightControl(lightControl_);
    DebugOutput(std::string("main window: lighting control ") + (lightControl_ ? "on" : "off"));
}

void CMainWnd::ReportDeviceList() {
    if (!bus_ || !bus_->Running()) return;
    const BusTarget tool = BusTarget::ByTitle(kServiceToolTitle);
    if (!bus_->WindowExists(tool)) return;
    const DeviceListReport report = MakeDeviceListReport(kPageTable);
    const BusAnswer answer = bus_->CopyDataTo(tool, GetHWND(), kDeviceListReportId, report);
    DebugOutput(std::string("main window: device list report ") + BusStatusText(answer.status));
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

void CMainWnd::OnPowerBroadcast(WPARAM event) {
    if (event == PBT_APMSUSPEND) {
        systemAwake = 0;
        // The engines let go of the lighting while the machine sleeps.
        if (deviceList_) deviceList_->SetLightControl(0);
        DebugOutput("main window: system suspends, lighting control 0");
    } else if (event == PBT_APMRESUMEAUTOMATIC) {
        systemAwake = 1;
        if (deviceList_) deviceList_->SetLightControl(lightControl_);
        DebugOutput("main window: system resumed, lighting control " + std::to_string(lightControl_));
    }
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

bool CMainWnd::IgnoredWhileAsleep(UINT msg) {
    // Display changes, timers, tray, menu and the numbered messages wait for the resume; bus
    // calls are still answered (data copies are dropped where they are read), and the window's
    // own life (close, destroy, system commands) goes on. Arrivals and removals are kept: the
    // scanning thread counts them as delivered, so a dropped one would hide a device for good.
    static constexpr UINT kIgnored[] = {WM_TIMER,
                                        WM_TRAYICON,
                                        WM_MENUCLICK,
                                        AppMsg::kDpiChanged,
                                        AppMsg::kInputHook,
                                        AppMsg::kShowSettingProgress,
                                        AppMsg::kApplyLanguage,
                                        AppMsg::kOpenSettingsAtSide,
                                        AppMsg::kClearSetButtonImage,
                                        AppMsg::kPowerStatusA,
                                        AppMsg::kPowerStatusB,
                                        AppMsg::kPagePresence,
                                        AppMsg::kDeviceSettingsReset};
    return std::find(std::begin(kIgnored), std::end(kIgnored), msg) != std::end(kIgnored);
}

void CMainWnd::OnWindowTimer(UINT id) {
    KillWindowTimer(id);
    switch (id) {
    case AppTimer::kInterfaceScale:
        ApplyInterfaceScale();
        m_pm.Invalidate();
        break;
    case AppTimer::kTrayMenu: OpenTrayMenu(); break;
    case AppTimer::kProfileSwitch: OnProfileSwitchTimer(); break;
    case AppTimer::kGameLightingRestore: DebugOutput("main window: game lighting ends"); break;
    default: break;
    }
}

void CMainWnd::OnBusDelivery(BusDelivery& delivery) {
    LRESULT result = 0;
    if (delivery.isCopyData && !systemAwake) {
        DebugOutput("main window: asleep, data copy ignored");
    } else if (delivery.isCopyData) {
        // Music lighting (ids 1 and 2) is fed once the capture link exists; nothing else is taken.
        DebugOutput("main window: data copy " + std::to_string(delivery.copyData.dataId) + " of " +
                    std::to_string(delivery.copyData.bytes.size()) + " bytes");
    } else if (delivery.msg != 0) {
        bool handled = false;
        result = HandleCustomMessage(delivery.msg, delivery.wParam, delivery.lParam, handled);
    }
    delivery.reply.Answer(result);
}

LRESULT CMainWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    bHandled = true;
    if (msg == WM_POWERBROADCAST) {
        OnPowerBroadcast(wParam);
        return 1;
    }
    if (!systemAwake && IgnoredWhileAsleep(msg)) return 0;
    if (msg == AppMsg::kBusDelivery) {
        std::unique_ptr<BusDelivery> delivery(reinterpret_cast<BusDelivery*>(lParam));
        if (delivery) OnBusDelivery(*delivery);
        return 0;
    }
    if (msg == UWM_APP_INSTANCE && msg != 0) {
        BringToFront();
        return 0;
    }
    if (msg == UWM_LIGHT_CONTROL_REQUEST && msg != 0) {
        if (wParam == 1 && (lParam == 0 || lParam == 1)) SetLightControl(static_cast<int>(lParam), false);
        return 0;
    }
    if (msg == UWM_DEVICE_LIST_REQUEST && msg != 0) {
        ReportDeviceList();
        return 0;
    }
    if (msg == UWM_UPDATE_STATUS && msg != 0) {
        if (HWND settings = SettingsWindowHandle()) DuiLib::PostMessage(settings, msg, wParam, lParam);
        return 0;
    }
    if (IsGameMessage(msg)) {
        DebugOutput("main window: game message " + std::to_string(wParam) + " " + std::to_string(lParam));
        SetWindowTimer(AppTimer::kGameLightingRestore, 5000);
        return 0;
    }
    switch (msg) {
    case WM_TIMER: OnWindowTimer(static_cast<UINT>(wParam)); return 0;
    case WM_TRAYICON: OnTrayIcon(lParam); return 0;
    case WM_MENUCLICK: {
        auto* cmd = reinterpret_cast<MenuCmd*>(wParam);
        const std::string item = cmd ? cmd->szName : std::string();
        DeletePtr(cmd);
        OnMenuCommand(item);
        return 0;
    }
    case AppMsg::kDpiChanged: OnDpiChanged(static_cast<int>(wParam)); return 0;
    case AppMsg::kApplyLanguage: ApplyLanguageMessage(*this, wParam); return 0;
    case AppMsg::kDeviceArrival: OnDeviceArrival(static_cast<int>(wParam)); return 0;
    case AppMsg::kDeviceRemoval: OnDeviceRemoval(static_cast<int>(wParam)); return 0;
    case AppMsg::kShowSettingProgress:
        if (CControlUI* progress = FindControl("setting_progress")) progress->SetVisible(true);
        return 0;
    case AppMsg::kOpenSettingsAtSide: OpenSettingsWindow(*this, false); return 0;
    case AppMsg::kClearSetButtonImage:
        if (setButton_) setButton_->SetAttribute("foreimage", "");
        return 0;
    case AppMsg::kWindowActive: SetWindowActive(static_cast<int>(wParam)); return 0;
    case AppMsg::kPagePresence: OnPagePresence(static_cast<int>(wParam), static_cast<int>(lParam)); return 0;
    case AppMsg::kDeviceSettingsReset: OnDeviceSettingsReset(); return 0;
    case AppMsg::kInputHook:
        // The input hook arrives with macro recording and key capture.
        DebugOutput("main window: input hook " + std::to_string(wParam) + " (not built yet)");
        return 0;
    case AppMsg::kPowerStatusA:
    case AppMsg::kPowerStatusB: return 0;
    default: break;
    }
    bHandled = false;
    return 0;
}

void CMainWnd::StopWorkers() {
    sleepWatch_.Stop();
    for (WorkerThread& worker : workers_)
        if (worker.Running()) worker.Stop(kWorkerStopTimeoutMs);
}

LRESULT CMainWnd::OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled) {
    DebugOutput("退出测试");
    ShowWindow(false);
    StopWorkers();
    // The engines' own threads end with their pages; the list goes before the controls do.
    deviceList_.reset();
    if (busLink_) busLink_->Detach();
    trayIcon_.DeleteTrayIcon();
    g_mainWindow = 0;
    CPaintManagerUI::PostQuitMessage(0);
    bHandled = true;
    return 0;
}

void CMainWnd::OnFinalMessage(HWND) {}
