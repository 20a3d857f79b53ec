#include "tools/zorv-emulator/MousePadProduct.h"

namespace emu {

const AccessoryModel& MousePadModel() {
    static const AccessoryModel model{kMousePadVendorId, kMousePadProductId, "Zorv lit mouse pad", 2,
                                      kMousePadZones, true};
    return model;
}

}  // namespace emu
