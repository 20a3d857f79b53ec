// "AudioFile.json" as the user's copy: whatever its bytes, loading it gives valid styles, keeps
// damaged bytes aside, and a save of the styles gives a file that reads back the same.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "app/music/AudioLightInfo.h"
#include "fuzz/store/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string user = FuzzFile("AudioFile.json", data, size);
    const std::string missingDefault = FuzzFolder() + "no-default.json";
    const Json::Value device = LoadAudioDevice(user, missingDefault);
    const AudioLightInfo info = ReadAudioLightInfo(device);
    if (info.style >= kAudioStyleCount) __builtin_trap();
    for (const auto& colour : info.colours)
        for (uint8_t component : colour)
            if (component > kMaxStyleComponent) __builtin_trap();
    // The copy kept aside is removed each time, so inputs do not pile up files.
    std::filesystem::remove(user + ".damaged");
    if (!SaveAudioDevice(user, device)) return 0;
    if (!(ReadAudioLightInfo(LoadAudioDevice(user, missingDefault)) == info)) __builtin_trap();
    return 0;
}
