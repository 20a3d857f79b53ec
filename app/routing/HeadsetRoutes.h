#pragma once
// Handlers of the headset panels' rows. Each acts only when the active device is a headset.
#include "app/routing/RouteTables.h"

namespace route {

void HeadsetVoiceChanger(RouteCall& call);  // "magic_enable_option"
void HeadsetVoice(RouteCall& call);         // "magic_option_" N
void HeadsetPreset(RouteCall& call);        // "6533_eq_option_" N
void HeadsetMicrophone(RouteCall& call);    // "6533_MicIn_option"
void HeadsetMonitor(RouteCall& call);       // "6533_MicMoniter_option"
void HeadsetBand(RouteCall& call);          // "6533_eq_hz_slider_" N
void HeadsetMicrophoneLevel(RouteCall& call);
void HeadsetMonitorLevel(RouteCall& call);
void HeadsetCustomEqualiser(RouteCall& call);  // "custom_eq_name_combo"
void HeadsetSaveEqualiser(RouteCall& call);    // "hs_EQ_btn_save"
void HeadsetDeleteEqualiser(RouteCall& call);  // "hs_EQ_btn_delete"

}  // namespace route

// Registers the headset and mouse-pad engines and the headset panels with the control factory,
// and shows the headset's start-up messages in the message box.
void RegisterHeadsetClasses();
