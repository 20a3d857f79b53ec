// The audio library test double (built as SDK/libosConfLib.so beside the tests).
#include "tests/engines/headset/ConfLibDouble.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio/ConfLibAbi.h"

namespace {

struct Answer {
    std::string text;
    int32_t result = 0;
};

struct State {
    std::mutex lock;
    int32_t initResult = 0;
    std::vector<ConfLibDescriptor> lists[2];
    std::map<std::pair<uint32_t, std::string>, Answer> reads;
    std::map<std::pair<uint32_t, std::string>, int32_t> writes;
    std::vector<ConfDoubleCall> calls;
};

State& Double() {
    static State state;
    return state;
}

std::string Narrow(const char16_t* text) {
    std::string out;
    for (size_t i = 0; text && text[i] && i < 256; ++i) out.push_back(static_cast<char>(text[i]));
    return out;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void confdouble_reset() {
    State& s = Double();
    std::lock_guard<std::mutex> guard(s.lock);
    s.initResult = 0;
    s.lists[0].clear();
    s.lists[1].clear();
    s.reads.clear();
    s.writes.clear();
    s.calls.clear();
}

__attribute__((visibility("default"))) void confdouble_set_init_result(int32_t result) {
    std::lock_guard<std::mutex> guard(Double().lock);
    Double().initResult = result;
}

__attribute__((visibility("default"))) void confdouble_add_endpoint(int32_t list, uint32_t kind, uint32_t flag) {
    State& s = Double();
    std::lock_guard<std::mutex> guard(s.lock);
    auto& entries = s.lists[list == 0 ? 0 : 1];
    entries.push_back({{static_cast<uint32_t>(entries.size()), kind, static_cast<uint32_t>(list), flag}});
}

__attribute__((visibility("default"))) void confdouble_set_answer(uint32_t kind, const char* property,
                                                                  const char* text, int32_t result) {
    std::lock_guard<std::mutex> guard(Double().lock);
    Double().reads[{kind, property}] = {text ? text : "", result};
}

__attribute__((visibility("default"))) void confdouble_set_write_result(uint32_t kind, const char* property,
                                                                        int32_t result) {
    std::lock_guard<std::mutex> guard(Double().lock);
    Double().writes[{kind, property}] = result;
}

__attribute__((visibility("default"))) size_t confdouble_call_count() {
    std::lock_guard<std::mutex> guard(Double().lock);
    return Double().calls.size();
}

__attribute__((visibility("default"))) int32_t confdouble_call(size_t index, ConfDoubleCall* out) {
    std::lock_guard<std::mutex> guard(Double().lock);
    if (index >= Double().calls.size() || !out) return -1;
    *out = Double().calls[index];
    return 0;
}

__attribute__((visibility("default"))) int32_t ConfLibInit() {
    std::lock_guard<std::mutex> guard(Double().lock);
    return Double().initResult;
}

__attribute__((visibility("default"))) int32_t CreateDeviceList() { return 0; }

__attribute__((visibility("default"))) int32_t GetDeviceCount(int32_t list, int32_t* count) {
    std::lock_guard<std::mutex> guard(Double().lock);
    if (!count) return -1;
    *count = static_cast<int32_t>(Double().lists[list == 0 ? 0 : 1].size());
    return 0;
}

__attribute__((visibility("default"))) int32_t GetDeviceById(int32_t list, int32_t index,
                                                             ConfLibDescriptor* descriptor) {
    std::lock_guard<std::mutex> guard(Double().lock);
    const auto& entries = Double().lists[list == 0 ? 0 : 1];
    if (!descriptor || index < 0 || static_cast<size_t>(index) >= entries.size()) return -1;
    *descriptor = entries[static_cast<size_t>(index)];
    return 0;
}

__attribute__((visibility("default"))) int32_t PropertyControl(ConfLibDescriptor descriptor,
                                                               const char16_t* property, void** value,
                                                               void** channel, int32_t direction) {
    State& s = Double();
    std::lock_guard<std::mutex> guard(s.lock);
    ConfDoubleCall call{};
    const std::string name = Narrow(property);
    std::strncpy(call.property, name.c_str(), sizeof call.property - 1);
    call.direction = direction;
    call.list = descriptor.word[2];
    call.kind = descriptor.word[1];
    if (channel && *channel) {
        call.hasChannel = 1;
        std::memcpy(call.channel, *channel, sizeof call.channel);
    }
    if (value && *value && direction == conflib::kWrite) std::memcpy(call.value, *value, sizeof call.value);
    s.calls.push_back(call);
    if (!value || !*value) return -1;
    if (direction == conflib::kWrite) {
        auto found = s.writes.find({descriptor.word[1], name});
        return found == s.writes.end() ? 0 : found->second;
    }
    auto found = s.reads.find({descriptor.word[1], name});
    if (found == s.reads.end()) return -1;
    char16_t* out = static_cast<char16_t*>(*value);
    const std::string& text = found->second.text;
    const size_t units = std::min(text.size(), conflib::kValueBufferSize / 2 - 1);
    for (size_t i = 0; i < units; ++i) out[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
    out[units] = u'\0';
    return found->second.result;
}

}  // extern "C"
