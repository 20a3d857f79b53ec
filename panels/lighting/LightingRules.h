#pragma once
// Which groups of the lighting panel an effect uses, by panel kind: constant tables, one row per
// group of effects, applied by the panel on every effect change.
#include <cstdint>
#include <span>

// One bit per named control the rules switch; LightingRules.cpp holds the names.
enum LightGroup : uint32_t {
    kGroupEffect = 1u << 0,        // "lighteffect_layout"
    kGroupSevenColour = 1u << 1,   // "deng_7color_check"
    kGroupColour = 1u << 2,        // "deng_color_layout"
    kGroupPalette = 1u << 3,       // "colorpallet_layout"
    kGroupBrightness = 1u << 4,    // "deng_light_layout"
    kGroupSpeed = 1u << 5,         // "deng_speed_layout"
    kGroupDirection = 1u << 6,     // "deng_fx_layout"
    kGroupCustomSets = 1u << 7,    // "lightcustom_layout"
    kGroupSubMode = 1u << 8,       // "light_combo_ZZCCmodeSelectLayout"
    kGroupAudioMode = 1u << 9,     // "light_combo_AudiomodeSelectLayout"
    kGroupColourArea = 1u << 10,   // "light_color_layout"
    kGroupRgb = 1u << 11,          // "deng_rgb_layout"
    kGroupSharedButton = 1u << 12, // "deng_same_mode"
};
inline constexpr int kLightGroupCount = 13;
const char* LightGroupControlName(int bit);

// The texts of the two direction options ("deng_FXL_check", "deng_FXR_check").
enum class DirectionTexts : uint8_t { Unchanged, Sideways, Clockwise, UpDown, InsideOut };
const char* LeftDirectionText(DirectionTexts texts);
const char* RightDirectionText(DirectionTexts texts);

// What to do with "deng_same_mode".
enum class SharedButton : uint8_t { Unchanged, Hidden, WhenShared };

// A set of effect indexes 0..63 as a bit mask.
using EffectSet = uint64_t;
template <class... E>
constexpr EffectSet Effects(E... effects) {
    return ((EffectSet{1} << effects) | ... | EffectSet{0});
}
constexpr EffectSet EffectRange(int first, int last) {
    EffectSet set = 0;
    for (int e = first; e <= last; ++e) set |= EffectSet{1} << e;
    return set;
}

struct EffectRule {
    EffectSet effects = 0;  // 0 in the fall-back row
    uint32_t enable = 0;
    uint32_t disable = 0;
    uint32_t show = 0;
    uint32_t hide = 0;
    SharedButton shared = SharedButton::Unchanged;
    DirectionTexts texts = DirectionTexts::Unchanged;
    int8_t colourTab = -1;  // page of "light_color_tablayout"; -1 leaves it
};

// The rule set of one or more panel kinds: a first step for every effect, the rows, and the row
// for every effect that no row names.
struct PanelRuleSet {
    std::span<const int> kinds;
    EffectRule first;
    std::span<const EffectRule> rows;
    EffectRule other;
};

// The rule set of a panel kind, nullptr for a kind that applies no rules.
const PanelRuleSet* RuleSetOfKind(int kind);
// The row of an effect inside a rule set (the fall-back row when none names it).
const EffectRule& RuleOfEffect(const PanelRuleSet& set, int effect);
