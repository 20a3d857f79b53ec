#include "panels/lighting/LightingControls.h"

#include "toolkit/ControlFactory.h"
#include "panels/lighting/ColorPaletteUI.h"
#include "panels/lighting/LightControlUI.h"

void RegisterLightingControls() {
    DuiLib::CControlFactory* factory = DuiLib::CControlFactory::GetInstance();
    factory->RegistControl("CLightControlUI", [] { return new CLightControlUI; });
    factory->RegistControl("CColorPaletteUI", [] { return new CColorPaletteUI; });
}
