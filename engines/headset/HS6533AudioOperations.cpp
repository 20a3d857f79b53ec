// The audio operations the headset panels call, and the custom equalisers.
#include <QString>

#include "engines/headset/TorvanelHS6533Device.h"

namespace {

constexpr std::array<std::array<int, kEqBandCount>, kEqPresetCount> kPresets = {{
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

constexpr AudioSide C = AudioSide::Capture;
constexpr AudioSide P = AudioSide::Playback;

float Fraction(int level) { return static_cast<float>(level) / 100.0f; }

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

std::string BandProperty(int band) { return "EQ_Slider" + std::to_string(band + 1); }

}  // namespace

const std::array<int, kEqBandCount>& EqPresetGains(int preset) {
    return kPresets[static_cast<size_t>(preset >= 1 && preset <= kEqPresetCount ? preset - 1 : 4)];
}

void CTorvanelHS6533Device::StoreAudioState() { profile_.SetSystemSetStages(state_); }

void CTorvanelHS6533Device::TellAudioOutcome(bool ok) {
    const char* key = !AudioReady() ? kAudioUnavailableKey : ok ? "" : kAudioFailedKey;
    if (voicePanel_) voicePanel_->ShowAudioNotice(key);
    if (magicPanel_) magicPanel_->ShowAudioNotice(key);
}

// The microphone and the monitoring path: a level and a mute each, stored only when the library
// took them; what the library refused goes back on the panel.
struct CTorvanelHS6533Device::CapturePath {
    const char* levelProperty;
    int32_t levelChannel;
    const char* muteProperty;
    int32_t HeadsetSystemSetStages::*value;
    int32_t HeadsetSystemSetStages::*on;
    int32_t AudioMuteFlags::*muted;
    void (IVoice6533Panel::*showLevel)(int);
    void (IVoice6533Panel::*showOn)(bool);
};

const CTorvanelHS6533Device::CapturePath CTorvanelHS6533Device::kMicrophone = {
    "VolumeScalarControl", -1, "MuteControl", &HeadsetSystemSetStages::MicInValue,
    &HeadsetSystemSetStages::MicInSelect, &AudioMuteFlags::microphone, &IVoice6533Panel::SetMicrophoneLevel,
    &IVoice6533Panel::SetMicrophoneOn};
const CTorvanelHS6533Device::CapturePath CTorvanelHS6533Device::kMonitor = {
    "AAVolumeScalarControl", 0, "AAMuteControl", &HeadsetSystemSetStages::MicMoniterValue,
    &HeadsetSystemSetStages::MicMoniterSelect, &AudioMuteFlags::monitor, &IVoice6533Panel::SetMonitorLevel,
    &IVoice6533Panel::SetMonitorOn};

void CTorvanelHS6533Device::SetLevel(const CapturePath& path, int level) {
    const bool ok = audio_->WriteFloat(C, path.levelProperty, Fraction(level), ChannelArg::One(path.levelChannel));
    TellAudioOutcome(ok);
    if (ok) {
        state_.*path.value = level;
        StoreAudioState();
        SaveProfile();
    } else if (voicePanel_) {
        (voicePanel_->*path.showLevel)(state_.*path.value);  // the level that is really set
    }
}

void CTorvanelHS6533Device::ToggleMute(const CapturePath& path) {
    const int32_t muted = mutes_.*path.muted ? 0 : 1;
    const bool ok = audio_->WriteInt(C, path.muteProperty, muted);
    TellAudioOutcome(ok);
    if (ok) {
        mutes_.*path.muted = muted;
        state_.*path.on = muted ? 0 : 1;
        StoreAudioState();
        SaveProfile();
    }
    // A mute the library refused is not shown as done.
    if (voicePanel_) (voicePanel_->*path.showOn)(mutes_.*path.muted == 0);
}

void CTorvanelHS6533Device::SetMicrophoneLevel(int level) { SetLevel(kMicrophone, level); }
void CTorvanelHS6533Device::SetMonitorLevel(int level) { SetLevel(kMonitor, level); }
void CTorvanelHS6533Device::ToggleMicrophoneMute() { ToggleMute(kMicrophone); }
void CTorvanelHS6533Device::ToggleMonitorMute() { ToggleMute(kMonitor); }

void CTorvanelHS6533Device::WriteBands(const std::vector<int>& gains) {
    bool ok = audio_->WriteInt(P, "Enable_EQ_GFX", 1);
    for (int band = 0; band < kEqBandCount; ++band) {
        const int gain = gains[static_cast<size_t>(band)];
        gains_[static_cast<size_t>(band)] = gain;
        if (voicePanel_) voicePanel_->SetBandSlider(band, gain);
        ok = audio_->WriteInt(P, BandProperty(band), gain) && ok;
    }
    TellAudioOutcome(ok);
}

void CTorvanelHS6533Device::SelectEqualiserPreset(int preset) {
    if (preset == kCustomEqType) {
        state_.EqType = kCustomEqType;
        if (voicePanel_) voicePanel_->SetCustomMode(true);
        ApplyCustomEqualiser();
        StoreAudioState();
        SaveProfile();
        return;
    }
    if (preset < 1 || preset > kEqPresetCount) return;
    const auto& gains = EqPresetGains(preset);
    WriteBands(std::vector<int>(gains.begin(), gains.end()));
    state_.EqType = preset;
    if (voicePanel_) {
        voicePanel_->ShowPreset(preset);
        voicePanel_->SetCustomMode(false);
    }
    StoreAudioState();
    profile_.SetEqValues(preset, gains_);
    SaveProfile();
}

void CTorvanelHS6533Device::SetEqualiserBand(int band) {
    if (band < 0 || band >= kEqBandCount) return;
    if (state_.EqType != kCustomEqType) {
        state_.EqType = kCustomEqType;
        if (voicePanel_) {
            voicePanel_->ShowPreset(kCustomEqType);
            voicePanel_->SelectCustomIndex(-1);
            voicePanel_->SetCustomMode(true);
        }
    }
    const int value = voicePanel_ ? voicePanel_->GetBandSlider(band) : gains_[static_cast<size_t>(band)];
    gains_[static_cast<size_t>(band)] = value;
    TellAudioOutcome(audio_->WriteInt(P, BandProperty(band), value));
}

void CTorvanelHS6533Device::ApplyCustomEqualiser() {
    const int chosen = voicePanel_ ? voicePanel_->SelectedCustomIndex() : -1;
    if (chosen < 0) return;
    WriteBands(profile_.GetCustomEqValues(chosen));
    state_.CustomEqSeletIndex = chosen;
    StoreAudioState();
    SaveProfile();
}

void CTorvanelHS6533Device::SwitchVoiceChanger() {
    const bool on = magicPanel_ && magicPanel_->VoiceChangerOn();
    if (magicPanel_) magicPanel_->SetVoiceLayoutEnabled(on);
    bool ok = audio_->WriteInt(C, "Enable_MAGICVOICE", on ? 1 : 0);
    if (on) ok = audio_->WriteInt(C, "Enable_MICECHO", 0) && ok;
    TellAudioOutcome(ok);
    state_.MagicEnable = on ? 1 : 0;
    StoreAudioState();
    SaveProfile();
}

void CTorvanelHS6533Device::SelectVoice(int voice) {
    if (voice < 1 || voice > 4) return;
    TellAudioOutcome(audio_->WriteInt(C, "MagicVoice_Selection", voice - 1));
    state_.MagicType = voice;
    if (magicPanel_) magicPanel_->ShowVoice(voice);
    StoreAudioState();
    SaveProfile();
}

int CTorvanelHS6533Device::SaveCustomEqualiser() {
    if (!voicePanel_) return -1;
    const std::string name = voicePanel_->NameEdit();
    std::vector<int> gains(kEqBandCount, 0);
    for (int band = 0; band < kEqBandCount; ++band) gains[static_cast<size_t>(band)] = voicePanel_->GetBandSlider(band);
    if (name.empty()) {
        const int selected = voicePanel_->SelectedCustomIndex();
        if (selected < 0) return -1;
        gains_ = gains;
        state_.CustomEqSeletIndex = selected;
        StoreAudioState();
        profile_.SetCustomEqValues(selected, gains);
        SaveProfile();
        return 1;
    }
    if (voicePanel_->CustomCount() >= kMaxCustomEqualisers) return -1;
    for (int i = 0; i < voicePanel_->CustomCount(); ++i) {
        if (SameNameIgnoringCase(voicePanel_->CustomNameAt(i), name)) return 0;
    }
    voicePanel_->AddCustomName(name);
    customNames_.push_back(name);
    gains_ = gains;
    const int index = voicePanel_->CustomCount() - 1;
    state_.CustomEqSeletIndex = index;
    voicePanel_->SelectCustomIndex(index);
    StoreAudioState();
    profile_.SetCustomEqValues(index, gains);
    profile_.SetCustomEqNames(customNames_);
    SaveProfile();
    return 1;
}

// Names and gain sets stay together: the deleted entry's gains go with its name, and deleting
// the last entry empties the stored list.
void CTorvanelHS6533Device::DeleteCustomEqualiser() {
    if (!voicePanel_) return;
    const int index = voicePanel_->SelectedCustomIndex();
    if (index < 0) return;
    const int countBefore = voicePanel_->CustomCount();
    for (int i = index; i + 1 < countBefore; ++i) profile_.SetCustomEqValues(i, profile_.GetCustomEqValues(i + 1));
    voicePanel_->RemoveCustomEntry(index);
    customNames_.clear();
    for (int i = 0; i < voicePanel_->CustomCount(); ++i) customNames_.push_back(voicePanel_->CustomNameAt(i));
    profile_.SetCustomEqNames(customNames_);
    if (customNames_.empty()) {
        voicePanel_->ShowPreset(1);
        state_.EqType = 1;
        state_.CustomEqSeletIndex = 0;
        StoreAudioState();
        gains_ = profile_.GetEqValues(1);
        gains_.resize(kEqBandCount, 0);
        ShowGains();
        voicePanel_->SetCustomMode(false);
    } else {
        state_.CustomEqSeletIndex = 0;
        voicePanel_->SelectCustomIndex(0);
        StoreAudioState();
        gains_ = profile_.GetCustomEqValues(0);
        gains_.resize(kEqBandCount, 0);
        ShowGains();
    }
    SaveProfile();
}
