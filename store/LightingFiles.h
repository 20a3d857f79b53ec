#pragma once
// The lighting lists besides the profile: the shipped stock effects of every model
// ("default_light.json") and the user-made effects of a family ("nuvex_light.config" with one
// Guid + ".light" effect file per effect beside it). The program only reads these files.
#include <string>
#include <vector>

#include "store/ProfileRecords.h"

struct StockEffect {
    std::string LightName;  // language text key
    bool visible = false;
    int value = 0;          // the device's effect code
};

struct DefaultLightLists {
    bool hasEffects = false;  // DefaultLightName[model] present; otherwise keep the old lists
    std::vector<StockEffect> effects;
    bool hasAreaEffects = false;
    std::vector<std::string> areaEffectNames;
};

struct CustomLightEntry {
    std::string LightName;
    std::string Guid;
};

std::string DefaultLightFilePath(const std::string& defaultDataFolder);
// The light configuration file of a family: user data folder + default lighting name + ".config".
std::string LightConfigPath(const std::string& userDataFolder,
                            const std::string& defaultLightingName = "nuvex_light");

DefaultLightLists ReadDefaultLightLists(const std::string& defaultLightPath, int modelIndex);
// LightInfo[outer index] of a light configuration file; present is false when it is absent.
std::vector<CustomLightEntry> ReadCustomLightEntries(const std::string& lightConfigPath,
                                                     int outerIndex, bool* present = nullptr);
// The frames of an effect file (LEDEffectList); missing or damaged gives no frames.
std::vector<LedEffectFrame> ReadLedEffectFile(const std::string& path);
