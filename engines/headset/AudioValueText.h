#pragma once
// The library answers reads with the value as NUL-terminated UTF-16 decimal text. These read it
// without trusting it: the text ends at the buffer's end if no NUL comes first, and text that is
// not a number reads as 0, as the C conversions do.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The text up to the first NUL or the end of the buffer (in UTF-16 units), characters outside
// ASCII replaced by '?'.
std::string ValueText(const char16_t* buffer, size_t units);
int32_t ValueTextToInt(const std::string& text);
double ValueTextToDouble(const std::string& text);
// Fields between "," separators; empty fields are skipped.
std::vector<std::string> SplitFeatureText(const std::string& text);
// A property name as the library takes it.
std::u16string PropertyName(const std::string& name);
