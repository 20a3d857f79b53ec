#include "store/KeyboardProfiledata.h"

#include <algorithm>

#include "store/JsonAccess.h"

namespace {
void WriteColour(Json::Value& target, const CustomLightColor& c) {
    AsObject(target);
    target["Red"] = c.Red;
    target["Green"] = c.Green;
    target["Blue"] = c.Blue;
    target["Alpha"] = c.Alpha;
}
}  // namespace

void CKeyboardProfiledata::SetSystemStages(const std::array<uint32_t, 4>& words) {
    systemStages_ = words;
    KeyboardSystemStages s = KeyboardSystemStages::FromWords(words);
    Json::Value& stages = ObjectMember(WritableSection(), "SystemStages");
    stages["Repeat"] = s.Repeat;
    stages["RepeatDelay"] = s.RepeatDelay;
    stages["Key6Flag"] = s.Key6Flag;
    stages["PollingRate"] = s.PollingRate;
    stages["WFlag"] = s.WFlag;
    stages["WinFlag"] = s.WinFlag;
    stages["ModeFlag"] = s.ModeFlag;
}

std::array<uint32_t, 4> CKeyboardProfiledata::GetSystemStages() {
    const Json::Value& stages = MemberOf(Section(), "SystemStages");
    KeyboardSystemStages s;
    s.Repeat = Word16Of(stages, "Repeat");
    s.RepeatDelay = Word16Of(stages, "RepeatDelay");
    s.Key6Flag = Word16Of(stages, "Key6Flag");
    s.PollingRate = Word16Of(stages, "PollingRate");
    s.WFlag = Word16Of(stages, "WFlag");
    s.WinFlag = Word16Of(stages, "WinFlag");
    s.ModeFlag = Word16Of(stages, "ModeFlag");
    systemStages_ = s.ToWords();
    return systemStages_;
}

void CKeyboardProfiledata::SetCustomLightColors(const std::vector<CustomLightColor>& colors,
                                                int group) {
    customColors_ = colors;
    if (!IsUsableIndex(group)) return;
    Json::Value& groups =
        ObjectMember(ObjectMember(WritableSection(), "CustomLightMode"), "LightColorInfo");
    Json::Value& list = ArrayElement(groups, group);
    for (size_t i = 0; i < colors.size() && IsUsableIndex(static_cast<int>(i)); ++i)
        WriteColour(ArrayElement(list, static_cast<int>(i)), colors[i]);
}

std::vector<CustomLightColor> CKeyboardProfiledata::GetCustomLightColors(int group, int count) {
    std::vector<CustomLightColor> result;
    if (!IsUsableIndex(group) || count <= 0) {
        customColors_ = result;
        return result;
    }
    count = std::min(count, kMaxJsonArrayIndex + 1);
    Json::Value& groups =
        ObjectMember(ObjectMember(WritableSection(), "CustomLightMode"), "LightColorInfo");
    Json::Value& list = ArrayElement(groups, group);
    AsArray(list);
    for (int j = 0; j < count; ++j) {
        Json::Value& item = ArrayElement(list, j);
        CustomLightColor c;
        if (item.isObject()) {
            c = {ByteOf(item, "Red"), ByteOf(item, "Green"), ByteOf(item, "Blue"),
                 ByteOf(item, "Alpha")};
        } else {
            WriteColour(item, c);
        }
        result.push_back(c);
    }
    customColors_ = result;
    return result;
}

void CKeyboardProfiledata::SetCustomLightGroup(int group) {
    customGroup_ = group;
    ObjectMember(WritableSection(), "CustomLightMode")["CustomLightModeGroupIndex"] = group;
}

int CKeyboardProfiledata::GetCustomLightGroup() {
    customGroup_ = ToInt32(MemberOf(MemberOf(Section(), "CustomLightMode"), "CustomLightModeGroupIndex"));
    return customGroup_;
}
