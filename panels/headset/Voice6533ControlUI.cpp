#include "panels/headset/Voice6533ControlUI.h"

#include "panels/headset/MagicControlUI.h"

#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/ControlFactory.h"
#include "toolkit/List.h"
#include "toolkit/Slider.h"

using namespace DuiLib;

namespace {

constexpr int kPresetOptions = 13;
constexpr int kNameItemHeight = 30;
constexpr const char* kPresetPrefix = "6533_eq_option_";
constexpr const char* kBandPrefix = "6533_eq_hz_slider_";
constexpr const char* kVoiceNotice = "6533_audio_notice";

std::string Indexed(const char* prefix, int n) { return prefix + std::to_string(n); }

}  // namespace

std::string CVoice6533ControlUI::GetClass() const { return kClassName; }

void* CVoice6533ControlUI::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CVoice6533ControlUI::ShowPreset(int preset) {
    for (int n = 1; n <= kPresetOptions; ++n) SelectQuietly(Indexed(kPresetPrefix, n), false);
    shownPreset_ = preset >= 0 && preset <= kPresetOptions ? preset : 0;
    if (shownPreset_ >= 1) SelectQuietly(Indexed(kPresetPrefix, shownPreset_), true);
}

void CVoice6533ControlUI::SetCustomMode(bool on) { SetEnabledOf("custom_eq_option_layout", on); }

void CVoice6533ControlUI::SetSliderValue(const std::string& name, int value) {
    if (CSliderUI* slider = SliderNamed(name)) slider->SetValue(value);
}

int CVoice6533ControlUI::SliderValue(const std::string& name) const {
    CSliderUI* slider = SliderNamed(name);
    return slider ? slider->GetValue() : -1;
}

void CVoice6533ControlUI::SetBandSlider(int band, int value) { SetSliderValue(Indexed(kBandPrefix, band), value); }
int CVoice6533ControlUI::GetBandSlider(int band) const { return SliderValue(Indexed(kBandPrefix, band)); }
void CVoice6533ControlUI::SetMicrophoneOn(bool on) { SelectQuietly("6533_MicIn_option", on); }
bool CVoice6533ControlUI::MicrophoneOn() const { return IsSelected("6533_MicIn_option"); }
void CVoice6533ControlUI::SetMicrophoneLevel(int level) { SetSliderValue("6533_MicIn_slider", level); }
int CVoice6533ControlUI::MicrophoneLevel() const { return SliderValue("6533_MicIn_slider"); }
void CVoice6533ControlUI::SetMonitorOn(bool on) { SelectQuietly("6533_MicMoniter_option", on); }
bool CVoice6533ControlUI::MonitorOn() const { return IsSelected("6533_MicMoniter_option"); }
void CVoice6533ControlUI::SetMonitorLevel(int level) { SetSliderValue("6533_MicMoniter_slider", level); }
int CVoice6533ControlUI::MonitorLevel() const { return SliderValue("6533_MicMoniter_slider"); }

void CVoice6533ControlUI::SetNameEdit(const std::string& text) {
    if (CControlUI* edit = Named("custom_eq_name_edit")) edit->SetText(text);
}

std::string CVoice6533ControlUI::NameEdit() const {
    CControlUI* edit = Named("custom_eq_name_edit");
    return edit ? edit->GetText() : std::string();
}

CComboUI* CVoice6533ControlUI::NameCombo() const {
    CControlUI* control = Named("custom_eq_name_combo");
    return control ? static_cast<CComboUI*>(control->GetInterface("Combo")) : nullptr;
}

void CVoice6533ControlUI::AddCustomName(const std::string& name) {
    CComboUI* combo = NameCombo();
    if (!combo) return;
    auto* item = new CListLabelElementUI;
    item->SetAttribute("height", std::to_string(kNameItemHeight));
    item->SetResourceText(false);  // the user's own text, not a language key
    item->SetText(name);
    item->SetUserData(name);
    combo->Add(item);
}

int CVoice6533ControlUI::SelectedCustomIndex() const {
    CComboUI* combo = NameCombo();
    return combo ? combo->GetCurSel() : -1;
}

int CVoice6533ControlUI::CustomCount() const {
    CComboUI* combo = NameCombo();
    return combo ? combo->GetCount() : 0;
}

void CVoice6533ControlUI::SelectCustomIndex(int index) {
    CComboUI* combo = NameCombo();
    if (!combo) return;
    combo->SelectItem(index >= 0 && index < combo->GetCount() ? index : -1, false, false);
    SetNameEdit("");
}

void CVoice6533ControlUI::RemoveCustomEntry(int index) {
    CComboUI* combo = NameCombo();
    if (combo && index >= 0 && index < combo->GetCount()) combo->RemoveAt(index);
}

void CVoice6533ControlUI::RemoveAllCustomEntries() {
    if (CComboUI* combo = NameCombo()) combo->RemoveAll();
}

std::string CVoice6533ControlUI::CustomNameAt(int index) const {
    CComboUI* combo = NameCombo();
    if (!combo || index < 0 || index >= combo->GetCount()) return {};
    return combo->GetItemAt(index)->GetText();
}

void CVoice6533ControlUI::ShowAudioNotice(const std::string& textKey) { ShowNotice(kVoiceNotice, textKey); }

void RegisterHeadsetPanels() {
    CControlFactory* factory = CControlFactory::GetInstance();
    factory->RegistControl("CVoice6533ControlUI", [] { return new CVoice6533ControlUI(); });
    factory->RegistControl("CMagicControlUI", [] { return new CMagicControlUI(); });
}
