// Life cycle, profile and the base operations the keyboard replaces.
#include "engines/keyboard/TorvanelKeyboardDevice.h"

#include "toolkit/ControlFactory.h"
#include "engines/device/DeviceKeyButton.h"
#include "engines/keyboard/KeyCodeTables.h"
#include "store/LightingFiles.h"

namespace {

std::unique_ptr<CKeyboardLightRenderer> MakeRenderer(CKeyboardLightRenderer*& keep) {
    auto renderer = std::make_unique<CKeyboardLightRenderer>();
    keep = renderer.get();
    return renderer;
}

}  // namespace

CTorvanelKeyboardDevice::CTorvanelKeyboardDevice() : CTorvanelUSBDevice(MakeRenderer(keyboardRenderer_)) {
    connectionKind_ = kKindKeyboard;
    listeners_[0].kind = kKindKeyboard;
    listeners_[1].kind = kKindKeyboardViaReceiver;
    profile_.SetDefaultPath(DefaultProfilePath());
}

CTorvanelKeyboardDevice::~CTorvanelKeyboardDevice() {
    StopListeners();
    keyboardRenderer_->StopLightingThread();
}

std::string CTorvanelKeyboardDevice::GetClass() const { return kClassName; }

void* CTorvanelKeyboardDevice::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CTorvanelUSBDevice::GetInterface(name);
}

void CTorvanelKeyboardDevice::OnConnected() {
    ReadAll();
    // The device's record is kept for reference; the profile on disk decides what is shown.
    ReadParamRecord();
    LoadProfile();
    RefreshPage();
    // The lighting thread streams the music effects itself, so a keyboard that stops answering
    // holds up that thread and never the window.
    LightingThreadLink link;
    link.connected = [this] { return commandChannel_.IsConnected(); };
    link.streamPaused = [this] { return commandChannel_.IsStreamPaused(); };
    const bool direct = !ThroughReceiver();
    link.streamTarget = [direct] { return direct; };
    link.stream = [this](const DeviceLightFrame& frame) {
        return commandChannel_.StreamLightFrame(frame.bytes.data(), static_cast<uint32_t>(frame.length));
    };
    WakeFrameTimer();
    keyboardRenderer_->StartLightingThread(std::move(link));
}

void CTorvanelKeyboardDevice::ReloadLighting() {
    ReadLightParams();
    RefreshPage();
}

int CTorvanelKeyboardDevice::CheckReceiverLink() {
    return commandChannel_.IsConnected() && ThroughReceiver() && commandChannel_.QueryReceiverLink() == 1 ? 1 : 0;
}

int CTorvanelKeyboardDevice::LoadProfile() {
    SetSavePaths();
    profile_.LoadSection(profile_.GetProfilePath());
    keyList_ = profile_.GetKeyList();
    ApplyLighting();
    systemStages_ = KeyboardSystemStages::FromWords(profile_.GetSystemStages());
    return 1;
}

void CTorvanelKeyboardDevice::RestoreDefaults() {
    profile_.LoadSection(DefaultProfilePath());
    keyList_ = profile_.GetKeyList();
    ApplyLighting();
    systemStages_ = KeyboardSystemStages::FromWords(profile_.GetSystemStages());
    SaveProfile();
    RefreshPage();
}

int CTorvanelKeyboardDevice::ApplyLighting() {
    const uint8_t previous = renderer_->StateByte(kStateEffect);
    const LightInfoRecord light = profile_.GetLightInfo();
    renderer_->SetLightState(light);
    const auto audio = profile_.GetAudioLightInfo().ToWords();
    audioLight_ = {audio.w0, audio.w1, audio.b8};
    renderer_->SetAudioLight(audioLight_);
    EnterEffectIfChanged(previous, light.SelectItem);
    {
        CriticalSectionLock lock(renderer_->AreaLock());
        keyboardRenderer_->RestartEffectPhase();
    }
    profile_.LoadLightConfig(profile_.GetLightConfigPath());
    keyboardRenderer_->SetUserEffectFrames(profile_.GetLedEffects());
    return 1;
}

