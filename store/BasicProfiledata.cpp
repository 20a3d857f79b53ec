#include "store/RecordFields.h"
#include "store/BasicProfiledata.h"

#include <algorithm>

#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "store/JsonAccess.h"
#include "store/JsonFile.h"
#include "store/LightingFiles.h"

namespace {
// Index bounds of the key list: key indexes are 16-bit.
constexpr int kMaxKeyListEntries = 65536;

// True when writing a Device section into root would replace bytes that could not be read.
bool RootIsDamaged(const Json::Value& root, const std::string& path) {
    if (root.isNull()) return HoldsUnparsableContent(path);
    if (!root.isObject()) return true;
    const Json::Value& devices = MemberOf(root, "Device");
    return !devices.isNull() && !devices.isArray();
}

std::string FolderOf(const std::string& path) {
    size_t cut = path.rfind('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}
}  // namespace

int KeyboardDeviceIndex(int modelIndex) {
    if (modelIndex == 4) return 1;
    if (modelIndex == 5) return 2;
    return modelIndex;
}

int CBasicProfiledata::Save() { return SaveSection(section_, profilePath_); }

int CBasicProfiledata::SaveSection(Json::Value value, std::string path) {
    if (path.empty() || !IsUsableIndex(deviceIndex_)) return 0;
    Json::Value root = ReadJsonValue(path);
    // Replacing what cannot be read would throw the user's bytes away.
    if (RootIsDamaged(root, path) && !KeepDamagedFile(path)) return 0;
    ArrayElement(ObjectMember(root, "Device"), deviceIndex_) = std::move(value);
    return WriteFile(root, path);
}

int CBasicProfiledata::WriteFile(const Json::Value& value, const std::string& path) {
    return WriteJsonValue(path, value) ? 1 : 0;
}

void CBasicProfiledata::SetProfilePath(const std::string& path) {
    if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultPath(const std::string& path) {
    if (!path.empty()) defaultPath_ = path;
}

Json::Value CBasicProfiledata::LoadSection(const std::string& path, int* writeResult) {
    if (writeResult) *writeResult = 1;
    if (!IsUsableIndex(deviceIndex_)) {
        section_ = Json::Value();
        return section_;
    }
    Json::Value root = ReadJsonValue(path);
    const Json::Value& devices = MemberOf(root, "Device");
    const Json::Value& found = ElementOf(devices, deviceIndex_);
    if (found.isObject()) {
        section_ = found;
        return section_;
    }

    // Anything in the way that is not a readable section gets kept aside before it is replaced.
    bool damaged = RootIsDamaged(root, path) || !found.isNull();
    bool kept = !damaged || KeepDamagedFile(path);
    if (damaged && kept && !root.isObject()) root = Json::Value(Json::objectValue);

    Json::Value defaults = ReadJsonValue(defaultPath_);
    const Json::Value& defaultSection = ElementOf(MemberOf(defaults, "Device"), deviceIndex_);
    section_ = defaultSection.isObject() ? defaultSection : Json::Value();
    if (!kept) {
        DebugOutput("LoadSection: damaged profile left in place: " + path);
        if (writeResult) *writeResult = 0;
        return section_;
    }
    ArrayElement(ObjectMember(root, "Device"), deviceIndex_) = section_;
    int written = path.empty() ? 0 : WriteFile(root, path);
    if (writeResult) *writeResult = written;
    return section_;
}

Json::Value& CBasicProfiledata::WritableSection() { return AsObject(section_); }

LightInfoRecord CBasicProfiledata::GetLightInfo() {
    const Json::Value& info = MemberOf(section_, "LightInfo");
    if (info.isNull()) {
        lightInfo_ = defaultLightInfo_;
        return lightInfo_;
    }
    LightInfoRecord r;
    ReadByteFields<LightInfoRecord>(info, kLightInfoFields, r);
    lightInfo_ = r;
    return lightInfo_;
}

void CBasicProfiledata::SetLightInfo(const LightInfoRecord& r) {
    lightInfo_ = r;
    WritableSection()["LightInfo"] = ByteFieldsToJson<LightInfoRecord>(r, kLightInfoFields);
}

AudioLightInfoRecord CBasicProfiledata::GetAudioLightInfo() {
    const Json::Value& info = MemberOf(section_, "AudioLightInfo");
    AudioLightInfoRecord r;
    if (!info.isNull()) ReadByteFields<AudioLightInfoRecord>(info, kAudioLightInfoFields, r);
    audioLightInfo_ = r;
    return r;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfoRecord& r) {
    audioLightInfo_ = r;
    WritableSection()["AudioLightInfo"] = ByteFieldsToJson<AudioLightInfoRecord>(r, kAudioLightInfoFields);
}

std::vector<LightListEntry> CBasicProfiledata::GetLightList() {
    const Json::Value& list = MemberOf(section_, "LightList");
    std::vector<LightListEntry> result;
    for (int i = 0; i < ArraySize(list); ++i) {
        const Json::Value& item = list[i];
        LightListEntry e;
        if (item.isObject()) {
            ReadByteFields<LightListEntry>(item, kLightListFields, e);
            e.present = 1;
        }
        result.push_back(e);
    }
    lightList_ = result;
    return result;
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::string& path) {
    lightConfig_ = ReadJsonValue(path);
    effectFolder_ = FolderOf(path);
    return lightConfig_;
}

std::vector<LedEffectFrame> CBasicProfiledata::GetLedEffects() {
    std::vector<LedEffectFrame> frames;
    if (!lightConfig_.isNull()) {
        const Json::Value& entries = ElementOf(MemberOf(lightConfig_, "LightInfo"), deviceIndex_);
        std::string guid = ToText(MemberOf(ElementOf(entries, lightInfo_.SelectItem), "Guid"));
        // The effect file lies beside the light configuration, wherever the program was started.
        if (IsSafeFileStem(guid)) frames = ReadLedEffectFile(effectFolder_ + guid + ".light");
    }
    effectFrames_ = frames;
    return frames;
}

std::vector<KeyListEntry> CBasicProfiledata::GetKeyList() {
    const Json::Value& list = MemberOf(section_, "KeyList");
    std::vector<KeyListEntry> result;
    int count = std::min(ArraySize(list), kMaxKeyListEntries);
    result.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        KeyListEntry e;
        e.keyIndex = e.keyIndexAgain = static_cast<uint16_t>(i);
        e.assignment = AssignmentFromInt(ToInt32(MemberOf(list[i], "Assignment")));
        e.defaultAssignment = AssignmentFromInt(ToInt32(MemberOf(list[i], "DefaultAssignment")));
        result.push_back(e);
    }
    keyList_ = result;
    return result;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyListEntry>& list) {
    keyList_ = list;
    Json::Value& keys = ObjectMember(WritableSection(), "KeyList");
    for (size_t i = 0; i < list.size() && IsUsableIndex(static_cast<int>(i)); ++i)
        ObjectMember(ArrayElement(keys, static_cast<int>(i)), "Assignment") =
            AssignmentToInt(list[i].assignment);
}
