#include "app/routing/KeyRoutes.h"

#include "app/routing/RouteHost.h"
#include "engines/device/TorvanelUSBDevice.h"
#include "input/HookMessages.h"
#include "input/MacroRecorder.h"
#include "panels/keyset/KeySetActions.h"
#include "panels/keyset/KeySetControlUI.h"
#include "panels/macro/MacroActions.h"
#include "panels/macro/MacroControlUI.h"

namespace route {

void SelectKey(RouteCall& call) {
    if (CTorvanelUSBDevice* engine = call.host.ActiveDevice()) SelectKeyOnPage(*engine, call.number);
}

void KeySet(RouteCall& call) {
    CTorvanelUSBDevice* engine = call.host.ActiveDevice();
    CKeySetControlUI* panel = engine ? FindKeySetPanel(*engine) : nullptr;
    if (panel) HandleKeySetNotify(*engine, *panel, call.msg.sType, call.name);
}

void KeyCaptureEnd(RouteCall& call) { call.host.SetKeyCapture(false); }

void Macro(RouteCall& call) {
    CTorvanelUSBDevice* engine = call.host.ActiveDevice();
    CMacroControlUI* panel = engine ? FindMacroPanel(*engine) : nullptr;
    if (panel) HandleMacroNotify(*engine, *panel, call.msg.sType, call.name);
}

void MacroRecordStart(RouteCall& call) {
    CTorvanelUSBDevice* engine = call.host.ActiveDevice();
    CMacroControlUI* panel = engine ? FindMacroPanel(*engine) : nullptr;
    if (!panel || panel->IsRecording() || panel->Library().GetSelectedMacro() < 0) return;
    call.host.StartMacroRecording(panel->FixedDelayChecked() ? kDelayFixed : kDelayMeasured, HookMode::kKbMacro);
}

void MacroRecordStop(RouteCall& call) { call.host.StopMacroRecording(); }

}  // namespace route
