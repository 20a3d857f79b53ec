// What a caller hands the audio library and what it answers, in exactly sized buffers so the
// sanitizers see any read past them: property names (terminated, or cut where no name can go on),
// written values and channel blocks of every property, and value texts parsed back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tools/osconflib/PropertyCodec.h"

using namespace osconflib;

namespace {

std::unique_ptr<char16_t[]> Units(const uint8_t* data, size_t size, size_t* count, bool terminate) {
    *count = size / 2;
    std::unique_ptr<char16_t[]> units(new char16_t[*count + (terminate ? 1 : 0) + (*count == 0 && !terminate)]);
    std::memcpy(units.get(), data, *count * 2);
    if (terminate) units[*count] = 0;
    return units;
}

void Names(const uint8_t* data, size_t size) {
    size_t count = 0;
    const auto text = Units(data, size, &count, true);
    const std::optional<Property> property = DecodeName(text.get());
    if (!property) return;
    // A name is taken only when the text up to its terminator is exactly one of ours.
    size_t length = 0;
    while (length < count && text[length] != 0) ++length;
    const char* name = Describe(*property).name;
    if (std::strlen(name) != length) abort();
    for (size_t i = 0; i < length; ++i)
        if (text[i] != static_cast<unsigned char>(name[i])) abort();
}

void Values(const uint8_t* data, size_t size) {
    if (size < 1 + 4 + 12) return;
    const auto property = static_cast<Property>(data[0] % static_cast<uint8_t>(Property::Count));
    std::unique_ptr<uint8_t[]> value(new uint8_t[4]);
    std::memcpy(value.get(), data + 1, 4);
    const size_t channelBytes = property == Property::VirtualSurround ? 12 : 4;
    std::unique_ptr<uint8_t[]> channel(new uint8_t[channelBytes]);
    std::memcpy(channel.get(), data + 5, channelBytes);
    void* valuePointer = value.get();
    void* channelPointer = channel.get();
    const std::optional<WrittenValue> written = DecodeWrite(&valuePointer, property);
    if (written && written->isFloat && !std::isfinite(written->real)) abort();
    if (written && Describe(property).type == ValueType::ReadOnly) abort();
    const ChannelArgument argument = DecodeChannel(&channelPointer, property);
    if (!argument.given) abort();
    void* none = nullptr;
    if (DecodeWrite(&none, property) || DecodeChannel(&none, property).given) abort();
}

void Texts(const uint8_t* data, size_t size) {
    // The raw bytes as a value buffer that may lack its terminator.
    std::unique_ptr<uint8_t[]> raw(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(raw.get(), data, size);
    const std::optional<double> parsed = ParseDecimalText(raw.get(), size);
    if (parsed && !std::isfinite(*parsed)) abort();
    // Whatever the number, the library's own answer for it fits a buffer and parses back.
    const double level = parsed ? std::fabs(std::fmod(*parsed, 2.0)) : 0.5;
    char16_t answer[40];
    PutText(answer, sizeof answer, LevelText(level, 1e-5));
    const std::optional<double> back = ParseDecimalText(answer, sizeof answer);
    if (!back || std::fabs(*back - level) > 2e-5) abort();
    PutText(answer, sizeof answer, DecibelText(parsed ? *parsed : -1e300));
    if (!ParseDecimalText(answer, sizeof answer)) abort();
    // A buffer too small for the text still ends in a terminator.
    char16_t tiny[3];
    PutText(tiny, sizeof tiny, IntegerText(static_cast<int64_t>(size) - 4096));
    if (tiny[2] != 0 && tiny[1] != 0 && tiny[0] != 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    switch (data[0] % 3) {
    case 0:
        Names(data + 1, size - 1);
        break;
    case 1:
        Values(data + 1, size - 1);
        break;
    default:
        Texts(data + 1, size - 1);
        break;
    }
    return 0;
}
