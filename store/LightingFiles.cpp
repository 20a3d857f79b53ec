#include "store/RecordFields.h"
#include "store/LightingFiles.h"

#include "store/JsonAccess.h"
#include "store/JsonFile.h"

std::string DefaultLightFilePath(const std::string& defaultDataFolder) {
    return defaultDataFolder + "default_light.json";
}

std::string LightConfigPath(const std::string& userDataFolder,
                            const std::string& defaultLightingName) {
    return userDataFolder + defaultLightingName + ".config";
}

DefaultLightLists ReadDefaultLightLists(const std::string& defaultLightPath, int modelIndex) {
    DefaultLightLists lists;
    Json::Value doc = ReadJsonValue(defaultLightPath);
    const Json::Value& effects = ElementOf(MemberOf(doc, "DefaultLightName"), modelIndex);
    if (effects.isArray()) {
        lists.hasEffects = true;
        for (int i = 0; i < ArraySize(effects); ++i) {
            const Json::Value& e = effects[i];
            lists.effects.push_back({ToText(MemberOf(e, "LightName")), ToBool(MemberOf(e, "visible")),
                                     ToInt32(MemberOf(e, "value"))});
        }
    }
    const Json::Value& areas = ElementOf(MemberOf(doc, "AreaLightName"), modelIndex);
    if (areas.isArray()) {
        lists.hasAreaEffects = true;
        for (int i = 0; i < ArraySize(areas); ++i)
            lists.areaEffectNames.push_back(ToText(MemberOf(areas[i], "LightName")));
    }
    return lists;
}

std::vector<CustomLightEntry> ReadCustomLightEntries(const std::string& lightConfigPath,
                                                     int outerIndex, bool* present) {
    Json::Value doc = ReadJsonValue(lightConfigPath);
    const Json::Value& entries = ElementOf(MemberOf(doc, "LightInfo"), outerIndex);
    if (present) *present = entries.isArray();
    std::vector<CustomLightEntry> result;
    for (int i = 0; i < ArraySize(entries); ++i)
        result.push_back({ToText(MemberOf(entries[i], "LightName")), ToText(MemberOf(entries[i], "Guid"))});
    return result;
}

std::vector<LedEffectFrame> ReadLedEffectFile(const std::string& path) {
    Json::Value doc = ReadJsonValue(path);
    const Json::Value& list = MemberOf(doc, "LEDEffectList");
    std::vector<LedEffectFrame> frames(static_cast<size_t>(ArraySize(list)));
    for (size_t i = 0; i < frames.size(); ++i) {
        const Json::Value& item = list[static_cast<Json::ArrayIndex>(i)];
        LedEffectFrame& f = frames[i];
        ReadByteFields<LedEffectFrame>(item, kLedEffectFrameFields, f);
        f.Time = ToInt32(MemberOf(item, "Time"));
        f.Cyle = ToInt32(MemberOf(item, "Cyle"));
    }
    return frames;
}
