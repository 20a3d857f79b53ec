#include "panels/headset/MagicControlUI.h"

#include "toolkit/Button.h"

using namespace DuiLib;

namespace {
constexpr int kVoiceOptions = 4;
constexpr const char* kVoicePrefix = "magic_option_";
constexpr const char* kMagicNotice = "magic_audio_notice";
}  // namespace

std::string CMagicControlUI::GetClass() const { return kClassName; }

void* CMagicControlUI::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CMagicControlUI::ShowVoiceChanger(bool on) {
    SelectQuietly("magic_enable_option", on);
    SetVoiceLayoutEnabled(on);
}

bool CMagicControlUI::VoiceChangerOn() const { return IsSelected("magic_enable_option"); }

void CMagicControlUI::SetVoiceLayoutEnabled(bool on) { SetEnabledOf("magic_option_layout", on); }

void CMagicControlUI::ShowVoice(int voice) {
    for (int n = 1; n <= kVoiceOptions; ++n) SelectQuietly(kVoicePrefix + std::to_string(n), false);
    shownVoice_ = voice >= 0 && voice <= kVoiceOptions ? voice : 0;
    if (shownVoice_ >= 1) SelectQuietly(kVoicePrefix + std::to_string(shownVoice_), true);
}

void CMagicControlUI::ShowAudioNotice(const std::string& textKey) { ShowNotice(kMagicNotice, textKey); }
