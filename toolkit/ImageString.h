#pragma once
// The image-string form of layouts: "file='a.svg' source='0,0,16,16' corner='4,4,4,4' ..." or a
// bare file name. Parsing is separate from drawing so that it can be checked without a display.
#include <string>

#include "toolkit/UIDefs.h"

namespace DuiLib {

struct ImageDescriptor {
    std::string file;      // relative to the skin folder, "/" separated
    RECT source;           // empty: the whole image
    RECT corner;           // nine-patch borders kept unscaled in length
    RECT dest;             // empty: the whole control rectangle
    DWORD mask = 0;        // colour treated as transparent (PNG only)
    int fade = 255;        // opacity 0..255
    bool hole = false;     // corner mode: leave the middle out
    bool xtiled = false;
    bool ytiled = false;
};

// False for an empty string or one without a file; unknown keys are ignored.
bool ParseImageString(const std::string& text, ImageDescriptor& out);
// "a,b,c,d" into a rectangle; false (and out untouched) when it does not hold four numbers.
bool ParseRectValue(const std::string& text, RECT& out);
// "#AARRGGBB", "#RRGGBB" or "0xAARRGGBB"; six digits mean opaque.
bool ParseColorValue(const std::string& text, DWORD& out);
// "true"/"1" (any case) give true.
bool ParseBoolValue(const std::string& text);
// Turns the original's "\" separators into "/".
std::string NormalizeSkinPath(std::string path);

}  // namespace DuiLib
