#include "app/routing/HeadsetRoutes.h"

#include "toolkit/Button.h"
#include "toolkit/Slider.h"
#include "app/dialogs/MsgWnd.h"
#include "app/routing/RouteHost.h"
#include "device/registry/DeviceKinds.h"
#include "engines/headset/TorvanelHS6533Device.h"
#include "engines/mousepad/TorvanelMousePadDevice.h"
#include "panels/headset/Voice6533ControlUI.h"

using namespace DuiLib;

namespace {

constexpr int kNameTaken = 0;

CTorvanelHS6533Device* ActiveHeadset(RouteCall& call) {
    CTorvanelUSBDevice* engine = call.host.ActiveDevice();
    if (!engine || engine->ConnectionKind() != kKindHeadset) return nullptr;
    return dynamic_cast<CTorvanelHS6533Device*>(engine);
}

bool SenderSelected(RouteCall& call) {
    auto* option = call.msg.pSender ? static_cast<COptionUI*>(call.msg.pSender->GetInterface("Option")) : nullptr;
    return option && option->IsSelected();
}

int SenderValue(RouteCall& call) {
    auto* slider = call.msg.pSender ? static_cast<CSliderUI*>(call.msg.pSender->GetInterface("Slider")) : nullptr;
    return slider ? slider->GetValue() : -1;
}

}  // namespace

namespace route {

void HeadsetVoiceChanger(RouteCall& call) {
    if (CTorvanelHS6533Device* headset = ActiveHeadset(call)) headset->SwitchVoiceChanger();
}

void HeadsetVoice(RouteCall& call) {
    // A radio group reports the option it cleared as well; only the chosen one counts.
    CTorvanelHS6533Device* headset = ActiveHeadset(call);
    if (headset && SenderSelected(call)) headset->SelectVoice(call.number);
}

void HeadsetPreset(RouteCall& call) {
    CTorvanelHS6533Device* headset = ActiveHeadset(call);
    if (headset && SenderSelected(call)) headset->SelectEqualiserPreset(call.number);
}

void HeadsetMicrophone(RouteCall& call) {
    if (CTorvanelHS6533Device* headset = ActiveHeadset(call)) headset->ToggleMicrophoneMute();
}

void HeadsetMonitor(RouteCall& call) {
    if (CTorvanelHS6533Device* headset = ActiveHeadset(call)) headset->ToggleMonitorMute();
}

void HeadsetBand(RouteCall& call) {
    if (CTorvanelHS6533Device* headset = ActiveHeadset(call)) headset->SetEqualiserBand(call.number);
}

void HeadsetMicrophoneLevel(RouteCall& call) {
    CTorvanelHS6533Device* headset = ActiveHeadset(call);
    const int level = SenderValue(call);
    if (headset && level >= 0) headset->SetMicrophoneLevel(level);
}

void HeadsetMonitorLevel(RouteCall& call) {
    CTorvanelHS6533Device* headset = ActiveHeadset(call);
    const int level = SenderValue(call);
    if (headset && level >= 0) headset->SetMonitorLevel(level);
}

void HeadsetCustomEqualiser(RouteCall& call) {
    if (CTorvanelHS6533Device* headset = ActiveHeadset(call)) headset->ApplyCustomEqualiser();
}

void HeadsetSaveEqualiser(RouteCall& call) {
    CTorvanelHS6533Device* headset = ActiveHeadset(call);
    if (headset && headset->SaveCustomEqualiser() == kNameTaken) call.host.AskUser("message_text_5", kMessageBoxNotice);
}

void HeadsetDeleteEqualiser(RouteCall& call) {
    if (CTorvanelHS6533Device* headset = ActiveHeadset(call)) headset->DeleteCustomEqualiser();
}

}  // namespace route

void RegisterHeadsetClasses() {
    RegisterHeadsetControls();
    RegisterMousePadControls();
    RegisterHeadsetPanels();
    SetHeadsetMessageHandler([](const std::string& text) { ShowMessageBox(0, "", text, 96, 0, kMessageBoxNotice); });
}
