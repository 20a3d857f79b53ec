#include "engines/headset/LitAccessoryDevice.h"

#include "platform/DebugOutput.h"
#include "store/LightingFiles.h"
#include "store/MacroLibrary.h"

namespace {

// Bounded so that the listener sees its stop event within its stop time-out.
constexpr uint32_t kEventReadTimeoutMs = 50;
constexpr uint16_t kSyncRequest = 0x0401;

std::unique_ptr<CAccessoryLightRenderer> MakeRenderer(WaveStyle style, CAccessoryLightRenderer*& keep) {
    auto renderer = std::make_unique<CAccessoryLightRenderer>(style);
    keep = renderer.get();
    return renderer;
}

}  // namespace

CTorvanelLitAccessoryDevice::CTorvanelLitAccessoryDevice(WaveStyle style, int connectionKind)
    : CTorvanelUSBDevice(MakeRenderer(style, accessoryRenderer_)) {
    connectionKind_ = connectionKind;
}

CTorvanelLitAccessoryDevice::~CTorvanelLitAccessoryDevice() {
    accessoryRenderer_->StopPreview();
    CloseEventInterface();
}

void CTorvanelLitAccessoryDevice::BindAccessoryPage(const std::string& pictureName) {
    if (pageLayoutPath_.empty()) {
        CTorvanelUSBDevice::InitPage();
        return;
    }
    BindKeyButtons(pictureName, true, true);
    if (CControlUI* control = FindPageControl("DeviceProfileItem")) {
        if ((profilePanel_ = dynamic_cast<IProfilePanel*>(control)))
            profileId_ = profilePanel_->LoadProfiles(UserDataFolder(), DefaultProfilePath());
    }
    lightingPanelControl_ = FindPageControl("LightControlItem");
    if (ILightingPanel* panel = LightingPanel()) {
        LoadLists();
        panel->SetEffectLists(effectNames_, effectVisible_, areaEffectNames_, customLightNames_);
    }
}

int CTorvanelLitAccessoryDevice::ApplyLighting() {
    CBasicProfiledata& profile = LightProfile();
    const uint8_t previous = renderer_->StateByte(kStateEffect);
    const LightInfoRecord light = profile.GetLightInfo();
    renderer_->SetLightState(light);
    page_.TakeLightInfo(light);
    renderer_->SetAreaLights(profile.GetLightList());
    profile.LoadLightConfig(profile.GetLightConfigPath());
    accessoryRenderer_->SetUserFrames(profile.GetLedEffects());
    if (previous != light.SelectItem) accessoryRenderer_->EnterEffect(light.SelectItem);
    return 1;
}

void CTorvanelLitAccessoryDevice::SetLightState(const std::array<uint32_t, 4>& words) {
    const uint8_t previous = renderer_->StateByte(kStateEffect);
    renderer_->SetLightState(words);
    const LightInfoRecord light =
        LightInfoRecord::FromWords({words[0], words[1], words[2], static_cast<uint16_t>(words[3])});
    LightProfile().SetLightInfo(light);
    page_.TakeLightInfo(light);
    if (previous != light.SelectItem) accessoryRenderer_->EnterEffect(light.SelectItem);
}

void CTorvanelLitAccessoryDevice::PushFrame() {
    // The frame timer keeps the preview thread's view of the light-control switch current.
    const bool control = GetLightControl() != 0;
    if (streamingAllowed_.exchange(control) != control) accessoryRenderer_->Wake();
    // With the program not in control, neither the device nor the zone pictures change.
    if (!control) return;
    // The preview thread streams to the device; this shows the zones on the page.
    pageFrameToDevice_ = false;
    CTorvanelUSBDevice::PushFrame();
}

void CTorvanelLitAccessoryDevice::StartPreview() {
    PreviewLink link;
    link.connected = [this] { return commandChannel_.IsConnected(); };
    link.paused = [this] { return commandChannel_.IsStreamPaused(); };
    link.streaming = [this] { return streamingAllowed_.load(); };
    link.stream = [this] { StreamCurrentFrame(); };
    WakeFrameTimer();
    accessoryRenderer_->StartPreview(std::move(link));
}

void CTorvanelLitAccessoryDevice::ReloadLighting() {
    page_.Read(commandChannel_);
    SendToMainWindow(kMsgLightingReloaded, page_.ProfileIndex(), 0);
}

