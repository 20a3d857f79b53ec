#include "store/ProfileList.h"

#include <cstdio>
#include <set>

#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "store/JsonAccess.h"
#include "store/JsonFile.h"

namespace {
Json::Value MakeEntry(const std::string& name, const std::string& uuid) {
    Json::Value entry(Json::objectValue);
    entry["profilename"] = name;
    entry["profileUUID"] = uuid;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

// "dir/Game.json" -> "Game"
std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}
}  // namespace

CProfileList::CProfileList(IProfileListView& view, MessageBoxCallback messageBox)
    : view_(view), messageBox_(std::move(messageBox)) {}

void CProfileList::SetFolders(const std::string& userDataFolder,
                              const std::string& defaultProfilePath) {
    userDataFolder_ = userDataFolder;
    defaultProfilePath_ = defaultProfilePath;
}

void CProfileList::ReloadList() {
    Json::Value doc = ReadJsonValue(ListPath());
    if (doc.isObject() && (MemberOf(doc, "profilelist").isArray())) {
        listDocument_ = std::move(doc);
        return;
    }
    // The file went bad since it was last read: keep it aside and go on with the last good copy.
    if (HoldsUnparsableContent(ListPath()) || !doc.isNull()) KeepDamagedFile(ListPath());
    AsObject(listDocument_);
    ObjectMember(listDocument_, "profilelist");
    AsArray(listDocument_["profilelist"]);
}

bool CProfileList::WriteList() { return WriteJsonValue(ListPath(), listDocument_); }

const Json::Value& CProfileList::Entry(int index) const {
    return ElementOf(MemberOf(listDocument_, "profilelist"), index);
}

std::string CProfileList::EntryUuid(int index) const {
    std::string uuid = ToText(MemberOf(Entry(index), "profileUUID"));
    return IsSafeFileStem(uuid) ? uuid : std::string();
}

std::string CProfileList::NewUuid() const {
    std::string uuid = MakeTimestampName();
    while (FileExists(ProfilePath(uuid))) uuid = MakeTimestampName();
    return uuid;
}

bool CProfileList::IsFree(const std::string& name) const {
    return FindItemIgnoringCase(view_, name) < 0;
}

bool CProfileList::WriteProfileFile(Json::Value doc, const std::string& name,
                                    const std::string& uuid) {
    AsObject(doc);
    doc["profilename"] = name;
    doc["profileUUID"] = uuid;
    return WriteJsonValue(ProfilePath(uuid), doc);
}

int CProfileList::AppendEntry(const std::string& name, const std::string& uuid, bool select) {
    ReloadList();
    int index = view_.Count();
    ArrayElement(listDocument_["profilelist"], index) = MakeEntry(name, uuid);
    if (select) listDocument_["profileselect"] = index;
    if (!WriteList()) {
        std::remove(ProfilePath(uuid).c_str());
        return kProfileWriteFailed;
    }
    view_.AddItem(name, name);
    return kProfileDone;
}

bool CProfileList::SanitizeList() {
    Json::Value& list = listDocument_["profilelist"];
    Json::Value kept(Json::arrayValue);
    std::set<std::string> seen;
    for (int i = 0; i < ArraySize(list); ++i) {
        const Json::Value& entry = list[i];
        std::string uuid = ToText(MemberOf(entry, "profileUUID"));
        if (!entry.isObject() || !IsSafeFileStem(uuid) || !seen.insert(uuid).second) continue;
        kept.append(entry);
        if (!MemberOf(entry, "profilename").isString())
            kept[kept.size() - 1]["profilename"] = "profile" + std::to_string(kept.size());
    }
    bool unchanged = list.isArray() && kept.size() == list.size() && kept == list;
    list = std::move(kept);
    return unchanged;
}

void CProfileList::StartNewList() {
    std::string uuid = NewUuid();
    listDocument_ = Json::Value(Json::objectValue);
    listDocument_["profilelist"] = Json::Value(Json::arrayValue);
    listDocument_["profilelist"].append(MakeEntry("profile1", uuid));
    listDocument_["profileselect"] = 0;
}

