#pragma once
// The headset's audio configuration library, loaded at run time with dlopen. Once loaded it stays
// loaded for the life of the process (nothing of it is ever unloaded or un-initialised).
#include <cstdint>
#include <string>

#include "platform/audio/ConfLibAbi.h"

class CConfLibrary {
public:
    CConfLibrary() = default;
    CConfLibrary(const CConfLibrary&) = delete;
    CConfLibrary& operator=(const CConfLibrary&) = delete;

    // Loads the library at path and looks up the entry points the engine calls. False (and
    // nothing looked up) when it does not load; false as well when one of them is missing.
    bool Load(const std::string& path);
    bool Loaded() const { return loaded_; }
    const std::string& LoadError() const { return error_; }

    int32_t Init() const;
    void CreateDeviceList() const;
    int32_t DeviceCount(int32_t list) const;
    // The descriptor is left as the caller zeroed it when the library fills nothing.
    void DeviceById(int32_t list, int32_t index, ConfLibDescriptor& descriptor) const;
    // 0 on success; -1 when the library is not loaded.
    int32_t Property(const ConfLibDescriptor& descriptor, const char16_t* property, void** value, void** channel,
                     int32_t direction) const;

private:
    bool loaded_ = false;
    std::string error_;
    ConfLibInitFunction init_ = nullptr;
    CreateDeviceListFunction createDeviceList_ = nullptr;
    GetDeviceCountFunction deviceCount_ = nullptr;
    GetDeviceByIdFunction deviceById_ = nullptr;
    PropertyControlFunction propertyControl_ = nullptr;
};

// The library's path in the program folder.
std::string ConfLibraryPath();
