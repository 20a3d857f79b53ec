#include "app/skins/SkinChoiceFile.h"

#include "platform/Folders.h"
#include "store/JsonFile.h"

std::string SkinChoiceFilePath() { return LocalAppDataFolder() + kAppName + "/main.ini"; }

bool WriteSkinChoice(const std::string& path, const std::string& flags, const std::string& image) {
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && !EnsureFolder(path.substr(0, slash + 1))) return false;
    Json::Value document = ReadJsonValue(path);
    if (!document.isObject()) {
        // Unreadable or not an object: keep the old bytes aside rather than overwrite them.
        if (FileExists(path) && !KeepDamagedFile(path)) return false;
        document = Json::Value(Json::objectValue);
    }
    Json::Value& section = document["SKINIMAGE"];
    if (!section.isObject()) section = Json::Value(Json::objectValue);
    section["FLAGS"] = flags;
    section["IMAGE"] = image;
    return WriteJsonValue(path, document);
}
