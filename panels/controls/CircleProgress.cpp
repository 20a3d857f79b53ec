#include "panels/controls/CircleProgress.h"

#include <QPainter>

#include "toolkit/ImageString.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;
using detail::ToQColor;

namespace {

// Qt counts angles counter-clockwise in sixteenths of a degree from three o'clock.
constexpr int kQtDegree = 16;
constexpr double kStartClockwiseFromThree = 90.0;  // the bottom

}  // namespace

CCircleProgressUI::CCircleProgressUI() : m_dwForeColor(Theme::kAccent) {}

std::string CCircleProgressUI::GetClass() const { return kClassName; }

void* CCircleProgressUI::GetInterface(const std::string& name) {
    return SameNoCase(name, kClassName) ? this : CProgressUI::GetInterface(name);
}

void CCircleProgressUI::SetForeColor(DWORD argb) {
    m_dwForeColor = argb;
    Invalidate();
}

void CCircleProgressUI::SetInnerColor(DWORD argb) {
    m_dwInnerColor = argb;
    Invalidate();
}

// The share of the range that is filled; a range not starting at 0 still gives at most a full turn.
double CCircleProgressUI::SweepDegrees() const { return Fraction() * 360.0; }

void CCircleProgressUI::PaintBkColor(QPainter& painter) {
    const DWORD colour = m_dwBackColor ? m_dwBackColor : Theme::kRaised;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(colour));
    painter.drawEllipse(detail::ToQRect(m_rcItem));
    painter.restore();
}

void CCircleProgressUI::PaintStatusImage(QPainter& painter) {
    const QRect whole = detail::ToQRect(m_rcItem);
    if (whole.isEmpty()) return;
    painter.save();
    painter.setPen(Qt::NoPen);
    const double sweep = SweepDegrees();
    if (sweep > 0) {
        painter.setBrush(ToQColor(IsEnabledInTree() ? m_dwForeColor : Theme::kTextDisabled));
        painter.drawPie(whole, static_cast<int>(-kStartClockwiseFromThree * kQtDegree),
                        -static_cast<int>(sweep * kQtDegree + 0.5));
    }
    const int inset = Scale(kRingWidth);
    const QRect hole = whole.adjusted(inset, inset, -inset, -inset);
    if (!hole.isEmpty()) {
        painter.setBrush(ToQColor(m_dwInnerColor));
        painter.drawEllipse(hole);
    }
    painter.restore();
}

void CCircleProgressUI::SetAttribute(const std::string& name, const std::string& value) {
    DWORD colour = 0;
    if (SameNoCase(name, "forecolor")) {
        if (ParseColorValue(value, colour)) SetForeColor(colour);
    } else if (SameNoCase(name, "innercolor")) {
        if (ParseColorValue(value, colour)) SetInnerColor(colour);
    } else {
        CProgressUI::SetAttribute(name, value);
    }
}

}  // namespace DuiLib
