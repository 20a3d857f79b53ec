#include "engines/device/DeviceKeyButton.h"

#include <QPainter>
#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "toolkit/ControlHost.h"
#include "toolkit/PaintManager.h"
#include "toolkit/QtConvert.h"

using namespace DuiLib;
using DuiLib::detail::ToQ;
using DuiLib::detail::ToQRect;

namespace {

// Inside a key picture the cap's widget stays hidden: the picture paints the cap and its input
// reaches the cap through the picture.
class CapHost : public detail::PaintedHost {
public:
    explicit CapHost(CDeviceKeyButtonUI* cap) : detail::PaintedHost(cap, false) {}
    void setVisible(bool visible) override {
        auto* cap = static_cast<CDeviceKeyButtonUI*>(Owner());
        detail::PaintedHost::setVisible(visible && !(cap && cap->Picture()));
    }
};

// The lit rounded rectangles under the faces, kept by size and colour: a lighting frame uses a few
// dozen colours, and a kept one is blitted far faster than an antialiased path is filled per cap.
// UI thread only; emptied when it grows past what a few effects need.
const QPixmap& LitShape(QSizeF size, qreal ratio, qreal radius, QColor colour) {
    constexpr size_t kMostShapes = 4096;
    static std::unordered_map<uint64_t, QPixmap> shapes;
    const QSize pixels = (size * ratio).toSize();
    const uint64_t key = (uint64_t(pixels.width() & 0xFFF) << 52) | (uint64_t(pixels.height() & 0xFFF) << 40) |
                         (uint64_t(std::lround(radius * ratio * 4) & 0xFF) << 32) | (uint64_t(colour.rgb() & 0xFFFFFF) << 4) |
                         uint64_t(std::lround(ratio * 4) & 0xF);
    auto found = shapes.find(key);
    if (found != shapes.end()) return found->second;
    if (shapes.size() >= kMostShapes) shapes.clear();
    QPixmap shape(pixels);
    shape.setDevicePixelRatio(ratio);
    shape.fill(Qt::transparent);
    QPainter painter(&shape);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(QPointF(0, 0), size), radius, radius);
    painter.fillPath(outline, colour);
    return shapes.emplace(key, std::move(shape)).first->second;
}

// A premultiplied pixel times factor / 255, per channel.
QRgb ScaledPixel(QRgb pixel, uint factor) {
    uint redBlue = (pixel & 0xFF00FF) * factor;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xFF00FF) + 0x800080) >> 8) & 0xFF00FF;
    uint alphaGreen = ((pixel >> 8) & 0xFF00FF) * factor;
    alphaGreen = (alphaGreen + ((alphaGreen >> 8) & 0xFF00FF) + 0x800080) & 0xFF00FF00;
    return alphaGreen | redBlue;
}

}  // namespace

std::string CDeviceKeyButtonUI::GetClass() const { return kClassName; }

void* CDeviceKeyButtonUI::GetInterface(const std::string& name) {
    if (name == kClassName) return this;
    if (name == IKeyCap::kInterfaceName) return static_cast<IKeyCap*>(this);
    return CControlUI::GetInterface(name);
}

QWidget* CDeviceKeyButtonUI::CreateWidget() { return new CapHost(this); }

IKeyPicture* CDeviceKeyButtonUI::Picture() const {
    // Asked for every cap of every frame; the tree above a cap changes only through SetManager.
    if (pictureKnown_) return picture_;
    picture_ = nullptr;
    for (CControlUI* c = GetParent(); c && !picture_; c = c->GetParent())
        picture_ = static_cast<IKeyPicture*>(c->GetInterface(IKeyPicture::kInterfaceName));
    pictureKnown_ = GetParent() != nullptr;
    return picture_;
}

void CDeviceKeyButtonUI::SyncWidget() {
    if (m_pWidget && m_pWidget->parentWidget()) m_pWidget->setVisible(IsVisible());
}

void CDeviceKeyButtonUI::Repaint() {
    if (IKeyPicture* picture = Picture()) picture->CapChanged(this);
    else Invalidate();
}

void CDeviceKeyButtonUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    CControlUI::SetManager(manager, parent, init);
    pictureKnown_ = false;
    faceDirty_ = true;
    SyncWidget();
}

void CDeviceKeyButtonUI::SetVisible(bool visible) {
    const bool was = IsVisible();
    CControlUI::SetVisible(visible);
    if (IsVisible() == was) return;
    frameInPicture_ = false;  // a hidden cap leaves the picture's image
    Repaint();
}

void CDeviceKeyButtonUI::SetText(const std::string& text) {
    CControlUI::SetText(text);
    faceDirty_ = true;
    Repaint();
}

void CDeviceKeyButtonUI::ReloadText() {
    CControlUI::ReloadText();
    faceDirty_ = true;
    Repaint();
}

void CDeviceKeyButtonUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    faceDirty_ = true;
    Repaint();
}

void CDeviceKeyButtonUI::OnDPIChanged() {
    CControlUI::OnDPIChanged();
    faceDirty_ = true;
}

void CDeviceKeyButtonUI::SetLightColor(uint32_t colour, uint8_t brightness) {
    if (colour == colour_ && brightness == brightness_) return;
    colour_ = colour;
    brightness_ = brightness;
    Repaint();
}

void CDeviceKeyButtonUI::SetKeyLayerVisible(bool visible) {
    if (visible == keyLayerVisible_) return;
    keyLayerVisible_ = visible;
    Repaint();
}

void CDeviceKeyButtonUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_BUTTONUP && IsEnabledInTree() && GetManager()) {
        GetManager()->SendNotify(this, DUI_MSGTYPE_CLICK);
        return;
    }
    CControlUI::DoEvent(event);
}

void CDeviceKeyButtonUI::DoPaint(QPainter& painter, const RECT&) {
    if (!Picture()) PaintCap(painter);
}

QColor CDeviceKeyButtonUI::LightColour() const {
    const int red = colour_ & 0xFF, blue = (colour_ >> 8) & 0xFF, green = (colour_ >> 16) & 0xFF;
    const int glow = brightness_;
    return QColor(red * glow / 255, green * glow / 255, blue * glow / 255);
}

void CDeviceKeyButtonUI::PaintCap(QPainter& painter) {
    const QRectF cap = QRectF(ToQRect(GetPos())).adjusted(1, 1, -1, -1);
    if (cap.width() <= 0 || cap.height() <= 0) return;
    const QColor light = LightColour();
    const qreal radius = Scale(4);
    // The light shines around the cap's edge so that the label stays readable: a lit rounded
    // rectangle under the cap's face, which is drawn once and kept, as the caps repaint with
    // every lighting frame and only the light changes then.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal ring = Scale(2);
    const QRectF face = cap.adjusted(ring, ring, -ring, -ring);
    if (FaceIsStale(face.size(), ratio)) RenderFace(face.size(), ratio, std::max<qreal>(0, radius - ring));
    const IKeyPicture* picture = Picture();
    const unsigned long backdrop = picture ? picture->BackdropColour() : 0;
    if (backdrop >> 24 == 0xFF) {
        // On a plain backdrop one fill and one blit draw the cap.
        painter.fillRect(cap, light);
        painter.drawImage(cap.topLeft(), Frame(cap.size(), ratio, radius, ring, backdrop));
    } else {
        painter.drawPixmap(cap.topLeft(), LitShape(cap.size(), ratio, radius, light));
        painter.drawPixmap(face.topLeft(), face_);
    }
}

bool CDeviceKeyButtonUI::DrawCapInto(QImage& image, QPoint origin, bool lightOnly) {
    const IKeyPicture* picture = Picture();
    const unsigned long backdrop = picture ? picture->BackdropColour() : 0;
    if (backdrop >> 24 != 0xFF || image.format() != QImage::Format_ARGB32_Premultiplied) return false;
    const QRectF cap = QRectF(ToQRect(GetPos())).adjusted(1, 1, -1, -1);
    if (cap.width() <= 0 || cap.height() <= 0) return true;
    // Only on whole device pixels; elsewhere the painter's sampling decides how the cap looks.
    const qreal ratio = image.devicePixelRatio();
    const QPointF at = (cap.topLeft() - QPointF(origin)) * ratio;
    const QPoint pixel = at.toPoint();
    if (std::abs(at.x() - pixel.x()) > 1e-6 || std::abs(at.y() - pixel.y()) > 1e-6) return false;
    const qreal radius = Scale(4);
    const qreal ring = Scale(2);
    const QRectF face = cap.adjusted(ring, ring, -ring, -ring);
    if (FaceIsStale(face.size(), ratio)) RenderFace(face.size(), ratio, std::max<qreal>(0, radius - ring));
    const QImage& frame = Frame(cap.size(), ratio, radius, ring, backdrop);
    if (!image.rect().contains(QRect(pixel, frame.size()))) return false;
    // The frame over a plain fill of the light, as PaintCap draws it. Where the frame is opaque
    // (the face, the backdrop) the light changes nothing: with only the light changed, the runs of
    // see-through pixels are all there is to draw.
    const QRgb light = LightColour().rgb();
    const uchar* frameBits = frame.constBits();
    const qsizetype frameStride = frame.bytesPerLine();
    uchar* imageBits = image.bits() + pixel.y() * image.bytesPerLine() + pixel.x() * qsizetype(sizeof(QRgb));
    const qsizetype imageStride = image.bytesPerLine();
    const auto compose = [light](const QRgb* src, QRgb* dst, int count) {
        for (int x = 0; x < count; ++x) {
            const uint alpha = qAlpha(src[x]);
            dst[x] = alpha == 255 ? src[x] : src[x] + ScaledPixel(light, 255 - alpha);
        }
    };
    if (lightOnly && frameInPicture_) {
        // The run pixels are kept together, so that a frame reads a few lines of memory per cap.
        const QRgb* src = lightPixels_.data();
        for (const LightRun& run : lightRuns_) {
            auto* dst = reinterpret_cast<QRgb*>(imageBits + run.row * imageStride) + run.from;
            for (int x = 0; x < run.count; ++x) dst[x] = src[x] + ScaledPixel(light, 255 - qAlpha(src[x]));
            src += run.count;
        }
    } else {
        for (int row = 0, rows = frame.height(), width = frame.width(); row < rows; ++row)
            compose(reinterpret_cast<const QRgb*>(frameBits + row * frameStride),
                    reinterpret_cast<QRgb*>(imageBits + row * imageStride), width);
    }
    frameInPicture_ = true;
    return true;
}

