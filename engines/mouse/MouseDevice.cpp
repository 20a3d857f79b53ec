// Life cycle, profile, the preview thread and the base operations the mouse replaces.
#include "engines/mouse/TorvanelMouseDevice.h"

#include "toolkit/Container.h"
#include "toolkit/ControlFactory.h"
#include "engines/device/DeviceKeyButton.h"
#include "platform/DebugOutput.h"
#include "store/LightingFiles.h"
#include "store/MacroLibrary.h"

namespace {

constexpr uint32_t kPreviewStopMs = 1000;
constexpr uint32_t kClosedChannelPauseMs = 100;

std::unique_ptr<CMousePreviewRenderer> MakeRenderer(CMousePreviewRenderer*& keep) {
    auto renderer = std::make_unique<CMousePreviewRenderer>();
    keep = renderer.get();
    return renderer;
}

}  // namespace

CTorvanelMouseDevice::CTorvanelMouseDevice() : CTorvanelUSBDevice(MakeRenderer(previewRenderer_)) {
    connectionKind_ = kKindMouse;
    listeners_[0].kind = kKindMouse;
    listeners_[1].kind = kKindMouseViaReceiver;
    slotMap_.fill(kNoButtonSlot);
    profile_.SetDeviceIndex(0);
}

CTorvanelMouseDevice::~CTorvanelMouseDevice() {
    StopPreview();
    StopListeners();
}

std::string CTorvanelMouseDevice::GetClass() const { return kClassName; }

void* CTorvanelMouseDevice::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CTorvanelUSBDevice::GetInterface(name);
}

void CTorvanelMouseDevice::SetSavePaths() {
    const std::string folder = UserDataFolder();
    profile_.SetDefaultPath(DefaultProfilePath());
    profile_.SetProfilePath(folder + profileId_ + ".Json");
    profile_.SetLightConfigPath(
        LightConfigPath(folder, defaultLightingName_.empty() ? "nuvex_light" : defaultLightingName_));
}

int CTorvanelMouseDevice::LoadProfile() {
    SetSavePaths();
    profile_.LoadSection(profile_.GetProfilePath());
    keyList_ = profile_.GetKeyList();
    dpiStages_ = profile_.GetDpiStages();
    systemStages_ = MouseSystemStages::FromWords(profile_.GetSystemStages());
    ApplyLighting();
    return 1;
}

void CTorvanelMouseDevice::RestoreDefaults() {
    profile_.LoadSection(DefaultProfilePath());
    keyList_ = profile_.GetKeyList();
    dpiStages_ = profile_.GetDpiStages();
    systemStages_ = MouseSystemStages::FromWords(profile_.GetSystemStages());
    ApplyLighting();
    SaveProfile();
    RefreshPage();
}

int CTorvanelMouseDevice::ApplyLighting() {
    const uint8_t shown = renderer_->StateByte(kStateEffect);
    const LightInfoRecord light = profile_.GetLightInfo();
    renderer_->SetLightState(light);
    if (light.SelectItem != shown) previewRenderer_->Restart();
    RebuildButtonList();
    profile_.LoadLightConfig(profile_.GetLightConfigPath());
    previewRenderer_->SetUserEffect(profile_.GetLedEffects());
    return 1;
}

void CTorvanelMouseDevice::SetLightState(const std::array<uint32_t, 4>& words) {
    const uint8_t shown = renderer_->StateByte(kStateEffect);
    renderer_->SetLightState(words);
    profile_.SetLightInfo(LightInfoRecord::FromWords({words[0], words[1], words[2], static_cast<uint16_t>(words[3])}));
    if (renderer_->StateByte(kStateEffect) != shown) {
        previewRenderer_->Restart();
        profile_.LoadLightConfig(profile_.GetLightConfigPath());
        previewRenderer_->SetUserEffect(profile_.GetLedEffects());
    }
}

