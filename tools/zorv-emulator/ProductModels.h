#pragma once
// The emulated keyboard models: identity, matrix geometry and memory sizes, as data. The key
// matrix is what makes the device's own position order differ from the page's key numbers.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/zorv-emulator/FactoryKeyTable.h"

namespace emu {

inline constexpr uint16_t kZorvVendorId = 0x7A61;
inline constexpr uint8_t kMatrixRows = 6;
inline constexpr uint8_t kNoKey = 0xFF;    // matrix cell without a switch
inline constexpr uint8_t kNoLight = 0xFF;  // light table entry of a position without an LED
inline constexpr size_t kDeviceInfoSize = 34;
inline constexpr int kProfileCount = 4;
inline constexpr int kProfileStride = 25;
inline constexpr int kParamRecordSize = 28;
// Records of neighbouring profiles share three bytes; the area ends with the last record.
inline constexpr size_t kParamAreaSize = (kProfileCount - 1) * kProfileStride + kParamRecordSize;
inline constexpr int kCustomColourSlots = 8;
inline constexpr size_t kCustomColourSlotSize = 512;
inline constexpr size_t kKeyTableBankSize = 512;
inline constexpr size_t kLightFrameBufferSize = 512;
inline constexpr size_t kShootDataSize = 2048;

struct ProductModel {
    uint16_t productId;
    const char* modelName;    // product number of the update list ("T5K1")
    uint16_t firmwareVersion;  // BCD, also the USB release number of the hello
    uint8_t macroUnits;        // macro memory in 128-byte units
    uint8_t columns;           // matrix columns; device position = column × rows + row
    std::span<const uint8_t> matrix;      // rows × columns key numbers, kNoKey where none
    std::span<const uint8_t> absentKeys;  // keys of the matrix this model leaves out
};

// Null for a product that is not emulated.
const ProductModel* FindProductModel(uint16_t productId);
std::span<const ProductModel> ProductModels();

// What the firmware holds in ROM for a model, derived from its matrix.
struct DeviceLayout {
    int positionCount = 0;                 // N
    std::vector<int> keyNumberAt;          // per device position, -1 for an empty matrix cell
    std::vector<uint8_t> lightAt;          // per device position, kNoLight when there is no key
    std::array<uint8_t, kDeviceInfoSize> deviceInfo{};
    size_t macroCapacity = 0;
};

DeviceLayout BuildDeviceLayout(const ProductModel& model);
std::string ProductDisplayName(const ProductModel& model);

}  // namespace emu
