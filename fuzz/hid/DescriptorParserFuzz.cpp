// Any byte string is a possible report descriptor: the parser must survive it.
#include <cstddef>
#include <cstdint>

#include "device/hid/ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ParsedDescriptor parsed = ParseReportDescriptor(data, size);
    for (const ParsedCollection& collection : parsed.collections) {
        if (collection.buttonCaps[0].size() > collection.dataIndices[0]) __builtin_trap();
    }
    return 0;
}
