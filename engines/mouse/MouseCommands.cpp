// The mouse's command sequences: start-up, the settings page both ways, the button table and the
// recoil upload. Each stops at the first failed precondition and leaves the engine as it was.
#include "engines/mouse/TorvanelMouseDevice.h"

#include <algorithm>
#include <cstring>

#include "toolkit/Slider.h"
#include "store/ShootData.h"

namespace {
constexpr uint32_t kDeviceProfileAddress = 0;
constexpr uint8_t kSpeedLevels = 4;
// A byte beyond the levels counts as the last level.
uint8_t InvertedSpeed(uint8_t speed) { return static_cast<uint8_t>(kSpeedLevels - std::min(speed, kSpeedLevels)); }
}  // namespace

bool CTorvanelMouseDevice::LinkReady() { return !ThroughReceiver() || commandChannel_.QueryReceiverLink() == 1; }

int CTorvanelMouseDevice::CheckReceiverLink() {
    return commandChannel_.IsConnected() && ThroughReceiver() && commandChannel_.QueryReceiverLink() == 1 ? 1 : 0;
}

void CTorvanelMouseDevice::OnConnected() {
    auto readDevice = [this] {
        if (!commandChannel_.IsConnected() || !LinkReady()) return;
        commandChannel_.BeginConfig();
        std::array<uint8_t, 34> info{};
        if (commandChannel_.ReadDeviceInfo(info.data()) != 1) return;
        deviceInfo_ = info;
        const uint32_t tableBytes = static_cast<uint32_t>(info[5]) * 3;
        if (tableBytes > kMaxButtonTableBytes || commandChannel_.SetBlockSize(static_cast<uint16_t>(tableBytes)) != 1)
            return;
        std::vector<uint8_t> table(tableBytes);
        if (commandChannel_.ReadKeyTable(table.data()) != 1) return;
        buttonTable_ = std::move(table);
        commandChannel_.EndConfig();
        slotMap_ = BuildButtonSlotMap(buttonTable_);
        slotMapBuilt_ = true;
        for (int i = 0; i < kMouseDpiStages; ++i) {
            if (DuiLib::CSliderUI* slider = Slider("DPI_slider_" + std::to_string(i))) {
                slider->SetMinValue(0);
                slider->SetMaxValue(HighestDpiSteps());
            }
        }
    };
    readDevice();
    LoadProfile();
    RefreshPage();
    StartPreview();
    WakeFrameTimer();
}

int CTorvanelMouseDevice::ReadDeviceSettings() {
    commandChannel_.SetStreamPaused(false);
    if (!commandChannel_.IsConnected()) return -1;
    if (!LinkReady()) return -1;
    uint8_t profile = 0;
    if (commandChannel_.ReadParams(&profile, 1, kDeviceProfileAddress) != 1) return -1;
    MouseSettingsPage page{};
    if (commandChannel_.ReadParams(page.data(), kMouseSettingsPageBytes, profile * kMouseSettingsPageStride) != 1)
        return -1;
    page[0] = profile;
    page[9] = 0;
    settingsCache_ = page;
    deviceProfile_.store(profile);
    cachedActiveStage_.store(page[12]);
    LightInfoRecord light = profile_.GetLightInfo();
    light.SelectItem = page[1];
    light.Light = page[2];
    // The receiver inverts the speed both ways; on the cable it goes out unchanged, so it is read so.
    light.Speed = ThroughReceiver() ? InvertedSpeed(page[3]) : page[3];
    light.MultiColor = page[5];
    light.Red = page[6];
    light.Green = page[7];
    light.Blue = page[8];
    renderer_->SetLightState(light);
    profile_.SetActiveDpiStage(page[12]);
    profile_.SetLightInfo(light);
    SaveProfile();
    return profile;
}

void CTorvanelMouseDevice::ReloadLighting() {
    if (ReadDeviceSettings() < 0) return;
    ApplyLighting();
    RefreshPage();
}

int CTorvanelMouseDevice::WriteDeviceSettings(int page, uint8_t profileByte, uint8_t flagByte, int screenWidth,
                                              int screenHeight) {
    MouseSettingsInput input;
    input.light = profile_.GetLightInfo();
    input.reportRate = static_cast<uint8_t>(systemStages_.ReportRate);
    input.activeStage = static_cast<uint8_t>(profile_.GetActiveDpiStage());
    input.stages = dpiStages_;
    input.corrections = profile_.GetCorrectInfo();
    input.screenWidth = static_cast<uint16_t>(screenWidth);
    input.screenHeight = static_cast<uint16_t>(screenHeight);
    input.profileByte = profileByte;
    input.flagByte = flagByte;
    MouseSettingsPage bytes = BuildMouseSettingsPage(input);
    if (!commandChannel_.IsConnected() || !LinkReady()) return 0;
    commandChannel_.BeginConfig();
    if (ThroughReceiver()) {
        bytes[3] = InvertedSpeed(bytes[3]);
        if (!LinkReady()) return 0;
    }
    commandChannel_.WriteParams(bytes.data(), kMouseSettingsWriteBytes, static_cast<uint32_t>(page) * kMouseSettingsPageStride);
    if (!LinkReady()) return 0;
    commandChannel_.EndConfig();
    return 1;
}

int CTorvanelMouseDevice::WriteLightParams(int /*profile*/, int /*value*/, int /*flag*/, int width, int height) {
    // Callers that know the screen pass it; page edits use the size taken when the window started.
    if (width > 0 && height > 0) SetScreenSize(width, height);
    return WriteDeviceSettings(0, 0, 1, screenWidth_, screenHeight_);
}

int CTorvanelMouseDevice::WriteKeyAssignments(int bank, const std::vector<KeyListEntry>& keys) {
    if (!commandChannel_.IsConnected() || !LinkReady()) return 0;
    std::array<uint8_t, 34> info{};
    if (commandChannel_.ReadDeviceInfo(info.data()) != 1) return 0;
    deviceInfo_ = info;
    if (!slotMapBuilt_ || buttonTable_.empty()) return 0;  // the start-up read failed: nothing to edit
    const std::vector<uint8_t> table = ApplyButtonAssignments(buttonTable_, slotMap_, keys);
    if (!LinkReady()) return 0;
    commandChannel_.BeginConfig();
    if (!LinkReady()) return 0;
    commandChannel_.WriteKeyTable(table.data(), bank);
    if (!LinkReady()) return 0;
    commandChannel_.EndConfig();
    return 1;
}

int CTorvanelMouseDevice::UploadRecoilPatterns() {
    const bool open = commandChannel_.IsConnected();
    if (open) {
        if (!LinkReady()) return 0;
        std::array<uint8_t, 34> info{};
        if (commandChannel_.ReadDeviceInfo(info.data()) == 1) deviceInfo_ = info;
    }
    CShootData guns;
    guns.SetShootFolder(UserDataFolder());
    std::vector<std::vector<MacroEventRecord>> patterns;
    for (int gun = 0; gun < kShootGunCount; ++gun) patterns.push_back(guns.GunRecords(gun));
    const std::vector<uint8_t> image = BuildShootUploadImage(patterns);
    if (!open) return 0;
    if (!LinkReady()) return 0;
    commandChannel_.BeginConfig();
    if (!LinkReady()) return 0;
    commandChannel_.WriteShootData(image.data(), static_cast<uint32_t>(image.size()));
    if (!LinkReady()) return 0;
    commandChannel_.EndConfig();
    return 1;
}
