#pragma once
// Scaling from the layouts' 96-DPI logical pixels to the window's DPI.
#include "toolkit/UIDefs.h"

namespace DuiLib {

class CDPI {
public:
    static constexpr int kBaseDPI = 96;

    int GetDPI() const { return m_nDPI; }
    // Values outside 48..480 are refused (the DPI stays).
    bool SetDPI(int dpi);
    // Percent of the base size (150 at 144 DPI).
    int GetScale() const { return m_nDPI * 100 / kBaseDPI; }
    int Scale(int logical) const;
    int ScaleBack(int pixels) const;
    RECT Scale(RECT logical) const;
    SIZE Scale(SIZE logical) const;
    POINT Scale(POINT logical) const;

private:
    int m_nDPI = kBaseDPI;
};

}  // namespace DuiLib
