#include "engines/headset/ConfLibLoader.h"

#include <dlfcn.h>

#include "platform/DebugOutput.h"
#include "platform/Folders.h"

namespace {

template <class Function>
Function Lookup(void* handle, const char* name) {
    return reinterpret_cast<Function>(dlsym(handle, name));
}

}  // namespace

std::string ConfLibraryPath() { return ProgramFolder() + conflib::kLibraryPath; }

bool CConfLibrary::Load(const std::string& path) {
    if (loaded_) return true;
    // RTLD_LOCAL keeps the library's symbols to itself; its own dependencies are found through
    // its run path, as the library's folder is its search path.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        error_ = reason ? reason : "cannot load " + path;
        return false;
    }
    init_ = Lookup<ConfLibInitFunction>(handle, conflib::kInitName);
    createDeviceList_ = Lookup<CreateDeviceListFunction>(handle, conflib::kCreateDeviceListName);
    deviceCount_ = Lookup<GetDeviceCountFunction>(handle, conflib::kGetDeviceCountName);
    deviceById_ = Lookup<GetDeviceByIdFunction>(handle, conflib::kGetDeviceByIdName);
    propertyControl_ = Lookup<PropertyControlFunction>(handle, conflib::kPropertyControlName);
    if (!init_ || !createDeviceList_ || !deviceCount_ || !deviceById_ || !propertyControl_) {
        // A library without the calls the engine makes is as good as none.
        error_ = path + " lacks an entry point the headset needs";
        DebugOutput(error_);
        init_ = nullptr;
        createDeviceList_ = nullptr;
        deviceCount_ = nullptr;
        deviceById_ = nullptr;
        propertyControl_ = nullptr;
        dlclose(handle);
        return false;
    }
    loaded_ = true;
    return true;
}

int32_t CConfLibrary::Init() const { return init_ ? init_() : -1; }

void CConfLibrary::CreateDeviceList() const {
    if (createDeviceList_) createDeviceList_();
}

int32_t CConfLibrary::DeviceCount(int32_t list) const {
    int32_t count = 0;
    if (!deviceCount_) return 0;
    // A failed call counts no endpoint.
    if (deviceCount_(list, &count) != 0) return 0;
    return count > 0 ? count : 0;
}

void CConfLibrary::DeviceById(int32_t list, int32_t index, ConfLibDescriptor& descriptor) const {
    if (deviceById_) deviceById_(list, index, &descriptor);
}

int32_t CConfLibrary::Property(const ConfLibDescriptor& descriptor, const char16_t* property, void** value,
                               void** channel, int32_t direction) const {
    return propertyControl_ ? propertyControl_(descriptor, property, value, channel, direction) : -1;
}
