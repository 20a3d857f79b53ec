// Sleep and resume, and the lighting control flag that both hand to the engines.
#include <algorithm>
#include <iterator>

#include "app/devicelist/DeviceList.h"
#include "app/shell/AppMessages.h"
#include "app/shell/MainWnd.h"
#include "platform/DebugOutput.h"
#include "platform/bus/MessageBus.h"

using namespace DuiLib;

namespace {
// Language keys: "控制灯光" and "不控制灯光" in Chinese.
constexpr const char kLightControlOnText[] = "main_light_control_on";
constexpr const char kLightControlOffText[] = "main_light_control_off";
}  // namespace

void CMainWnd::SetLightControl(int value, bool broadcast) {
    lightControl_ = value ? 1 : 0;
    if (broadcast && bus_ && bus_->Running()) bus_->Broadcast(RegisteredName("UWM_LIGHT_CONTROL_NOTIFY"), 1, lightControl_);
    if (CControlUI* status = FindControl("control_light_status")) {
        status->SetResourceText(true);
        status->SetText(lightControl_ ? kLightControlOnText : kLightControlOffText);
    }
    if (systemAwake && deviceList_) deviceList_->SetLightControl(lightControl_);
    DebugOutput(std::string("main window: lighting control ") + (lightControl_ ? "on" : "off"));
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
