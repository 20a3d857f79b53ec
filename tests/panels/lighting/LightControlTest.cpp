// The lighting panel on its own: the effect rules by panel kind, showing a light state, the music
// lighting record, the palette and the defaults without controls.
#include <QCoreApplication>
#include <QMouseEvent>

#include <cstring>
#include <map>
#include <QWidget>

#include "tests/panels/lighting/LightPanelFixture.h"

using namespace DuiLib;
using namespace lighttest;

namespace {

// Letters of the groups the rule tables switch.
const std::map<char, const char*> kGroupLetters = {
    {'E', "lighteffect_layout"}, {'7', "deng_7color_check"}, {'C', "deng_color_layout"},
    {'P', "colorpallet_layout"}, {'F', "deng_fx_layout"},     {'B', "deng_light_layout"},
    {'S', "deng_speed_layout"},  {'L', "light_color_layout"}, {'R', "deng_rgb_layout"},
};

struct RuleCase {
    int kind;
    int effect;
    bool shared;
    const char* on;   // group letters enabled
    const char* off;  // group letters disabled
    std::vector<const char*> shown;
    std::vector<const char*> hidden;
    int colourTab;  // -1: not checked
    const char* leftText;
};

const RuleCase kRuleCases[] = {
    {1, 1, true, "E7CPFBSLR", "", {"deng_speed_layout"}, {"lightcustom_layout", "deng_same_mode"}, 0,
     "light_set_right_to_left_text"},
    {1, 3, false, "E7CPFBS", "", {}, {}, 0, "light_set_clockwise_text"},
    {1, 4, true, "EBS", "7CPFL", {"deng_same_mode"}, {}, 0, nullptr},
    {1, 4, false, "EBS", "7CPFL", {}, {"deng_same_mode"}, 0, nullptr},
    {1, 6, true, "E7CPB", "FS", {"deng_same_mode", "deng_speed_layout"}, {}, 0, nullptr},
    {1, 12, false, "EFBS", "7CPR", {}, {}, 0, "light_set_up_to_down_text"},
    {1, 17, false, "EBS", "7CPFL", {"light_combo_ZZCCmodeSelectLayout"}, {"deng_speed_layout"}, 0, nullptr},
    {1, 18, false, "EFB", "7CPSL", {}, {}, 0, "light_set_inside_to_outside_text"},
    {1, 20, false, "ECPB", "7FS", {"lightcustom_layout"}, {"deng_speed_layout"}, 0, nullptr},
    {1, 26, false, "E7CPFB", "S", {"light_combo_AudiomodeSelectLayout"}, {"deng_speed_layout"}, 1, nullptr},
    {1, 29, false, "E", "7CPFBS", {}, {"deng_same_mode"}, 0, nullptr},
    {1, 29, true, "E", "7CPFBS", {"deng_same_mode"}, {}, 0, nullptr},
    {1, 33, true, "E7CPBS", "F", {}, {"deng_same_mode"}, 0, nullptr},
    {1, 0, true, "E", "7CPFBS", {}, {"deng_same_mode"}, 0, nullptr},
    {1, 19, false, "E", "7CPFBS", {}, {}, 0, nullptr},
    {2, 0, true, "E7CPFBS", "", {}, {"deng_same_mode"}, -1, nullptr},
    {2, 3, true, "ECPB", "7FS", {"deng_same_mode"}, {}, -1, nullptr},
    {2, 8, true, "E", "7CPFBS", {"deng_same_mode"}, {}, -1, nullptr},
    {2, 9, true, "E", "7CPFBS", {}, {"deng_same_mode"}, -1, nullptr},
    {3, 2, true, "E7CPBS", "F", {"deng_same_mode"}, {}, -1, nullptr},
    {7, 5, true, "E", "7CPFBS", {}, {"deng_same_mode"}, -1, nullptr},
    {4, 0, false, "E7CPFBS", "", {}, {}, -1, nullptr},
    {5, 1, false, "ECPB", "7S", {}, {}, -1, nullptr},
    {5, 4, false, "EBS", "7CP", {}, {}, -1, nullptr},
    {5, 9, false, "E", "7CPFBS", {}, {}, -1, nullptr},
};

class LightControl : public LightPanelTest {};

// Real Qt mouse events at exact points (QTest takes (0, 0) for "the centre").
void SendMouse(QWidget* widget, QEvent::Type type, QPoint at) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}
void Click(QWidget* widget, QPoint at) {
    SendMouse(widget, QEvent::MouseButtonPress, at);
    SendMouse(widget, QEvent::MouseButtonRelease, at);
}

}  // namespace

