#include "tools/zorv-emulator/ProductModels.h"

#include <algorithm>
#include <cstring>

namespace emu {

namespace {
constexpr uint8_t G = kNoKey;

// Full size with numpad, media keys and the international keys; rows top to bottom.
constexpr std::array<uint8_t, kMatrixRows * 21> kFullMatrix = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,  11,  12,  13,  14,  15,  16,  17,  18,  19,  20,
    21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31,  32,  33,  34,  35,  36,  37,  38,  39,  40,  41,
    42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52,  53,  54,  55,  56,  57,  58,  59,  60,  61,  62,
    63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73,  74,  75,  76,  77,  78,  79,  80,  81,  82,  83,
    84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94,  95,  G,   96,  97,  98,  99,  100, 101, 102, 103,
    105, 106, 107, 108, 109, 125, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124,
};

// Tenkeyless: no numpad, no media keys, no international keys.
constexpr std::array<uint8_t, kMatrixRows * 17> kTenkeylessMatrix = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10, 11, 12, 13, 14,  15,  16,
    21,  22,  23,  24,  25,  26,  27,  28,  29,  30,  31, 32, 33, 34, 35,  36,  37,
    42,  43,  44,  45,  46,  47,  48,  49,  50,  51,  52, 53, 54, 55, 56,  57,  58,
    63,  64,  65,  66,  67,  68,  69,  70,  71,  72,  73, 74, 75, G,  G,   G,   G,
    84,  85,  86,  87,  88,  89,  90,  91,  92,  93,  94, 95, G,  G,  96,  G,   G,
    105, 106, 107, 108, 109, 125, 110, 111, 112, G,   G,  G,  G,  G,  113, 114, 115,
};

// The host moves key tables of N × 3 bytes in one 512-byte bank and addresses at most 170 keys.
static_assert(kFullMatrix.size() <= kPageKeyCount && kFullMatrix.size() * 3 <= kKeyTableBankSize);
static_assert(kTenkeylessMatrix.size() <= kPageKeyCount && kTenkeylessMatrix.size() * 3 <= kKeyTableBankSize);
static_assert((kParamAreaSize - 1) < 0x10000 && kCustomColourSlots * kCustomColourSlotSize <= 0x10000,
              "every region is reachable with a 16-bit offset");

// The ANSI variant of the full-size board: the same matrix without the Asian and ISO keys.
constexpr std::array<uint8_t, 9> kAnsiAbsentKeys = {79, 80, 81, 82, 83, 100, 101, 102, 103};

constexpr std::array<ProductModel, 3> kModels = {{
    {0x5062, "T5K1", 0x0107, 4, 21, kFullMatrix, {}},
    {0x5085, "T3H7", 0x0103, 4, 21, kFullMatrix, kAnsiAbsentKeys},
    {0x5086, "T3N9", 0x0102, 4, 17, kTenkeylessMatrix, {}},
}};

// Device information block, bytes other than 5 (N) and 6 (macro units).
constexpr size_t kInfoFormat = 0;        // block layout revision
constexpr size_t kInfoFirmware = 1;      // firmware version, BCD little-endian (bytes 1-2)
constexpr size_t kInfoProfiles = 3;      // number of onboard profiles
constexpr size_t kInfoMatrixRows = 4;
constexpr size_t kInfoKeyCount = 5;
constexpr size_t kInfoMacroUnits = 6;
constexpr size_t kInfoCustomSlots = 7;
constexpr size_t kInfoPollingRates = 8;  // bit mask of 125/250/500/1000 Hz
constexpr size_t kInfoVendor = 9;        // vendor id little-endian (bytes 9-10)
constexpr size_t kInfoProduct = 11;      // product id little-endian (bytes 11-12)
constexpr size_t kInfoLightCount = 13;
constexpr size_t kInfoModelName = 16;    // ASCII, zero-padded to the end of the block

bool IsAbsent(const ProductModel& model, uint8_t key) {
    return std::find(model.absentKeys.begin(), model.absentKeys.end(), key) != model.absentKeys.end();
}
}  // namespace

std::span<const ProductModel> ProductModels() { return kModels; }

const ProductModel* FindProductModel(uint16_t productId) {
    for (const ProductModel& model : kModels)
        if (model.productId == productId) return &model;
    return nullptr;
}

DeviceLayout BuildDeviceLayout(const ProductModel& model) {
    DeviceLayout layout;
    const int columns = model.columns;
    layout.positionCount = columns * kMatrixRows;
    layout.keyNumberAt.assign(layout.positionCount, -1);
    layout.lightAt.assign(layout.positionCount, kNoLight);

    // The LED chain runs along the rows in a serpentine, so light order is neither key number
    // order nor the column-scanned position order.
    uint8_t nextLight = 0;
    for (int row = 0; row < kMatrixRows; ++row) {
        for (int step = 0; step < columns; ++step) {
            int column = row % 2 == 0 ? step : columns - 1 - step;
            uint8_t key = model.matrix[row * columns + column];
            if (key == kNoKey || IsAbsent(model, key)) continue;
            int position = column * kMatrixRows + row;
            layout.keyNumberAt[position] = key;
            layout.lightAt[position] = nextLight++;
        }
    }

    auto& info = layout.deviceInfo;
    info[kInfoFormat] = 1;
    info[kInfoFirmware] = static_cast<uint8_t>(model.firmwareVersion & 0xFF);
    info[kInfoFirmware + 1] = static_cast<uint8_t>(model.firmwareVersion >> 8);
    info[kInfoProfiles] = kProfileCount;
    info[kInfoMatrixRows] = kMatrixRows;
    info[kInfoKeyCount] = static_cast<uint8_t>(layout.positionCount);
    info[kInfoMacroUnits] = model.macroUnits;
    info[kInfoCustomSlots] = kCustomColourSlots;
    info[kInfoPollingRates] = 0x0F;
    info[kInfoVendor] = static_cast<uint8_t>(kZorvVendorId & 0xFF);
    info[kInfoVendor + 1] = static_cast<uint8_t>(kZorvVendorId >> 8);
    info[kInfoProduct] = static_cast<uint8_t>(model.productId & 0xFF);
    info[kInfoProduct + 1] = static_cast<uint8_t>(model.productId >> 8);
    info[kInfoLightCount] = nextLight;
    size_t nameLength = std::min(std::strlen(model.modelName), kDeviceInfoSize - kInfoModelName);
    std::memcpy(info.data() + kInfoModelName, model.modelName, nameLength);

    layout.macroCapacity = static_cast<size_t>(model.macroUnits) * 128;
    return layout;
}

std::string ProductDisplayName(const ProductModel& model) {
    return std::string("NUVEX ") + model.modelName + " Gaming Keyboard";
}

}  // namespace emu
