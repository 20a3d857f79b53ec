#include "app/shell/MainWnd.h"

#include <QGuiApplication>
#include <QScreen>

#include <atomic>

#include "app/devicelist/DeviceList.h"
#include "app/shell/AppMessages.h"
#include "app/shell/MainWndChildren.h"
#include "input/DeviceHook.h"
#include "platform/DebugOutput.h"
#include "platform/bus/MessageBus.h"

using namespace DuiLib;

namespace {
std::atomic<HWND> g_mainWindow{0};

constexpr UINT kTrayIconId = 107;
constexpr const char kTrayTooltip[] = "Zorv Wired Manager 1.0";

const char* ButtonName(int index) {
    static constexpr const char* kNames[] = {"closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn",
                                             "gamemodebtn", "cloudbtn", "smarteyesbtn", "setbtn"};
    return kNames[index];
}
}  // namespace

HWND MainWindowHandle() { return g_mainWindow.load(); }

CMainWnd::CMainWnd(CMessageBus* bus) : bus_(bus), music_(std::make_unique<CMusicLighting>(bus)) {}

CMainWnd::~CMainWnd() { StopWorkers(); }

void CMainWnd::InitWindow() {
    DebugOutput("InitWindow");
    WatchSkinChanges(*this);
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
    InitInput();
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
    StartMusicLighting();
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
    if (msg.sType == DUI_MSGTYPE_ITEMACTIVATE || msg.sType == DUI_MSGTYPE_SETFOCUS || msg.sType == DUI_MSGTYPE_MENU)
        OnInputNotify(msg);
    const bool routed = !router_.Route(msg);
    if (msg.sType != DUI_MSGTYPE_TIMER) SyncSliderValueLabels(*this);
    if (routed) return;
    WindowImplBase::Notify(msg);
}

void CMainWnd::OnWindowTimer(UINT id) {
    KillWindowTimer(id);
    switch (id) {
    case AppTimer::kInterfaceScale:
        ApplyInterfaceScale();
        m_pm.Invalidate();
        LinkCaptureProgram();
        break;
    case AppTimer::kTrayMenu: OpenTrayMenu(); break;
    case AppTimer::kProfileSwitch:
        OnProfileSwitchTimer();
        SyncSliderValueLabels(*this);
        break;
    case AppTimer::kGameLightingRestore: OnGameLightingRestore(); break;
    default: break;
    }
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
    if (HandleMusicMessage(msg, wParam)) return 0;
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
    if (OnInputMessage(msg, wParam, lParam)) return 0;
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
    case AppMsg::kInputHook: OnInputHookSwitch(wParam); return 0;
    case AppMsg::kPowerStatusA:
    case AppMsg::kPowerStatusB: return 0;
    default: break;
    }
    bHandled = false;
    return 0;
}

void CMainWnd::StopWorkers() {
    StopInput();
    sleepWatch_.Stop();
    for (WorkerThread& worker : workers_)
        if (worker.Running()) worker.Stop(kWorkerStopTimeoutMs);
}

LRESULT CMainWnd::OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled) {
    DebugOutput("退出测试");
    ShowWindow(false);
    StopWorkers();
    StopMusicLighting();
    // The engines' own threads end with their pages; the list goes before the controls do.
    deviceList_.reset();
    if (busLink_) busLink_->Detach();
    DestroyChildWindows(*this);
    trayIcon_.DeleteTrayIcon();
    g_mainWindow = 0;
    CPaintManagerUI::PostQuitMessage(0);
    bHandled = true;
    return 0;
}

void CMainWnd::OnFinalMessage(HWND) {}
