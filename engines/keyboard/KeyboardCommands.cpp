// Read-all: device information, both key tables and the key maps built from them.
#include <cstring>

#include "engines/keyboard/KeyCodeTables.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"

int CTorvanelKeyboardDevice::ReadAll() {
    if (!commandChannel_.IsConnected()) return 0;
    commandChannel_.BeginConfig();
    std::array<uint8_t, 34> info{};
    if (commandChannel_.ReadDeviceInfo(info.data()) == 1) deviceInfo_ = info;
    const size_t keys = deviceInfo_[5];
    // A key table larger than a block leaves the old tables and maps in force.
    if (commandChannel_.SetBlockSize(static_cast<uint16_t>(keys * 3)) != 1) return 0;
    std::array<uint8_t, 512> keyTable{};
    std::array<uint8_t, 512> lightTable{};
    const bool keysRead = commandChannel_.ReadKeyTable(keyTable.data()) == 1;
    const bool lightsRead = commandChannel_.ReadKeyTable2(lightTable.data()) == 1;
    commandChannel_.EndConfig();
    if (keysRead) deviceKeyTable_ = keyTable;
    if (lightsRead) deviceLightTable_ = lightTable;
    BuildKeyMaps();
    return keysRead && lightsRead ? 1 : 0;
}

void CTorvanelKeyboardDevice::BuildKeyMaps() {
    const int keys = deviceInfo_[5];
    auto& toPosition = keyMaps_[0];
    auto& toLight = keyMaps_[1];
    toPosition.clear();
    toLight.clear();
    for (int k = 0; k < keys; ++k) toPosition[k] = toLight[k] = kNoKeyPosition;
    for (int k = 0; k < static_cast<int>(kFactoryKeyRows); ++k) {
        for (int p = 0; p < keys; ++p) {
            if (std::memcmp(&deviceKeyTable_[3 * p], kFactoryKeyTable[k].data(), 3) == 0) {
                toPosition[k] = p;
                break;
            }
        }
    }
    for (int k = 0; k < keys; ++k) {
        if (toPosition[k] != kNoKeyPosition) toLight[k] = deviceLightTable_[toPosition[k]];
    }
    keyboardRenderer_->SetKeyMaps(toPosition, toLight, static_cast<size_t>(keys));
}
