#pragma once
// A family's macro library: "macro.config" lists names and identifiers in display order (the
// position is the macro index that key assignments carry), and each macro's events lie in
// Guid + ".mac". The name list control and "macro.config" hold the same order at all times.
#include <json/json.h>

#include <string>
#include <vector>

#include "store/ListView.h"
#include "store/MacroEvent.h"

inline constexpr int kMaxMacros = 50;
inline constexpr int kMaxMacroEvents = 4000;
inline constexpr int kMacroFileVersion = 64;

struct MacroInfoEntry {
    std::string MacroName;
    std::string Guid;
};

// One event row of the editor: its delay field and the event object's styled JSON text.
struct MacroRow {
    std::string delayText;
    std::string eventJson;
};

struct RenameMacroResult {
    std::string name;  // the new name, "IsEmpty" for a blank one, "" when refused
    int index = -1;    // the renamed (or refused) macro, -1 without selection or for a blank name
    bool writeFailed = false;
};

// Readers the engines use at upload time. A missing or damaged file gives an empty list.
std::vector<MacroInfoEntry> ReadMacroLibrary(const std::string& libraryPath);
// The events of a macro file (or any file with Events, such as a gun file) as device records;
// an element that is not an event gives an all-zero record.
std::vector<MacroEventRecord> ReadEventRecords(const std::string& path);

class CMacroLibrary {
public:
    explicit CMacroLibrary(IListView& view) : view_(view) {}

    void SetMacroFolder(const std::string& folder) { folder_ = folder; }
    const std::string& GetMacroFolder() const { return folder_; }
    std::string LibraryPath() const { return folder_ + "macro.config"; }
    // folder + Guid + ".mac" of item index; "" when there is no such item or its Guid is unusable.
    std::string MacroFilePath(int index) const;

    void LoadMacroList();
    const std::vector<std::string>& GetMacroNames() const { return names_; }
    int GetSelectedMacro() const;

    // The new name, or "" when the library is full or could not be written.
    std::string AddMacro();
    // The removed index, or -1. The caller clears its event rows.
    int DeleteMacro();
    RenameMacroResult RenameMacro(const std::string& name);

    std::vector<MacroRow> LoadMacroFile(const std::string& path) const;
    // Writes the rows as the selected macro's file; fills empty delays and refreshes the rows'
    // event texts. 1 written, 0 nothing selected, -1 write failed.
    int SaveMacro(std::vector<MacroRow>& rows);
    // The new macro's name, or "" (empty path, full library, not a JSON document, copy failed).
    // The new macro is selected; the caller loads its rows with LoadMacroFile.
    std::string ImportMacro(const std::string& sourcePath);
    int ExportMacro(const std::string& targetPath) const;

private:
    // The library document for a change; a damaged file is kept aside first.
    bool ReadLibraryForChange(Json::Value& doc) const;
    std::string NewGuid() const;

    IListView& view_;
    std::string folder_;
    std::vector<std::string> names_;
};
