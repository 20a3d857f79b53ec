#include <algorithm>
#include <mutex>

#include "device/hid/EmulatorBackend.h"
#include "device/hid/HidPath.h"
#include "device/hid/HidTransport.h"
#include "device/hid/HidrawBackend.h"

namespace {

struct Registry {
    std::mutex lock;
    std::vector<std::shared_ptr<IHidBackend>> backends;
};

// Built on first use so that the built-in backends exist however the library is linked.
Registry& TheRegistry() {
    static Registry* registry = [] {
        auto* r = new Registry;
        r->backends.push_back(std::make_shared<HidrawBackend>());
        r->backends.push_back(std::make_shared<EmulatorBackend>());
        return r;
    }();
    return *registry;
}

}  // namespace

void RegisterHidBackend(std::shared_ptr<IHidBackend> backend) {
    if (!backend) return;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    const std::string scheme = backend->Scheme();
    auto same = std::find_if(registry.backends.begin(), registry.backends.end(),
                             [&](const auto& b) { return b->Scheme() == scheme; });
    if (same != registry.backends.end()) {
        *same = std::move(backend);
    } else {
        registry.backends.push_back(std::move(backend));
    }
}

void UnregisterHidBackend(const std::string& scheme) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    std::erase_if(registry.backends, [&](const auto& b) { return b->Scheme() == scheme; });
}

std::vector<std::shared_ptr<IHidBackend>> HidBackends() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.backends;
}

std::string HidInstanceOf(const std::string& path) {
    const std::string scheme = PathScheme(path);
    for (const auto& backend : HidBackends())
        if (backend->Scheme() == scheme) return backend->InstanceOf(path);
    return {};
}
