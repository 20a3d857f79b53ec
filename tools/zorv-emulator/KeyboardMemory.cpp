#include "tools/zorv-emulator/KeyboardMemory.h"

#include <algorithm>
#include <cstring>

#include "tools/zorv-emulator/FactoryKeyTable.h"
#include "tools/zorv-emulator/HexText.h"

namespace emu {

namespace {
struct FactoryLighting {
    uint8_t modeCode, brightness, speed, direction, multiColour, red, green, blue;
};

// One lighting setting per onboard profile; speed is the level (stored inverted, 4 - level).
constexpr std::array<FactoryLighting, kProfileCount> kFactoryLighting = {{
    {0x01, 4, 2, 0, 1, 0xFF, 0x00, 0x00},
    {0x02, 4, 3, 0, 0, 0x00, 0xFF, 0x00},
    {0x03, 3, 2, 1, 0, 0x00, 0x00, 0xFF},
    {0x04, 4, 1, 0, 0, 0xFF, 0xFF, 0xFF},
}};

constexpr uint8_t kPollingRate1000Hz = 3;
constexpr uint16_t kMacroImageMagic = 0x55AA;
constexpr size_t kMacroHeaderSize = 16;

void WriteRecord(std::vector<uint8_t>& params, int profile, const FactoryLighting& light) {
    std::array<uint8_t, kParamRecordSize> record{};
    record[1] = light.modeCode;
    record[2] = light.brightness;
    record[3] = static_cast<uint8_t>(4 - light.speed);
    record[4] = light.direction;
    record[5] = light.multiColour;
    record[6] = light.red;
    record[7] = light.green;
    record[8] = light.blue;
    record[22] = kPollingRate1000Hz;
    // Bytes 25-27 of one record are bytes 0-2 of the next, so a later profile's record wins there.
    std::copy(record.begin(), record.end(), params.begin() + profile * kProfileStride);
}

struct RegionField {
    const char* key;
    std::vector<uint8_t> KeyboardMemory::*region;
};

// Regions the host can change, in dump order. The light table is ROM but dumped for reference.
constexpr std::array<RegionField, 4> kWritableRegions = {{
    {"Params", &KeyboardMemory::params},
    {"KeyTable", &KeyboardMemory::keyTable},
    {"MacroImage", &KeyboardMemory::macroImage},
    {"ShootData", &KeyboardMemory::shootData},
}};

constexpr const char* kCustomColoursKey = "CustomColours";
}  // namespace

KeyboardMemory KeyboardMemory::Factory(const DeviceLayout& layout) {
    KeyboardMemory memory;
    memory.deviceInfo = layout.deviceInfo;

    memory.params.assign(kParamAreaSize, 0);
    for (int profile = 0; profile < kProfileCount; ++profile)
        WriteRecord(memory.params, profile, kFactoryLighting[profile]);
    memory.params[0] = 0;

    const auto& factory = FactoryKeyTable();
    memory.keyTable.assign(static_cast<size_t>(layout.positionCount) * 3, 0);
    for (int position = 0; position < layout.positionCount; ++position) {
        int key = layout.keyNumberAt[position];
        if (key < 0) continue;
        const KeyCode& code = factory[key];
        memory.keyTable[3 * position] = code.type;
        memory.keyTable[3 * position + 1] = code.p1;
        memory.keyTable[3 * position + 2] = code.p2;
    }
    memory.lightTable = layout.lightAt;

    // Slot 0 comes lit white on every LED; the others are empty.
    memory.customColours.assign(kCustomColourSlots * kCustomColourSlotSize, 0);
    for (uint8_t light : layout.lightAt)
        if (light != kNoLight) std::fill_n(memory.customColours.begin() + 3 * light, 3, 0xFF);

    // An empty macro image: header only.
    memory.macroImage.assign(layout.macroCapacity, 0);
    if (memory.macroImage.size() >= kMacroHeaderSize) {
        memory.macroImage[0] = kMacroImageMagic & 0xFF;
        memory.macroImage[1] = kMacroImageMagic >> 8;
        memory.macroImage[2] = kMacroHeaderSize;
    }
    memory.shootData.assign(kShootDataSize, 0);
    return memory;
}

std::span<const uint8_t> KeyboardMemory::CustomColourSlot(int slot) const {
    return std::span<const uint8_t>(customColours).subspan(slot * kCustomColourSlotSize, kCustomColourSlotSize);
}

Json::Value MemoryToJson(const KeyboardMemory& memory) {
    Json::Value json(Json::objectValue);
    json["DeviceInfo"] = ToHex(memory.deviceInfo.data(), memory.deviceInfo.size());
    for (const RegionField& field : kWritableRegions) json[field.key] = ToHex(memory.*field.region);
    json["LightTable"] = ToHex(memory.lightTable);
    Json::Value slots(Json::arrayValue);
    for (int slot = 0; slot < kCustomColourSlots; ++slot) {
        auto bytes = memory.CustomColourSlot(slot);
        slots.append(ToHex(bytes.data(), bytes.size()));
    }
    json[kCustomColoursKey] = slots;
    return json;
}

namespace {
bool DecodeRegion(const Json::Value& json, const char* key, size_t size, std::vector<uint8_t>& out,
                  std::string& error) {
    const Json::Value& text = json[key];
    if (!text.isString()) {
        error = std::string("\"") + key + "\" is missing or not a string";
        return false;
    }
    auto bytes = FromHex(text.asString());
    if (!bytes) {
        error = std::string("\"") + key + "\" is not hexadecimal";
        return false;
    }
    if (bytes->size() != size) {
        error = std::string("\"") + key + "\" holds " + std::to_string(bytes->size()) + " bytes, expected " +
                std::to_string(size);
        return false;
    }
    out = std::move(*bytes);
    return true;
}
}  // namespace

bool MemoryFromJson(const Json::Value& json, KeyboardMemory& memory, std::string& error) {
    if (!json.isObject()) {
        error = "not a JSON object";
        return false;
    }
    KeyboardMemory loaded = memory;
    for (const RegionField& field : kWritableRegions)
        if (!DecodeRegion(json, field.key, (memory.*field.region).size(), loaded.*field.region, error)) return false;

    const Json::Value& slots = json[kCustomColoursKey];
    if (!slots.isArray() || slots.size() != kCustomColourSlots) {
        error = std::string("\"") + kCustomColoursKey + "\" must list " + std::to_string(kCustomColourSlots) + " slots";
        return false;
    }
    for (Json::ArrayIndex slot = 0; slot < slots.size(); ++slot) {
        Json::Value holder(Json::objectValue);
        holder["slot"] = slots[slot];
        std::vector<uint8_t> bytes;
        if (!DecodeRegion(holder, "slot", kCustomColourSlotSize, bytes, error)) {
            error = std::string(kCustomColoursKey) + " slot " + std::to_string(slot) + ": " + error;
            return false;
        }
        std::copy(bytes.begin(), bytes.end(), loaded.customColours.begin() + slot * kCustomColourSlotSize);
    }
    memory = std::move(loaded);
    return true;
}

}  // namespace emu
