#include "toolkit/DPI.h"

#include <cmath>

namespace DuiLib {

bool CDPI::SetDPI(int dpi) {
    if (dpi < 48 || dpi > 480) return false;
    m_nDPI = dpi;
    return true;
}

int CDPI::Scale(int logical) const {
    // Round half away from zero so that -1 and 1 scale alike.
    const double v = static_cast<double>(logical) * m_nDPI / kBaseDPI;
    return static_cast<int>(std::lround(v));
}

int CDPI::ScaleBack(int pixels) const {
    return static_cast<int>(std::lround(static_cast<double>(pixels) * kBaseDPI / m_nDPI));
}

RECT CDPI::Scale(RECT r) const { return RECT{Scale(r.left), Scale(r.top), Scale(r.right), Scale(r.bottom)}; }

SIZE CDPI::Scale(SIZE s) const { return SIZE{Scale(s.cx), Scale(s.cy)}; }

POINT CDPI::Scale(POINT p) const { return POINT{Scale(p.x), Scale(p.y)}; }

}  // namespace DuiLib
