#include "app/devicelist/DeviceList.h"
#include "app/routing/ControlBuilder.h"
#include "app/routing/HeadsetRoutes.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "engines/mouse/TorvanelMouseDevice.h"
#include "panels/controls/PanelControls.h"
#include "panels/keyset/KeySetControlUI.h"
#include "panels/lighting/LightingControls.h"
#include "panels/macro/MacroControlUI.h"
#include "panels/profile/DeviceProfileUI.h"
#include "panels/recoil/ShootControlUI.h"

void RegisterControlClasses() {
    RegisterPanelControls();
    RegisterKeyboardControls();
    RegisterDeviceListControls();
    RegisterLightingControls();
    RegisterProfileControls();
    RegisterKeySetControls();
    RegisterMacroControls();
    RegisterHeadsetClasses();
    RegisterMouseControls();
    RegisterShootControls();
}
