#include "tools/zorv-emulator/HeadsetRun.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "tools/zorv-emulator/ControlCommand.h"
#include "tools/zorv-emulator/HeadsetEmulator.h"
#include "tools/zorv-emulator/MousePadProduct.h"

namespace emu {

const AccessoryModel* AccessoryOfProductOption(const std::string& product) {
    if (product.empty()) return nullptr;
    char* end = nullptr;
    const long id = std::strtol(product.c_str(), &end, 0);
    if (!end || *end != '\0' || id <= 0 || id > 0xFFFF) return nullptr;
    for (const AccessoryModel* model : {&HeadsetModel(), &MousePadModel()})
        if (model->productId == id) return model;
    return nullptr;
}

int RunAccessory(const AccessoryModel& model, const std::string& name, const std::string& dir) {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    AccessoryOptions options;
    options.vendorId = model.vendorId;
    options.productId = model.productId;
    options.name = name;
    options.dir = dir;
    EmulatedHeadset accessory(options);
    std::string error;
    if (!accessory.Start(error)) {
        std::fprintf(stderr, "zorv-emulator: %s\n", error.c_str());
        return kExitFailed;
    }
    std::printf("%s (%04x:%04x) plugged in at %s\n", model.name, model.vendorId, model.productId,
                accessory.SocketPath().c_str());
    std::fflush(stdout);
    timespec tick{0, 100 * 1000 * 1000};
    while (sigtimedwait(&stopSignals, nullptr, &tick) <= 0) {
    }
    accessory.Stop();
    std::printf("stopped\n");
    return kExitOk;
}

}  // namespace emu