const QImage& CDeviceKeyButtonUI::Frame(QSizeF size, qreal ratio, qreal radius, qreal ring, unsigned long backdrop) {
    const QSize pixels = (size * ratio).toSize();
    if (!frameStale_ && frameBackdrop_ == backdrop && frame_.size() == pixels && frame_.devicePixelRatio() == ratio)
        return frame_;
    frameStale_ = false;
    frameInPicture_ = false;
    frameBackdrop_ = backdrop;
    frame_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    frame_.setDevicePixelRatio(ratio);
    frame_.fill(Qt::transparent);
    QPainter painter(&frame_);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(QPointF(0, 0), size);
    QPainterPath outside;
    outside.addRect(area);
    QPainterPath rounded;
    rounded.addRoundedRect(area, radius, radius);
    painter.fillPath(outside.subtracted(rounded), QColor::fromRgba(static_cast<QRgb>(backdrop)));
    painter.drawPixmap(QPointF(ring, ring), face_);
    painter.end();
    lightRuns_.clear();
    lightPixels_.clear();
    for (int row = 0, rows = frame_.height(), width = frame_.width(); row < rows; ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(frame_.constScanLine(row));
        for (int x = 0; x < width;) {
            if (qAlpha(line[x]) == 255) {
                ++x;
                continue;
            }
            const int from = x;
            while (x < width && qAlpha(line[x]) != 255) lightPixels_.push_back(line[x++]);
            lightRuns_.push_back({row, from, x - from});
        }
    }
    return frame_;
}

bool CDeviceKeyButtonUI::FaceIsStale(QSizeF size, qreal ratio) const {
    // The label and font are compared only when something said they may have changed: a lighting
    // frame repaints every cap, and those comparisons cost more than the light itself.
    return face_.isNull() || faceDirty_ || faceSize_ != size || faceRatio_ != ratio ||
           faceEnabled_ != IsEnabledInTree() || faceKeyLayer_ != keyLayerVisible_;
}

void CDeviceKeyButtonUI::RenderFace(QSizeF size, qreal ratio, qreal radius) {
    frameStale_ = true;
    faceSize_ = size;
    faceRatio_ = ratio;
    faceDirty_ = false;
    faceText_ = GetText();
    faceEnabled_ = IsEnabledInTree();
    faceKeyLayer_ = keyLayerVisible_;
    faceFont_ = GetQFont();
    face_ = QPixmap((size * ratio).toSize());
    face_.setDevicePixelRatio(ratio);
    face_.fill(Qt::transparent);
    QPainter painter(&face_);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(QPointF(0, 0), size);
    QPainterPath shape;
    shape.addRoundedRect(area, radius, radius);
    painter.fillPath(shape, QColor(0x24, 0x27, 0x30));
    if (keyLayerVisible_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xF0, 0xA0, 0x30));
        const qreal dot = Scale(5);
        painter.drawEllipse(QRectF(area.right() - dot - Scale(1), area.top() + Scale(1), dot, dot));
    }
    if (faceText_.empty()) return;
    painter.setPen(faceEnabled_ ? QColor(0xE6, 0xE8, 0xEE) : QColor(0x70, 0x74, 0x80));
    const QRectF room = area.adjusted(Scale(1), 0, -Scale(1), 0);
    // Long names shrink to fit the cap instead of being cut off.
    QFont font = faceFont_;
    const QString label = ToQ(faceText_);
    for (int step = 0; step < 6 && QFontMetricsF(font).horizontalAdvance(label) > room.width(); ++step)
        font.setPixelSize(std::max(6, font.pixelSize() * 85 / 100));
    painter.setFont(font);
    painter.drawText(room, Qt::AlignCenter, label);
}
