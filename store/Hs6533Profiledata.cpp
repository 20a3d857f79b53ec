#include "store/Hs6533Profiledata.h"

#include "store/JsonAccess.h"

namespace {
struct SetStageKey {
    const char* key;
    int32_t HeadsetSystemSetStages::*field;
};
constexpr SetStageKey kSetStageKeys[] = {
    {"MagicEnable", &HeadsetSystemSetStages::MagicEnable},
    {"MagicType", &HeadsetSystemSetStages::MagicType},
    {"EqType", &HeadsetSystemSetStages::EqType},
    {"CustomEqSeletIndex", &HeadsetSystemSetStages::CustomEqSeletIndex},
    {"MicInSelect", &HeadsetSystemSetStages::MicInSelect},
    {"MicInValue", &HeadsetSystemSetStages::MicInValue},
    {"MicMoniterSelect", &HeadsetSystemSetStages::MicMoniterSelect},
    {"MicMoniterValue", &HeadsetSystemSetStages::MicMoniterValue},
};

// -1 for the custom type, which has no preset entry.
int FoldedEqIndex(int type) {
    if (type == kCustomEqType) return -1;
    if (type >= 1 && type <= 12) return type;
    return 1;
}
}  // namespace

void CHs6533Profiledata::SetSystemSetStages(const HeadsetSystemSetStages& stages) {
    Json::Value& target = ObjectMember(WritableSection(), "SystemSetStages");
    for (const SetStageKey& k : kSetStageKeys) target[k.key] = stages.*k.field;
    systemSetStages_ = stages;
}

HeadsetSystemSetStages CHs6533Profiledata::GetSystemSetStages() {
    const Json::Value& source = MemberOf(Section(), "SystemSetStages");
    HeadsetSystemSetStages stages;
    for (const SetStageKey& k : kSetStageKeys) stages.*k.field = ToInt32(MemberOf(source, k.key));
    systemSetStages_ = stages;
    return stages;
}

std::vector<int> CHs6533Profiledata::ReadBands(const char* key, int index) {
    if (!IsUsableIndex(index)) return std::vector<int>(kEqBandCount, 0);
    const Json::Value& bands = ElementOf(MemberOf(Section(), key), index);
    std::vector<int> values;
    if (bands.isArray()) {
        for (int band = 0; band < kEqBandCount; ++band)
            values.push_back(ToInt32(MemberOf(ElementOf(bands, band), "value")));
        return values;
    }
    // Absent curves are created as zeros, so the next Save writes a complete entry.
    WriteBands(key, index, std::vector<int>(kEqBandCount, 0));
    return std::vector<int>(kEqBandCount, 0);
}

void CHs6533Profiledata::WriteBands(const char* key, int index, const std::vector<int>& values) {
    if (!IsUsableIndex(index)) return;
    Json::Value& bands = ArrayElement(ObjectMember(WritableSection(), key), index);
    for (int band = 0; band < kEqBandCount && band < static_cast<int>(values.size()); ++band)
        ObjectMember(ArrayElement(bands, band), "value") = values[static_cast<size_t>(band)];
}

std::vector<int> CHs6533Profiledata::GetEqValues(int type) {
    int index = FoldedEqIndex(type);
    if (index < 0) return {};
    return ReadBands("EQHzValueInfo", index);
}

void CHs6533Profiledata::SetEqValues(int type, const std::vector<int>& values) {
    int index = FoldedEqIndex(type);
    if (index >= 0) WriteBands("EQHzValueInfo", index, values);
}

std::vector<int> CHs6533Profiledata::GetCustomEqValues(int preset) {
    return ReadBands("CustomEQHzValueInfo", preset);
}

void CHs6533Profiledata::SetCustomEqValues(int preset, const std::vector<int>& values) {
    WriteBands("CustomEQHzValueInfo", preset, values);
}

std::vector<std::string> CHs6533Profiledata::GetCustomEqNames() {
    const Json::Value& list = MemberOf(Section(), "CustomEQNameInfo");
    std::vector<std::string> names;
    for (int i = 0; i < ArraySize(list); ++i) names.push_back(ToText(MemberOf(list[i], "Name")));
    return names;
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
    Json::Value list(Json::arrayValue);
    for (const std::string& name : names) {
        Json::Value item(Json::objectValue);
        item["Name"] = name;
        list.append(item);
    }
    WritableSection()["CustomEQNameInfo"] = std::move(list);
}