int CTorvanelLitAccessoryDevice::WriteLightParams(int page, int, int, int, int) {
    return page_.Write(commandChannel_, page);
}

void CTorvanelLitAccessoryDevice::RestoreDefaults() {
    LightProfile().LoadSection(DefaultProfilePath());
    ApplyLighting();
    SaveProfile();
    RefreshPage();
}

void CTorvanelLitAccessoryDevice::SetSavePaths() {
    CBasicProfiledata& profile = LightProfile();
    const std::string folder = UserDataFolder();
    profile.SetDefaultPath(DefaultProfilePath());
    profile.SetProfilePath(folder + profileId_ + ".Json");
    profile.SetLightConfigPath(
        LightConfigPath(folder, defaultLightingName_.empty() ? "nuvex_light" : defaultLightingName_));
}

void CTorvanelLitAccessoryDevice::LoadLists() {
    macroNames_.clear();
    for (const MacroInfoEntry& macro : ReadMacroLibrary(UserDataFolder() + "nuvex_macro.config"))
        macroNames_.push_back(macro.MacroName);
    const DefaultLightLists lists = ReadDefaultLightLists(DefaultLightFilePath(DefaultDataFolder()), modelIndex_);
    if (lists.hasEffects) {
        effectNames_.clear();
        effectVisible_.clear();
        for (const StockEffect& effect : lists.effects) {
            effectNames_.push_back(effect.LightName);
            effectVisible_.push_back(effect.visible ? 1 : 0);
        }
    }
    if (lists.hasAreaEffects) areaEffectNames_ = lists.areaEffectNames;
    bool present = false;
    const std::string configPath =
        LightProfile().GetLightConfigPath().empty() ? LightConfigPath(UserDataFolder()) : LightProfile().GetLightConfigPath();
    const auto custom = ReadCustomLightEntries(configPath, modelIndex_, &present);
    if (present) {
        customLightNames_.clear();
        for (const CustomLightEntry& entry : custom) customLightNames_.push_back(entry.LightName);
    }
}

int CTorvanelLitAccessoryDevice::OpenEventInterface(const std::string& path) {
    if (eventOpen_.load()) return 1;
    {
        CriticalSectionLock lock(eventLock_);
        if (eventRecord_.Open(path, 1, 1, 1, 0) != 1) return 0;
    }
    eventOpen_.store(true);
    listener_.Start(this, [this](const WorkerArgs& args) { ListenerBody(args); }, kAccessoryListenerStopMs);
    return 1;
}

void CTorvanelLitAccessoryDevice::CloseEventInterface() {
    if (listener_.Running()) listener_.Stop(kAccessoryListenerStopMs);
    CriticalSectionLock lock(eventLock_);
    eventOpen_.store(false);
    eventRecord_.Close();
}

void CTorvanelLitAccessoryDevice::ListenerBody(const WorkerArgs& args) {
    std::vector<uint8_t> report(64);
    while (WorkerKeepRunning(args)) {
        if (eventRecord_.InputReport.size() > report.size()) report.resize(eventRecord_.InputReport.size());
        uint32_t bytesRead = 0;
        if (eventRecord_.ReadReport(report.data(), static_cast<uint32_t>(report.size()), &bytesRead,
                                    kEventReadTimeoutMs) != 1)
            continue;
        std::vector<HidDataItem>& data = eventRecord_.InputData;
        if (eventRecord_.UnpackReport(report.data(), static_cast<uint16_t>(bytesRead), HidReportKind::Input, data) != 1 ||
            data.empty())
            continue;
        const uint16_t code = data[0].isButton ? (data[0].usages.empty() ? 0 : data[0].usages[0])
                                               : static_cast<uint16_t>(data[0].value);
        if (code == 0) continue;  // the release report that follows every event
        uiQueue_.Post([this, code] { OnEvent(code); });
    }
    DebugOutput(kAccessoryListenerExitLine);
}

void CTorvanelLitAccessoryDevice::OnEvent(uint16_t code) {
    if (code != kSyncRequest) {
        OnOtherEvent(code);
        return;
    }
    DebugOutput(kAccessorySyncTestLine);
    DebugOutput(kAccessorySyncLine);
    StartEntryTimer(kTimerReloadLighting, kAccessoryReloadDelayMs);
}
