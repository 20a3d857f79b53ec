// "main.ini" of any content, then the skin choice written into it: other members survive, a file
// that is not a JSON object is kept aside, and what is written is a JSON object again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/skins/SkinChoiceFile.h"
#include "fuzz/store/FuzzSupport.h"
#include "store/JsonFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ClearFuzzFolder();
    const std::string path = FuzzFile("main.ini", data, size);
    const Json::Value before = ParseJsonText(std::string(reinterpret_cast<const char*>(data), size));
    if (!WriteSkinChoice(path, "1", "skin/custom.png")) return 0;
    const Json::Value after = ReadJsonValue(path);
    if (!after.isObject() || after["SKINIMAGE"]["FLAGS"] != "1") __builtin_trap();
    if (before.isObject()) {
        for (const std::string& member : before.getMemberNames())
            if (member != "SKINIMAGE" && after[member] != before[member]) __builtin_trap();
    }
    return 0;
}
