// Key table and macro image uploads.
#include <algorithm>
#include <new>

#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "store/MacroLibrary.h"

namespace {

constexpr uint8_t kMacroRepeatType = 0x70;
constexpr uint8_t kMacroCountType = 0x71;
constexpr uint16_t kMacroImageMagic = 0x55AA;
constexpr size_t kMacroImageHeader = 16;
constexpr size_t kMacroUnitBytes = 128;

bool IsMacroCode(const KeyAssignment& code) { return code[0] == kMacroRepeatType || code[0] == kMacroCountType; }

void PutWord(std::vector<uint8_t>& image, size_t at, size_t value) {
    image[at] = static_cast<uint8_t>(value & 0xFF);
    image[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

std::vector<int> CTorvanelKeyboardDevice::MacroListOf(const std::vector<KeyListEntry>& keys, size_t librarySize) const {
    std::vector<int> list;
    for (size_t k = 0; k < keys.size(); ++k) {
        auto position = keyMaps_[0].find(static_cast<int>(k));
        if (position == keyMaps_[0].end() || position->second == kNoKeyPosition) continue;
        const KeyAssignment& code = keys[k].assignment;
        if (!IsMacroCode(code) || code[1] >= librarySize) continue;
        if (std::find(list.begin(), list.end(), code[1]) == list.end()) list.push_back(code[1]);
    }
    return list;
}

std::vector<int> CTorvanelKeyboardDevice::GetMacroList() {
    return MacroListOf(keyList_, ReadMacroLibrary(MacroLibraryPath()).size());
}

int CTorvanelKeyboardDevice::WriteKeyAssignments(int bank, const std::vector<KeyListEntry>& keys) {
    if (!commandChannel_.IsConnected()) return 0;
    std::array<uint8_t, 34> info{};
    if (commandChannel_.ReadDeviceInfo(info.data()) == 1) deviceInfo_ = info;
    const size_t deviceKeys = std::min<size_t>(deviceInfo_[5], deviceKeyTable_.size() / 3);
    std::array<uint8_t, 512> table{};
    std::copy_n(deviceKeyTable_.begin(), deviceKeys * 3, table.begin());
    const size_t librarySize = ReadMacroLibrary(MacroLibraryPath()).size();
    const std::vector<int> macros = MacroListOf(keys, librarySize);
    for (size_t k = 0; k < std::min(keys.size(), deviceKeys); ++k) {
        auto position = keyMaps_[0].find(static_cast<int>(k));
        if (position == keyMaps_[0].end() || position->second == kNoKeyPosition) continue;
        KeyAssignment code = keys[k].assignment;
        if (IsMacroCode(code)) {
            if (code[1] < librarySize) {
                code[1] = static_cast<uint8_t>(std::find(macros.begin(), macros.end(), code[1]) - macros.begin());
            } else {
                code = keys[k].defaultAssignment;  // its macro is gone
            }
        }
        const size_t at = static_cast<size_t>(position->second) * 3;
        if (at + 3 <= table.size()) std::copy(code.begin(), code.end(), table.begin() + at);
    }
    commandChannel_.BeginConfig();
    commandChannel_.WriteKeyTable(table.data(), bank);
    commandChannel_.EndConfig();
    return 1;
}

int CTorvanelKeyboardDevice::WriteOwnKeyAssignments(int bank) {
    const std::vector<KeyListEntry> keys = keyList_;
    return WriteKeyAssignments(bank, keys);
}

int CTorvanelKeyboardDevice::WriteMacros(const std::vector<int>& macroIndexes) {
    const bool connected = commandChannel_.IsConnected();
    if (connected) {
        std::array<uint8_t, 34> info{};
        if (commandChannel_.ReadDeviceInfo(info.data()) == 1) deviceInfo_ = info;
    }
    const std::vector<MacroInfoEntry> library = ReadMacroLibrary(MacroLibraryPath());
    if (library.empty()) return 0;
    if (macroIndexes.empty()) return 0;
    std::vector<std::vector<MacroEventRecord>> blocks;
    size_t eventCount = 0;
    for (int index : macroIndexes) {
        // An index outside the library uploads as an empty macro, keeping later numbers in place.
        std::vector<MacroEventRecord> events;
        if (index >= 0 && static_cast<size_t>(index) < library.size())
            events = ReadEventRecords(UserDataFolder() + library[index].Guid + ".mac");
        eventCount += events.size();
        blocks.push_back(std::move(events));
    }
    const size_t n = blocks.size();
    const size_t total = kMacroImageHeader + 6 * n + 4 * eventCount;
    const size_t capacity = static_cast<size_t>(deviceInfo_[6]) * kMacroUnitBytes;
    if (total > capacity) return static_cast<int>((total - capacity) / 4 + 1);
    std::vector<uint8_t> image;
    try {
        image.assign(total, 0);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    PutWord(image, 0, kMacroImageMagic);
    PutWord(image, 2, total);
    PutWord(image, 4, n);
    size_t offset = kMacroImageHeader + 2 * n;
    for (size_t i = 0; i < n; ++i) {
        PutWord(image, kMacroImageHeader + 2 * i, offset);
        PutWord(image, offset, blocks[i].size());
        offset += 4;
        for (const MacroEventRecord& event : blocks[i]) {
            std::copy(event.bytes.begin(), event.bytes.end(), image.begin() + static_cast<long>(offset));
            offset += 4;
        }
    }
    if (connected) {
        commandChannel_.BeginConfig();
        commandChannel_.WriteMacroData(image.data(), static_cast<uint32_t>(total));
        commandChannel_.EndConfig();
    }
    return 0;
}

void CTorvanelKeyboardDevice::ValidateMacroKeys() {
    LoadLists();
    bool changed = false;
    for (KeyListEntry& entry : keyList_) {
        if (IsMacroCode(entry.assignment) && entry.assignment[1] >= macroNames_.size()) {
            entry.assignment = entry.defaultAssignment;
            changed = true;
        }
    }
    if (!changed) return;
    WriteKeyAssignments(0, keyList_);
    RefreshKeyLabels();
}