TEST_F(LightControl, EffectRulesSwitchTheGroupsByPanelKind) {
    for (const RuleCase& c : kRuleCases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind) + " effect " + std::to_string(c.effect) +
                     (c.shared ? " shared" : ""));
        // Start from the opposite of what is expected, so every switch is seen.
        for (const auto& [letter, name] : kGroupLetters) Find(name)->SetEnabled(std::strchr(c.off, letter) == nullptr);
        panel_->SetPanelKind(c.kind);
        panel_->SetSharedAvailable(c.shared);
        panel_->SetEffect(c.effect);
        for (const char* g = c.on; *g; ++g) EXPECT_TRUE(Enabled(kGroupLetters.at(*g))) << *g;
        for (const char* g = c.off; *g; ++g) EXPECT_FALSE(Enabled(kGroupLetters.at(*g))) << *g;
        for (const char* name : c.shown) EXPECT_TRUE(Find(name)->IsVisible()) << name;
        for (const char* name : c.hidden) EXPECT_FALSE(Find(name)->IsVisible()) << name;
        if (c.colourTab >= 0) {
            auto* tabs = static_cast<CTabLayoutUI*>(Find("light_color_tablayout")->GetInterface("TabLayout"));
            EXPECT_EQ(tabs->GetCurSel(), c.colourTab);
        }
        if (c.leftText) {
            EXPECT_EQ(Find("deng_FXL_check")->GetTextSource(), c.leftText);
        }
    }
}

TEST_F(LightControl, KindsWithoutRulesLeaveTheGroupsAlone) {
    panel_->SetEffect(1);
    for (int kind : {0, 6, 9}) {
        panel_->SetPanelKind(kind);
        panel_->SetEffect(29);
        EXPECT_TRUE(Enabled("deng_light_layout")) << kind;
        EXPECT_TRUE(Enabled("deng_7color_check")) << kind;
    }
}

TEST_F(LightControl, SharingFlagAppliesTheRulesOfTheShownEffect) {
    panel_->SetEffect(29);
    EXPECT_FALSE(Shown("deng_same_mode"));
    panel_->SetSharedAvailable(true);
    EXPECT_TRUE(Shown("deng_same_mode"));
    panel_->SetSharedAvailable(false);
    EXPECT_FALSE(Shown("deng_same_mode"));
}

TEST_F(LightControl, EffectListHidesTheInvisibleEntries) {
    CComboUI* effects = Combo("light_combo_modeSelect");
    ASSERT_EQ(effects->GetCount(), 36);
    for (int i : {0, 19, 31}) EXPECT_FALSE(effects->GetItemAt(i)->IsVisible()) << i;
    EXPECT_TRUE(effects->GetItemAt(6)->IsVisible());
    EXPECT_EQ(effects->GetItemAt(6)->GetUserData(), "light_mode_static");
    EXPECT_EQ(effects->GetItemAt(6)->GetTextSource(), "light_mode_static");
    EXPECT_TRUE(effects->GetItemAt(6)->IsResourceText());
    EXPECT_EQ(effects->GetItemAt(6)->GetFixedHeight(), 30);
    auto* brightness = static_cast<CSliderUI*>(Find("deng_light_slider")->GetInterface("Slider"));
    EXPECT_EQ(brightness->GetMaxValue(), 4);
    // Custom sets carry the user's own names; zone effects are language keys.
    CControlUI* set = Combo("light_combo_custommodeSelect")->GetItemAt(1);
    EXPECT_FALSE(set->IsResourceText());
    EXPECT_EQ(set->GetText(), "Set two");
    EXPECT_TRUE(Combo("light_combo_ZZCCmodeSelect")->GetItemAt(0)->IsResourceText());
}

