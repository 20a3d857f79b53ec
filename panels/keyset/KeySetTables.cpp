#include "panels/keyset/KeySetTables.h"

#include "input/KeyCaptureTable.h"

namespace {

// Rows 113 to 141: K42, the media and browser keys, power, sleep, wake, M1 to M5, FN, GM.
constexpr uint16_t kLaterRowKeys[] = {
    0xBF, 0xB7, 0xAC, 0xB3, 0xAA, 0xB4, 0xAF, 0xAD, 0xB2, 0xAE, 0xAB, 0xA7, 0xA6, 0xB1, 0xB0,
    0xB6, 0xA8, 0xA9, 0xB5, 0x103, 0x104, 0x105, 0, 0, 0, 0, 0, 0, 0,
};
static_assert(kCaptureTableRows + std::size(kLaterRowKeys) == kKeyboardTableRows);

}  // namespace

uint16_t KeyboardRowVirtualKey(size_t row) {
    if (row < kCaptureTableRows) return kCaptureTable[row].vkCode;
    row -= kCaptureTableRows;
    return row < std::size(kLaterRowKeys) ? kLaterRowKeys[row] : 0;
}
