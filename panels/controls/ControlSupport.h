#pragma once
// Small helpers shared by the custom controls.
#include <string>

#include "toolkit/Control.h"

namespace DuiLib {

inline constexpr const char* kMouseEnterNotify = "msenter";
inline constexpr const char* kMouseLeaveNotify = "msleave";

// True when the image string names a file that exists (skin-relative or absolute).
bool ImageFileExists(const std::string& image);
// Raises "msenter" / "msleave" for an enabled control.
void NotifyPointerCrossing(CControlUI* control, bool entered);
// True when the sender is the control itself or lies inside it.
bool IsInside(const CControlUI* sender, const CControlUI* container);

}  // namespace DuiLib
