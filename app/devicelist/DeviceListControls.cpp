#include "app/devicelist/DeviceList.h"
#include "app/devicelist/DeviceOption.h"
#include "app/devicelist/MpDevicePower.h"
#include "toolkit/ControlFactory.h"

void RegisterDeviceListControls() {
    auto* factory = DuiLib::CControlFactory::GetInstance();
    factory->RegistControl("CDeviceOptionUI", [] { return new CDeviceOptionUI(); });
    factory->RegistControl("CMpDevicePowerUI", [] { return new CMpDevicePowerUI(); });
}
