#pragma once
// The headset engine and page: the lighting side of the lit accessories with the headset's zone
// reports, and the audio side (microphone, monitoring, equaliser, voice changer) through the
// audio configuration library. One class over files by concern:
//   HS6533Device.cpp         life cycle, profile, page binding and refresh, zone reports
//   HS6533AudioOperations.cpp the panels' audio operations and the custom equalisers
#include <array>
#include <string>
#include <vector>

#include "engines/headset/HeadsetAudio.h"
#include "engines/headset/HeadsetPanels.h"
#include "engines/headset/LitAccessoryDevice.h"
#include "store/Hs6533Profiledata.h"

inline constexpr int kEqPresetCount = 12;
inline constexpr int kMaxCustomEqualisers = 20;
// Text key the audio panels show when the audio library is missing or a setting failed.
inline constexpr const char* kAudioUnavailableKey = "hs_audio_unavailable";
inline constexpr const char* kAudioFailedKey = "hs_audio_failed";

// Band gains in dB of the stock presets 1..12.
const std::array<int, kEqBandCount>& EqPresetGains(int preset);

// Process-wide handler of the start-up message boxes; the default writes a debugger line.
void SetHeadsetMessageHandler(CHeadsetAudio::MessageSink handler);

class CTorvanelHS6533Device : public CTorvanelLitAccessoryDevice {
public:
    static constexpr const char* kClassName = "TorvanelHS6533Device";

    CTorvanelHS6533Device();
    ~CTorvanelHS6533Device() override;

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // Base replacements.
    void InitPage() override;
    void OnConnected() override;
    int LoadProfile() override;
    void RefreshPage() override;
    void SetModelIndex(int index) override;

    // Own operations.
    void BindPage() override;

    // Audio operations of the panels (UI thread).
    void SetMicrophoneLevel(int level);
    void ToggleMicrophoneMute();
    void SetMonitorLevel(int level);
    void ToggleMonitorMute();
    void SelectEqualiserPreset(int preset);
    void SetEqualiserBand(int band);
    void ApplyCustomEqualiser();
    void SwitchVoiceChanger();
    void SelectVoice(int voice);
    // 1 saved, 0 the name is taken, -1 nothing done.
    int SaveCustomEqualiser();
    void DeleteCustomEqualiser();

    // The audio side this page uses (tests hand their own, with their library).
    void UseAudio(CHeadsetAudio* audio, std::string libraryPath);

    // Inspection.
    const HeadsetSystemSetStages& AudioState() const { return state_; }
    const AudioMuteFlags& MuteFlags() const { return mutes_; }
    const std::vector<int>& Gains() const { return gains_; }
    const std::vector<std::string>& CustomNames() const { return customNames_; }
    CHs6533Profiledata& Profile() { return profile_; }

protected:
    CBasicProfiledata& LightProfile() override { return profile_; }
    int StreamCurrentFrame() override;

private:
    struct CapturePath;
    static const CapturePath kMicrophone;
    static const CapturePath kMonitor;
    void SetLevel(const CapturePath& path, int level);
    void ToggleMute(const CapturePath& path);
    void StoreAudioState();
    void ShowGains();
    void WriteBands(const std::vector<int>& gains);
    void TellAudioOutcome(bool ok);
    bool AudioReady() const { return audio_->LibraryLoaded(); }

    CHs6533Profiledata profile_;
    CHeadsetAudio* audio_;
    std::string libraryPath_;
    HeadsetSystemSetStages state_;
    AudioMuteFlags mutes_;
    std::vector<int> gains_ = std::vector<int>(kEqBandCount, 0);
    std::vector<std::string> customNames_;
    IVoice6533Panel* voicePanel_ = nullptr;
    IMagicPanel* magicPanel_ = nullptr;
};

// Registers "TorvanelHS6533Device" with the control factory.
void RegisterHeadsetControls();
