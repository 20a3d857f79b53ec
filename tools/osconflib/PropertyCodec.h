#pragma once
// What a PropertyControl call asks for, decoded from the caller's raw buffers without trusting
// them: the property name is read only as far as it can still match a known name, values and
// channels only as far as the contract says they reach, and answers never pass the value buffer.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/audio/ConfLibAbi.h"

namespace osconflib {

enum class Property {
    GetSupportFeature,
    MuteControl,
    VolumeScalarControl,
    VolumeControl,
    GetAAMaxVol,
    AAMuteControl,
    AAVolumeScalarControl,
    AAVolumeControl,
    EnableMagicVoice,
    MagicVoiceSelection,
    EnableMicEcho,
    EnableNoiseReduction,
    EnableEqualiser,
    EqSlider1,  // EqSlider1 + n is band n (0..9)
    EqSlider10 = EqSlider1 + 9,
    EnableRoomEffect,
    RoomEnvironment,
    RoomSize,
    VirtualSurround,
    Count
};

enum class ValueType { ReadOnly, Integer, Float };
enum class Side { Capture, Playback, Both };

struct PropertyInfo {
    const char* name;
    ValueType type;
    Side side;
};

const PropertyInfo& Describe(Property property);
inline bool IsEqSlider(Property p) { return p >= Property::EqSlider1 && p <= Property::EqSlider10; }
inline int EqBand(Property p) { return static_cast<int>(p) - static_cast<int>(Property::EqSlider1); }

// Result codes of the entry points (0 is success).
enum Result : int32_t {
    kOk = 0,
    kBadArgument = 1,     // null pointer, unknown name, wrong endpoint, value out of range
    kNotConnected = 2,    // no sound server (ConfLibInit failed or was not called)
    kServerFailed = 3,    // the server refused or did not answer in time
    kNotRealised = 4,     // the server cannot realise the property here; the value is kept
    kNoEndpoint = 5,      // the endpoint the descriptor names is gone
};

// The property named by NUL-terminated UTF-16 text; reads no further than a known name can match.
std::optional<Property> DecodeName(const char16_t* text);

// Channel argument: -1 when none is given (all channels).
struct ChannelArgument {
    int32_t channel = -1;
    bool given = false;
    int32_t block[3] = {0, 0, 0};  // the surround parameter block
};
ChannelArgument DecodeChannel(void** channel, Property property);

// A written value: the first four bytes of the value buffer as the property's type says.
struct WrittenValue {
    bool isFloat = false;
    int32_t integer = 0;
    float real = 0.0f;
};
std::optional<WrittenValue> DecodeWrite(void** value, Property property);

// Writes ASCII text as NUL-terminated UTF-16 into a buffer of the given size in bytes, cut to fit.
void PutText(void* buffer, size_t bytes, const std::string& text);

// Text of a level 0..1 that reads back as the same whole percent when a reader multiplies it by
// 100 and truncates, as long as the level lies within `tolerance` of that percent.
std::string LevelText(double level, double tolerance);
std::string IntegerText(int64_t value);
std::string DecibelText(double decibels);

// The reader's side of the contract, for tests and the fuzz target: UTF-16 decimal text in a buffer
// of the given size in bytes (not necessarily terminated) to a number.
std::optional<double> ParseDecimalText(const void* buffer, size_t bytes);

}  // namespace osconflib
