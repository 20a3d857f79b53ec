#pragma once
// Handlers of the mouse page's rows: DPI stages, report rate, pointer settings, the settings
// tabs and the recoil panel. Each acts only when the active page is a mouse.
#include "app/routing/RouteTables.h"

namespace route {

void MouseDpiCheck(RouteCall& call);
void MouseDpiSlider(RouteCall& call);
void MouseDpiSliderMoving(RouteCall& call);
void MouseDpiEdit(RouteCall& call);
void MousePointer(RouteCall& call);
void MouseSettingsTab(RouteCall& call);
// "polling_rate_option_" + N of a mouse page; false when the active page is not a mouse.
bool MousePollingRate(RouteCall& call);
// "click_select_end" of the mouse picture: every lighting point on show chosen applies the profile.
void MouseLightPointsChosen(RouteCall& call);
void Recoil(RouteCall& call);

}  // namespace route
