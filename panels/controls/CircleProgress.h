#pragma once
// A round progress: a disc in the background colour, a pie of the filled share in the
// foreground colour starting at the bottom and turning clockwise, cut out to a ring.
#include "toolkit/Label.h"

namespace DuiLib {

class CCircleProgressUI : public CProgressUI {
public:
    static constexpr const char* kClassName = "CircleProgress";
    static constexpr int kRingWidth = 10;  // logical pixels between the outer and the inner circle

    CCircleProgressUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    DWORD GetForeColor() const { return m_dwForeColor; }
    void SetForeColor(DWORD argb);
    DWORD GetInnerColor() const { return m_dwInnerColor; }
    void SetInnerColor(DWORD argb);
    // The pie's sweep in degrees, clockwise from the bottom.
    double SweepDegrees() const;

    void PaintBkColor(QPainter& painter) override;
    void PaintStatusImage(QPainter& painter) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

private:
    DWORD m_dwForeColor;
    DWORD m_dwInnerColor = 0xFFFFFFFF;
};

}  // namespace DuiLib
