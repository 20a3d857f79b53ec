#include "engines/headset/HeadsetSettingsPage.h"

#include <algorithm>

namespace {

constexpr size_t kEffect = 1, kBrightness = 2, kSpeed = 3, kColourMode = 5, kRed = 6, kGreen = 7, kBlue = 8;

uint8_t Inverted(uint8_t speed) { return static_cast<uint8_t>(kSpeedLevels - speed); }

}  // namespace

void CHeadsetSettingsPage::TakeLightInfo(const LightInfoRecord& light) {
    bytes_[kEffect] = light.SelectItem;
    bytes_[kBrightness] = light.Light;
    bytes_[kSpeed] = light.Speed;
    bytes_[kColourMode] = light.MultiColor;
    bytes_[kRed] = light.Red;
    bytes_[kGreen] = light.Green;
    bytes_[kBlue] = light.Blue;
}

void CHeadsetSettingsPage::Read(CCommandChannel& channel) {
    channel.SetStreamPaused(false);
    if (!channel.IsConnected()) {
        const uint8_t index = bytes_[0];
        bytes_.fill(0);
        bytes_[0] = index;
        bytes_[kSpeed] = kSpeedLevels;
        return;
    }
    uint8_t index = 0;
    channel.ReadParams(&index, 1, 0);
    std::array<uint8_t, kSettingsRecordBytes> record{};
    channel.ReadParams(record.data(), kSettingsRecordBytes, index * kSettingsRecordStride);
    std::copy_n(record.begin(), kSettingsPageBytes, bytes_.begin());
    bytes_[0] = index;
    bytes_[kSpeed] = Inverted(bytes_[kSpeed]);
}

int CHeadsetSettingsPage::Write(CCommandChannel& channel, int page) const {
    if (!channel.IsConnected()) return 1;
    Bytes sent = bytes_;
    sent[kSpeed] = Inverted(sent[kSpeed]);
    channel.BeginConfig();
    channel.WriteParams(sent.data(), kSettingsPageBytes, static_cast<uint32_t>(std::max(page, 0)) * kSettingsWriteStride);
    channel.EndConfig();
    return 1;
}
