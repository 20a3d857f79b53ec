// The main window in this process, offscreen, over the shipped layouts and an emulated keyboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/routing/ControlBuilder.h"
#include "app/shell/AppMessages.h"
#include "app/shell/MainWnd.h"
#include "app/shell/SystemPower.h"
#include "platform/DebugOutput.h"
#include "tools/zorv-emulator/EmulatedKeyboard.h"

using namespace DuiLib;

namespace {

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void Pump(int ms = 100) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

class MainWndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CPaintManagerUI::SetInstance();
        CPaintManagerUI::SetResourcePath(ZORV_SKIN_DIR);
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource("res.xml"));
        RegisterAppInstanceMessage();
        RegisterControlClasses();
        RegisterApplicationMessages();
    }

    void SetUp() override {
        char pattern[] = "/tmp/zorv-shell-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("ZORV_HID_EMULATOR_DIR", dir_.c_str(), 1);
        // Profiles of the pages' engines go below the test's own folder.
        setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    }

    void TearDown() override {
        if (window_ && IsWindow(window_->GetHWND())) window_->Close(IDOK);
        Pump(50);
        window_.reset();
        keyboard_.reset();
        systemAwake = 1;  // a failed power test must not put the next tests to sleep
        std::filesystem::remove_all(dir_);
    }

    CMainWnd& Open() {
        window_ = std::make_unique<CMainWnd>(nullptr);
        window_->Create(0, kAppInstanceName, kMainWindowStyle, 0, 0, 0, 800, 572);
        return *window_;
    }

    bool Shown() const { return window_->IsWindowVisible(); }
    // Shown by the first scan pass, not by something earlier.
    bool WaitShown() { return PumpUntil([&] { return log_.Contains("main window: shown") && Shown(); }); }
    CControlUI* Find(const char* name) const { return window_->FindControl(name); }

    void PlugKeyboard() {
        emu::EmulatorOptions options;
        options.productId = 0x5062;
        options.name = "kbd";
        options.dir = dir_.string();
        keyboard_ = std::make_unique<emu::EmulatedKeyboard>(options);
        std::string error;
        ASSERT_TRUE(keyboard_->Start(error)) << error;
    }

    DebugCapture log_;
    std::filesystem::path dir_;
    std::unique_ptr<CMainWnd> window_;
    std::unique_ptr<emu::EmulatedKeyboard> keyboard_;
};

}  // namespace

