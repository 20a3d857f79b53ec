#include "engines/mouse/MouseTables.h"

#include <algorithm>
#include <cstring>

namespace {
void PutLe16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}
constexpr uint32_t kShootMagic = 0x55AA;
constexpr size_t kShootHeaderBytes = 16;
constexpr size_t kShootPatternHeaderBytes = 4;
constexpr size_t kShootEventBytes = 4;
constexpr std::array<uint32_t, 5> kPreviewIntervals = {28, 23, 18, 13, 7};
}  // namespace

MouseSettingsPage BuildMouseSettingsPage(const MouseSettingsInput& input) {
    MouseSettingsPage page{};
    const LightInfoRecord& light = input.light;
    page[0] = input.profileByte;
    page[1] = light.SelectItem >= 9 ? 0 : light.SelectItem;
    page[2] = light.Light;
    page[3] = light.Speed;
    page[4] = light.Fx;
    page[5] = light.MultiColor;
    page[6] = light.Red;
    page[7] = light.Green;
    page[8] = light.Blue;
    page[11] = input.reportRate;
    page[12] = input.activeStage;
    const size_t stages = std::min<size_t>(input.stages.size(), kMouseDpiStages);
    for (size_t i = 0; i < stages; ++i)
        std::memcpy(page.data() + 14 + kMouseStageRecordBytes * i, &input.stages[i], kMouseStageRecordBytes);
    page[59] = input.flagByte;
    PutLe16(page.data() + 60, input.screenWidth);
    PutLe16(page.data() + 62, input.screenHeight);
    for (const CorrectionEntry& entry : input.corrections) {
        if (entry.CorrectSelect == 0) continue;
        page[64] = entry.CorrectMinSq;
        page[65] = entry.CorrectPixThresh;
        break;
    }
    return page;
}

ButtonSlotMap BuildButtonSlotMap(const std::vector<uint8_t>& table) {
    ButtonSlotMap map;
    map.fill(kNoButtonSlot);
    const size_t slots = table.size() / 3;
    for (int j = 0; j < kMouseLogicalButtons; ++j) {
        for (size_t k = 0; k < slots; ++k) {
            if (std::equal(kMouseButtonDefaults[j].begin(), kMouseButtonDefaults[j].end(), table.begin() + 3 * k)) {
                map[j] = static_cast<uint32_t>(k);
                break;
            }
        }
    }
    return map;
}

std::vector<uint8_t> ApplyButtonAssignments(std::vector<uint8_t> table, const ButtonSlotMap& map,
                                            const std::vector<KeyListEntry>& keys) {
    for (size_t j = 0; j < map.size() && j < keys.size(); ++j) {
        const size_t at = static_cast<size_t>(map[j]) * 3;
        if (map[j] == kNoButtonSlot || at + 3 > table.size()) continue;
        std::copy(keys[j].assignment.begin(), keys[j].assignment.end(), table.begin() + static_cast<long>(at));
    }
    return table;
}

std::vector<uint8_t> BuildShootUploadImage(const std::vector<std::vector<MacroEventRecord>>& patterns) {
    size_t length = kShootHeaderBytes + 2 * patterns.size();
    for (const auto& pattern : patterns) length += kShootPatternHeaderBytes + kShootEventBytes * pattern.size();
    std::vector<uint8_t> image(length, 0);
    PutLe16(image.data(), kShootMagic);
    PutLe16(image.data() + 2, static_cast<uint32_t>(length));
    PutLe16(image.data() + 4, static_cast<uint32_t>(patterns.size()));
    size_t at = kShootHeaderBytes + 2 * patterns.size();
    for (size_t i = 0; i < patterns.size(); ++i) {
        PutLe16(image.data() + kShootHeaderBytes + 2 * i, static_cast<uint32_t>(at));
        PutLe16(image.data() + at, static_cast<uint32_t>(patterns[i].size()));
        at += kShootPatternHeaderBytes;
        for (const MacroEventRecord& event : patterns[i]) {
            std::copy(event.bytes.begin(), event.bytes.end(), image.begin() + static_cast<long>(at));
            at += kShootEventBytes;
        }
    }
    return image;
}

uint32_t MousePreviewInterval(unsigned speed) {
    return kPreviewIntervals[std::min<size_t>(speed, kPreviewIntervals.size() - 1)];
}
