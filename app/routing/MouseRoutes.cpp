#include "app/routing/MouseRoutes.h"

#include "app/routing/RouteHost.h"
#include "toolkit/Button.h"
#include "toolkit/PaintManager.h"
#include "engines/mouse/TorvanelMouseDevice.h"
#include "engines/device/DeviceKeyButton.h"
#include "panels/controls/SelectPanel.h"
#include "panels/recoil/ShootControlUI.h"
#include "store/JsonFile.h"

using namespace DuiLib;

namespace route {
namespace {

CTorvanelMouseDevice* ActiveMouse(RouteCall& call) {
    CTorvanelUSBDevice* engine = call.host.ActiveDevice();
    auto* mouse =
        engine ? static_cast<CTorvanelMouseDevice*>(engine->GetInterface(CTorvanelMouseDevice::kClassName)) : nullptr;
    if (mouse) mouse->SetScreenSize(call.host.ScreenWidth(), call.host.ScreenHeight());
    return mouse;
}

bool Selected(CControlUI* control) {
    auto* option = control ? static_cast<COptionUI*>(control->GetInterface("Option")) : nullptr;
    return option && option->IsSelected();
}

}  // namespace

void MouseDpiCheck(RouteCall& call) {
    if (CTorvanelMouseDevice* mouse = ActiveMouse(call)) mouse->OnDpiCheckChanged(call.number);
}

void MouseDpiSlider(RouteCall& call) {
    if (CTorvanelMouseDevice* mouse = ActiveMouse(call)) mouse->OnDpiSliderReleased(call.number);
}

void MouseDpiSliderMoving(RouteCall& call) {
    if (CTorvanelMouseDevice* mouse = ActiveMouse(call)) mouse->OnDpiSliderMoving(call.number);
}

void MouseDpiEdit(RouteCall& call) {
    if (CTorvanelMouseDevice* mouse = ActiveMouse(call)) mouse->OnDpiEditDone(call.number);
}

void MousePointer(RouteCall& call) {
    if (CTorvanelMouseDevice* mouse = ActiveMouse(call)) mouse->OnPointerSettingChanged(call.name);
}

void MouseSettingsTab(RouteCall& call) {
    CTorvanelMouseDevice* mouse = ActiveMouse(call);
    if (!mouse || !Selected(call.msg.pSender)) return;  // the cleared neighbour reports too
    mouse->ShowSettingsTab(call.number);
}

bool MousePollingRate(RouteCall& call) {
    CTorvanelMouseDevice* mouse = ActiveMouse(call);
    if (!mouse) return false;
    if (Selected(call.msg.pSender)) mouse->OnReportRateSelected(call.number);
    return true;
}

void MouseLightPointsChosen(RouteCall& call) {
    CTorvanelMouseDevice* mouse = ActiveMouse(call);
    auto* panel = call.msg.pSender ? static_cast<CSelectPanelUI*>(call.msg.pSender->GetInterface("SelectPanel")) : nullptr;
    if (!mouse || !panel) return;
    // Only a choice that covers every lighting point on show applies the profile's lighting.
    bool anySelected = false;
    for (int point = 0; point < mouse->LightCount(); ++point) {
        CDeviceKeyButtonUI* button = mouse->LightButton(point);
        if (!button) continue;
        const bool selected = panel->IsKeySelected(button);
        if (!selected && button->IsVisible()) return;
        anySelected = anySelected || selected;
    }
    if (!anySelected || !ReadJsonValue(mouse->GetProfilePath()).isObject()) return;
    mouse->LoadProfile();
    mouse->RefreshPage();
    mouse->WriteLightParams(0, 0, 1, call.host.ScreenWidth(), call.host.ScreenHeight());
    mouse->ApplyLighting();
}

void Recoil(RouteCall& call) {
    CTorvanelMouseDevice* mouse = ActiveMouse(call);
    if (!mouse) return;
    CControlUI* control = mouse->FindSubControl("ShootControlItem");
    auto* panel = control ? static_cast<CShootControlUI*>(control->GetInterface(CShootControlUI::kClassName)) : nullptr;
    if (!panel) return;
    CPaintManagerUI* manager = panel->GetManager();
    panel->HandleNotify(*mouse, call.msg.sType, call.name, call.number, manager ? manager->GetPaintWindow() : 0);
}

}  // namespace route
