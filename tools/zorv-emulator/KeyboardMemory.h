#pragma once
// The keyboard's persistent memory, byte-addressed as the commands address it, and its JSON form
// (the state file and the memory dump).
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <json/value.h>

#include "tools/zorv-emulator/ProductModels.h"

namespace emu {

struct KeyboardMemory {
    std::array<uint8_t, kDeviceInfoSize> deviceInfo{};  // ROM
    std::vector<uint8_t> params;         // byte 0 active profile, record of profile P at P × 25
    std::vector<uint8_t> keyTable;       // N × 3, per device position
    std::vector<uint8_t> lightTable;     // N, per device position (ROM)
    std::vector<uint8_t> customColours;  // slots of 512 bytes
    std::vector<uint8_t> macroImage;     // macro capacity bytes
    std::vector<uint8_t> shootData;

    static KeyboardMemory Factory(const DeviceLayout& layout);

    int ActiveProfile() const { return params[0]; }
    std::span<const uint8_t> CustomColourSlot(int slot) const;
};

Json::Value MemoryToJson(const KeyboardMemory& memory);
// Takes the writable regions from json into memory (whose sizes are the model's); ROM stays.
// False with a reason when a region is missing, not hex or of another size; memory is then untouched.
bool MemoryFromJson(const Json::Value& json, KeyboardMemory& memory, std::string& error);

}  // namespace emu
