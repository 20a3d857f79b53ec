#pragma once
// Report descriptors for the in-process fake devices, written item by item.
#include <cstdint>
#include <initializer_list>
#include <vector>

class DescriptorWriter {
public:
    DescriptorWriter& UsagePage(uint16_t page) { return Item(0x04, page); }
    DescriptorWriter& Usage(uint16_t usage) { return Item(0x08, usage); }
    DescriptorWriter& UsageRange(uint16_t min, uint16_t max) { return Item(0x18, min).Item(0x28, max); }
    DescriptorWriter& Logical(int32_t min, int32_t max) { return Signed(0x14, min).Signed(0x24, max); }
    DescriptorWriter& ReportId(uint8_t id) { return Item(0x84, id); }
    DescriptorWriter& Fields(uint8_t sizeBits, uint8_t count) { return Item(0x74, sizeBits).Item(0x94, count); }
    DescriptorWriter& Input(uint8_t flags) { return Item(0x80, flags); }
    DescriptorWriter& Output(uint8_t flags) { return Item(0x90, flags); }
    DescriptorWriter& Feature(uint8_t flags) { return Item(0xB0, flags); }
    DescriptorWriter& Application() { return Item(0xA0, 0x01); }
    DescriptorWriter& End() {
        bytes_.push_back(0xC0);
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    // Short item with the smallest data size that holds the value, read unsigned or signed.
    DescriptorWriter& Item(uint8_t prefix, uint32_t value);
    DescriptorWriter& Signed(uint8_t prefix, int32_t value);
    DescriptorWriter& Emit(uint8_t prefix, uint32_t bits, int size);
    std::vector<uint8_t> bytes_;
};

inline constexpr uint8_t kFieldArray = 0x00;
inline constexpr uint8_t kFieldConstant = 0x01;
inline constexpr uint8_t kFieldVariable = 0x02;

// Interface 1 of the supported keyboards: collection 1 keys, 2 system control, 3 consumer control
// (events), 4 the vendor collection of the command channel with 64-byte reports, id 4.
struct KeyboardCollections {
    uint16_t vendorUsagePage = 0xFF1C;
    uint16_t vendorUsage = 0x0092;
};
std::vector<uint8_t> KeyboardInterfaceDescriptor(const KeyboardCollections& shape = {});