int CProfileList::InitProfileList() {
    int result = kProfileDone;
    std::string listPath = ListPath();
    listDocument_ = ReadJsonValue(listPath);
    bool damaged = listDocument_.isNull() ? HoldsUnparsableContent(listPath)
                                          : !listDocument_.isObject();
    if (!listDocument_.isObject()) listDocument_ = Json::Value(Json::objectValue);
    if (!SanitizeList()) damaged = true;
    // A list that cannot be kept aside is not overwritten; the session then runs from memory.
    bool mayWrite = !damaged || KeepDamagedFile(listPath);
    if (!mayWrite) result = kProfileWriteFailed;

    if (ArraySize(listDocument_["profilelist"]) == 0) {
        StartNewList();
        std::string uuid = EntryUuid(0);
        if (mayWrite && (!WriteProfileFile(ReadJsonValue(defaultProfilePath_), "profile1", uuid) ||
                         !WriteList()))
            result = kProfileWriteFailed;
    } else if (damaged && mayWrite && !WriteList()) {
        result = kProfileWriteFailed;
    }

    for (int i = 0; i < ArraySize(listDocument_["profilelist"]); ++i) {
        std::string name = ToText(MemberOf(Entry(i), "profilename"));
        view_.AddItem(name, name);
    }
    int select = ToInt32(MemberOf(listDocument_, "profileselect"));
    if (select < 0 || select >= view_.Count()) select = 0;
    int selected = SelectProfile(select, false);
    return result == kProfileDone ? selected : result;
}

int CProfileList::SelectProfile(int index, bool notify) {
    if (view_.Count() == 0) return kProfileRefused;
    if (index < 0 || index >= view_.Count()) index = 0;
    view_.Select(index, notify);
    view_.ShowName(view_.ItemText(index));
    ReloadList();
    listDocument_["profileselect"] = index;
    currentUuid_ = EntryUuid(index);
    return WriteList() ? kProfileDone : kProfileWriteFailed;
}

int CProfileList::AddProfile() {
    if (view_.Count() >= kMaxAddedProfiles) return kProfileRefused;
    std::string name;
    for (int n = 1; name.empty() || !IsFree(name); ++n) name = "profile" + std::to_string(n);
    std::string uuid = NewUuid();
    if (!WriteProfileFile(ReadJsonValue(defaultProfilePath_), name, uuid)) return kProfileWriteFailed;
    return AppendEntry(name, uuid, true);
}

int CProfileList::DeleteProfile() {
    int cur = view_.SelectedIndex();
    if (cur < 0 || view_.Count() < 2) return kProfileRefused;
    int next = cur > 0 ? cur - 1 : 0;
    ReloadList();
    std::string uuid = EntryUuid(cur);
    Json::Value removed;
    listDocument_["profilelist"].removeIndex(static_cast<Json::ArrayIndex>(cur), &removed);
    listDocument_["profileselect"] = next;
    // The list is written first: a profile file is only removed once nothing refers to it.
    if (!WriteList()) return kProfileWriteFailed;
    if (!uuid.empty()) std::remove(ProfilePath(uuid).c_str());
    view_.RemoveItem(cur);
    return kProfileDone;
}

int CProfileList::CopyProfile() {
    int cur = view_.SelectedIndex();
    if (cur < 0) return kProfileRefused;
    std::string name = view_.ItemText(cur) + " copy";
    while (!IsFree(name)) name += " copy";
    ReloadList();
    std::string source = EntryUuid(cur);
    Json::Value doc = source.empty() ? Json::Value() : ReadJsonValue(ProfilePath(source));
    std::string uuid = NewUuid();
    if (!WriteProfileFile(doc, name, uuid)) return kProfileWriteFailed;
    return AppendEntry(name, uuid, false);
}

