#include "engines/device/DeviceKeyButton.h"

#include <QPainter>
#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>

#include "app/toolkit/PaintManager.h"
#include "app/toolkit/QtConvert.h"

using namespace DuiLib;
using DuiLib::detail::ToQ;
using DuiLib::detail::ToQRect;

std::string CDeviceKeyButtonUI::GetClass() const { return kClassName; }

void* CDeviceKeyButtonUI::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    return CControlUI::GetInterface(name);
}

void CDeviceKeyButtonUI::SetLightColor(uint32_t colour, uint8_t brightness) {
    if (colour == colour_ && brightness == brightness_) return;
    colour_ = colour;
    brightness_ = brightness;
    Invalidate();
}

void CDeviceKeyButtonUI::SetKeyLayerVisible(bool visible) {
    if (visible == keyLayerVisible_) return;
    keyLayerVisible_ = visible;
    Invalidate();
}

void CDeviceKeyButtonUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_BUTTONUP && IsEnabledInTree() && GetManager()) {
        GetManager()->SendNotify(this, DUI_MSGTYPE_CLICK);
        return;
    }
    CControlUI::DoEvent(event);
}

void CDeviceKeyButtonUI::DoPaint(QPainter& painter, const RECT&) {
    const QRectF cap = QRectF(ToQRect(GetPos())).adjusted(1, 1, -1, -1);
    if (cap.width() <= 0 || cap.height() <= 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const int red = colour_ & 0xFF, blue = (colour_ >> 8) & 0xFF, green = (colour_ >> 16) & 0xFF;
    const int glow = brightness_;
    const QColor light(red * glow / 255, green * glow / 255, blue * glow / 255);
    const qreal radius = Scale(4);
    QPainterPath outline;
    outline.addRoundedRect(cap, radius, radius);
    painter.fillPath(outline, QColor(0x24, 0x27, 0x30));
    // The light shines around the cap's edge so that the label stays readable.
    painter.setPen(QPen(light, Scale(2)));
    painter.drawPath(outline);
    if (keyLayerVisible_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xF0, 0xA0, 0x30));
        const qreal dot = Scale(5);
        painter.drawEllipse(QRectF(cap.right() - dot - Scale(3), cap.top() + Scale(3), dot, dot));
    }
    const std::string text = GetText();
    if (!text.empty()) {
        painter.setPen(IsEnabledInTree() ? QColor(0xE6, 0xE8, 0xEE) : QColor(0x70, 0x74, 0x80));
        const QRectF room = cap.adjusted(Scale(3), Scale(2), -Scale(3), -Scale(2));
        // Long names shrink to fit the cap instead of being cut off; the fit is measured once per
        // text, font and size, as the caps repaint with every lighting frame.
        QFont font = GetQFont();
        const QString label = ToQ(text);
        const int width = static_cast<int>(room.width());
        if (label != fittedText_ || width != fittedWidth_ || font.pixelSize() != fittedBaseSize_ || font.family() != fittedFamily_) {
            fittedText_ = label;
            fittedWidth_ = width;
            fittedBaseSize_ = font.pixelSize();
            fittedFamily_ = font.family();
            for (int step = 0; step < 6 && QFontMetricsF(font).horizontalAdvance(label) > room.width(); ++step)
                font.setPixelSize(std::max(6, font.pixelSize() * 85 / 100));
            fittedSize_ = font.pixelSize();
        }
        if (fittedSize_ > 0) font.setPixelSize(fittedSize_);
        painter.setFont(font);
        painter.drawText(room, Qt::AlignCenter, label);
    }
    painter.restore();
}
