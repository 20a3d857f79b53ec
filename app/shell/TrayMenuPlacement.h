#pragma once
// Where the tray menu opens: beside the desktop's panel (the edge where the screen's available
// area stops short of the full screen), else at the cursor; always wholly on the screen.
#include "toolkit/UIDefs.h"

enum class PanelEdge { None, Top, Left, Bottom, Right };

// The edge of the screen that holds the panel; None when the whole screen is available.
PanelEdge FindPanelEdge(const DuiLib::RECT& screen, const DuiLib::RECT& available);

// The menu's rectangle (screen coordinates) for a right click at the cursor.
DuiLib::RECT PlaceTrayMenu(DuiLib::POINT cursor, DuiLib::SIZE menu, const DuiLib::RECT& screen,
                           const DuiLib::RECT& available);