TEST_F(MainWndTest, AppearsOnlyAfterTheFirstScanPassWithTheEmptyState) {
    CMainWnd& w = Open();
    EXPECT_FALSE(Shown());
    ASSERT_TRUE(PumpUntil([&] { return log_.Contains("main window: shown"); }));
    EXPECT_TRUE(Shown());
    EXPECT_TRUE(log_.Contains("InitWindow"));
    EXPECT_EQ(w.PresentDeviceCount(), 0);
    ASSERT_NE(Find("No_device_Link"), nullptr);
    EXPECT_TRUE(Find("No_device_Link")->IsVisible());
    // Every part of the empty state has room on screen.
    for (const char* name : {"no_device_title", "no_device_hint", "no_device_check_title", "no_device_check_cable",
                             "no_device_check_access", "no_device_check_other"}) {
        CControlUI* c = Find(name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_TRUE(c->IsVisible()) << name;
        EXPECT_GT(c->GetPos().Width(), 100) << name;
        EXPECT_GT(c->GetPos().Height(), 10) << name;
        // Inside the view, so nothing is cut off by its neighbours in the page area.
        const RECT view = Find("No_device_Link")->GetPos();
        EXPECT_GE(c->GetPos().top, view.top) << name;
        EXPECT_LE(c->GetPos().bottom, view.bottom) << name;
    }
}

TEST_F(MainWndTest, ArrivalHidesTheEmptyStateAndRemovalBringsItBack) {
    PlugKeyboard();
    CMainWnd& w = Open();
    ASSERT_TRUE(PumpUntil([&] { return w.PresentDeviceCount() == 1 && Shown(); }));
    EXPECT_FALSE(Find("No_device_Link")->IsVisible());
    EXPECT_TRUE(log_.Contains("device arrival: row 0 emu:"));
    ASSERT_TRUE(keyboard_->Unplug());
    ASSERT_TRUE(PumpUntil([&] { return w.PresentDeviceCount() == 0; }));
    EXPECT_TRUE(log_.Contains("键盘设备丢失"));
    EXPECT_TRUE(Find("No_device_Link")->IsVisible());
}

TEST_F(MainWndTest, CloseButtonHidesAndTheWindowLivesOn) {
    CMainWnd& w = Open();
    ASSERT_TRUE(WaitShown());
    CControlUI* close = Find("closebtn");
    ASSERT_NE(close, nullptr);
    close->Activate();
    Pump();
    EXPECT_FALSE(Shown());
    EXPECT_TRUE(IsWindow(w.GetHWND()));
    EXPECT_TRUE(w.WorkerRunning(kScanThreadSlot));
    // The tray's left click brings it back, a second one hides it again.
    w.TrayIcon().SimulateClick(false);
    ASSERT_TRUE(PumpUntil([&] { return Shown(); }));
    w.TrayIcon().SimulateClick(false);
    ASSERT_TRUE(PumpUntil([&] { return !Shown(); }));
}

TEST_F(MainWndTest, InstanceMessageBringsTheHiddenWindowBack) {
    CMainWnd& w = Open();
    ASSERT_TRUE(WaitShown());
    w.ShowWindow(false);
    PostMessage(w.GetHWND(), UWM_APP_INSTANCE, 0, 1);
    ASSERT_TRUE(PumpUntil([&] { return Shown(); }));
    EXPECT_TRUE(log_.Contains("main window: brought to front"));
}

TEST_F(MainWndTest, TrayMenuExitEndsTheLoopWithEveryWorkerStopped) {
    CMainWnd& w = Open();
    ASSERT_TRUE(WaitShown());
    ASSERT_TRUE(w.WorkerRunning(kScanThreadSlot));
    auto* cmd = new MenuCmd;
    cmd->szName = "exit";
    ASSERT_TRUE(PostMessage(w.GetHWND(), WM_MENUCLICK, reinterpret_cast<WPARAM>(cmd), 0, [cmd] { DeletePtr(cmd); }));
    // The loop would hang the test if the window never asked to quit.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { CPaintManagerUI::PostQuitMessage(99); });
    guard.start(5000);
    EXPECT_EQ(CPaintManagerUI::MessageLoop(), 0);
    EXPECT_FALSE(IsWindow(w.GetHWND()));
    for (int slot = 0; slot < kWorkerSlotCount; ++slot) EXPECT_FALSE(w.WorkerRunning(slot)) << slot;
    EXPECT_TRUE(log_.Contains("退出测试"));
    EXPECT_EQ(log_.Count("抓取设备线程设定退出"), 1u);
}

TEST_F(MainWndTest, LightingRequestSetsTheFlagAndTheControlText) {
    CMainWnd& w = Open();
    ASSERT_TRUE(WaitShown());
    const struct {
        WPARAM wParam;
        LPARAM lParam;
        int expected;
        const char* text;
    } steps[] = {{1, 0, 0, "main_light_control_off"}, {2, 1, 0, "main_light_control_off"},
                 {1, 7, 0, "main_light_control_off"}, {1, 1, 1, "main_light_control_on"}};
    for (const auto& s : steps) {
        SendMessage(w.GetHWND(), UWM_LIGHT_CONTROL_REQUEST, s.wParam, s.lParam);
        EXPECT_EQ(w.LightControl(), s.expected) << s.wParam << "/" << s.lParam;
        // The text follows the language; the key tells the state.
        EXPECT_EQ(Find("control_light_status")->GetTextSource(), s.text);
        EXPECT_EQ(Find("control_light_status")->GetText(), CResourceManager::GetInstance()->GetText(s.text));
    }
    Find("control_light_status")->Activate();
    Pump();
    EXPECT_EQ(w.LightControl(), 0);
    EXPECT_EQ(Find("control_light_status")->GetTextSource(), "main_light_control_off");
}

TEST_F(MainWndTest, ScreenshotsWithoutDevicesInEnglishAndChineseAt96And144Dpi) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    CMainWnd& w = Open();
    ASSERT_TRUE(WaitShown());
    // The window applied its start-up language; each round then switches the shipped files.
    const struct {
        const char* name;
        const char* file;
        const char* title;
    } languages[] = {{"en", "lang/lan_en.xml", "Connect a Zorv keyboard with its USB cable to get started"},
                     {"zh", "lang/lan_cn.xml", "请用 USB 线连接 Zorv 键盘以开始使用"}};
    for (const auto& language : languages) {
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage(language.file)) << language.file;
        CPaintManagerUI::ReloadAllText();
        for (const int dpi : {96, 144}) {
            w.ApplyInterfaceScale(dpi);
            Pump(200);
            EXPECT_EQ(w.Dpi(), dpi);
            QWidget* host = w.GetHostWidget();
            EXPECT_EQ(host->width(), 1000 * dpi / 96);
            EXPECT_EQ(host->height(), 640 * dpi / 96);
            EXPECT_EQ(Find("no_device_title")->GetText(), language.title);
            const QImage shot = host->grab().toImage();
            const QString path =
                QString("%1/main_no_device_%2_%3.png").arg(ZORV_SCREENSHOT_DIR).arg(language.name).arg(dpi);
            EXPECT_TRUE(shot.save(path)) << path.toStdString();
            EXPECT_EQ(shot.pixelColor(shot.width() - 2, shot.height() - 2).name().toStdString(), "#101217");
        }
    }
    CResourceManager::GetInstance()->ResetTextMap();
}

namespace {
constexpr WPARAM kTrayIconIdForTests = 107;
// A left click on the tray icon, and time for the window to act on it.
void ClickTray(CMainWnd& w) {
    PostMessage(w.GetHWND(), WM_TRAYICON, kTrayIconIdForTests, WM_LBUTTONUP);
    Pump(100);
}
}  // namespace

