#include "tools/zorv-emulator/KeyboardDescriptor.h"

#include <array>

namespace emu {

namespace {
constexpr std::array<uint8_t, 128> kDescriptor = {
    // 1: NKRO keyboard, modifier bits and a bitmap of key usages 0x00-0x97, LED output.
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x06,        // Usage (Keyboard)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x01,        //   Report ID (1)
    0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
    0x19, 0xE0,        //   Usage Minimum (Left Control)
    0x29, 0xE7,        //   Usage Maximum (Right GUI)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x08,        //   Report Count (8)
    0x81, 0x02,        //   Input (Data, Variable, Absolute): modifier bits
    0x19, 0x00,        //   Usage Minimum (0)
    0x29, 0x97,        //   Usage Maximum (0x97)
    0x95, 0x98,        //   Report Count (152)
    0x81, 0x02,        //   Input (Data, Variable, Absolute): one bit per key
    0x05, 0x08,        //   Usage Page (LEDs)
    0x19, 0x01,        //   Usage Minimum (Num Lock)
    0x29, 0x05,        //   Usage Maximum (Kana)
    0x95, 0x05,        //   Report Count (5)
    0x91, 0x02,        //   Output (Data, Variable, Absolute): lock LEDs
    0x95, 0x03,        //   Report Count (3)
    0x91, 0x01,        //   Output (Constant): padding to a byte
    0xC0,              // End Collection

    // 2: system control, power down / sleep / wake up bits.
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x80,        // Usage (System Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x02,        //   Report ID (2)
    0x19, 0x81,        //   Usage Minimum (System Power Down)
    0x29, 0x83,        //   Usage Maximum (System Wake Up)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x03,        //   Report Count (3)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x95, 0x05,        //   Report Count (5)
    0x81, 0x01,        //   Input (Constant): padding to a byte
    0xC0,              // End Collection

    // 3: consumer control; one 16-bit array field, wide enough for the device event codes.
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x03,        //   Report ID (3)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2A, 0xFF, 0x1F,  //   Usage Maximum (0x1FFF)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x1F,  //   Logical Maximum (0x1FFF)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute)
    0xC0,              // End Collection

    // 4: vendor command channel, 63 data bytes each way behind the report id.
    0x06, 0x1C, 0xFF,  // Usage Page (Vendor 0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (vendor 1)
    0x81, 0x02,        //   Input (Data, Variable, Absolute): replies
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x02,        //   Usage (vendor 2)
    0x91, 0x02,        //   Output (Data, Variable, Absolute): requests
    0xC0,              // End Collection
};
}  // namespace

std::span<const uint8_t> KeyboardReportDescriptor() { return kDescriptor; }

}  // namespace emu