void CTorvanelKeyboardDevice::EnterEffectIfChanged(uint8_t previous, uint8_t effect) {
    if (effect != previous || effect == 20) {
        keyboardRenderer_->EnterEffect(effect);
        if (effect == 20) LoadCustomColours();
    }
}

void CTorvanelKeyboardDevice::PushFrame() { CTorvanelUSBDevice::PushFrame(); }

void CTorvanelKeyboardDevice::SetSavePaths() {
    const std::string folder = UserDataFolder();
    // The type folder name is only known after construction.
    profile_.SetDefaultPath(DefaultProfilePath());
    profile_.SetProfilePath(folder + profileId_ + ".Json");
    profile_.SetLightConfigPath(LightConfigPath(folder, defaultLightingName_.empty() ? "nuvex_light" : defaultLightingName_));
}

void CTorvanelKeyboardDevice::SetModelIndex(int index) {
    CTorvanelUSBDevice::SetModelIndex(index);
    profile_.SetDeviceIndex(KeyboardDeviceIndex(index));
    // The model decides the geometry of the software effects.
    for (size_t row = 0; row < kPageTable.size(); ++row) {
        if (kPageTable[row].modelIndex == index && kPageTable[row].deviceKind == kKindKeyboard)
            keyboardRenderer_->SetProductId(static_cast<uint16_t>(kPageTable[row].productId));
    }
}

void CTorvanelKeyboardDevice::SetLightState(const std::array<uint32_t, 4>& words) {
    renderer_->SetLightState(words);
    profile_.SetLightInfo(LightInfoRecord::FromWords({words[0], words[1], words[2], static_cast<uint16_t>(words[3])}));
}

void CTorvanelKeyboardDevice::SetAudioLight(const std::array<uint32_t, 3>& words) {
    CTorvanelUSBDevice::SetAudioLight(words);
    profile_.SetAudioLightInfo(AudioLightInfoRecord::FromWords({words[0], words[1], static_cast<uint8_t>(words[2])}));
}

void CTorvanelKeyboardDevice::SelectKey(int keyIndex) {
    selectedKey_ = keyIndex;
    if (keyPanelControl_) keyPanelControl_->SetVisible(true);
    if (keyPanel_ && keyIndex >= 0 && static_cast<size_t>(keyIndex) < keyList_.size())
        keyPanel_->ShowKey(keyList_[keyIndex]);
}

void CTorvanelKeyboardDevice::FeedAudioSpectrum(const uint8_t* bands, int count) {
    if (bands && count > 0) keyboardRenderer_->FeedAudioSpectrum({bands, static_cast<size_t>(count)}, count);
}

void CTorvanelKeyboardDevice::FeedAudioPeaks(const uint32_t* values, int count) {
    if (values && count > 0) keyboardRenderer_->FeedAudioPeaks({values, static_cast<size_t>(count)}, count);
}

void CTorvanelKeyboardDevice::SetSystemStages(const std::array<uint32_t, 4>& words) {
    systemStages_ = KeyboardSystemStages::FromWords(words);
    profile_.SetSystemStages(words);
}

void CTorvanelKeyboardDevice::ShowFunctionPage(int page) {
    CTorvanelUSBDevice::ShowFunctionPage(page);
    if (page != 1 && page != 2) return;
    for (int key : kFixedKeys) {
        if (CDeviceKeyButtonUI* button = KeyButton(key)) button->SetEnabled(page == 1);
    }
}

void RegisterKeyboardControls() {
    auto* factory = DuiLib::CControlFactory::GetInstance();
    factory->RegistControl(CTorvanelKeyboardDevice::kClassName, [] { return new CTorvanelKeyboardDevice(); });
    factory->RegistControl(CDeviceKeyButtonUI::kClassName, [] { return new CDeviceKeyButtonUI(); });
}
