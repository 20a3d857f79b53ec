// What another program puts on the bus, as a window's admission reads it: a message name with its
// two arguments, or a data-copy id with its payload, from any number of senders at any pace; and
// titles and class names turned into bus names.
// Input: a kind byte, then fields taken in turn from the rest (see Take below).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/bus/BusAdmission.h"
#include "platform/bus/BusFloodGate.h"
#include "platform/bus/BusNames.h"
#include "platform/bus/KnownMessages.h"

namespace {
struct Reader {
    const uint8_t* data;
    size_t size;
    template <class T>
    T Take() {
        T value{};
        const size_t n = std::min(sizeof value, size);
        std::memcpy(&value, data, n);
        data += n;
        size -= n;
        return value;
    }
    std::string_view Text() {
        const size_t n = std::min<size_t>(Take<uint8_t>(), size);
        std::string_view text(reinterpret_cast<const char*>(data), n);
        data += n;
        size -= n;
        return text;
    }
};

void CheckNames(std::string_view text) {
    const std::string title = TitleBusName(text);
    const std::string className = ClassBusName(text);
    // A bus name is never longer than the bus allows, and is empty only for text that cannot have one.
    if (title.size() > kMaxBusNameLength || className.size() > kMaxBusNameLength) __builtin_trap();
    if (!title.empty() && title.find(HexOfBytes(text)) == std::string::npos) __builtin_trap();
    IsBusString(text);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static BusFloodGate gate;
    static uint64_t clock = 0;
    Reader in{data, size};
    while (in.size > 0) {
        switch (in.Take<uint8_t>() % 4) {
            case 0: {
                const std::string_view name = in.Text();
                const uint64_t w = in.Take<uint64_t>();
                const int64_t l = in.Take<int64_t>();
                const char* why = RefusalOfMessage(name, w, l);
                const KnownMessage* known = FindKnownMessage(name);
                // Admitted means: a registered name, from any program, both arguments in its range.
                const bool expected = known && known->reach == MessageReach::AnyProgram && w >= known->wParam.min &&
                                      w <= known->wParam.max && l >= known->lParam.min && l <= known->lParam.max;
                if ((why == nullptr) != expected) __builtin_trap();
                break;
            }
            case 1: {
                const uint64_t id = in.Take<uint64_t>();
                const size_t bytes = in.Take<uint32_t>();
                const char* why = RefusalOfCopyData(id, bytes);
                if (!why && (!FindKnownCopyData(id) || bytes > kMaxCopyDataBytes)) __builtin_trap();
                break;
            }
            case 2: {
                const std::string sender(in.Text());
                clock += in.Take<uint16_t>();
                gate.Admit(sender, clock);
                if (gate.SendersKnown() > BusFloodGate::kMaxSenders) __builtin_trap();
                break;
            }
            default: CheckNames(in.Text()); break;
        }
    }
    return 0;
}
