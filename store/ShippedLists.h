#pragma once
// Readers of two shipped lists that the shell and the music window use: the language list
// ("Language.config") and the music lighting styles ("AudioFile.json").
#include <json/json.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct LanguageEntry {
    int Language_ID = 0;        // stable identifier kept in the registry
    std::string Language_name;  // the toolkit's name of the language
    std::string Language_file;  // language file the toolkit loads
    std::string Language_text;  // the language's own name
};

// One entry per element of "Language", in order; a missing or damaged file gives none.
std::vector<LanguageEntry> ReadLanguageList(const std::string& path);

struct AudioStyleSet {
    int nAudioStyle = 0;
    std::array<std::string, 4> names;
    std::array<std::array<int, 3>, 4> colours{};  // R, G, B per style, each 0..9
};

// Device.AudioLightInfo of an "AudioFile.json"; false when the file has none.
bool ReadAudioStyles(const std::string& path, AudioStyleSet& styles);
// The AudioLightInfo object of a style set, for writing back into Device.
Json::Value AudioStylesToJson(const AudioStyleSet& styles);
