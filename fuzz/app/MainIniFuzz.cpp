// "main.ini" of any content, then the skin choice written into it: other members survive, a file
// that is not a JSON object is kept aside, and what is written is a JSON object again. (Text that is
// not UTF-8 is written back with U+FFFD in place of the bad bytes, and member names are written up
// to a zero byte, so the comparison skips such text.)
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/skins/SkinChoiceFile.h"
#include "fuzz/store/FuzzSupport.h"
#include "store/JsonFile.h"

namespace {
// Well-formed UTF-8 without zero bytes (no overlong forms, surrogates or values past U+10FFFF).
bool IsPlainUtf8(const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size;) {
        const uint8_t lead = data[i];
        if (lead == 0) return false;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                            : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > size) return false;
        for (size_t k = 1; k < length; ++k)
            if ((data[i + k] & 0xC0) != 0x80) return false;
        const uint8_t second = data[i + 1];
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
            (lead == 0xF4 && second >= 0x90))
            return false;
        i += length;
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ClearFuzzFolder();
    const std::string path = FuzzFile("main.ini", data, size);
    const Json::Value before = ParseJsonText(std::string(reinterpret_cast<const char*>(data), size));
    if (!WriteSkinChoice(path, "1", "skin/custom.png")) return 0;
    const Json::Value after = ReadJsonValue(path);
    if (!after.isObject() || after["SKINIMAGE"]["FLAGS"] != "1") __builtin_trap();
    if (before.isObject() && IsPlainUtf8(data, size)) {
        for (const std::string& member : before.getMemberNames())
            if (member != "SKINIMAGE" && after[member] != before[member]) __builtin_trap();
    }
    return 0;
}
