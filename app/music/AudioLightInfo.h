#pragma once
// The four named colour styles of music lighting and their file "AudioFile.json": the default in
// the program's "DefaultData" folder, the user's copy in the application's data folder.
#include <array>
#include <cstdint>
#include <string>

#include <json/value.h>

inline constexpr int kAudioStyleCount = 4;
inline constexpr uint8_t kMaxStyleComponent = 9;
inline constexpr const char kAudioFileName[] = "AudioFile.json";
// Given back to a style whose name was cleared.
inline constexpr std::array<const char*, kAudioStyleCount> kDefaultStyleNames = {"第一组", "第二组", "第三组", "第四组"};

struct AudioLightInfo {
    uint8_t style = 0;  // 0 to 3
    std::array<std::string, kAudioStyleCount> names{kDefaultStyleNames[0], kDefaultStyleNames[1],
                                                    kDefaultStyleNames[2], kDefaultStyleNames[3]};
    // R, G, B, each 0 to 9; the shipped file's red, green, blue and white.
    std::array<std::array<uint8_t, 3>, kAudioStyleCount> colours{{{9, 0, 0}, {0, 9, 0}, {0, 0, 9}, {9, 9, 9}}};

    const std::array<uint8_t, 3>& Colour() const { return colours[style]; }
    bool operator==(const AudioLightInfo&) const = default;
};

// The "AudioLightInfo" object of a "Device" object; missing or out-of-range members read as their
// safe defaults (style 0, default names, components clamped to 0..9).
AudioLightInfo ReadAudioLightInfo(const Json::Value& device);
// Writes the record into device["AudioLightInfo"], keeping the members it does not know.
void WriteAudioLightInfo(Json::Value& device, const AudioLightInfo& info);

// The user's copy, created from the default when it is missing or not a JSON object with a
// "Device" object (a damaged one is kept aside first). Returns the "Device" object.
Json::Value LoadAudioDevice(const std::string& userPath, const std::string& defaultPath);
// Reads the user's file again, replaces its "Device" object and writes it back whole, so other
// members survive. False when the file could not be written.
bool SaveAudioDevice(const std::string& userPath, const Json::Value& device);

// "<local application data>/Zorv Wired Manager 1.0/AudioFile.json", the folder made if missing.
std::string UserAudioFilePath();
// "<program folder>DefaultData/AudioFile.json".
std::string DefaultAudioFilePath();
