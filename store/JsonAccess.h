#pragma once
// Tolerant access to documents from disk: a wrong type reads as absent instead of throwing.
#include <json/json.h>

#include <cstdint>
#include <string>

// Largest array index the store creates; keeps a bad index from producing a giant file.
inline constexpr int kMaxJsonArrayIndex = 4096;

// Member of an object, or null when value is not an object or lacks it.
const Json::Value& MemberOf(const Json::Value& value, const char* key);
// Element of an array, or null when value is not an array or the index is out of range.
const Json::Value& ElementOf(const Json::Value& value, int index);
// Number of elements when value is an array, else 0.
int ArraySize(const Json::Value& value);

// A number as a signed 32-bit value, wrapped to its low 32 bits like the original's conversion;
// bools give 0 or 1; anything else (text, objects, null, NaN) gives fallback.
int32_t ToInt32(const Json::Value& value, int32_t fallback = 0);
// jsoncpp's bool conversion (non-zero number is true); non-numbers are false.
bool ToBool(const Json::Value& value);
// Text of a string value; other types give "".
std::string ToText(const Json::Value& value);

// The decimal value of text as the C library reads it: optional spaces, sign, leading digits;
// no digits gives 0. Saturates at the 32-bit limits instead of overflowing.
int32_t ParseDecimal(const std::string& text);
// ToInt32 for numbers, ParseDecimal for text (delays are stored either way).
int32_t NumberOrDecimalText(const Json::Value& value);

// Writable member/element that is made an object (or array) first when it holds another type.
Json::Value& ObjectMember(Json::Value& object, const char* key);
Json::Value& ArrayElement(Json::Value& array, int index);
// Makes value an object when it is not one; an existing object stays as it is.
Json::Value& AsObject(Json::Value& value);
Json::Value& AsArray(Json::Value& value);

// True for an index the store may create in an array (0..kMaxJsonArrayIndex).
inline bool IsUsableIndex(int index) { return index >= 0 && index <= kMaxJsonArrayIndex; }

// Member read as its low 8 / 16 bits, or as a 0/1 flag through the bool conversion.
inline uint8_t ByteOf(const Json::Value& object, const char* key) {
    return static_cast<uint8_t>(ToInt32(MemberOf(object, key)) & 0xFF);
}
inline uint16_t Word16Of(const Json::Value& object, const char* key) {
    return static_cast<uint16_t>(ToInt32(MemberOf(object, key)) & 0xFFFF);
}
inline uint8_t FlagOf(const Json::Value& object, const char* key) {
    return ToBool(MemberOf(object, key)) ? 1 : 0;
}
