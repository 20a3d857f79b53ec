#pragma once
// The settings tabs of the profile strip: names, numbers and which family shows which tab.
#include <array>
#include <string>

inline constexpr int kSettingsTabCount = 8;

// Tab n (1 to 8) is kSettingsTabNames[n - 1].
inline constexpr std::array<const char*, kSettingsTabCount> kSettingsTabNames{
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab",
};

// Device categories (family codes) of the profile list.
inline constexpr int kCategoryKeyboard = 1;
inline constexpr int kCategoryMouse = 2;
inline constexpr int kCategoryMousePad = 3;
// kCategoryHeadset (7) comes with the profile list.

// Bit n - 1 stands for tab n.
struct TabVisibilityRule {
    int category;
    unsigned hiddenTabs;
    unsigned shownTabs;
};

inline constexpr unsigned TabBit(int tab) { return 1u << (tab - 1); }

inline constexpr std::array<TabVisibilityRule, 4> kTabVisibilityRules{{
    {1, TabBit(5), 0},
    {2, 0, 0},
    {3, TabBit(5) | TabBit(3) | TabBit(4) | TabBit(2), 0},
    {7, TabBit(5) | TabBit(3) | TabBit(4) | TabBit(2), TabBit(6) | TabBit(7) | TabBit(8)},
}};

// 1 to 8 for a tab name, 0 for any other name.
int SettingsTabNumber(const std::string& name);
// The rule of a category, nullptr when the category has none.
const TabVisibilityRule* TabRuleOf(int category);
// The profile category of a device kind code (receiver kinds count as their family), 0 when unknown.
int CategoryOfDeviceKind(int kind);
// The profile category of an engine class name, 0 when unknown.
int CategoryOfEngineClass(const std::string& className);
