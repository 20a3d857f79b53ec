// A process that loads the audio library, starts monitoring (and the filters, when asked) and then
// ends without ConfLibUnInit: by returning from main ("exit") or by SIGKILL ("kill").
#include <dlfcn.h>
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/audio/ConfLibAbi.h"

namespace {

template <typename Function>
Function Entry(void* library, const char* name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

int32_t WriteInteger(PropertyControlFunction control, const ConfLibDescriptor& endpoint, const char16_t* name,
                     int32_t value) {
    void* buffer = &value;
    return control(endpoint, name, &buffer, nullptr, conflib::kWrite);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    void* library = dlopen((std::string(ZORV_PROGRAM_DIR) + "/" + conflib::kLibraryPath).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return 3;
    auto init = Entry<ConfLibInitFunction>(library, conflib::kInitName);
    auto createList = Entry<CreateDeviceListFunction>(library, conflib::kCreateDeviceListName);
    auto byId = Entry<GetDeviceByIdFunction>(library, conflib::kGetDeviceByIdName);
    auto control = Entry<PropertyControlFunction>(library, conflib::kPropertyControlName);
    ConfLibDescriptor playback{}, capture{};
    if (!init || !createList || !byId || !control || init() != 0 || createList() != 0 ||
        byId(conflib::kPlaybackList, 0, &playback) != 0 || byId(conflib::kCaptureList, 0, &capture) != 0)
        return 4;
    if (WriteInteger(control, capture, u"AAMuteControl", 0) != 0) return 5;
    if (std::strcmp(argv[2], "filters") == 0 &&
        (WriteInteger(control, playback, u"Enable_EQ_GFX", 1) != 0 || WriteInteger(control, capture, u"Enable_MAGICVOICE", 1) != 0))
        return 6;
    std::fflush(stdout);
    if (std::strcmp(argv[1], "kill") == 0) raise(SIGKILL);
    return 0;
}
