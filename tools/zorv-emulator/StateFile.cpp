#include "tools/zorv-emulator/StateFile.h"

#include <cstdio>

#include <json/reader.h>
#include <json/writer.h>

#include "platform/Files.h"
#include "platform/Folders.h"

namespace emu {

namespace {
constexpr const char* kFormatKey = "Format";
constexpr const char* kFormatName = "zorv-emulator-state";
constexpr const char* kFormatVersionKey = "FormatVersion";
constexpr int kFormatVersion = 1;
constexpr const char* kProductKey = "ProductId";
constexpr const char* kMemoryKey = "Memory";

bool ParseState(const std::string& text, const ProductModel& model, KeyboardMemory& memory, std::string& why) {
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) {
        why = "not valid JSON";
        return false;
    }
    if (!root.isObject() || root[kFormatKey] != kFormatName) {
        why = "not an emulator state file";
        return false;
    }
    if (!root[kFormatVersionKey].isInt() || root[kFormatVersionKey].asInt() != kFormatVersion) {
        why = "unknown format version";
        return false;
    }
    if (!root[kProductKey].isInt() || root[kProductKey].asInt() != model.productId) {
        why = "written for another product";
        return false;
    }
    return MemoryFromJson(root[kMemoryKey], memory, why);
}
}  // namespace

StateLoadResult LoadStateFile(const std::string& path, const ProductModel& model, KeyboardMemory& memory) {
    StateLoadResult result;
    if (!FileExists(path)) {
        result.message = "no state file " + path + " yet; starting from factory state";
        return result;
    }
    std::string text;
    std::string why;
    if (!ReadWholeFile(path, text)) {
        why = "cannot be read";
    } else if (ParseState(text, model, memory, why)) {
        result.outcome = StateLoad::Loaded;
        result.message = "state loaded from " + path;
        return result;
    }
    result.outcome = StateLoad::Damaged;
    std::string kept = path + ".damaged";
    bool moved = std::rename(path.c_str(), kept.c_str()) == 0;
    result.message = "state file " + path + " is damaged (" + why + "); starting from factory state" +
                     (moved ? "; the old file is kept as " + kept : "");
    return result;
}

bool SaveStateFile(const std::string& path, const ProductModel& model, const KeyboardMemory& memory,
                   std::string& error) {
    Json::Value root(Json::objectValue);
    root[kFormatKey] = kFormatName;
    root[kFormatVersionKey] = kFormatVersion;
    root[kProductKey] = model.productId;
    root[kMemoryKey] = MemoryToJson(memory);
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    if (!WriteFileAtomic(path, Json::writeString(builder, root) + "\n")) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace emu
