#include "panels/lighting/LightControlUI.h"

#include <algorithm>

#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Edit.h"
#include "toolkit/Slider.h"
#include "toolkit/XmlNode.h"
#include "engines/device/TorvanelUSBDevice.h"
#include "engines/lighting/LightRenderer.h"
#include "panels/lighting/ColorPaletteUI.h"
#include "panels/lighting/LightingRules.h"
#include "platform/DebugOutput.h"

using namespace DuiLib;

namespace {

constexpr const char* kEffectCombo = "light_combo_modeSelect";
constexpr const char* kCustomSetCombo = "light_combo_custommodeSelect";
constexpr const char* kSubModeCombo = "light_combo_ZZCCmodeSelect";
constexpr const char* kAudioModeCombo = "light_combo_audiomodeSelect";
constexpr const char* kBrightnessSlider = "deng_light_slider";
constexpr const char* kSpeedSlider = "deng_speed_slider";
constexpr const char* kPalette = "deng_Color_Pallet";
constexpr const char* kColourButton = "deng_colordp_btn";
constexpr const char* kSevenColour = "deng_7color_check";
constexpr const char* kLeftOption = "deng_FXL_check";
constexpr const char* kRightOption = "deng_FXR_check";
constexpr const char* kColourTabs = "light_color_tablayout";
constexpr const char* kAudioPalette = "deng_audioColor_Pallet";
constexpr const char* kAudioColourButton = "deng_audiocolordp_btn";
constexpr const char* kAudioSevenColour = "deng_7audiocolor_check";
constexpr const char* kBackgroundOption = "audio_BkColor_check";
constexpr const char* kForegroundOption = "audio_FgColor_check";
constexpr const char* kAudioColourGroups[] = {"light_audiocolor_layout", "audiocolorpallet_layout"};
constexpr std::array<const char*, 3> kColourEdits = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};
constexpr std::array<const char*, 3> kAudioColourEdits = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};
// Music effect 3 paints with the spectrum whatever colour is set.
constexpr uint8_t kSpectrumMusicMode = 3;
constexpr int kEffectItemHeight = 30;

bool ValidComponent(int component) { return component >= kRed && component <= kBlue; }

}  // namespace

std::string CLightControlUI::GetClass() const { return kClassName; }

