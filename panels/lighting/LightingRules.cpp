#include "panels/lighting/LightingRules.h"

#include <array>

namespace {

constexpr std::array<const char*, kLightGroupCount> kGroupNames = {
    "lighteffect_layout", "deng_7color_check", "deng_color_layout", "colorpallet_layout",
    "deng_light_layout", "deng_speed_layout", "deng_fx_layout", "lightcustom_layout",
    "light_combo_ZZCCmodeSelectLayout", "light_combo_AudiomodeSelectLayout", "light_color_layout",
    "deng_rgb_layout", "deng_same_mode",
};

struct DirectionTextPair {
    const char* left;
    const char* right;
};
constexpr std::array<DirectionTextPair, 5> kDirectionTexts = {{
    {nullptr, nullptr},
    {"light_set_right_to_left_text", "light_set_left_to_right_text"},
    {"light_set_clockwise_text", "light_set_anticlockwise_text"},
    {"light_set_up_to_down_text", "light_set_down_to_up_text"},
    {"light_set_inside_to_outside_text", "light_set_outside_to_inside_text"},
}};

constexpr uint32_t k7 = kGroupSevenColour, kC = kGroupColour, kP = kGroupPalette, kF = kGroupDirection,
                   kB = kGroupBrightness, kS = kGroupSpeed;
// The six groups the tables switch on and off besides the effect group.
constexpr uint32_t kSix = k7 | kC | kP | kF | kB | kS;
// Kind 5 leaves the direction group alone except for the fall-back row.
constexpr uint32_t kFive = k7 | kC | kP | kB | kS;

struct RowExtras {
    uint32_t show = 0;
    uint32_t hide = 0;
    uint32_t alsoDisable = 0;
    SharedButton shared = SharedButton::Unchanged;
    DirectionTexts texts = DirectionTexts::Unchanged;
    int8_t colourTab = -1;
};

// The effect group is always on; of the groups "within", those not in "on" go off.
constexpr EffectRule Row(EffectSet effects, uint32_t on, RowExtras extras = {}, uint32_t within = kSix) {
    return {effects,       kGroupEffect | on, (within & ~on) | extras.alsoDisable, extras.show, extras.hide,
            extras.shared, extras.texts,      extras.colourTab};
}

constexpr auto kShared = SharedButton::WhenShared;
constexpr auto kHidden = SharedButton::Hidden;

constexpr int kKeyboardKinds[] = {1};
constexpr EffectRule kKeyboardRows[] = {
    Row(Effects(1, 2), kSix),
    Row(Effects(3), kSix, {.texts = DirectionTexts::Clockwise}),
    Row(Effects(4), kB | kS, {.alsoDisable = kGroupColourArea, .shared = kShared}),
    Row(Effects(5, 30), k7 | kC | kP | kB | kS, {.shared = kShared}),
    Row(Effects(6, 21), k7 | kC | kP | kB, {.shared = kShared}),
    Row(EffectRange(7, 10) | Effects(13, 15, 33) | EffectRange(22, 25), k7 | kC | kP | kB | kS),
    Row(Effects(11), kB | kS, {.alsoDisable = kGroupColourArea}),
    Row(Effects(12), kF | kB | kS, {.alsoDisable = kGroupRgb, .texts = DirectionTexts::UpDown}),
    Row(Effects(14), k7 | kC | kP | kB | kS),
    Row(Effects(16), k7 | kC | kP | kB),
    Row(Effects(17), kB | kS, {.show = kGroupSubMode, .hide = kGroupSpeed, .alsoDisable = kGroupColourArea}),
    Row(Effects(18), kF | kB, {.alsoDisable = kGroupColourArea, .texts = DirectionTexts::InsideOut}),
    Row(Effects(20), kC | kP | kB, {.show = kGroupCustomSets, .hide = kGroupSpeed}),
    Row(Effects(26), k7 | kC | kP | kF | kB, {.show = kGroupAudioMode, .hide = kGroupSpeed, .colourTab = 1}),
    Row(Effects(27), kB, {.alsoDisable = kGroupColourArea}),
    Row(Effects(28), kSix, {.texts = DirectionTexts::UpDown}),
    Row(Effects(29), 0, {.shared = kShared}),
    Row(Effects(32), kSix, {.texts = DirectionTexts::Clockwise}),
    Row(Effects(34, 35), kB | kS),
};
constexpr EffectRule kKeyboardFirst = {0,
                                       kGroupDirection | kGroupColourArea | kGroupRgb,
                                       0,
                                       kGroupSpeed,
                                       kGroupCustomSets | kGroupSharedButton | kGroupSubMode | kGroupAudioMode,
                                       SharedButton::Unchanged,
                                       DirectionTexts::Sideways,
                                       0};

constexpr EffectRule kMouseFirst = {0, kGroupDirection, 0, 0, kGroupSharedButton};

constexpr int kMouseKinds[] = {2};
constexpr EffectRule kMouseRows[] = {
    Row(Effects(0, 5), kSix, {.shared = kHidden}),
    Row(Effects(1), kB | kS, {.shared = kShared}),
    Row(Effects(2), kSix, {.shared = kShared}),
    Row(Effects(3), kC | kP | kB, {.shared = kShared}),
    Row(Effects(4), k7 | kC | kP | kB | kS, {.shared = kShared}),
    Row(Effects(6, 7), kB | kS, {.shared = kHidden}),
    Row(Effects(8), 0, {.shared = kShared}),
};

// The mouse pad and the headsets: as the mouse, but effect 2 keeps its direction off and 5 to 7
// are not theirs.
constexpr int kPadKinds[] = {3, 4, 7};
constexpr EffectRule kPadRows[] = {
    Row(Effects(0), kSix, {.shared = kHidden}),
    Row(Effects(1), kB | kS, {.shared = kShared}),
    Row(Effects(2), k7 | kC | kP | kB | kS, {.shared = kShared}),
    Row(Effects(3), kC | kP | kB, {.shared = kShared}),
    Row(Effects(4), k7 | kC | kP | kB | kS, {.shared = kShared}),
    Row(Effects(8), 0, {.shared = kShared}),
};

constexpr int kKind5[] = {5};
constexpr EffectRule kKind5Rows[] = {
    Row(Effects(0, 2, 3), kFive, {}, kFive),
    Row(Effects(1), kC | kP | kB, {}, kFive),
    Row(Effects(4), kB | kS, {}, kFive),
};

constexpr PanelRuleSet kRuleSets[] = {
    {kKeyboardKinds, kKeyboardFirst, kKeyboardRows, Row(0, 0)},
    {kMouseKinds, kMouseFirst, kMouseRows, Row(0, 0, {.shared = kHidden})},
    {kPadKinds, kMouseFirst, kPadRows, Row(0, 0, {.shared = kHidden})},
    {kKind5, EffectRule{}, kKind5Rows, Row(0, 0, {}, kFive | kF)},
};

}  // namespace

const char* LightGroupControlName(int bit) {
    return bit >= 0 && bit < kLightGroupCount ? kGroupNames[static_cast<size_t>(bit)] : "";
}

const char* LeftDirectionText(DirectionTexts texts) { return kDirectionTexts[static_cast<size_t>(texts)].left; }
const char* RightDirectionText(DirectionTexts texts) { return kDirectionTexts[static_cast<size_t>(texts)].right; }

const PanelRuleSet* RuleSetOfKind(int kind) {
    for (const PanelRuleSet& set : kRuleSets)
        for (int k : set.kinds)
            if (k == kind) return &set;
    return nullptr;
}

const EffectRule& RuleOfEffect(const PanelRuleSet& set, int effect) {
    if (effect >= 0 && effect < 64) {
        for (const EffectRule& row : set.rows)
            if (row.effects & (EffectSet{1} << effect)) return row;
    }
    return set.other;
}
