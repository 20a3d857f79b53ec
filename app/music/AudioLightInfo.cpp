#include "app/music/AudioLightInfo.h"

#include <algorithm>

#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "store/JsonFile.h"

namespace {

constexpr const char kInfoKey[] = "AudioLightInfo";
constexpr const char kDeviceKey[] = "Device";
constexpr const char kComponentLetters[] = "RGB";

std::string NameKey(int style) { return "nStyleName" + std::to_string(style + 1); }
std::string ComponentKey(int component, int style) {
    return std::string("nStyle") + kComponentLetters[component] + std::to_string(style);
}

int IntMember(const Json::Value& object, const std::string& key, int fallback) {
    const Json::Value& value = object[key];
    if (value.isInt()) return value.asInt();
    if (value.isUInt()) return static_cast<int>(std::min<unsigned>(value.asUInt(), 1000));
    return fallback;
}

bool HasDeviceObject(const Json::Value& document) {
    return document.isObject() && document[kDeviceKey].isObject();
}

}  // namespace

AudioLightInfo ReadAudioLightInfo(const Json::Value& device) {
    AudioLightInfo info;
    if (!device.isObject() || !device[kInfoKey].isObject()) return info;
    const Json::Value& object = device[kInfoKey];
    const int style = IntMember(object, "nAudioStyle", 0);
    info.style = static_cast<uint8_t>(style >= 0 && style < kAudioStyleCount ? style : 0);
    for (int s = 0; s < kAudioStyleCount; ++s) {
        const Json::Value& name = object[NameKey(s)];
        if (name.isString() && !name.asString().empty()) info.names[s] = name.asString();
        for (int c = 0; c < 3; ++c)
            info.colours[s][c] = static_cast<uint8_t>(std::clamp(IntMember(object, ComponentKey(c, s), info.colours[s][c]), 0, int(kMaxStyleComponent)));
    }
    return info;
}

void WriteAudioLightInfo(Json::Value& device, const AudioLightInfo& info) {
    if (!device.isObject()) device = Json::Value(Json::objectValue);
    Json::Value& object = device[kInfoKey];
    if (!object.isObject()) object = Json::Value(Json::objectValue);
    object["nAudioStyle"] = info.style;
    for (int s = 0; s < kAudioStyleCount; ++s) {
        object[NameKey(s)] = info.names[s];
        for (int c = 0; c < 3; ++c) object[ComponentKey(c, s)] = info.colours[s][c];
    }
}

Json::Value LoadAudioDevice(const std::string& userPath, const std::string& defaultPath) {
    Json::Value user = ReadJsonValue(userPath);
    if (HasDeviceObject(user)) return user[kDeviceKey];
    Json::Value shipped = ReadJsonValue(defaultPath);
    if (!HasDeviceObject(shipped)) {
        DebugOutput("music: the default \"AudioFile.json\" is missing or damaged; built-in styles used");
        shipped = Json::Value(Json::objectValue);
        WriteAudioLightInfo(shipped[kDeviceKey], AudioLightInfo{});
    }
    if (user.isObject()) {
        // A document of ours without the styles keeps its other members.
        user[kDeviceKey] = shipped[kDeviceKey];
    } else {
        KeepDamagedFile(userPath);  // bytes that are not JSON are kept aside, not overwritten
        user = shipped;
    }
    if (!WriteJsonValue(userPath, user)) DebugOutput("music: \"AudioFile.json\" could not be written");
    return user[kDeviceKey];
}

bool SaveAudioDevice(const std::string& userPath, const Json::Value& device) {
    Json::Value document = ReadJsonValue(userPath);
    if (!document.isObject()) {
        KeepDamagedFile(userPath);
        document = Json::Value(Json::objectValue);
    }
    document[kDeviceKey] = device;
    return WriteJsonValue(userPath, document);
}

std::string UserAudioFilePath() {
    const std::string folder = LocalAppDataFolder() + kAppName + "/";
    EnsureFolder(folder);
    return folder + kAudioFileName;
}

std::string DefaultAudioFilePath() { return ProgramFolder() + "DefaultData/" + kAudioFileName; }
