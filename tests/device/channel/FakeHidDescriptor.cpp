#include "FakeHidDescriptor.h"

DescriptorWriter& DescriptorWriter::Emit(uint8_t prefix, uint32_t bits, int size) {
    const uint8_t sizeCode = size == 4 ? 3 : static_cast<uint8_t>(size);
    bytes_.push_back(static_cast<uint8_t>(prefix | sizeCode));
    for (int i = 0; i < size; ++i) bytes_.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    return *this;
}

DescriptorWriter& DescriptorWriter::Item(uint8_t prefix, uint32_t value) {
    return Emit(prefix, value, value == 0 ? 0 : value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : 4);
}

DescriptorWriter& DescriptorWriter::Signed(uint8_t prefix, int32_t value) {
    const int size = value == 0 ? 0 : (value >= -128 && value <= 127) ? 1 : (value >= -32768 && value <= 32767) ? 2 : 4;
    return Emit(prefix, static_cast<uint32_t>(value), size);
}

std::vector<uint8_t> KeyboardInterfaceDescriptor(const KeyboardCollections& shape) {
    DescriptorWriter d;
    // 1: keys (modifier bits and six key slots)
    d.UsagePage(0x01).Usage(0x06).Application().ReportId(1);
    d.UsagePage(0x07).UsageRange(0xE0, 0xE7).Logical(0, 1).Fields(1, 8).Input(kFieldVariable);
    d.UsageRange(0x00, 0x65).Logical(0, 0x65).Fields(8, 6).Input(kFieldArray).End();
    // 2: system control
    d.UsagePage(0x01).Usage(0x80).Application().ReportId(2);
    d.UsageRange(0x81, 0x83).Logical(0, 1).Fields(1, 3).Input(kFieldVariable).Fields(5, 1).Input(kFieldConstant);
    d.End();
    // 3: consumer control, which also carries the device's event codes
    d.UsagePage(0x0C).Usage(0x01).Application().ReportId(3);
    d.UsageRange(0x0000, 0x1FFF).Logical(0, 0x1FFF).Fields(16, 1).Input(kFieldArray).End();
    // 4: the command collection
    d.UsagePage(shape.vendorUsagePage).Usage(shape.vendorUsage).Application().ReportId(4);
    d.Usage(0x01).Logical(0, 255).Fields(8, 63).Input(kFieldVariable);
    d.Usage(0x02).Fields(8, 63).Output(kFieldVariable).End();
    return d.Bytes();
}
