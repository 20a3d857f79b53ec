#pragma once
// The handlers the routing tables point at. Each takes ActiveDevice itself and does nothing when
// there is none.
#include "app/routing/RouteTables.h"

namespace route {

void Lighting(RouteCall& call);
void Profile(RouteCall& call);
void SettingsTab(RouteCall& call);
void RestoreDefaults(RouteCall& call);
void KeyboardSettings(RouteCall& call);
void ResetRepeat(RouteCall& call);
// Keyboard and mouse pages both name their report-rate options "polling_rate_option_".
void PollingRate(RouteCall& call);
void DeviceSelect(RouteCall& call);
void DevicePrevious(RouteCall& call);
void DeviceNext(RouteCall& call);
void SystemInputSettings(RouteCall& call);
void ShareLighting(RouteCall& call);
void MusicWindow(RouteCall& call);

}  // namespace route