TEST_F(LightControl, LightStateFillsEveryControl) {
    const std::array<uint8_t, 16> bytes = {6, 3, 1, 0, 1, 10, 20, 30, 0, 0, 0, 2, 1, 5, 0, 0};
    std::array<uint32_t, 4> words{};
    for (size_t i = 0; i < 16; ++i) words[i / 4] |= uint32_t{bytes[i]} << (8 * (i % 4));
    panel_->ShowLightState(words);
    EXPECT_EQ(panel_->GetEffect(), 6);
    EXPECT_EQ(panel_->GetBrightness(), 3);
    EXPECT_EQ(panel_->GetSpeed(), 1);
    EXPECT_EQ(panel_->GetColourText(kRed), "10");
    EXPECT_EQ(panel_->GetColourText(kGreen), "20");
    EXPECT_EQ(panel_->GetColourText(kBlue), "30");
    EXPECT_EQ(panel_->GetPaletteColour(), 0xFF0A141Eu);
    EXPECT_EQ(Find("deng_colordp_btn")->GetBkColor(), 0xFF0A141Eu);
    EXPECT_TRUE(panel_->GetSevenColour());
    EXPECT_TRUE(Option("deng_FXR_check")->IsSelected());
    EXPECT_FALSE(Option("deng_FXL_check")->IsSelected());
    EXPECT_EQ(panel_->GetSubMode(), 2);
    EXPECT_FALSE(Enabled("deng_fx_layout"));  // effect 6 has no direction
    // Nothing of it reached the window as a user edit.
    EXPECT_EQ(window_->Events(), std::vector<std::string>{});
}

TEST_F(LightControl, MusicEffectThreeDisablesBothMusicColourGroups) {
    const struct {
        uint8_t mode;
        bool coloursOn;
    } cases[] = {{3, false}, {1, true}, {0, true}, {6, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.mode));
        AudioLightInfoRecord record;
        record.AudioMode = c.mode;
        ASSERT_TRUE(panel_->SetAudioLightInfo(record));
        EXPECT_EQ(Enabled("light_audiocolor_layout"), c.coloursOn);
        EXPECT_EQ(Enabled("audiocolorpallet_layout"), c.coloursOn);
        EXPECT_EQ(Combo("light_combo_audiomodeSelect")->GetCurSel(), c.mode);
    }
}

TEST_F(LightControl, MusicRecordShowsTheColourBeingEdited) {
    AudioLightInfoRecord record{2, 1, 2, 3, 200, 100, 50, 1, 1};
    ASSERT_TRUE(panel_->SetAudioLightInfo(record));
    EXPECT_TRUE(Option("audio_FgColor_check")->IsSelected());
    EXPECT_FALSE(Option("audio_BkColor_check")->IsSelected());
    EXPECT_TRUE(Option("deng_7audiocolor_check")->IsSelected());
    EXPECT_EQ(panel_->GetAudioColourText(kRed), "200");
    EXPECT_EQ(panel_->GetAudioPaletteColour(), ArgbOf(200, 100, 50));
    EXPECT_EQ(Find("deng_audiocolordp_btn")->GetBkColor(), ArgbOf(200, 100, 50));
    EXPECT_EQ(panel_->GetAudioLightInfo(false), record);

    record.ColorTypeFlags = 0;
    ASSERT_TRUE(panel_->SetAudioLightInfo(record));
    EXPECT_TRUE(Option("audio_BkColor_check")->IsSelected());
    EXPECT_EQ(panel_->GetAudioColourText(kBlue), "3");
    EXPECT_EQ(Find("deng_audiocolordp_btn")->GetBkColor(), ArgbOf(1, 2, 3));
}

