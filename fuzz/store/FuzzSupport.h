#pragma once
// Each fuzz input becomes the content of a real file in a private folder, read by the real reader.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/Files.h"

inline const std::string& FuzzFolder() {
    static const std::string folder = [] {
        // In memory where there is such a folder: the readers then run many times faster.
        std::error_code ec;
        const bool shm = std::filesystem::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0;
        const std::filesystem::path base = shm ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
        std::string f = (base / ("zorv-store-fuzz-" + std::to_string(getpid()))).string() + "/";
        std::filesystem::create_directories(f);
        SetFileSyncEnabled(false);  // thousands of throw-away files: durability does not matter
        return f;
    }();
    return folder;
}

// Writes the input as the file name inside the fuzz folder and returns its path.
inline std::string FuzzFile(const std::string& name, const uint8_t* data, size_t size) {
    std::string path = FuzzFolder() + name;
    WriteFileAtomic(path, std::string(reinterpret_cast<const char*>(data), size));
    return path;
}

// Removes files a reader may have added (kept-aside copies), so runs stay independent.
inline void ClearFuzzFolder() {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(FuzzFolder(), ec))
        std::filesystem::remove_all(e.path(), ec);
}
