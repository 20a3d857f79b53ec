#pragma once
// The single top-level window: caption, device strip and pages, tray icon and menu, the worker
// slots, and every message other programs send us.
#include <array>
#include <memory>
#include <string>

#include "app/routing/ControlBuilder.h"
#include "app/routing/NotifyRouter.h"
#include "app/routing/RouteHost.h"
#include "app/music/CaptureWatchdog.h"
#include "app/music/MusicLighting.h"
#include "app/sharedlighting/SharedLighting.h"
#include "app/shell/DeviceScanThread.h"
#include "app/shell/SystemPower.h"
#include "app/shell/WindowBusLink.h"
#include "toolkit/UIlib.h"
#include "platform/WorkerThread.h"

class CMessageBus;
class CDeviceList;
class CDeviceHook;

inline constexpr int kWorkerSlotCount = 20;
inline constexpr int kScanThreadSlot = 0;
inline constexpr int kCaptureWatchdogSlot = 1;
inline constexpr int kSharedLightingSlot = 8;
inline constexpr uint32_t kWorkerStopTimeoutMs = 1000;
// Pop-up, clip siblings and children, caption, system menu, minimise box; without WS_VISIBLE,
// since the window shows itself only after the first device scan (a visible start would flash).
inline constexpr DuiLib::DWORD kMainWindowStyle = 0x96CA0000 & ~DuiLib::WS_VISIBLE;

class CMainWnd : public DuiLib::WindowImplBase, public IRouteHost {
public:
    // bus may be null or not running: the window then works without other programs.
    explicit CMainWnd(CMessageBus* bus);
    ~CMainWnd() override;

    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() override { return "XML_MAIN"; }
    void InitWindow() override;
    // The builder callback: our own tags become engines, panels and custom controls.
    DuiLib::CControlUI* CreateControl(const std::string& className) override;
    void Notify(DuiLib::TNotifyUI& msg) override;
    DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                        bool& bHandled) override;
    DuiLib::LRESULT OnDestroy(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam, bool& bHandled) override;
    void OnFinalMessage(DuiLib::HWND hwnd) override;

    // Grabs the window to this file once it is first shown, then ends the program.
    void SetScreenshotPath(std::string path) { screenshotPath_ = std::move(path); }
    // The scale rule for the monitor holding the window, or the given DPI when above 0.
    void ApplyInterfaceScale(int forcedDpi = 0);
    void BringToFront();
    // The tray menu's "exit": child windows closed, then this window (which ends the loop).
    void RequestExit();
    // Suspend (PBT_APMSUSPEND) and resume (PBT_APMRESUMEAUTOMATIC) of the system.
    void OnPowerBroadcast(DuiLib::WPARAM event);
    // The monitor under the window changed its DPI (or the window moved to another monitor).
    void OnDpiChanged(int dpi);

    // IRouteHost: what the notification routing reaches through the window.
    CTorvanelUSBDevice* ActiveDevice() override;
    int ScreenWidth() const override { return screenWidth_; }
    int ScreenHeight() const override { return screenHeight_; }
    int AskUser(const std::string& textKey, int buttons) override;
    void StartProfileSwitchTimer() override;
    void OnDeviceEntrySelected(DuiLib::CControlUI* sender) override;
    void SelectNeighbourDevice(bool next) override;
    void SetKeyCapture(bool on) override;
    void StartMacroRecording(int delayMode, int hookMode) override;
    void StopMacroRecording() override;
    void ShareActiveLighting() override;
    void OpenMusicWindow() override;

    // Music lighting and shared lighting (MainWndMusic.cpp).
    CMusicLighting& Music() { return *music_; }
    CSharedLighting& SharedLighting() { return *sharedLighting_; }

    CDeviceList* DeviceList() { return deviceList_.get(); }
    int LightControl() const { return lightControl_; }
    int Dpi() const { return dpi_; }
    int PresentDeviceCount() const { return presentDevices_; }
    bool WorkerRunning(int slot) const { return slot >= 0 && slot < kWorkerSlotCount && workers_[slot].Running(); }
    DuiLib::CTrayIcon& TrayIcon() { return trayIcon_; }
    DuiLib::HWND TrayMenu() const { return trayMenu_; }

