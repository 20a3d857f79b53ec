#pragma once
// The family's list of named profiles ("ProfileList.ini", a JSON document) and the profile files
// it names. The list control and the file always hold the profiles in the same order; every
// change reads the file again first, so the file on disk is the authority.
#include <json/json.h>

#include <string>

#include "store/ListView.h"

inline constexpr int kMaxAddedProfiles = 50;

// Results of the list operations.
inline constexpr int kProfileDone = 1;
inline constexpr int kProfileRefused = 0;       // full list, last profile, no selection, bad file
inline constexpr int kProfileWriteFailed = -1;  // nothing was changed
// Results of RenameProfile besides done and write failed.
inline constexpr int kRenameTaken = 0;
inline constexpr int kRenameBlank = 2;
inline constexpr int kRenameNotDone = -2;  // no selection, or an empty edit field

// Family codes of the device category.
inline constexpr int kCategoryHeadset = 7;

class CProfileList {
public:
    CProfileList(IProfileListView& view, MessageBoxCallback messageBox = nullptr);

    void SetFolders(const std::string& userDataFolder, const std::string& defaultProfilePath);
    void SetDeviceCategory(int category) { deviceCategory_ = category; }
    int GetDeviceCategory() const { return deviceCategory_; }
    void SetMessageBox(MessageBoxCallback messageBox) { messageBox_ = std::move(messageBox); }

    // Fills the list control from the file, starting a new list when there is none.
    int InitProfileList();
    int SelectProfile(int index, bool notify);
    const std::string& GetCurrentUuid() const { return currentUuid_; }
    int GetSelectedIndex() const { return view_.SelectedIndex(); }

    int AddProfile();
    int DeleteProfile();
    int CopyProfile();
    int RenameProfile(const std::string& name);
    int ImportProfile(const std::string& sourcePath);
    int ExportProfile(int index, const std::string& targetPath);
    int ResetProfile();

    // The profile strip's commands around the operations, with their message boxes.
    int RenameFromEdit(const std::string& name);
    int ResetWithConfirmation();
    // Imports only a file that is an exported profile (an object with profilename and profileUUID).
    int ImportExportedProfile(const std::string& sourcePath);

    std::string ListPath() const { return userDataFolder_ + "ProfileList.ini"; }
    std::string ProfilePath(const std::string& uuid) const { return userDataFolder_ + uuid + ".Json"; }

private:
    void ReloadList();
    bool WriteList();
    // Keeps only entries that name a profile file, each file once; false when something was dropped.
    bool SanitizeList();
    const Json::Value& Entry(int index) const;
    std::string EntryUuid(int index) const;
    std::string NewUuid() const;
    bool IsFree(const std::string& name) const;
    // Writes doc, carrying name and uuid, as the profile file of uuid.
    bool WriteProfileFile(Json::Value doc, const std::string& name, const std::string& uuid);
    // Appends the entry at the list control's end; rolls the profile file back when the list fails.
    int AppendEntry(const std::string& name, const std::string& uuid, bool select);
    void StartNewList();

    IProfileListView& view_;
    MessageBoxCallback messageBox_;
    std::string userDataFolder_;
    std::string defaultProfilePath_;
    std::string currentUuid_;
    Json::Value listDocument_;
    int deviceCategory_ = 0;
};
