#pragma once
// One announced change of the main window's background.
#include <string>

#include "toolkit/UIDefs.h"

struct SkinChangedParam {
    bool isColour = false;     // true: a plain colour; false: an image
    DuiLib::DWORD colour = 0;  // ARGB, when isColour
    std::string image;         // toolkit image name or file path, when not isColour
};

// The background the layout itself names; "skin_reset" goes back to it.
inline constexpr const char* kDefaultSkinImage = "common/background.png";