private:
    void OnWindowInit();
    void OnWindowTimer(DuiLib::UINT id);
    void OnTrayIcon(DuiLib::LPARAM mouseMessage);
    void OnMenuCommand(const std::string& item);
    void OpenTrayMenu();
    void WatchMonitorDpi();
    // Messages dropped while the system sleeps.
    static bool IgnoredWhileAsleep(DuiLib::UINT msg);
    void OnBusDelivery(BusDelivery& delivery);
    // Device list glue (MainWndDevices.cpp).
    void CreateDevicePages();
    void OnDeviceArrival(int row);
    void OnDeviceRemoval(int row);
    void OnPagePresence(int pageRow, int present);
    std::string RowPath(int row);
    // Runs a device-list change and reports which pages it showed or hid.
    template <typename Change> void ChangeDeviceList(Change change);
    void OnProfileSwitchTimer();
    void OnDeviceSettingsReset();
    void WatchActivation();
    void SetWindowActive(int active);
    void SetLightControl(int value, bool broadcast);
    void ReportDeviceList();
    void UpdateNoDeviceView();
    void HideToTray();
    void StopWorkers();
    void TakeScreenshot();
    // Input hook, key capture, macro recording and game lighting (MainWndInput.cpp).
    void InitInput();
    void StopInput();
    void OnInputNotify(DuiLib::TNotifyUI& msg);
    // Hook and game messages; false for any other message.
    bool OnInputMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
    void OnInputHookSwitch(DuiLib::WPARAM on);
    bool OnInputMenuCommand(const std::string& item);
    void OpenMacroActionMenu();
    void TellCaptureFailed();
    void StopInputOnPageChange();
    void OnGameMessage(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
    void OnGameLightingRestore();
    // Music lighting (MainWndMusic.cpp).
    void StartMusicLighting();
    void LinkCaptureProgram();
    DuiLib::LRESULT OnCaptureCopyData(const BusCopyData& data);
    bool HandleMusicMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam);
    void StopMusicLighting();

    DuiLib::CControlUI* closeButton_ = nullptr;
    DuiLib::CControlUI* maxButton_ = nullptr;
    DuiLib::CControlUI* restoreButton_ = nullptr;
    DuiLib::CControlUI* minButton_ = nullptr;
    DuiLib::CControlUI* skinButton_ = nullptr;
    DuiLib::CControlUI* gameModeButton_ = nullptr;
    DuiLib::CControlUI* cloudButton_ = nullptr;
    DuiLib::CControlUI* smartEyesButton_ = nullptr;
    DuiLib::CControlUI* setButton_ = nullptr;
    DuiLib::CTrayIcon trayIcon_;
    DuiLib::HWND trayMenu_ = 0;
    int languageIndex_ = -1;
    std::array<WorkerThread, kWorkerSlotCount> workers_;
    int lightControl_ = 1;
    int dpi_ = 96;
    int active_ = 0;
    bool firstSizePending_ = false;
    int monitorDpi_ = 0;
    CSystemSleepWatch sleepWatch_;
    SharedInterfaceList models_;
    DeviceScanParams scanParams_;
    int presentDevices_ = 0;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    CControlBuilder builder_{&m_pm};
    CNotifyRouter router_{*this};
    std::unique_ptr<CDeviceList> deviceList_;
    CMessageBus* bus_ = nullptr;
    std::unique_ptr<CWindowBusLink> busLink_;
    std::unique_ptr<CMusicLighting> music_;
    CaptureWatchdogParams watchdogParams_;
    std::unique_ptr<CSharedLighting> sharedLighting_ = std::make_unique<CSharedLighting>();
    std::string screenshotPath_;
    bool shownOnce_ = false;
    struct InputState {
        InputState();
        ~InputState();
        std::unique_ptr<CDeviceHook> hook;
        CTorvanelUSBDevice* engine = nullptr;  // the page whose capture or recording runs
        DuiLib::HWND actionMenu = 0;
    } input_;
};

// The main window handle for worker threads (0 while there is none).
DuiLib::HWND MainWindowHandle();
