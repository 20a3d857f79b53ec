#include "app/shell/TrayMenuPlacement.h"

#include <algorithm>

#include "toolkit/MenuWnd.h"

using namespace DuiLib;

namespace {
// The point the menu's corner goes to, and which corner (menu alignment bits).
struct Anchor {
    POINT point;
    DWORD alignment;
};

constexpr DWORD kAlignLeftTop = eMenuAlignment_Left | eMenuAlignment_Top;
constexpr DWORD kAlignRightTop = eMenuAlignment_Right | eMenuAlignment_Top;       // 12
constexpr DWORD kAlignLeftBottom = eMenuAlignment_Left | eMenuAlignment_Bottom;   // 18
constexpr DWORD kAlignRightBottom = eMenuAlignment_Right | eMenuAlignment_Bottom;  // 24
// A menu over a bottom panel keeps this much air above it.
constexpr int kBottomPanelGap = 20;

Anchor AnchorBesidePanel(POINT cursor, PanelEdge edge, const RECT& available) {
    switch (edge) {
    case PanelEdge::Top: return {{cursor.x, available.top + 1}, kAlignRightTop};
    case PanelEdge::Left: return {{available.left + 1, cursor.y}, kAlignLeftBottom};
    case PanelEdge::Bottom: return {{cursor.x, available.bottom - kBottomPanelGap}, kAlignRightBottom};
    case PanelEdge::Right: return {{available.right - 1, cursor.y}, kAlignRightBottom};
    case PanelEdge::None: break;
    }
    return {cursor, kAlignLeftTop};
}

int Clamp(int value, int low, int high) { return high < low ? low : std::clamp(value, low, high); }
}  // namespace

PanelEdge FindPanelEdge(const RECT& screen, const RECT& available) {
    if (available.IsEmpty() || available == screen) return PanelEdge::None;
    // The widest strip the available area leaves is the panel (a desktop may reserve several).
    const struct {
        PanelEdge edge;
        int strip;
    } strips[] = {{PanelEdge::Top, available.top - screen.top},
                  {PanelEdge::Left, available.left - screen.left},
                  {PanelEdge::Bottom, screen.bottom - available.bottom},
                  {PanelEdge::Right, screen.right - available.right}};
    PanelEdge best = PanelEdge::None;
    int widest = 0;
    for (const auto& s : strips)
        if (s.strip > widest) {
            widest = s.strip;
            best = s.edge;
        }
    return best;
}

RECT PlaceTrayMenu(POINT cursor, SIZE menu, const RECT& screen, const RECT& available) {
    const RECT area = available.IsEmpty() ? screen : available;
    const Anchor anchor = AnchorBesidePanel(cursor, FindPanelEdge(screen, available), area);
    int left = anchor.point.x, top = anchor.point.y;
    if (anchor.alignment & eMenuAlignment_Right) left -= menu.cx;
    if (anchor.alignment & eMenuAlignment_Bottom) top -= menu.cy;
    // Wholly on the screen and off the panel; a menu larger than the area keeps its top left corner.
    left = Clamp(left, area.left, area.right - menu.cx);
    top = Clamp(top, area.top, area.bottom - menu.cy);
    return RECT{left, top, left + menu.cx, top + menu.cy};
}
