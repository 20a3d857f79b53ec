#include "panels/lighting/ColorPaletteUI.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"

using namespace DuiLib;

namespace {

constexpr int kHueStops = 6;
constexpr qreal kCornerRadius = 4.0;

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

}  // namespace

CColorPaletteUI::CColorPaletteUI() { SetColor(m_argb); }

std::string CColorPaletteUI::GetClass() const { return kClassName; }

void* CColorPaletteUI::GetInterface(const std::string& name) {
    return detail::SameNoCase(name, kClassName) ? this : CControlUI::GetInterface(name);
}

void CColorPaletteUI::SetColor(DWORD argb) {
    m_argb = 0xFF000000 | (argb & 0x00FFFFFF);
    const QColor c = QColor::fromRgb(m_argb);
    float h = 0, s = 0, v = 0;
    c.getHsvF(&h, &s, &v);
    if (h >= 0 && s > 0) m_hue = h * 360.0;  // achromatic colours keep the hue shown before
    if (v > 0) m_saturation = s;
    m_value = v;
    Invalidate();
}

RECT CColorPaletteUI::FieldRect() const {
    RECT rc = m_rcItem;
    rc.bottom = std::max(rc.top, rc.bottom - Scale(m_stripHeight) - Scale(m_gap));
    return rc;
}

RECT CColorPaletteUI::StripRect() const {
    RECT rc = m_rcItem;
    rc.top = std::max(rc.top, rc.bottom - Scale(m_stripHeight));
    return rc;
}

void CColorPaletteUI::UpdateFromHsv() {
    const QColor c = QColor::fromHsvF(static_cast<float>(std::fmod(m_hue, 360.0) / 360.0),
                                      static_cast<float>(m_saturation), static_cast<float>(m_value));
    m_argb = 0xFF000000 | (c.rgb() & 0x00FFFFFF);
    Invalidate();
}

void CColorPaletteUI::PickAt(POINT pt) {
    if (m_drag == Drag::Field) {
        const RECT f = FieldRect();
        if (f.Width() <= 1 || f.Height() <= 1) return;
        m_hue = Clamp01(double(pt.x - f.left) / (f.Width() - 1)) * 359.0;
        m_saturation = 1.0 - Clamp01(double(pt.y - f.top) / (f.Height() - 1));
    } else if (m_drag == Drag::Strip) {
        const RECT s = StripRect();
        if (s.Width() <= 1) return;
        m_value = Clamp01(double(pt.x - s.left) / (s.Width() - 1));
    }
    UpdateFromHsv();
}

void CColorPaletteUI::Notify() {
    if (m_pManager) m_pManager->SendNotify(this, DUI_MSGTYPE_COLORCHANGED, m_argb, 0);
}

void CColorPaletteUI::DoEvent(TEventUI& event) {
    if (!IsEnabledInTree()) return CControlUI::DoEvent(event);
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (FieldRect().Contains(event.ptMouse)) m_drag = Drag::Field;
        else if (StripRect().Contains(event.ptMouse)) m_drag = Drag::Strip;
        else return;
        PickAt(event.ptMouse);
        Notify();
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_drag != Drag::None && (event.wKeyState & MK_LBUTTON)) PickAt(event.ptMouse);
        return;
    case UIEVENT_BUTTONUP:
        if (m_drag == Drag::None) return;
        PickAt(event.ptMouse);
        m_drag = Drag::None;
        Notify();
        return;
    default:
        CControlUI::DoEvent(event);
    }
}

void CColorPaletteUI::DoPaint(QPainter& painter, const RECT&) {
    const bool enabled = IsEnabledInTree();
    painter.save();
    if (!enabled) painter.setOpacity(0.35);
    const QRectF field = detail::ToQRect(FieldRect());
    const QRectF strip = detail::ToQRect(StripRect());
    const qreal radius = Scale(static_cast<int>(kCornerRadius));

    QPainterPath fieldPath;
    fieldPath.addRoundedRect(field, radius, radius);
    QLinearGradient hues(field.topLeft(), field.topRight());
    for (int i = 0; i <= kHueStops; ++i)
        hues.setColorAt(double(i) / kHueStops, QColor::fromHsvF(float(i % kHueStops) / kHueStops, 1.0f, 1.0f));
    painter.fillPath(fieldPath, hues);
    QLinearGradient whiteDown(field.topLeft(), field.bottomLeft());
    whiteDown.setColorAt(0, QColor(255, 255, 255, 0));
    whiteDown.setColorAt(1, QColor(255, 255, 255, 255));
    painter.fillPath(fieldPath, whiteDown);

    QPainterPath stripPath;
    stripPath.addRoundedRect(strip, radius, radius);
    QLinearGradient values(strip.topLeft(), strip.topRight());
    values.setColorAt(0, Qt::black);
    values.setColorAt(1, QColor::fromHsvF(float(m_hue / 360.0), float(m_saturation), 1.0f));
    painter.fillPath(stripPath, values);

    const QColor border = detail::ToQColor(Theme::kBorder);
    painter.setPen(QPen(border, 1));
    painter.drawPath(fieldPath);
    painter.drawPath(stripPath);

    // Markers: a ring on the field, a bar on the strip, both outlined for any colour below.
    const qreal ring = Scale(6);
    const QPointF at(field.left() + m_hue / 359.0 * (field.width() - 1),
                     field.top() + (1.0 - m_saturation) * (field.height() - 1));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 160), 3));
    painter.drawEllipse(at, ring, ring);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(at, ring, ring);
    const qreal x = strip.left() + m_value * (strip.width() - 1);
    const QRectF bar(x - Scale(3), strip.top() - Scale(2), Scale(6), strip.height() + Scale(4));
    painter.setPen(QPen(QColor(0, 0, 0, 160), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(bar, 2, 2);
    painter.restore();
}

void CColorPaletteUI::SetAttribute(const std::string& name, const std::string& value) {
    if (detail::SameNoCase(name, "stripheight")) m_stripHeight = std::max(4, std::atoi(value.c_str()));
    else if (detail::SameNoCase(name, "stripgap")) m_gap = std::max(0, std::atoi(value.c_str()));
    else if (detail::SameNoCase(name, "color")) {
        DWORD argb = 0;
        if (ParseColorValue(value, argb)) SetColor(argb);
    } else CControlUI::SetAttribute(name, value);
}
