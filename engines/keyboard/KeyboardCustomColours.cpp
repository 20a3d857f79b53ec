// Custom per-key colours (effect 20): kept per group in the profile, written as one frame.
#include "engines/keyboard/TorvanelKeyboardDevice.h"

namespace {

constexpr uint8_t kCustomEffect = 20;
constexpr uint32_t kCustomSlotStride = 512;
constexpr size_t kPoints = 170;

}  // namespace

int CTorvanelKeyboardDevice::WriteCustomColours() {
    // Like every device operation, nothing is tried without a connection; a failed write is
    // reported, never waited out on the UI thread.
    if (!commandChannel_.IsConnected() || renderer_->StateByte(kStateEffect) != kCustomEffect) return 0;
    const DeviceLightFrame frame = keyboardRenderer_->CustomColourFrame();
    const int result = commandChannel_.WriteCustomLight(frame.bytes.data(), static_cast<uint32_t>(frame.length),
                                                        renderer_->StateByte(kStateCustomGroup), kCustomSlotStride);
    return result == 1 ? 1 : 0;
}

void CTorvanelKeyboardDevice::SetCustomGroup(int group) {
    if (ILightingPanel* panel = LightingPanel()) panel->ShowCustomGroup(group);
    profile_.SetCustomLightGroup(group);
    renderer_->SetStateByte(kStateCustomGroup, static_cast<uint8_t>(group));
    SaveProfile();
}

void CTorvanelKeyboardDevice::ReloadCustomColours() {
    const int group = profile_.GetCustomLightGroup();
    const auto colours = profile_.GetCustomLightColors(group, LightCount());
    for (size_t i = 0; i < colours.size(); ++i) {
        const CustomLightColor& c = colours[i];
        renderer_->SetLightValue(static_cast<int>(i), LightRecord{c.Red, c.Green, c.Blue, c.Alpha}.Pack());
    }
    WriteCustomColours();
}

void CTorvanelKeyboardDevice::LoadCustomColours() {
    ReloadCustomColours();
    if (ILightingPanel* panel = LightingPanel()) panel->ShowCustomGroup(profile_.GetCustomLightGroup());
}

namespace {

std::vector<CustomLightColor> FrameColours(const CLightRenderer& renderer) {
    std::vector<CustomLightColor> colours(renderer.LightCount());
    for (size_t i = 0; i < colours.size(); ++i) {
        const LightRecord r = renderer.Frame().Record(i);
        colours[i] = {r.red, r.green, r.blue, r.factor};
    }
    return colours;
}

}  // namespace

void CTorvanelKeyboardDevice::FillCustomColours(bool on) {
    const LightRecord record = on ? LightRecord{renderer_->StateByte(kStateRed), renderer_->StateByte(kStateGreen),
                                                renderer_->StateByte(kStateBlue), 255}
                                  : LightRecord{};
    for (size_t i = 0; i < kPoints; ++i) renderer_->SetLightValue(static_cast<int>(i), record.Pack());
    WriteCustomColours();
    ILightingPanel* panel = LightingPanel();
    if (panel && panel->SelectedCustomGroup() >= 0) {
        profile_.SetCustomLightColors(FrameColours(*renderer_), panel->SelectedCustomGroup());
        SaveProfile();
    }
}

void CTorvanelKeyboardDevice::PaintCustomKey(int lightIndex) {
    if (renderer_->StateByte(kStateEffect) != kCustomEffect) return;
    renderer_->SetLightValue(lightIndex, LightRecord{renderer_->StateByte(kStateRed), renderer_->StateByte(kStateGreen),
                                                     renderer_->StateByte(kStateBlue), 255}
                                             .Pack());
    ILightingPanel* panel = LightingPanel();
    if (panel && panel->SelectedCustomGroup() >= 0) {
        profile_.SetCustomLightColors(FrameColours(*renderer_), panel->SelectedCustomGroup());
        SaveProfile();
    }
    if (!ThroughReceiver()) WriteCustomColours();
}