void CTorvanelMouseDevice::SetModelIndex(int index) {
    CTorvanelUSBDevice::SetModelIndex(index);
    profile_.SetDeviceIndex(0);
}

void CTorvanelMouseDevice::PushFrame() { CTorvanelUSBDevice::PushFrame(); }

void CTorvanelMouseDevice::ClearReactive() { renderer_->ClearReactive(); }

void CTorvanelMouseDevice::ShowFunctionPage(int page) {
    CTorvanelUSBDevice::ShowFunctionPage(page);
    // The pointer settings have one panel for both connections.
    if (page == 4 && functionSwitch_) functionSwitch_->SelectItem(3);
    if (CControlUI* tip = FindPageControl("device_tishi_info")) tip->SetVisible(false);
}

void CTorvanelMouseDevice::SelectKey(int keyIndex) {
    selectedKey_ = keyIndex;
    if (keyPanelControl_) keyPanelControl_->SetVisible(true);
    if (keyPanel_ && keyIndex >= 0 && static_cast<size_t>(keyIndex) < keyList_.size())
        keyPanel_->ShowKey(keyList_[keyIndex]);
}

void CTorvanelMouseDevice::ValidateMacroKeys() {
    const size_t macros = ReadMacroLibrary(UserDataFolder() + "macro.config").size();
    bool changed = false;
    for (KeyListEntry& entry : keyList_) {
        const uint8_t type = entry.assignment[0];
        if ((type == 0x70 || type == 0x71) && entry.assignment[1] >= macros) {
            entry.assignment = entry.defaultAssignment;
            changed = true;
        }
    }
    if (!changed) return;
    profile_.SetKeyList(keyList_);
    SaveProfile();
    RebuildButtonList();
}

int CTorvanelMouseDevice::WriteOwnKeyAssignments(int bank) { return WriteKeyAssignments(bank, profile_.GetKeyList()); }

void CTorvanelMouseDevice::SetSystemSettings(const std::array<uint32_t, 3>& words) {
    systemStages_ = MouseSystemStages::FromWords(words);
    profile_.SetSystemStages(words);
}

void CTorvanelMouseDevice::SetDpiStages(const std::vector<DpiStage>& stages) {
    dpiStages_ = stages;
    profile_.SetDpiStages(stages);
}

// The preview only paints the page: it computes a frame when one is due and someone looks at
// the zones, and otherwise sleeps until a setting or a consumer changes.
void CTorvanelMouseDevice::StartPreview() {
    StopPreview();
    previewThread_.Start(this, [this](const WorkerArgs& args) { PreviewBody(args); }, kPreviewStopMs);
}

void CTorvanelMouseDevice::StopPreview() {
    if (previewThread_.Running()) previewThread_.Stop(kPreviewStopMs);
}

void CTorvanelMouseDevice::PreviewBody(const WorkerArgs& args) {
    ::Event& wake = previewRenderer_->WakeSignal();
    bool running = true;
    while (running) {
        uint32_t wait = INFINITE;
        if (!commandChannel_.IsConnected() || commandChannel_.IsStreamPaused()) {
            wait = kClosedChannelPauseMs;
        } else if (renderer_->IsFrameConsumed(CLightRenderer::FrameConsumer::Picture) ||
                   renderer_->IsFrameConsumed(CLightRenderer::FrameConsumer::SharedLighting)) {
            const uint32_t next = previewRenderer_->RenderNext();
            if (next > 0) wait = next;
        }
        running = WorkerSleep(args, wake, wait);
    }
    DebugOutput(kMousePreviewExitLine);
}

void RegisterMouseControls() {
    auto* factory = DuiLib::CControlFactory::GetInstance();
    factory->RegistControl(CTorvanelMouseDevice::kClassName, [] { return new CTorvanelMouseDevice(); });
    factory->RegistControl(CDeviceKeyButtonUI::kClassName, [] { return new CDeviceKeyButtonUI(); });
}
