// Binding the page, the effect and macro lists, and refreshing the page from the engine state.
#include "toolkit/Button.h"
#include "toolkit/Slider.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "store/LightingFiles.h"
#include "store/MacroLibrary.h"

using namespace DuiLib;

namespace {

constexpr const char* kKeyPicture = "keyboard_device_key_light";
constexpr int kOptionCount = 4;
constexpr int kRepeatDelayStepMs = 250;

int OptionNumber(int value) { return value < 0 || value >= kOptionCount ? 0 : value; }

}  // namespace

void CTorvanelKeyboardDevice::BindPage() {
    if (pageLayoutPath_.empty()) {
        CTorvanelUSBDevice::InitPage();
        return;
    }
    BindKeyButtons(kKeyPicture, true, true);
    if (CControlUI* control = FindPageControl("DeviceProfileItem")) {
        if ((profilePanel_ = dynamic_cast<IProfilePanel*>(control)))
            profileId_ = profilePanel_->LoadProfiles(UserDataFolder(), DefaultProfilePath());
    }
    lightingPanelControl_ = FindPageControl("LightControlItem");
    if (ILightingPanel* panel = LightingPanel()) {
        LoadLists();
        panel->SetEffectLists(effectNames_, effectVisible_, areaEffectNames_, customLightNames_);
    }
    if ((macroPanel_ = dynamic_cast<IMacroPanel*>(FindPageControl("MacroControlItem"))))
        macroPanel_->BindEngine(UserDataFolder(), this);
    keyPanelControl_ = FindPageControl("KeySetControlItem");
    if ((keyPanel_ = dynamic_cast<IKeyAssignmentPanel*>(keyPanelControl_))) {
        keyPanel_->BindEngine(this);
        keyPanelControl_->SetVisible(false);
        keyPanel_->SetMacroList(macroNames_);
    }
}

void CTorvanelKeyboardDevice::LoadLists() {
    macroNames_.clear();
    for (const MacroInfoEntry& macro : ReadMacroLibrary(MacroLibraryPath())) macroNames_.push_back(macro.MacroName);
    const DefaultLightLists lists = ReadDefaultLightLists(DefaultLightFilePath(DefaultDataFolder()), modelIndex_);
    if (lists.hasEffects) {
        effectNames_.clear();
        effectVisible_.clear();
        effectCodes_.clear();
        for (const StockEffect& effect : lists.effects) {
            effectNames_.push_back(effect.LightName);
            effectVisible_.push_back(effect.visible ? 1 : 0);
            effectCodes_.push_back(effect.value);
        }
    }
    if (lists.hasAreaEffects) areaEffectNames_ = lists.areaEffectNames;
    bool present = false;
    const auto custom = ReadCustomLightEntries(profile_.GetLightConfigPath().empty()
                                                   ? LightConfigPath(UserDataFolder())
                                                   : profile_.GetLightConfigPath(),
                                               modelIndex_, &present);
    if (present) {
        customLightNames_.clear();
        for (const CustomLightEntry& entry : custom) customLightNames_.push_back(entry.LightName);
    }
}

std::string CTorvanelKeyboardDevice::Localised(const std::string& key) {
    CControlUI* probe = FindPageControl("text_test");
    if (!probe) return key;
    probe->SetResourceText(true);
    probe->SetText(key);
    return probe->GetText();
}

void CTorvanelKeyboardDevice::SetOptionSelected(const std::string& name, bool selected) {
    if (CControlUI* control = FindPageControl(name)) {
        if (auto* option = static_cast<COptionUI*>(control->GetInterface("Option"))) option->Selected(selected, false);
    }
}

void CTorvanelKeyboardDevice::RefreshRepeatControls() {
    const int delay = OptionNumber(systemStages_.RepeatDelay);
    if (CControlUI* label = FindPageControl("repeat_delay_time_label1"))
        label->SetText(Localised("Repeat_Delay_Time") + std::to_string(delay * kRepeatDelayStepMs + kRepeatDelayStepMs) +
                       "ms");
    if (CControlUI* edit = FindPageControl("repeat_input_richedit")) edit->SetToolTip(Localised("Repeat_input_text"));
}

void CTorvanelKeyboardDevice::RefreshPage() {
    LoadLists();
    RefreshKeyLabels();
    if (ILightingPanel* panel = LightingPanel()) {
        panel->ShowLightState(GetLightState());
        panel->SetAudioLight(audioLight_);
    }
    SetCustomGroup(renderer_->StateByte(kStateCustomGroup));
    SetOptionSelected("winlockflag_option", systemStages_.WinFlag != 0);
    SetOptionSelected("wflag_option", systemStages_.WFlag != 0);
    SetOptionSelected("6flag_option", systemStages_.Key6Flag != 0);
    SetOptionSelected("mode_change", systemStages_.ModeFlag != 0);
    if (CControlUI* control = FindPageControl("repeat_rate_slider")) {
        if (auto* slider = static_cast<CSliderUI*>(control->GetInterface("Slider"))) slider->SetValue(systemStages_.Repeat);
    }
    const int delay = OptionNumber(systemStages_.RepeatDelay);
    const int polling = OptionNumber(systemStages_.PollingRate);
    for (int i = 0; i < kOptionCount; ++i) {
        SetOptionSelected("repeat_delay_check_" + std::to_string(i), i == delay);
        SetOptionSelected("polling_rate_option_" + std::to_string(i), i == polling);
    }
    if (CControlUI* edit = FindPageControl("repeat_input_richedit")) edit->SetText("");
    RefreshRepeatControls();
}
