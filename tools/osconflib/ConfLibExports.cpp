// The library's entry points. One lock serialises every call, so any thread may call any entry
// point; the sound server connection lives from ConfLibInit to ConfLibUnInit, or to the end of the
// process, where whatever the library loaded on the server is removed again.
#include <memory>
#include <mutex>

#include "platform/audio/ConfLibAbi.h"
#include "tools/osconflib/HeadsetAudio.h"
#include "tools/osconflib/PropertyCodec.h"

#define CONFLIB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Library {
    std::mutex lock;
    std::unique_ptr<osconflib::HeadsetAudio> audio;

    // A process that never calls ConfLibUnInit still leaves no loopback or filter behind.
    ~Library() {
        std::lock_guard<std::mutex> guard(lock);
        audio.reset();
    }
};

Library& Instance() {
    static Library library;
    return library;
}

}  // namespace

CONFLIB_EXPORT int32_t ConfLibInit() {
    Library& library = Instance();
    std::lock_guard<std::mutex> guard(library.lock);
    if (library.audio) return osconflib::kOk;
    auto audio = std::make_unique<osconflib::HeadsetAudio>();
    const int32_t result = audio->Init();
    if (result == osconflib::kOk) library.audio = std::move(audio);
    return result;
}

CONFLIB_EXPORT int32_t ConfLibUnInit() {
    Library& library = Instance();
    std::lock_guard<std::mutex> guard(library.lock);
    library.audio.reset();
    return osconflib::kOk;
}

CONFLIB_EXPORT int32_t CreateDeviceList() {
    Library& library = Instance();
    std::lock_guard<std::mutex> guard(library.lock);
    return library.audio ? library.audio->CreateDeviceList() : osconflib::kNotConnected;
}

CONFLIB_EXPORT int32_t GetDeviceCount(int32_t list, int32_t* count) {
    Library& library = Instance();
    std::lock_guard<std::mutex> guard(library.lock);
    if (!library.audio) {
        if (count) *count = 0;
        return count ? osconflib::kNotConnected : osconflib::kBadArgument;
    }
    return library.audio->Count(list, count);
}

CONFLIB_EXPORT int32_t GetDeviceById(int32_t list, int32_t index, ConfLibDescriptor* descriptor) {
    Library& library = Instance();
    std::lock_guard<std::mutex> guard(library.lock);
    if (!descriptor) return osconflib::kBadArgument;
    return library.audio ? library.audio->Describe(list, index, descriptor) : osconflib::kNotConnected;
}

CONFLIB_EXPORT int32_t PropertyControl(ConfLibDescriptor descriptor, const char16_t* property, void** value,
                                       void** channel, int32_t direction) {
    const std::optional<osconflib::Property> decoded = osconflib::DecodeName(property);
    if (!decoded) return osconflib::kBadArgument;
    Library& library = Instance();
    std::lock_guard<std::mutex> guard(library.lock);
    if (!library.audio) return osconflib::kNotConnected;
    return library.audio->Control(descriptor, *decoded, value, channel, direction);
}