int CProfileList::RenameProfile(const std::string& name) {
    if (IsBlankName(name)) return kRenameBlank;
    int sel = view_.SelectedIndex();
    if (sel < 0) return kRenameNotDone;
    if (FindItemIgnoringCase(view_, name, sel) >= 0) return kRenameTaken;

    ReloadList();
    Json::Value& entry = ArrayElement(listDocument_["profilelist"], sel);
    AsObject(entry)["profilename"] = name;
    if (!WriteList()) return kProfileWriteFailed;

    std::string uuid = EntryUuid(sel);
    if (!uuid.empty()) {
        Json::Value doc = ReadJsonValue(ProfilePath(uuid));
        // A missing or unreadable file is left for the next load, which rebuilds it.
        if (doc.isObject()) {
            doc["profilename"] = name;
            WriteJsonValue(ProfilePath(uuid), doc);
        }
    }
    view_.SetItemText(sel, name);
    view_.SetItemData(sel, name);
    view_.ShowName(name);
    return kProfileDone;
}

int CProfileList::ImportProfile(const std::string& sourcePath) {
    Json::Value doc = ReadJsonValue(sourcePath);
    if (!doc.isObject()) return kProfileRefused;
    std::string name = BaseName(sourcePath);
    if (IsBlankName(name)) name = "profile";
    for (int n = 1; !IsFree(name); ++n) name += "(" + std::to_string(n) + ")";
    std::string uuid = NewUuid();
    if (!WriteProfileFile(doc, name, uuid)) return kProfileWriteFailed;
    int result = AppendEntry(name, uuid, false);
    // The file a profile with an empty identifier would have had.
    std::remove((userDataFolder_ + ".Json").c_str());
    return result;
}

int CProfileList::ExportProfile(int index, const std::string& targetPath) {
    if (targetPath.empty()) return kProfileRefused;
    ReloadList();
    std::string uuid = EntryUuid(index);
    if (uuid.empty()) return kProfileRefused;
    Json::Value doc = ReadJsonValue(ProfilePath(uuid));
    if (!doc.isObject()) return kProfileRefused;
    return WriteJsonValue(targetPath, doc) ? kProfileDone : kProfileWriteFailed;
}

int CProfileList::ResetProfile() {
    int cur = view_.SelectedIndex();
    if (cur < 0) return kProfileRefused;
    ReloadList();
    std::string uuid = EntryUuid(cur);
    std::string name = ToText(MemberOf(Entry(cur), "profilename"));
    Json::Value doc = ReadJsonValue(defaultProfilePath_);
    // Without the defaults there is nothing to reset to; the user's profile stays.
    if (uuid.empty() || !doc.isObject()) return kProfileRefused;

    if (deviceCategory_ == kCategoryHeadset) {
        // The user's own equaliser presets survive a reset.
        Json::Value old = ReadJsonValue(ProfilePath(uuid));
        const Json::Value& oldSection = ElementOf(MemberOf(old, "Device"), 0);
        for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& kept = MemberOf(oldSection, key);
            if (!kept.isNull())
                ObjectMember(ArrayElement(ObjectMember(doc, "Device"), 0), key) = kept;
        }
    }
    return WriteProfileFile(doc, name, uuid) ? kProfileDone : kProfileWriteFailed;
}

int CProfileList::RenameFromEdit(const std::string& name) {
    if (name.empty()) return kRenameNotDone;
    int result = RenameProfile(name);
    if (!messageBox_) return result;
    if (result == kRenameTaken) messageBox_("message_text_5", 0);
    if (result == kRenameBlank) messageBox_("message_text_25", 0);
    return result;
}

int CProfileList::ResetWithConfirmation() {
    if (!messageBox_ || messageBox_("message_text_22", 1) != 1) return kProfileRefused;
    return ResetProfile();
}

int CProfileList::ImportExportedProfile(const std::string& sourcePath) {
    Json::Value doc = ReadJsonValue(sourcePath);
    if (!doc.isObject() || !doc.isMember("profilename") || !doc.isMember("profileUUID"))
        return kProfileRefused;
    return ImportProfile(sourcePath);
}
