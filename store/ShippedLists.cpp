#include "store/ShippedLists.h"

#include "store/JsonAccess.h"
#include "store/JsonFile.h"

namespace {
constexpr const char* kColourKeys[4][3] = {{"nStyleR0", "nStyleG0", "nStyleB0"},
                                           {"nStyleR1", "nStyleG1", "nStyleB1"},
                                           {"nStyleR2", "nStyleG2", "nStyleB2"},
                                           {"nStyleR3", "nStyleG3", "nStyleB3"}};
constexpr const char* kNameKeys[4] = {"nStyleName1", "nStyleName2", "nStyleName3", "nStyleName4"};
}  // namespace

std::vector<LanguageEntry> ReadLanguageList(const std::string& path) {
    Json::Value doc = ReadJsonValue(path);
    const Json::Value& list = MemberOf(doc, "Language");
    std::vector<LanguageEntry> result;
    for (int i = 0; i < ArraySize(list); ++i) {
        const Json::Value& e = list[i];
        result.push_back({ToInt32(MemberOf(e, "Language_ID")), ToText(MemberOf(e, "Language_name")),
                          ToText(MemberOf(e, "Language_file")), ToText(MemberOf(e, "Language_text"))});
    }
    return result;
}

bool ReadAudioStyles(const std::string& path, AudioStyleSet& styles) {
    Json::Value doc = ReadJsonValue(path);
    const Json::Value& info = MemberOf(MemberOf(doc, "Device"), "AudioLightInfo");
    if (!info.isObject()) return false;
    styles.nAudioStyle = ToInt32(MemberOf(info, "nAudioStyle"));
    for (int s = 0; s < 4; ++s) {
        styles.names[s] = ToText(MemberOf(info, kNameKeys[s]));
        for (int c = 0; c < 3; ++c) styles.colours[s][c] = ToInt32(MemberOf(info, kColourKeys[s][c]));
    }
    return true;
}

Json::Value AudioStylesToJson(const AudioStyleSet& styles) {
    Json::Value info(Json::objectValue);
    info["nAudioStyle"] = styles.nAudioStyle;
    for (int s = 0; s < 4; ++s) {
        info[kNameKeys[s]] = styles.names[s];
        for (int c = 0; c < 3; ++c) info[kColourKeys[s][c]] = styles.colours[s][c];
    }
    return info;
}
