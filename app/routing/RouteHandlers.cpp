#include "app/routing/RouteHandlers.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "app/routing/MouseRoutes.h"
#include "app/routing/RouteHost.h"
#include "toolkit/Button.h"
#include "toolkit/Slider.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "panels/lighting/LightControlUI.h"
#include "panels/lighting/LightingActions.h"
#include "panels/profile/DeviceProfileUI.h"
#include "panels/profile/ProfileActions.h"
#include "platform/DebugOutput.h"

using namespace DuiLib;

namespace route {
namespace {

constexpr int kMessageBoxQuestion = 1;

CTorvanelKeyboardDevice* ActiveKeyboard(RouteCall& call) {
    CTorvanelUSBDevice* engine = call.host.ActiveDevice();
    return engine ? static_cast<CTorvanelKeyboardDevice*>(engine->GetInterface(CTorvanelKeyboardDevice::kClassName))
                  : nullptr;
}

bool OptionSelected(CControlUI* control) {
    auto* option = control ? static_cast<COptionUI*>(control->GetInterface("Option")) : nullptr;
    return option && option->IsSelected();
}

// The keyboard's system switches travel in its lighting parameter record: store, then write.
void StoreKeyboardStages(RouteCall& call, CTorvanelKeyboardDevice& keyboard, const KeyboardSystemStages& stages) {
    keyboard.SetSystemStages(stages.ToWords());
    keyboard.SaveProfile();
    keyboard.WriteLightParams(0, 0, 1, call.host.ScreenWidth(), call.host.ScreenHeight());
    keyboard.RefreshPage();
}

// Desktop tools that open the keyboard (0) or mouse (1) settings, tried in this order.
struct InputSettingsTool {
    const char* program;
    const char* keyboardArgument;
    const char* mouseArgument;
};
constexpr InputSettingsTool kInputSettingsTools[] = {
    {"gnome-control-center", "keyboard", "mouse"},
    {"systemsettings", "kcm_keyboard", "kcm_mouse"},
    {"xfce4-keyboard-settings", "", ""},
    {"xfce4-mouse-settings", "", ""},
};

}  // namespace

void Lighting(RouteCall& call) {
    CTorvanelUSBDevice* engine = call.host.ActiveDevice();
    CLightControlUI* panel = engine ? FindLightingPanel(*engine) : nullptr;
    if (!panel) return;
    HandleLightingNotify(*engine, *panel, call.msg.sType, call.name, call.host.ScreenWidth(), call.host.ScreenHeight());
}

void Profile(RouteCall& call) {
    CTorvanelUSBDevice* engine = call.host.ActiveDevice();
    CDeviceProfileUI* panel = engine ? FindProfilePanel(*engine) : nullptr;
    if (!panel) return;
    const ScreenSize screen{call.host.ScreenWidth(), call.host.ScreenHeight()};
    if (HandleProfileNotify(*engine, *panel, call.msg.sType, call.name, screen) == ProfileNotifyResult::StartSelectTimer)
        call.host.StartProfileSwitchTimer();
}

void SettingsTab(RouteCall& call) {
    // Only the tab that became selected counts; its neighbours report being cleared too.
    if (!OptionSelected(call.msg.pSender)) return;
    Profile(call);
}

void RestoreDefaults(RouteCall& call) {
    CTorvanelUSBDevice* engine = call.host.ActiveDevice();
    if (!engine || call.host.AskUser("message_text_22", kMessageBoxQuestion) != 1) return;
    engine->RestoreDefaults();
}

void KeyboardSettings(RouteCall& call) {
    CTorvanelKeyboardDevice* keyboard = ActiveKeyboard(call);
    if (!keyboard) return;
    KeyboardSystemStages stages = KeyboardSystemStages::FromWords(keyboard->GetSystemStages());
    CControlUI* sender = call.msg.pSender;
    const bool on = OptionSelected(sender);
    const std::string& name = call.name;
    if (name == "winlockflag_option") stages.WinFlag = on;
    else if (name == "wflag_option") stages.WFlag = on;
    else if (name == "6flag_option") stages.Key6Flag = on;
    else if (name == "mode_change") stages.ModeFlag = on;
    else if (name == "repeat_rate_slider") {
        auto* slider = static_cast<CSliderUI*>(sender->GetInterface("Slider"));
        if (!slider) return;
        stages.Repeat = static_cast<uint16_t>(slider->GetValue());
    } else if (call.number >= 0 && name.starts_with("polling_rate_option_")) {
        if (!on) return;
        stages.PollingRate = static_cast<uint16_t>(call.number);
    } else if (call.number >= 0) {
        if (!on) return;  // a radio group: the option that was cleared reports too
        stages.RepeatDelay = static_cast<uint16_t>(call.number);
    } else {
        return;
    }
    StoreKeyboardStages(call, *keyboard, stages);
}

void ResetRepeat(RouteCall& call) {
    CTorvanelKeyboardDevice* keyboard = ActiveKeyboard(call);
    if (!keyboard) return;
    // The shipped profile holds the factory repeat settings of this model.
    CKeyboardProfiledata shipped;
    shipped.SetDeviceIndex(keyboard->Profile().GetDeviceIndex());
    shipped.LoadSection(keyboard->DefaultProfilePath());
    const KeyboardSystemStages factory = KeyboardSystemStages::FromWords(shipped.GetSystemStages());
    KeyboardSystemStages stages = KeyboardSystemStages::FromWords(keyboard->GetSystemStages());
    stages.Repeat = factory.Repeat;
    stages.RepeatDelay = factory.RepeatDelay;
    StoreKeyboardStages(call, *keyboard, stages);
}

void PollingRate(RouteCall& call) {
    if (ActiveKeyboard(call)) return KeyboardSettings(call);
    MousePollingRate(call);
}

void DeviceSelect(RouteCall& call) {
    if (OptionSelected(call.msg.pSender)) call.host.OnDeviceEntrySelected(call.msg.pSender);
}

void DevicePrevious(RouteCall& call) { call.host.SelectNeighbourDevice(false); }

void DeviceNext(RouteCall& call) { call.host.SelectNeighbourDevice(true); }

void SystemInputSettings(RouteCall& call) {
    if (call.number != 0 && call.number != 1) return;
    const bool mouse = call.number == 1;
    // Started detached, so the window never waits for the settings tool.
    for (const InputSettingsTool& tool : kInputSettingsTools) {
        const std::string argument = mouse ? tool.mouseArgument : tool.keyboardArgument;
        if (argument.empty() && std::string(tool.program).find(mouse ? "mouse" : "keyboard") == std::string::npos) continue;
        if (QStandardPaths::findExecutable(tool.program).isEmpty()) continue;
        QStringList arguments;
        if (!argument.empty()) arguments << QString::fromStdString(argument);
        if (QProcess::startDetached(tool.program, arguments)) return;
    }
    DebugOutput(std::string("routing: no desktop tool for the ") + (mouse ? "mouse" : "keyboard") + " settings");
}

}  // namespace route
