#pragma once
// Writes a macro library the way the editor leaves it: "macro.config" with the macros in order
// and one Guid + ".mac" file per macro.
#include <gtest/gtest.h>
#include <json/json.h>

#include <string>
#include <vector>

#include "store/JsonFile.h"
#include "store/MacroEvent.h"

namespace testsupport {

struct MacroSpec {
    std::string name;
    std::string guid;
    std::vector<MacroEvent> events;
};

// count events of one key, pressed and released by turns, each with the given delay text.
inline std::vector<MacroEvent> KeyTaps(int count, int usage, const std::string& delay = "10") {
    std::vector<MacroEvent> events;
    for (int e = 0; e < count; ++e) events.push_back({e % 2 ? "up" : "down", kMacroTypeKey, usage, delay});
    return events;
}

inline Json::Value MacroFileDocument(const MacroSpec& macro) {
    Json::Value file(Json::objectValue);
    file["MacroName"] = macro.name;
    file["Guid"] = macro.guid;
    file["Events"] = Json::Value(Json::arrayValue);
    for (const MacroEvent& event : macro.events) file["Events"].append(event.ToJson());
    file["Version"] = 64;
    return file;
}

inline void WriteMacroLibrary(const std::string& folder, const std::vector<MacroSpec>& macros) {
    Json::Value library(Json::objectValue);
    library["MacroInfo"] = Json::Value(Json::arrayValue);
    for (const MacroSpec& macro : macros) {
        Json::Value entry(Json::objectValue);
        entry["MacroName"] = macro.name;
        entry["Guid"] = macro.guid;
        library["MacroInfo"].append(entry);
        ASSERT_TRUE(WriteJsonValue(folder + macro.guid + ".mac", MacroFileDocument(macro)));
    }
    ASSERT_TRUE(WriteJsonValue(folder + "macro.config", library));
}

}  // namespace testsupport
