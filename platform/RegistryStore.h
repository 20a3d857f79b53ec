#pragma once
// The registry as one JSON file: {"HKEY_CURRENT_USER\\SOFTWARE\\...": {"VALUE": 2052, ...}, ...}.
// Keys are stored under their full path; DWORD values are JSON numbers. Members this code does
// not understand are written back unchanged.
#include <cstdint>
#include <string>

// "HKEY_CURRENT_USER\SOFTWARE\" + application name, the key of the program's own values.
std::string CurrentUserSoftwareKey(const std::string& appName);

class RegistryStore {
public:
    // ConfigFolder() + application name + "/registry.json".
    static std::string DefaultPath();

    explicit RegistryStore(std::string filePath = DefaultPath());

    const std::string& FilePath() const { return path_; }
    bool KeyExists(const std::string& key) const;
    // False when the key, the value or the file is missing, or the value is no 32-bit number.
    bool ReadDword(const std::string& key, const std::string& name, uint32_t& value) const;
    // False when the key is missing and createKey is off, or the file cannot be written. A file
    // that cannot be parsed is kept aside as ".damaged" before it is replaced.
    bool WriteDword(const std::string& key, const std::string& name, uint32_t value, bool createKey = true);

private:
    std::string path_;
};
