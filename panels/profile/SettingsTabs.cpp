#include "panels/profile/SettingsTabs.h"

#include <utility>

#include "device/registry/DeviceKinds.h"
#include "store/ProfileList.h"

namespace {

constexpr std::array<std::pair<int, int>, 6> kKindCategories{{
    {kKindKeyboard, kCategoryKeyboard},
    {kKindKeyboardViaReceiver, kCategoryKeyboard},
    {kKindMouse, kCategoryMouse},
    {kKindMouseViaReceiver, kCategoryMouse},
    {kKindMousePad, kCategoryMousePad},
    {kKindHeadset, kCategoryHeadset},
}};

constexpr std::array<std::pair<const char*, int>, 4> kEngineCategories{{
    {"TorvanelKeyboardDevice", kCategoryKeyboard},
    {"TorvanelMouseDevice", kCategoryMouse},
    {"TorvanelMousePadDevice", kCategoryMousePad},
    {"TorvanelHS6533Device", kCategoryHeadset},
}};

}  // namespace

int SettingsTabNumber(const std::string& name) {
    for (int i = 0; i < kSettingsTabCount; ++i)
        if (name == kSettingsTabNames[i]) return i + 1;
    return 0;
}

const TabVisibilityRule* TabRuleOf(int category) {
    for (const TabVisibilityRule& rule : kTabVisibilityRules)
        if (rule.category == category) return &rule;
    return nullptr;
}

int CategoryOfDeviceKind(int kind) {
    for (const auto& [k, category] : kKindCategories)
        if (k == kind) return category;
    return 0;
}

int CategoryOfEngineClass(const std::string& className) {
    for (const auto& [name, category] : kEngineCategories)
        if (className == name) return category;
    return 0;
}
