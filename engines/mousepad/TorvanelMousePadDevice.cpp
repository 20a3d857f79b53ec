#include "engines/mousepad/TorvanelMousePadDevice.h"

#include "toolkit/ControlFactory.h"
#include "engines/device/DeviceKeyButton.h"
#include "engines/lighting/LightFramePush.h"
#include "platform/DebugOutput.h"

namespace {
constexpr const char* kKeyPicture = "mousepad_device_key_light";
}  // namespace

CTorvanelMousePadDevice::CTorvanelMousePadDevice() : CTorvanelLitAccessoryDevice(WaveStyle::Pad, kKindMousePad) {
    profile_.SetDefaultPath(DefaultProfilePath());
}

CTorvanelMousePadDevice::~CTorvanelMousePadDevice() {
    StopPreview();
    CloseEventInterface();
}

std::string CTorvanelMousePadDevice::GetClass() const { return kClassName; }

void* CTorvanelMousePadDevice::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CTorvanelUSBDevice::GetInterface(name);
}

void CTorvanelMousePadDevice::BindPage() { BindAccessoryPage(kKeyPicture); }

void CTorvanelMousePadDevice::OnConnected() {
    if (commandChannel_.IsConnected()) {
        commandChannel_.BeginConfig();
        commandChannel_.ReadDeviceInfo(deviceInfo_.data());
        commandChannel_.EndConfig();
    }
    LoadProfile();
    RefreshPage();
    StartPreview();
}

int CTorvanelMousePadDevice::LoadProfile() {
    SetSavePaths();
    profile_.LoadSection(profile_.GetProfilePath());
    ApplyLighting();
    return 1;
}

void CTorvanelMousePadDevice::RefreshPage() {
    LoadLists();
    if (ILightingPanel* panel = LightingPanel()) panel->ShowLightState(GetLightState());
}

void CTorvanelMousePadDevice::SetModelIndex(int index) {
    CTorvanelUSBDevice::SetModelIndex(index);
    profile_.SetDeviceIndex(0);
}

void CTorvanelMousePadDevice::OnOtherEvent(uint16_t) { DebugOutput(kAccessorySyncTestLine); }

int CTorvanelMousePadDevice::StreamCurrentFrame() {
    // Runs on the preview thread right after it rendered the frame.
    const DeviceLightFrame frame = BuildPointFrame(Renderer().Frame());
    return commandChannel_.StreamLightFrame(frame.bytes.data(), static_cast<uint32_t>(frame.length));
}

void RegisterMousePadControls() {
    auto* factory = DuiLib::CControlFactory::GetInstance();
    factory->RegistControl(CTorvanelMousePadDevice::kClassName, [] { return new CTorvanelMousePadDevice(); });
    factory->RegistControl(CDeviceKeyButtonUI::kClassName, [] { return new CDeviceKeyButtonUI(); });
}
