#pragma once
// The mouse's wire formats as pure functions: the settings page, the button slot map and the
// recoil upload image. The engine builds them; the tests check them byte for byte.
#include <array>
#include <cstdint>
#include <vector>

#include "store/MacroEvent.h"
#include "store/ProfileRecords.h"

inline constexpr size_t kMouseSettingsPageBytes = 71;
inline constexpr uint32_t kMouseSettingsWriteBytes = 66;
inline constexpr uint32_t kMouseSettingsPageStride = 128;
inline constexpr int kMouseLogicalButtons = 10;
inline constexpr uint32_t kNoButtonSlot = 126;
inline constexpr int kMouseDpiStages = 5;
inline constexpr size_t kMouseStageRecordBytes = 9;
inline constexpr uint16_t kMaxButtonTableBytes = 512;

// Factory code of each logical button, high byte first.
inline constexpr std::array<KeyAssignment, kMouseLogicalButtons> kMouseButtonDefaults = {{
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00}, {0x10, 0x08, 0x00},
    {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00}, {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01},
}};

using MouseSettingsPage = std::array<uint8_t, kMouseSettingsPageBytes>;
using ButtonSlotMap = std::array<uint32_t, kMouseLogicalButtons>;

struct MouseSettingsInput {
    LightInfoRecord light;
    uint8_t reportRate = 0;
    uint8_t activeStage = 0;
    std::vector<DpiStage> stages;
    std::vector<CorrectionEntry> corrections;
    uint16_t screenWidth = 0;
    uint16_t screenHeight = 0;
    uint8_t profileByte = 0;
    uint8_t flagByte = 1;
};

// The page as written (bytes 66..70 stay 0; only the first 66 go to the mouse). The speed is as
// the profile holds it: the caller inverts it for the receiver.
MouseSettingsPage BuildMouseSettingsPage(const MouseSettingsInput& input);

// Entry j: the first table position whose three bytes are logical button j's factory code, else 126.
ButtonSlotMap BuildButtonSlotMap(const std::vector<uint8_t>& table);

// The table with every mapped logical button that the list has an entry for set to its assignment.
std::vector<uint8_t> ApplyButtonAssignments(std::vector<uint8_t> table, const ButtonSlotMap& map,
                                            const std::vector<KeyListEntry>& keys);

// The upload image of the recoil patterns, in order (a missing pattern is an empty list).
std::vector<uint8_t> BuildShootUploadImage(const std::vector<std::vector<MacroEventRecord>>& patterns);

// Frame interval of the preview by speed 0..4, in counter steps; speeds beyond take the last.
uint32_t MousePreviewInterval(unsigned speed);
