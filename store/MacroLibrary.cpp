#include "store/MacroLibrary.h"

#include <cstdio>

#include "platform/Folders.h"
#include "store/JsonAccess.h"
#include "store/JsonFile.h"

namespace {
std::string EventText(const Json::Value& event) {
    Json::StyledWriter writer;
    return writer.write(event);
}
}  // namespace

std::vector<MacroInfoEntry> ReadMacroLibrary(const std::string& libraryPath) {
    Json::Value doc = ReadJsonValue(libraryPath);
    const Json::Value& list = MemberOf(doc, "MacroInfo");
    std::vector<MacroInfoEntry> result;
    for (int i = 0; i < ArraySize(list); ++i)
        result.push_back({ToText(MemberOf(list[i], "MacroName")), ToText(MemberOf(list[i], "Guid"))});
    return result;
}

std::vector<MacroEventRecord> ReadEventRecords(const std::string& path) {
    Json::Value doc = ReadJsonValue(path);
    const Json::Value& events = MemberOf(doc, "Events");
    std::vector<MacroEventRecord> records;
    records.reserve(static_cast<size_t>(ArraySize(events)));
    for (int i = 0; i < ArraySize(events); ++i) records.push_back(EventToRecord(events[i]));
    return records;
}

std::string CMacroLibrary::MacroFilePath(int index) const {
    if (index < 0 || index >= view_.Count()) return {};
    std::string guid = view_.ItemData(index);
    return IsSafeFileStem(guid) ? folder_ + guid + ".mac" : std::string();
}

void CMacroLibrary::LoadMacroList() {
    // The caller empties the list control first; the names follow it, or a reload would double them.
    names_.clear();
    if (folder_.empty()) return;
    for (const MacroInfoEntry& entry : ReadMacroLibrary(LibraryPath())) {
        view_.AddItem(entry.MacroName, entry.Guid);
        names_.push_back(entry.MacroName);
    }
}

int CMacroLibrary::GetSelectedMacro() const {
    if (view_.Count() == 0) return -1;
    int sel = view_.SelectedIndex();
    return sel < view_.Count() ? sel : -1;
}

bool CMacroLibrary::ReadLibraryForChange(Json::Value& doc) const {
    doc = ReadJsonValue(LibraryPath());
    bool damaged = doc.isNull() ? HoldsUnparsableContent(LibraryPath())
                                : !doc.isObject() || !(MemberOf(doc, "MacroInfo").isArray() ||
                                                       MemberOf(doc, "MacroInfo").isNull());
    if (damaged && !KeepDamagedFile(LibraryPath())) return false;
    if (damaged) doc = Json::Value();
    AsObject(doc);
    AsArray(doc["MacroInfo"]);
    return true;
}

std::string CMacroLibrary::NewGuid() const {
    std::string guid = MakeTimestampName();
    while (FileExists(folder_ + guid + ".mac")) guid = MakeTimestampName();
    return guid;
}

std::string CMacroLibrary::AddMacro() {
    int count = view_.Count();
    if (folder_.empty() || count >= kMaxMacros) return {};
    std::string name;
    for (int n = 1; name.empty() || FindItemIgnoringCase(view_, name) >= 0; ++n)
        name = "macro_" + std::to_string(n);

    Json::Value doc;
    if (!ReadLibraryForChange(doc)) return {};
    std::string guid = NewGuid();
    Json::Value& entry = ArrayElement(doc["MacroInfo"], count);
    entry = Json::Value(Json::objectValue);
    entry["MacroName"] = name;
    entry["Guid"] = guid;
    if (!WriteJsonValue(LibraryPath(), doc)) return {};

    view_.AddItem(name, guid);
    names_.push_back(name);
    // The selection notification makes the editor load the (not yet existing) macro file.
    view_.Select(count, true);
    return name;
}

int CMacroLibrary::DeleteMacro() {
    int sel = GetSelectedMacro();
    if (sel < 0) return -1;
    Json::Value doc;
    if (!ReadLibraryForChange(doc)) return -1;
    Json::Value removed;
    doc["MacroInfo"].removeIndex(static_cast<Json::ArrayIndex>(sel), &removed);
    // The library is written first: a macro file is only removed once nothing refers to it.
    if (!WriteJsonValue(LibraryPath(), doc)) return -1;
    std::string file = MacroFilePath(sel);
    if (!file.empty()) std::remove(file.c_str());
    view_.RemoveItem(sel);
    if (static_cast<size_t>(sel) < names_.size()) names_.erase(names_.begin() + sel);
    if (view_.Count() > 0) view_.Select(0, false);
    return sel;
}

RenameMacroResult CMacroLibrary::RenameMacro(const std::string& name) {
    int sel = GetSelectedMacro();
    if (sel < 0) return {};
    if (IsBlankName(name)) return {"IsEmpty", -1};
    // The selected macro counts too: only a really new name is taken.
    if (FindItemIgnoringCase(view_, name) >= 0) return {"", sel};
    Json::Value doc;
    if (!ReadLibraryForChange(doc)) return {"", sel, true};
    AsObject(ArrayElement(doc["MacroInfo"], sel))["MacroName"] = name;
    if (!WriteJsonValue(LibraryPath(), doc)) return {"", sel, true};
    view_.SetItemText(sel, name);
    if (static_cast<size_t>(sel) < names_.size()) names_[static_cast<size_t>(sel)] = name;
    return {name, sel};
}

std::vector<MacroRow> CMacroLibrary::LoadMacroFile(const std::string& path) const {
    std::vector<MacroRow> rows;
    Json::Value doc = ReadJsonValue(path);
    const Json::Value& events = MemberOf(doc, "Events");
    for (int i = 0; i < ArraySize(events) && i < kMaxMacroEvents; ++i) {
        const Json::Value& event = events[i];
        if (!event.isObject()) continue;
        rows.push_back({std::to_string(MacroDelayMs(MemberOf(event, "Delay"))), EventText(event)});
    }
    return rows;
}

int CMacroLibrary::SaveMacro(std::vector<MacroRow>& rows) {
    int sel = GetSelectedMacro();
    std::string path = MacroFilePath(sel);
    if (path.empty()) return 0;
    Json::Value doc(Json::objectValue);
    doc["MacroName"] = view_.ItemText(sel);
    doc["Guid"] = view_.ItemData(sel);
    Json::Value& events = doc["Events"] = Json::Value(Json::arrayValue);
    for (MacroRow& row : rows) {
        if (row.delayText.empty()) row.delayText = "0";
        Json::Value event = ParseJsonText(row.eventJson);
        if (!event.isObject()) break;
        row.delayText = std::to_string(MacroDelayMs(Json::Value(row.delayText)));
        event["Delay"] = row.delayText;
        events.append(event);
        row.eventJson = EventText(event);
    }
    doc["Version"] = kMacroFileVersion;
    return WriteJsonValue(path, doc) ? 1 : -1;
}

std::string CMacroLibrary::ImportMacro(const std::string& sourcePath) {
    if (sourcePath.empty() || !ReadJsonValue(sourcePath).isObject()) return {};
    std::string name = AddMacro();
    if (name.empty()) return {};
    if (!CopyConfigFile(sourcePath, MacroFilePath(GetSelectedMacro()))) {
        DeleteMacro();
        return {};
    }
    return name;
}

int CMacroLibrary::ExportMacro(const std::string& targetPath) const {
    std::string path = MacroFilePath(GetSelectedMacro());
    if (path.empty() || targetPath.empty()) return 0;
    return CopyConfigFile(path, targetPath) ? 1 : -1;
}