TEST_F(LightControl, MusicRecordReadsWhichColourIsEdited) {
    const struct {
        uint8_t stored;          // editForeground before
        const char* selected;    // the option the user picked
        bool takeColour;
        uint8_t editForeground;  // result
    } cases[] = {
        {1, "audio_BkColor_check", false, 0},
        {0, "audio_FgColor_check", false, 1},
        {1, "audio_FgColor_check", true, 1},
        {0, "audio_BkColor_check", true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selected);
        AudioLightInfoRecord record{1, 9, 9, 9, 8, 8, 8, 0, c.stored};
        ASSERT_TRUE(panel_->SetAudioLightInfo(record));
        Option(c.selected)->Selected(true, false);
        Find("deng_audiocolordp_btn")->SetBkColor(ArgbOf(40, 50, 60));
        bool ok = false;
        const AudioLightInfoRecord read = panel_->GetAudioLightInfo(c.takeColour, &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(read.ColorTypeFlags, c.editForeground);
        const uint8_t* edited = c.editForeground ? &read.FgColorR : &read.BkColorR;
        EXPECT_EQ(edited[1], c.takeColour ? 50 : (c.editForeground ? 8 : 9));
    }
}

TEST(LightControlAlone, MissingControlsGiveDefaultsAndMusicErrors) {
    CLightControlUI panel;
    panel.SetPanelKind(1);
    EXPECT_EQ(panel.GetEffect(), -1);
    EXPECT_EQ(panel.GetCustomSet(), -1);
    EXPECT_EQ(panel.GetSubMode(), -1);
    EXPECT_EQ(panel.SelectedCustomGroup(), -1);
    EXPECT_EQ(panel.GetBrightness(), 0);
    EXPECT_EQ(panel.GetColourText(kGreen), "");
    EXPECT_EQ(panel.GetColourText(7), "");
    EXPECT_EQ(panel.GetPaletteColour(), 0xFF000000u);
    EXPECT_EQ(panel.SwatchColour(0), 0u);
    EXPECT_FALSE(panel.GetSevenColour());
    // Writes do nothing, and do not fail.
    panel.SetEffect(4);
    panel.ShowLightState(std::array<uint32_t, 4>{0x01020304, 0, 0, 0});
    panel.SetSharedAvailable(true);
    EXPECT_EQ(panel.LastError(), "");

    const AudioLightInfoRecord record{2, 1, 2, 3, 4, 5, 6, 0, 1};
    EXPECT_FALSE(panel.SetAudioLightInfo(record));
    EXPECT_EQ(panel.LastError(), " SetAudioLightInfo control is NULL");
    bool ok = true;
    EXPECT_EQ(panel.GetAudioLightInfo(true, &ok), record);  // the stored record, unchanged
    EXPECT_FALSE(ok);
    EXPECT_EQ(panel.LastError(), "GetAudioLightInfo control is NULL");
    EXPECT_EQ(panel.GetLightAudioColor(2), 0u);
    EXPECT_EQ(panel.LastError(), "GetLightAudioColor control is NULL");
}

TEST_F(LightControl, PalettePicksByClickAndDragAndTellsTheWindow) {
    auto* palette = static_cast<CColorPaletteUI*>(Find("deng_Color_Pallet")->GetInterface("ColorPalette"));
    ASSERT_NE(palette, nullptr);
    palette->SetColor(0x00123456);
    EXPECT_EQ(palette->GetColor(), 0xFF123456u);
    EXPECT_EQ(window_->Events(), std::vector<std::string>{});  // setting raises nothing

    QWidget* widget = palette->GetWidget();
    const RECT field = palette->FieldRect();
    const RECT rc = palette->GetPos();
    // Top-left of the field: hue 0 at full saturation and value, i.e. red.
    palette->SetColor(0xFFFFFFFF);
    Click(widget, QPoint(field.left - rc.left, field.top - rc.top));
    EXPECT_EQ(palette->GetColor(), 0xFFFF0000u);
    EXPECT_EQ(window_->Events(),
              (std::vector<std::string>{"colorchanged:deng_Color_Pallet", "colorchanged:deng_Color_Pallet"}));
    for (const auto& n : window_->notifications)
        if (n.type == "colorchanged") {
            EXPECT_EQ(n.wParam, 0xFFFF0000u);
        }

    // The left end of the value strip is black, whatever the hue.
    const RECT strip = palette->StripRect();
    Click(widget, QPoint(strip.left - rc.left, (strip.top + strip.bottom) / 2 - rc.top));
    EXPECT_EQ(palette->GetColor(), 0xFF000000u);
    // Back to the right end: the hue chosen before is still there.
    Click(widget, QPoint(strip.right - 1 - rc.left, (strip.top + strip.bottom) / 2 - rc.top));
    EXPECT_EQ(palette->GetColor(), 0xFFFF0000u);

    // A drag across the field ends where the button comes up; moving alone raises nothing.
    window_->ClearEvents();
    const QPoint from(field.left - rc.left + 2, field.top - rc.top + 2);
    const QPoint to((field.left + field.right) / 2 - rc.left, field.bottom - 1 - rc.top);
    SendMouse(widget, QEvent::MouseButtonPress, from);
    SendMouse(widget, QEvent::MouseMove, to);
    EXPECT_EQ(window_->Events().size(), 1u);
    SendMouse(widget, QEvent::MouseButtonRelease, to);
    EXPECT_EQ(window_->Events().size(), 2u);
    EXPECT_EQ(palette->GetColor(), 0xFFFFFFFFu);  // no saturation at the bottom

    // Disabled, it ignores the mouse.
    window_->ClearEvents();
    Find("colorpallet_layout")->SetEnabled(false);
    Click(widget, from);
    EXPECT_EQ(window_->Events(), std::vector<std::string>{});
}
