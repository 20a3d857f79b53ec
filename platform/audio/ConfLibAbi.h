#pragma once
// The calling contract of the headset's audio configuration library, "SDK/libosConfLib.so" in the
// program folder. The library and the engine that loads it with dlopen both build against this
// header, so the two sides cannot drift apart.
//
// Values:
// - a read fills the value buffer with the value as NUL-terminated UTF-16 decimal text
//   ("37", "0.370000", or comma-separated fields for "GetSupportFeature");
// - a write passes the value as the first four bytes of the value buffer, a 32-bit integer or a
//   32-bit float as the property's type says;
// - the channel buffer, when given, holds one 32-bit channel number (-1 all channels, 0 the
//   first) or, for "VirtualSurroundEffectControl", a block of three 32-bit words.
// Every entry point returns 0 on success.
#include <cstddef>
#include <cstdint>

extern "C" {

// Word 1 is the endpoint kind, word 3 a flag; words 0 and 2 belong to the library.
struct ConfLibDescriptor {
    uint32_t word[4];
};

using ConfLibInitFunction = int32_t (*)();
using ConfLibUnInitFunction = int32_t (*)();
using CreateDeviceListFunction = int32_t (*)();
using GetDeviceCountFunction = int32_t (*)(int32_t list, int32_t* count);
using GetDeviceByIdFunction = int32_t (*)(int32_t list, int32_t index, ConfLibDescriptor* descriptor);
// value and channel are the addresses of the variables that hold the buffers' addresses;
// channel may be null.
using PropertyControlFunction = int32_t (*)(ConfLibDescriptor descriptor, const char16_t* property, void** value,
                                            void** channel, int32_t direction);
}

namespace conflib {

inline constexpr char kLibraryPath[] = "SDK/libosConfLib.so";  // relative to the program folder

inline constexpr char kInitName[] = "ConfLibInit";
inline constexpr char kUnInitName[] = "ConfLibUnInit";
inline constexpr char kCreateDeviceListName[] = "CreateDeviceList";
inline constexpr char kGetDeviceCountName[] = "GetDeviceCount";
inline constexpr char kGetDeviceByIdName[] = "GetDeviceById";
inline constexpr char kPropertyControlName[] = "PropertyControl";

inline constexpr int32_t kPlaybackList = 0;
inline constexpr int32_t kCaptureList = 1;
inline constexpr int32_t kRead = 0;
inline constexpr int32_t kWrite = 1;

// Endpoint kinds the engine chooses by (descriptor word 1).
inline constexpr uint32_t kKindSpeakers = 1;
inline constexpr uint32_t kKindMicrophone = 2;
inline constexpr uint32_t kKindHeadphones = 4;
inline constexpr uint32_t kKindDigitalOutput = 7;
inline constexpr uint32_t kKindHeadsetOutput = 12;
inline constexpr uint32_t kFlagUsable = 1;  // descriptor word 3

inline constexpr size_t kValueBufferSize = 1024;
inline constexpr size_t kFeatureBufferSize = 2048;  // "GetSupportFeature" answers

}  // namespace conflib