void* CLightControlUI::GetInterface(const std::string& name) {
    if (detail::SameNoCase(name, kClassName)) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CLightControlUI::SetAttribute(const std::string& name, const std::string& value) {
    if (detail::SameNoCase(name, "panelkind")) panelKind_ = std::atoi(value.c_str());
    else CHorizontalLayoutUI::SetAttribute(name, value);
}

int CLightControlUI::GetPanelKind() const {
    if (panelKind_ >= 0) return panelKind_;
    for (CControlUI* p = GetParent(); p; p = p->GetParent())
        if (auto* engine = dynamic_cast<CTorvanelUSBDevice*>(p)) return engine->ConnectionKind();
    return -1;
}

// ---- lookups -------------------------------------------------------------------------------

CControlUI* CLightControlUI::Control(const std::string& name) const {
    if (auto it = cache_.find(name); it != cache_.end()) return it->second;
    CControlUI* found = const_cast<CLightControlUI*>(this)->FindSubControl(name);
    // Only hits are kept, so a control added later is still found.
    if (found) cache_.emplace(name, found);
    return found;
}

template <class T>
T* CLightControlUI::Find(const std::string& name, const char* family) const {
    CControlUI* control = Control(name);
    return control ? static_cast<T*>(control->GetInterface(family)) : nullptr;
}

CComboUI* CLightControlUI::Combo(const std::string& name) const { return Find<CComboUI>(name, "Combo"); }
COptionUI* CLightControlUI::Option(const std::string& name) const { return Find<COptionUI>(name, "Option"); }
CSliderUI* CLightControlUI::Slider(const std::string& name) const { return Find<CSliderUI>(name, "Slider"); }

void CLightControlUI::FillCombo(const std::string& name, const std::vector<std::string>& names,
                                const std::vector<int>* visible, bool textsAreKeys) {
    CComboUI* combo = Combo(name);
    if (!combo) return;
    combo->RemoveAll();
    for (size_t i = 0; i < names.size(); ++i) {
        auto* item = new CListLabelElementUI;
        item->SetFixedHeight(kEffectItemHeight);
        item->SetResourceText(textsAreKeys);
        item->SetText(names[i]);
        item->SetUserData(names[i]);
        if (visible) item->SetVisible(i < visible->size() && (*visible)[i] != 0);
        combo->Add(item);
    }
}

void CLightControlUI::SelectInCombo(const std::string& name, int index) {
    if (CComboUI* combo = Combo(name)) combo->SelectItem(index, false, false);
}

int CLightControlUI::SelectedInCombo(const std::string& name) const {
    CComboUI* combo = Combo(name);
    return combo ? combo->GetCurSel() : -1;
}

void CLightControlUI::SetOption(const std::string& name, bool selected) {
    if (COptionUI* option = Option(name)) option->Selected(selected, false);
}

bool CLightControlUI::IsOptionSelected(const std::string& name) const {
    COptionUI* option = Option(name);
    return option && option->IsSelected();
}

void CLightControlUI::SetGroupEnabled(uint32_t groups, bool enabled) {
    for (int bit = 0; bit < kLightGroupCount; ++bit)
        if (groups & (1u << bit))
            if (CControlUI* c = Control(LightGroupControlName(bit))) c->SetEnabled(enabled);
}

void CLightControlUI::SetGroupVisible(uint32_t groups, bool visible) {
    for (int bit = 0; bit < kLightGroupCount; ++bit)
        if (groups & (1u << bit))
            if (CControlUI* c = Control(LightGroupControlName(bit))) c->SetVisible(visible);
}

void CLightControlUI::Fail(const char* text) {
    lastError_ = text;
    DebugOutput(text);
}

// ---- effect list and rules ------------------------------------------------------------------

void CLightControlUI::SetEffectList(const std::vector<std::string>& names, const std::vector<int>& visible,
                                    int maxBrightness, int maxSpeed) {
    // Every device page includes the same panel; its option pairs stay within this page.
    ScopeOptionGroups(this, std::to_string(reinterpret_cast<uintptr_t>(this)));
    FillCombo(kEffectCombo, names, &visible, true);
    if (CSliderUI* slider = Slider(kBrightnessSlider)) slider->SetMaxValue(maxBrightness);
    if (CSliderUI* slider = Slider(kSpeedSlider)) slider->SetMaxValue(maxSpeed);
}

void CLightControlUI::ApplyEffectRules(int effect) {
    const PanelRuleSet* set = RuleSetOfKind(GetPanelKind());
    if (!set) return;
    for (const EffectRule* rule : {&set->first, &RuleOfEffect(*set, effect)}) {
        SetGroupEnabled(rule->enable, true);
        SetGroupEnabled(rule->disable, false);
        SetGroupVisible(rule->show, true);
        SetGroupVisible(rule->hide, false);
        if (rule->shared != SharedButton::Unchanged)
            SetGroupVisible(kGroupSharedButton, rule->shared == SharedButton::WhenShared && sharedAvailable_);
        if (rule->texts != DirectionTexts::Unchanged) {
            if (CControlUI* c = Control(kLeftOption)) c->SetText(LeftDirectionText(rule->texts));
            if (CControlUI* c = Control(kRightOption)) c->SetText(RightDirectionText(rule->texts));
        }
        if (rule->colourTab >= 0)
            if (auto* tabs = Find<CTabLayoutUI>(kColourTabs, "TabLayout")) tabs->SelectItem(rule->colourTab, false);
    }
}

void CLightControlUI::SetEffect(int index) {
    SelectInCombo(kEffectCombo, index);
    ApplyEffectRules(index);
}

int CLightControlUI::GetEffect() { return SelectedInCombo(kEffectCombo); }

void CLightControlUI::ShowLightState(const std::array<uint8_t, 16>& b) {
    SetEffect(b[kStateEffect]);
    SetBrightness(b[kStateBrightness]);
    SetSpeed(b[kStateSpeed]);
    const DWORD argb = ArgbOf(b[kStateRed], b[kStateGreen], b[kStateBlue]);
    SetColourText(kRed, std::to_string(b[kStateRed]));
    SetColourText(kGreen, std::to_string(b[kStateGreen]));
    SetColourText(kBlue, std::to_string(b[kStateBlue]));
    SetPaletteColour(argb);
    SetSevenColour(b[kStateMultiColour] != 0);
    SetDirection(b[kStateDirection] != 0);
    SetSubMode(b[kStateAuxMode]);
    ApplyEffectRules(b[kStateEffect]);
}

void CLightControlUI::SetSharedAvailable(bool available) {
    sharedAvailable_ = available;
    ApplyEffectRules(GetEffect());
}

// ---- single controls ------------------------------------------------------------------------

void CLightControlUI::SetCustomSet(int index) { SelectInCombo(kCustomSetCombo, index); }
int CLightControlUI::GetCustomSet() { return SelectedInCombo(kCustomSetCombo); }
void CLightControlUI::SetSubMode(int index) { SelectInCombo(kSubModeCombo, index); }
int CLightControlUI::GetSubMode() { return SelectedInCombo(kSubModeCombo); }

void CLightControlUI::SetBrightness(int level) {
    if (CSliderUI* slider = Slider(kBrightnessSlider)) slider->SetValue(level);
}
int CLightControlUI::GetBrightness() {
    CSliderUI* slider = Slider(kBrightnessSlider);
    return slider ? slider->GetValue() : 0;
}
void CLightControlUI::SetSpeed(int level) {
    if (CSliderUI* slider = Slider(kSpeedSlider)) slider->SetValue(level);
}
int CLightControlUI::GetSpeed() {
    CSliderUI* slider = Slider(kSpeedSlider);
    return slider ? slider->GetValue() : 0;
}

void CLightControlUI::SetColourText(int component, const std::string& text) {
    if (!ValidComponent(component)) return;
    if (CControlUI* edit = Control(kColourEdits[component])) edit->SetText(text);
}
std::string CLightControlUI::GetColourText(int component) {
    if (!ValidComponent(component)) return {};
    CControlUI* edit = Control(kColourEdits[component]);
    return edit ? edit->GetText() : std::string{};
}

void CLightControlUI::SetPaletteColour(DWORD argb) {
    if (auto* palette = Find<CColorPaletteUI>(kPalette, CColorPaletteUI::kClassName)) palette->SetColor(argb);
    if (CControlUI* button = Control(kColourButton)) button->SetBkColor(argb);
}
DWORD CLightControlUI::GetPaletteColour() {
    auto* palette = Find<CColorPaletteUI>(kPalette, CColorPaletteUI::kClassName);
    return palette ? palette->GetColor() : kOpaqueBlack;
}

DWORD CLightControlUI::SwatchColour(int n) {
    CControlUI* swatch = Control("color_option_" + std::to_string(n));
    return swatch ? swatch->GetBkColor() : 0;
}

void CLightControlUI::SetSevenColour(bool on) { SetOption(kSevenColour, on); }
bool CLightControlUI::GetSevenColour() { return IsOptionSelected(kSevenColour); }

void CLightControlUI::SetDirection(bool left) {
    SetOption(kLeftOption, left);
    SetOption(kRightOption, !left);
}

void CLightControlUI::ShowChosenColour(DWORD argb) {
    SetColourText(kRed, std::to_string(RedOf(argb)));
    SetColourText(kGreen, std::to_string(GreenOf(argb)));
    SetColourText(kBlue, std::to_string(BlueOf(argb)));
    SetPaletteColour(argb);
    SetSevenColour(false);
}

// ---- music lighting -------------------------------------------------------------------------

void CLightControlUI::ShowAudioColour(DWORD argb) {
    SetAudioColourText(kRed, std::to_string(RedOf(argb)));
    SetAudioColourText(kGreen, std::to_string(GreenOf(argb)));
    SetAudioColourText(kBlue, std::to_string(BlueOf(argb)));
    if (auto* palette = Find<CColorPaletteUI>(kAudioPalette, CColorPaletteUI::kClassName)) palette->SetColor(argb);
    if (CControlUI* button = Control(kAudioColourButton)) button->SetBkColor(argb);
}

bool CLightControlUI::SetAudioLightInfo(const AudioLightInfoRecord& record) {
    audio_ = record;
    if (!Combo(kAudioModeCombo) || !Control(kAudioColourButton) || !Option(kAudioSevenColour) ||
        !Option(kBackgroundOption) || !Option(kForegroundOption)) {
        Fail(kErrorSetAudio);
        return false;
    }
    SelectInCombo(kAudioModeCombo, record.AudioMode);
    const bool foreground = record.ColorTypeFlags != 0;
    SetOption(kForegroundOption, foreground);
    SetOption(kBackgroundOption, !foreground);
    SetOption(kAudioSevenColour, record.SevenColorFlags != 0);
    ShowAudioColour(foreground ? ArgbOf(record.FgColorR, record.FgColorG, record.FgColorB)
                               : ArgbOf(record.BkColorR, record.BkColorG, record.BkColorB));
    for (const char* group : kAudioColourGroups)
        if (CControlUI* c = Control(group)) c->SetEnabled(record.AudioMode != kSpectrumMusicMode);
    return true;
}

AudioLightInfoRecord CLightControlUI::GetAudioLightInfo(bool takeColour, bool* ok) {
    CControlUI* button = Control(kAudioColourButton);
    if (!Combo(kAudioModeCombo) || !button || !Option(kAudioSevenColour) || !Option(kBackgroundOption) ||
        !Option(kForegroundOption)) {
        Fail(kErrorGetAudio);
        if (ok) *ok = false;
        return audio_;
    }
    AudioLightInfoRecord record = audio_;
    const int mode = SelectedInCombo(kAudioModeCombo);
    if (mode >= 0) record.AudioMode = static_cast<uint8_t>(mode);
    record.SevenColorFlags = IsOptionSelected(kAudioSevenColour) ? 1 : 0;
    if (IsOptionSelected(kBackgroundOption))
        record.ColorTypeFlags = audio_.ColorTypeFlags == 0 && IsOptionSelected(kForegroundOption) ? 1 : 0;
    else record.ColorTypeFlags = 1;
    if (takeColour) {
        const DWORD argb = button->GetBkColor();
        uint8_t* target = record.ColorTypeFlags ? &record.FgColorR : &record.BkColorR;
        target[0] = RedOf(argb);
        target[1] = GreenOf(argb);
        target[2] = BlueOf(argb);
    }
    if (ok) *ok = true;
    return record;
}

DWORD CLightControlUI::GetLightAudioColor(int n) {
    CControlUI* swatch = Control("audiocolor_option_" + std::to_string(n));
    if (!swatch) {
        Fail(kErrorAudioSwatch);
        return 0;
    }
    return swatch->GetBkColor();
}

DWORD CLightControlUI::GetAudioPaletteColour() {
    auto* palette = Find<CColorPaletteUI>(kAudioPalette, CColorPaletteUI::kClassName);
    return palette ? palette->GetColor() : kOpaqueBlack;
}

std::string CLightControlUI::GetAudioColourText(int component) {
    if (!ValidComponent(component)) return {};
    CControlUI* edit = Control(kAudioColourEdits[component]);
    return edit ? edit->GetText() : std::string{};
}

void CLightControlUI::SetAudioColourText(int component, const std::string& text) {
    if (!ValidComponent(component)) return;
    if (CControlUI* edit = Control(kAudioColourEdits[component])) edit->SetText(text);
}

// ---- ILightingPanel -------------------------------------------------------------------------

void CLightControlUI::SetEffectLists(const std::vector<std::string>& effectNames, const std::vector<int>& visible,
                                     const std::vector<std::string>& areaEffectNames,
                                     const std::vector<std::string>& customLightNames) {
    SetEffectList(effectNames, visible, kKeyboardMaxLevel, kKeyboardMaxLevel);
    FillCombo(kSubModeCombo, areaEffectNames, nullptr, true);
    // Custom set names are the user's own, not language keys.
    FillCombo(kCustomSetCombo, customLightNames, nullptr, false);
}

void CLightControlUI::ShowLightState(const std::array<uint32_t, 4>& words) {
    std::array<uint8_t, 16> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(words[i / 4] >> (8 * (i % 4)));
    ShowLightState(bytes);
}

void CLightControlUI::SetAudioLight(const std::array<uint32_t, 3>& words) {
    SetAudioLightInfo(AudioLightInfoRecord::FromWords({words[0], words[1], static_cast<uint8_t>(words[2])}));
}

std::array<uint32_t, 3> CLightControlUI::GetAudioLight() {
    const auto w = GetAudioLightInfo(false).ToWords();
    return {w.w0, w.w1, w.b8};
}

void CLightControlUI::ShowCustomGroup(int group) { SetCustomSet(group); }

int CLightControlUI::SelectedCustomGroup() const { return SelectedInCombo(kCustomSetCombo); }
