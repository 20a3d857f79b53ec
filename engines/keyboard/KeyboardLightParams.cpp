// The 28-byte lighting parameter record of a device profile, read and written. It also carries
// the keyboard's system switches.
#include "engines/keyboard/TorvanelKeyboardDevice.h"

namespace {

enum ParamByte : size_t {
    kParamProfile = 0, kParamMode = 1, kParamBrightness = 2, kParamSpeed = 3, kParamDirection = 4,
    kParamMultiColour = 5, kParamRed = 6, kParamGreen = 7, kParamBlue = 8, kParamCleared = 16,
    kParamAuxMode = 18, kParamWFlag = 19, kParamKey6Flag = 20, kParamWinFlag = 21, kParamPollingRate = 22,
    kParamCustomGroup = 25, kParamModeFlag = 27,
};

constexpr uint8_t kTopSpeed = 4;
// Effects the program renders itself: the device is told to keep showing streamed frames.
constexpr bool IsStreamedEffect(int effect) { return effect == 26 || effect == 27; }
// Stored inverted on the device; out-of-range values are clamped rather than wrapped.
constexpr uint8_t InvertSpeed(uint8_t value) { return value > kTopSpeed ? 0 : static_cast<uint8_t>(kTopSpeed - value); }

}  // namespace

bool CTorvanelKeyboardDevice::ReadParamRecord() {
    if (!commandChannel_.IsConnected()) return false;
    uint8_t profile = 0;
    std::array<uint8_t, kLightParamsBytes> record{};
    if (commandChannel_.ReadParams(&profile, 1, 0) != 1 ||
        commandChannel_.ReadParams(record.data(), kLightParamsBytes, profile * kProfileRecordStride) != 1)
        return false;
    record[kParamProfile] = profile;
    record[kParamCleared] = 0;
    lightParams_ = record;
    workingProfile_ = profile;
    return true;
}

void CTorvanelKeyboardDevice::ReadLightParams() {
    commandChannel_.SetStreamPaused(false);
    const uint8_t previous = renderer_->StateByte(kStateEffect);
    LightInfoRecord light = profile_.GetLightInfo();
    if (ReadParamRecord()) {
        const auto& record = lightParams_;
        light.SelectItem = previous;
        if (record[kParamMode] != kKeepEffectCode) {
            for (size_t i = 0; i < effectCodes_.size(); ++i) {
                if (effectCodes_[i] == record[kParamMode]) {
                    light.SelectItem = static_cast<uint8_t>(i);
                    break;
                }
            }
        }
        light.Light = record[kParamBrightness];
        light.Speed = InvertSpeed(record[kParamSpeed]);
        light.Fx = record[kParamDirection];
        light.MultiColor = record[kParamMultiColour];
        light.Red = record[kParamRed];
        light.Green = record[kParamGreen];
        light.Blue = record[kParamBlue];
        light.ZZCCLedMode = record[kParamAuxMode];
        light.CustomGroup = record[kParamCustomGroup];
        systemStages_.WFlag = record[kParamWFlag];
        systemStages_.Key6Flag = record[kParamKey6Flag];
        systemStages_.WinFlag = record[kParamWinFlag];
        systemStages_.ModeFlag = record[kParamModeFlag];
    }
    renderer_->SetLightState(light);
    EnterEffectIfChanged(previous, light.SelectItem);
    profile_.SetSystemStages(systemStages_.ToWords());
    profile_.SetLightInfo(light);
    SaveProfile();
}

std::array<uint8_t, kLightParamsBytes> CTorvanelKeyboardDevice::BuildLightParams(int value) {
    const KeyboardSystemStages stages = KeyboardSystemStages::FromWords(profile_.GetSystemStages());
    const LightInfoRecord light = profile_.GetLightInfo();
    std::array<uint8_t, kLightParamsBytes> record{};
    record[kParamProfile] = static_cast<uint8_t>(value);
    if (IsStreamedEffect(light.SelectItem)) {
        record[kParamMode] = kKeepEffectCode;
    } else if (light.SelectItem < effectCodes_.size()) {
        record[kParamMode] = static_cast<uint8_t>(effectCodes_[light.SelectItem]);
    } else {
        record[kParamMode] = light.SelectItem;
    }
    record[kParamBrightness] = light.Light;
    record[kParamSpeed] = InvertSpeed(light.Speed);
    record[kParamDirection] = light.Fx;
    record[kParamMultiColour] = light.MultiColor;
    record[kParamRed] = light.Red;
    record[kParamGreen] = light.Green;
    record[kParamBlue] = light.Blue;
    record[kParamAuxMode] = light.ZZCCLedMode;
    record[kParamWFlag] = static_cast<uint8_t>(stages.WFlag);
    record[kParamKey6Flag] = static_cast<uint8_t>(stages.Key6Flag);
    record[kParamWinFlag] = static_cast<uint8_t>(stages.WinFlag);
    record[kParamPollingRate] = static_cast<uint8_t>(stages.PollingRate);
    record[kParamCustomGroup] = light.CustomGroup;
    record[kParamModeFlag] = static_cast<uint8_t>(stages.ModeFlag);
    return record;
}

int CTorvanelKeyboardDevice::WriteLightParams(int profile, int value, int, int, int) {
    const auto record = BuildLightParams(value);
    if (commandChannel_.IsConnected()) {
        commandChannel_.BeginConfig();
        commandChannel_.WriteParams(record.data(), kLightParamsBytes, static_cast<uint32_t>(profile) * kProfileRecordStride);
        commandChannel_.EndConfig();
    }
    return 1;
}
