// Life cycle, profile, page binding and refresh, and the zone reports of the headset.
#include "engines/headset/TorvanelHS6533Device.h"

#include "toolkit/ControlFactory.h"
#include "engines/device/DeviceKeyButton.h"
#include "engines/headset/HeadsetZoneReports.h"
#include "platform/DebugOutput.h"

namespace {

constexpr const char* kKeyPicture = "hs6533_device_key_light";
constexpr uint32_t kZoneReportTimeoutMs = 100;

CHeadsetAudio::MessageSink& MessageHandler() {
    static CHeadsetAudio::MessageSink handler;
    return handler;
}

void ShowStartupMessage(const std::string& text) {
    if (MessageHandler())
        MessageHandler()(text);
    else
        DebugOutput(text);
}

}  // namespace

void SetHeadsetMessageHandler(CHeadsetAudio::MessageSink handler) { MessageHandler() = std::move(handler); }

CTorvanelHS6533Device::CTorvanelHS6533Device()
    : CTorvanelLitAccessoryDevice(WaveStyle::Headset, kKindHeadset),
      audio_(&SharedHeadsetAudio()),
      libraryPath_(ConfLibraryPath()) {
    profile_.SetDefaultPath(DefaultProfilePath());
}

CTorvanelHS6533Device::~CTorvanelHS6533Device() {
    StopPreview();
    CloseEventInterface();
}

std::string CTorvanelHS6533Device::GetClass() const { return kClassName; }

void* CTorvanelHS6533Device::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CTorvanelUSBDevice::GetInterface(name);
}

void CTorvanelHS6533Device::UseAudio(CHeadsetAudio* audio, std::string libraryPath) {
    audio_ = audio ? audio : &SharedHeadsetAudio();
    libraryPath_ = std::move(libraryPath);
}

void CTorvanelHS6533Device::InitPage() {
    // The audio start-up waits for the headset itself (OnConnected): every start builds this
    // page, and a user without the headset must not meet the library's messages.
    BindPage();
}

void CTorvanelHS6533Device::BindPage() {
    BindAccessoryPage(kKeyPicture);
    voicePanel_ = dynamic_cast<IVoice6533Panel*>(FindPageControl("Voice6533ControlItem"));
    magicPanel_ = dynamic_cast<IMagicPanel*>(FindPageControl("MagicControlItem"));
}

void CTorvanelHS6533Device::OnConnected() {
    LoadProfile();
    if (audio_->Started()) audio_->ReadState(state_, mutes_);
    else audio_->Start(libraryPath_, ShowStartupMessage, state_, mutes_);  // reads the state too
    RefreshPage();
    StartPreview();
}

int CTorvanelHS6533Device::LoadProfile() {
    SetSavePaths();
    profile_.LoadSection(profile_.GetProfilePath());
    ApplyLighting();
    state_ = profile_.GetSystemSetStages();
    gains_ = state_.EqType == kCustomEqType ? profile_.GetCustomEqValues(state_.CustomEqSeletIndex)
                                            : profile_.GetEqValues(state_.EqType);
    gains_.resize(kEqBandCount, 0);
    customNames_ = profile_.GetCustomEqNames();
    return 1;
}

void CTorvanelHS6533Device::SetModelIndex(int index) {
    CTorvanelUSBDevice::SetModelIndex(index);
    profile_.SetDeviceIndex(0);
}

void CTorvanelHS6533Device::RefreshPage() {
    LoadLists();
    if (ILightingPanel* panel = LightingPanel()) panel->ShowLightState(GetLightState());
    if (magicPanel_) {
        magicPanel_->ShowVoiceChanger(state_.MagicEnable != 0);
        magicPanel_->ShowVoice(state_.MagicType);
        magicPanel_->ShowAudioNotice(AudioReady() ? "" : kAudioUnavailableKey);
    }
    if (!voicePanel_) return;
    voicePanel_->SetMicrophoneOn(state_.MicInSelect != 0);
    voicePanel_->SetMicrophoneLevel(state_.MicInValue);
    voicePanel_->SetMonitorOn(state_.MicMoniterSelect != 0);
    voicePanel_->SetMonitorLevel(state_.MicMoniterValue);
    voicePanel_->ShowPreset(state_.EqType);
    voicePanel_->RemoveAllCustomEntries();
    for (const std::string& name : customNames_) voicePanel_->AddCustomName(name);
    voicePanel_->SelectCustomIndex(state_.CustomEqSeletIndex);
    voicePanel_->SetCustomMode(state_.EqType == kCustomEqType);
    ShowGains();
    voicePanel_->ShowAudioNotice(AudioReady() ? "" : kAudioUnavailableKey);
}

void CTorvanelHS6533Device::ShowGains() {
    if (!voicePanel_) return;
    for (int band = 0; band < kEqBandCount; ++band) voicePanel_->SetBandSlider(band, gains_[static_cast<size_t>(band)]);
}

int CTorvanelHS6533Device::StreamCurrentFrame() {
    // Runs on the preview thread right after it rendered the frame.
    const ZoneReportSet reports = BuildZoneReports(Renderer().Frame());
    CHidInterface& record = commandChannel_.PrimaryRecord();
    int result = 1;
    for (const ZoneReport& report : reports) {
        uint32_t written = 0;
        if (record.WriteReport(report.data(), static_cast<uint32_t>(report.size()), &written, kZoneReportTimeoutMs) != 1)
            result = 0;
    }
    return result;
}

void RegisterHeadsetControls() {
    auto* factory = DuiLib::CControlFactory::GetInstance();
    factory->RegistControl(CTorvanelHS6533Device::kClassName, [] { return new CTorvanelHS6533Device(); });
    // The zone buttons of the picture (also registered by the keyboard; the same class).
    factory->RegistControl(CDeviceKeyButtonUI::kClassName, [] { return new CDeviceKeyButtonUI(); });
}
