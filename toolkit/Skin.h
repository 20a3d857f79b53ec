#pragma once
// Internal: the dark skin as application palette and style sheet for the wrapped Qt widgets
// (edits, combos and their drop-downs, sliders, scroll bars, tool tips).
namespace DuiLib::detail {

// Lengths of the style sheet follow the DPI; applying the same DPI again does nothing.
void ApplyDarkSkin(int dpi = 96);

}  // namespace DuiLib::detail
