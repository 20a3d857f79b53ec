// The update service's answers and "updatetime.config" of any content.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "update/check/UpdateCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The answer buffer is read as zero-terminated text, as the window reads it.
    const std::string answer(text.c_str());
    for (const bool hexadecimal : {true, false})
        for (const int32_t current : {0, 0x0104, -1, 0x7FFFFFFF}) ParseUpdateAnswer(answer, current, hexadecimal);
    // Memory-backed when the machine has it: every input is written and read back.
    static const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
    static const std::string path = folder + "zorv-fuzz-updatetime-" + std::to_string(getpid()) + ".config";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    ReadOrCreateLastCheckDate(path);
    WriteLastCheckDate(path, "2024-3-7");
    // Nothing is kept aside between inputs.
    std::remove((path + ".damaged").c_str());
    VersionTextToNumber(text);
    return 0;
}
