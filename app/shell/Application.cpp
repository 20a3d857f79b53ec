#include "app/shell/Application.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/dialogs/MsgWnd.h"
#include "app/routing/ControlBuilder.h"
#include "app/shell/AppMessages.h"
#include "app/shell/MainWnd.h"
#include "app/shell/PrivateFonts.h"
#include "app/shell/TerminationSignals.h"
#include "device/registry/ModelRegistry.h"
#include "toolkit/UIlib.h"
#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "platform/NamedMutex.h"
#include "platform/bus/MessageBus.h"

using namespace DuiLib;

namespace {
constexpr int kCreateWidth = 800;
constexpr int kCreateHeight = 572;
constexpr UINT kAppIconId = 107;

std::string EnvOr(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}
// Before the device list exists: its pages are built from the tables these rows join.
void LoadProductsOfDeviceFiles() {
    const DeviceFileReport report = LoadDeviceFiles(DeviceFileFolders());
    for (const std::string& name : report.added) DebugOutput("device files: added \"" + name + "\"");
    for (const std::string& problem : report.problems) {
        std::fprintf(stderr, "zorv-wired-manager: device file skipped: %s\n", problem.c_str());
        DebugOutput("device files: skipped " + problem);
    }
}
}  // namespace

int RunApplication(int, char**) {
    // Qt's font database lives in the application object, so that comes before the fonts.
    CPaintManagerUI::SetInstance();
    PrivateFonts fonts(ProgramFolder());
    fonts.LoadAll();

    SetMessageBoxFunction(&ShowMessageBox);
    RegisterAppInstanceMessage();
    DebugOutput("软件标示：" + std::to_string(UWM_APP_INSTANCE));

    CMessageBus bus;
    if (bus.Start() != BusStatus::Ok) DebugOutput("start-up: no session bus, running without other programs");

    NamedMutex mutex;
    if (mutex.Create(kAppInstanceName) == NamedMutex::CreateResult::AlreadyExists) {
        bus.Broadcast(kAppInstanceName, 0, 1);
        bus.Stop();
        fonts.UnloadAll();
        return 0;
    }

    LoadProductsOfDeviceFiles();
    CPaintManagerUI::SetResourcePath(ProgramFolder() + "skin/");
    CResourceManager::GetInstance()->LoadResource("res.xml");
    RegisterControlClasses();
    RegisterApplicationMessages();

    auto window = std::make_unique<CMainWnd>(&bus);
    window->SetScreenshotPath(EnvOr("ZORV_SCREENSHOT", ""));
    if (!window->Create(0, kAppInstanceName, kMainWindowStyle, 0, 0, 0, kCreateWidth, kCreateHeight)) {
        bus.Stop();
        fonts.UnloadAll();
        return 0;
    }
    window->SetIcon(kAppIconId);
    window->CenterWindow();
    {
        // A signal that came before the loop waits in the pipe and is taken once the loop runs;
        // the handlers go back before the window does.
        CTerminationSignals signals;
        CMainWnd* mainWindow = window.get();
        signals.Install([mainWindow](int) { mainWindow->RequestExit(); });
        CPaintManagerUI::MessageLoop();
    }
    window.reset();
    CResourceManager::GetInstance()->Release();
    bus.Stop();
    mutex.Close();
    fonts.UnloadAll();
    CPaintManagerUI::Term();
    return 0;
}