TEST_F(MainWndTest, SuspendIgnoresTrayTimersAndDataUntilTheResume) {
    CMainWnd& w = Open();
    ASSERT_TRUE(WaitShown());
    ASSERT_EQ(systemAwake.load(), 1);
    const struct {
        WPARAM powerEvent;  // 0: none
        int awake;
        bool shownAfterTrayClick;
    } steps[] = {
        {PBT_APMSUSPEND, 0, true},          // the click is dropped: still shown
        {PBT_APMSUSPEND, 0, true},          // a second notice changes nothing
        {7, 0, true},                       // an unknown event neither
        {PBT_APMRESUMEAUTOMATIC, 1, false}, // awake: the click hides it
        {0, 1, true},                       // and the next one brings it back
    };
    for (const auto& s : steps) {
        if (s.powerEvent) {
            EXPECT_EQ(SendMessage(w.GetHWND(), WM_POWERBROADCAST, s.powerEvent, 0), 1);
        }
        EXPECT_EQ(systemAwake.load(), s.awake) << s.powerEvent;
        ClickTray(w);
        EXPECT_EQ(Shown(), s.shownAfterTrayClick) << s.powerEvent;
    }
    // Asleep, timers and the monitor's DPI wait; the lighting request and closing still work.
    SendMessage(w.GetHWND(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    SendMessage(w.GetHWND(), AppMsg::kDpiChanged, 144, 0);
    EXPECT_EQ(w.Dpi(), 96);
    SendMessage(w.GetHWND(), UWM_LIGHT_CONTROL_REQUEST, 1, 0);
    EXPECT_EQ(w.LightControl(), 0);
    SendMessage(w.GetHWND(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_TRUE(log_.Contains("main window: system suspends, lighting control 0"));
    EXPECT_TRUE(log_.Contains("main window: system resumed, lighting control 0"));
    SendMessage(w.GetHWND(), AppMsg::kDpiChanged, 144, 0);
    EXPECT_EQ(w.Dpi(), 144);
    EXPECT_EQ(w.GetHostWidget()->width(), 1500);
}

TEST_F(MainWndTest, LogindSleepSignalOnAStandInSystemBusReachesTheWindow) {
    // A private bus daemon plays the system bus; dbus-send plays logind.
    FILE* daemon = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
    ASSERT_NE(daemon, nullptr);
    char address[512] = {}, pidText[32] = {};
    const bool started = fgets(address, sizeof address, daemon) && fgets(pidText, sizeof pidText, daemon);
    pclose(daemon);
    if (!started) GTEST_SKIP() << "no dbus-daemon";
    address[strcspn(address, "\n")] = 0;
    const pid_t daemonPid = static_cast<pid_t>(atoi(pidText));
    setenv("ZORV_SYSTEM_BUS_ADDRESS", address, 1);
    Open();
    ASSERT_TRUE(WaitShown());
    for (const auto& [sleeping, awake] : {std::pair{"true", 0}, std::pair{"false", 1}}) {
        const std::string command = std::string("dbus-send --bus=") + address +
                                    " --type=signal /org/freedesktop/login1 "
                                    "org.freedesktop.login1.Manager.PrepareForSleep boolean:" + sleeping;
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_TRUE(PumpUntil([&] { return systemAwake.load() == awake; })) << sleeping;
    }
    window_->Close(IDOK);
    Pump(100);
    unsetenv("ZORV_SYSTEM_BUS_ADDRESS");
    kill(daemonPid, SIGTERM);
}

TEST_F(MainWndTest, TrayMenuScreenshotsInEnglishAndChineseAt96And144Dpi) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    CMainWnd& w = Open();
    ASSERT_TRUE(WaitShown());
    const struct {
        const char* name;
        const char* file;
    } languages[] = {{"en", "lang/lan_en.xml"}, {"zh", "lang/lan_cn.xml"}};
    for (const auto& language : languages) {
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage(language.file)) << language.file;
        CPaintManagerUI::ReloadAllText();
        for (const int dpi : {96, 144}) {
            w.ApplyInterfaceScale(dpi);
            w.TrayIcon().SimulateClick(true);
            ASSERT_TRUE(PumpUntil([&] { return w.TrayMenu() != 0 && FromHandle(w.TrayMenu()) != nullptr; }));
            Pump(200);
            auto* menu = static_cast<CMenuWnd*>(FromHandle(w.TrayMenu()));
            ASSERT_NE(menu, nullptr);
            QWidget* host = menu->GetHostWidget();
            EXPECT_EQ(host->width(), 168 * dpi / 96);
            EXPECT_EQ(menu->GetPaintManager()->GetDPI(), dpi);
            // Wholly on the screen it opened on.
            const QRect screen = host->screen()->geometry();
            EXPECT_TRUE(screen.contains(host->geometry())) << language.name << dpi;
            const QString path =
                QString("%1/tray_menu_%2_%3.png").arg(ZORV_SCREENSHOT_DIR).arg(language.name).arg(dpi);
            EXPECT_TRUE(host->grab().toImage().save(path)) << path.toStdString();
            menu->Close(IDOK);
            Pump(100);
        }
    }
    CResourceManager::GetInstance()->ResetTextMap();
}
