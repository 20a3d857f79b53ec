#include "panels/controls/SelectPanel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "toolkit/ControlHost.h"
#include "toolkit/PaintManager.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;

namespace {

constexpr int kBandFillAlpha = 0x40;
constexpr int kKeyOutlineRadius = 4;
constexpr size_t kMostCapsPerFrame = 256;

RECT Normalised(POINT a, POINT b) {
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// A band of no width (a straight horizontal or vertical drag) still touches the keys it crosses.
bool Touches(const RECT& band, const RECT& key) {
    return band.left <= key.right - 1 && key.left <= band.right && band.top <= key.bottom - 1 && key.top <= band.bottom &&
           !key.IsEmpty();
}

}  // namespace

namespace detail {

// Child widgets paint over their parent, so the band and the key outlines live in a widget
// laid over the keys that lets the mouse through.
class SelectionOverlay : public QWidget {
public:
    SelectionOverlay(CSelectPanelUI* panel, QWidget* parent) : QWidget(parent), m_panel(panel) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    void Detach() { m_panel = nullptr; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!m_panel) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const RECT& origin = m_panel->GetPos();
        painter.translate(-origin.left, -origin.top);
        const QColor accent = ToQColor(Theme::kAccent);
        const int pen = std::max(1, m_panel->Scale(1));
        for (CControlUI* key : m_panel->GetSelectedKeys()) {
            if (!key->IsVisible()) continue;
            const QRectF r = QRectF(ToQRect(key->GetPos())).adjusted(0.5, 0.5, -0.5, -0.5);
            const double radius = m_panel->Scale(kKeyOutlineRadius);
            painter.setPen(QPen(accent, pen * 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(r, radius, radius);
        }
        if (!m_panel->IsDragging()) return;
        painter.setRenderHint(QPainter::Antialiasing, false);
        const RECT band = m_panel->GetSelectionRect();
        QColor fill = accent;
        fill.setAlpha(kBandFillAlpha);
        painter.fillRect(ToQRect(band), fill);
        painter.setPen(QPen(accent, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(band.left, band.top, std::max(0, band.Width() - 1), std::max(0, band.Height() - 1)));
    }

private:
    CSelectPanelUI* m_panel;
};

// The picture's widget: it tells the panel which region a paint pass covers, so that only the caps
// in it are drawn, and shows the tooltip of the cap under the pointer (the caps have no widget of
// their own on screen).
class PictureHost : public PaintedHost {
public:
    explicit PictureHost(CSelectPanelUI* panel) : ControlHost<QWidget>(panel, false), m_panel(panel) {}

protected:
    void paintEvent(QPaintEvent* e) override {
        if (Owner()) {
            m_panel->m_paintRegion = e->region();
            m_panel->m_pendingCaps = QRect();
        }
        PaintedHost::paintEvent(e);
        if (Owner()) m_panel->m_paintRegion = QRegion();
    }
    bool event(QEvent* e) override {
        if (e->type() != QEvent::ToolTip || !Owner()) return PaintedHost::event(e);
        auto* help = static_cast<QHelpEvent*>(e);
        const std::string tip = m_panel->ToolTipAt(WindowPointOf(m_panel, help->pos()));
        if (tip.empty()) {
            QToolTip::hideText();
            e->ignore();
        } else {
            QToolTip::showText(help->globalPos(), ToQ(tip), this);
        }
        return true;
    }

private:
    CSelectPanelUI* m_panel;
};

// Shows the kept image of the caps. It lets the mouse through to the picture and paints every
// pixel of its rectangle, so that a frame repaints nothing under it.
class CapLayer : public QWidget {
public:
    CapLayer(CSelectPanelUI* panel, QWidget* parent) : QWidget(parent), m_panel(panel) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_OpaquePaintEvent);
        hide();
    }
    void Detach() { m_panel = nullptr; }
    // The caps of one frame change one after another: the update of what they cover is asked for
    // once, after the last of them (it is the same pass at the display's next refresh).
    void RequestUpdate() {
        if (m_updateAsked) return;
        m_updateAsked = true;
        QMetaObject::invokeMethod(this, [this] {
            m_updateAsked = false;
            if (!m_panel) return;
            update(m_panel->m_pendingLayer);
            m_panel->m_pendingLayer = QRect();
        }, Qt::QueuedConnection);
    }

    // The panel under the caps is no longer plain (a new colour or image): placed again after
    // this pass, the layer goes and the panel paints the caps itself.
    void PlaceAgainSoon() {
        QMetaObject::invokeMethod(this, [this] {
            if (!m_panel) return;
            m_panel->PlaceCapLayer();
            if (QWidget* picture = parentWidget()) picture->update();
        }, Qt::QueuedConnection);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!m_panel) return;
        QPainter painter(this);
        m_panel->PaintCapLayer(painter);
    }

private:
    CSelectPanelUI* m_panel;
    bool m_updateAsked = false;
};

}  // namespace detail

CSelectPanelUI::CSelectPanelUI() = default;

CSelectPanelUI::~CSelectPanelUI() {
    if (m_pOverlay) m_pOverlay->Detach();
    if (m_pCapLayer) m_pCapLayer->Detach();
}

std::string CSelectPanelUI::GetClass() const { return kClassName; }

void* CSelectPanelUI::GetInterface(const std::string& name) {
    if (name == IKeyPicture::kInterfaceName) return static_cast<IKeyPicture*>(this);
    return SameNoCase(name, kClassName) ? this : CVerticalLayoutUI::GetInterface(name);
}

QWidget* CSelectPanelUI::CreateWidget() {
    QWidget* widget = new detail::PictureHost(this);
    m_pCapLayer = new detail::CapLayer(this, widget);
    m_pOverlay = new detail::SelectionOverlay(this, widget);
    return widget;
}

void CSelectPanelUI::SetPos(RECT rc, bool needInvalidate) {
    CVerticalLayoutUI::SetPos(rc, needInvalidate);
    // Caps that joined the picture inside a nested layout hide their own widgets now.
    for (CControlUI* key : KeyButtons())
        if (auto* cap = static_cast<IKeyCap*>(key->GetInterface(IKeyCap::kInterfaceName))) cap->SyncWidget();
    PlaceCapLayer();
    RefreshOverlay();
}

bool CSelectPanelUI::IsPlainUnder(const QRect& area) const {
    if (GetBkColor() >> 24 != 0xFF || !m_sBkImage.empty()) return false;
    const int border = m_nBorderSize > 0 ? std::max(1, Scale(m_nBorderSize)) : 0;
    const QRect panel = detail::ToQRect(m_rcItem);
    if (!panel.adjusted(border, border, -border, -border).contains(area)) return false;
    // The rounded corners show what lies under the panel: the area keeps out of their squares.
    const int rx = int(std::ceil(Scale(m_cxyBorderRound.cx) / 2.0)) + border;
    const int ry = int(std::ceil(Scale(m_cxyBorderRound.cy) / 2.0)) + border;
    if (rx <= border && ry <= border) return true;
    const QRect corners[] = {
        QRect(panel.left(), panel.top(), rx, ry), QRect(panel.right() - rx + 1, panel.top(), rx, ry),
        QRect(panel.left(), panel.bottom() - ry + 1, rx, ry), QRect(panel.right() - rx + 1, panel.bottom() - ry + 1, rx, ry)};
    return std::none_of(std::begin(corners), std::end(corners), [&](const QRect& c) { return c.intersects(area); });
}

void CSelectPanelUI::PlaceCapLayer() {
    if (!m_pCapLayer) return;
    QRect area;
    for (CControlUI* key : KeyButtons()) area |= detail::ToQRect(key->GetPos());
    m_capImageStale = true;
    m_changedCaps.clear();
    m_pendingLayer = QRect();
    if (area.isEmpty() || !IsPlainUnder(area)) {
        m_capArea = QRect();
        m_pCapLayer->hide();
        return;
    }
    m_capArea = area;
    m_pCapLayer->setGeometry(area.translated(-m_rcItem.left, -m_rcItem.top));
    m_pCapLayer->raise();
    m_pCapLayer->show();
    m_pCapLayer->update();
}

// Hidden with the page or not, the layer keeps count of the caps that change.
bool CSelectPanelUI::CapLayerInUse() const { return m_pCapLayer && !m_capArea.isEmpty() && !m_pCapLayer->isHidden(); }

void CSelectPanelUI::DrawUnderCap(QPainter& painter, const QRect& area) {
    painter.save();
    painter.setClipRect(area);
    CVerticalLayoutUI::DoPaint(painter, RECT{area.left(), area.top(), area.right() + 1, area.bottom() + 1});
    painter.restore();
}

void CSelectPanelUI::PaintCapLayer(QPainter& out) {
    const qreal ratio = m_pCapLayer->devicePixelRatioF();
    const QSize pixels(int(std::ceil(m_capArea.width() * ratio)), int(std::ceil(m_capArea.height() * ratio)));
    if (!IsPlainUnder(m_capArea)) m_pCapLayer->PlaceAgainSoon();
    if (m_capImage.size() != pixels || m_capImage.devicePixelRatio() != ratio || m_capImageBackdrop != GetBkColor())
        m_capImageStale = true;
    const auto capOf = [](CControlUI* key) { return static_cast<IKeyCap*>(key->GetInterface(IKeyCap::kInterfaceName)); };
    if (m_capImageStale || !m_changedCaps.empty()) {
        if (m_capImageStale) {
            m_capImage = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
            m_capImage.setDevicePixelRatio(ratio);
            m_capImageBackdrop = GetBkColor();
        }
        QPainter painter(&m_capImage);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        painter.translate(-m_capArea.topLeft());
        // A cap draws itself straight into the image where it can, else through the painter.
        const auto draw = [&](CControlUI* key, bool lightOnly) {
            IKeyCap* cap = capOf(key);
            if (!cap || !key->IsVisible()) return false;
            if (!cap->DrawCapInto(m_capImage, m_capArea.topLeft(), lightOnly)) cap->PaintCap(painter);
            return true;
        };
        if (m_capImageStale) {
            DrawUnderCap(painter, m_capArea);
            for (CControlUI* key : KeyButtons()) draw(key, false);
        } else {
            std::sort(m_changedCaps.begin(), m_changedCaps.end());
            m_changedCaps.erase(std::unique(m_changedCaps.begin(), m_changedCaps.end()), m_changedCaps.end());
            // A shown cap covers its whole rectangle on the plain panel; a hidden one leaves the panel.
            for (CControlUI* key : m_changedCaps)
                if (!draw(key, true)) DrawUnderCap(painter, detail::ToQRect(key->GetPos()) & m_capArea);
        }
        m_capImageStale = false;
        m_changedCaps.clear();
    }
    // Every pixel of the image is opaque: a copy, not a blend.
    out.setCompositionMode(QPainter::CompositionMode_Source);
    out.drawImage(QPoint(0, 0), m_capImage);
}

void CSelectPanelUI::RefreshOverlay() {
    if (!m_pOverlay) return;
    // With no outline or band to draw the overlay stays hidden, so that lighting frames repaint
    // only the picture.
    if (m_selected.empty() && !IsDragging()) {
        m_pOverlay->hide();
        return;
    }
    m_pOverlay->setGeometry(0, 0, m_rcItem.Width(), m_rcItem.Height());
    m_pOverlay->raise();
    m_pOverlay->show();
    m_pOverlay->update();
}

void CSelectPanelUI::CapChanged(CControlUI* cap) {
    if (!m_pWidget || !cap) return;
    if (CapLayerInUse()) {
        // Past a few frames' worth of changes unseen, drawing it all again costs less.
        if (m_changedCaps.size() >= 4 * kMostCapsPerFrame) {
            m_changedCaps.clear();
            m_capImageStale = true;
        }
        if (!m_capImageStale) m_changedCaps.push_back(cap);
        m_pendingLayer |= detail::ToQRect(cap->GetPos()).translated(-m_capArea.topLeft()) & m_pCapLayer->rect();
        m_pCapLayer->RequestUpdate();
        return;
    }
    // The caps of one frame become one rectangle (their bounding box, which always holds the one
    // asked for before), so that the pass and its trip to the display are one piece rather than
    // one per cap; Qt paints it at the display's next update.
    m_pendingCaps |= detail::ToQRect(cap->GetPos()).translated(-m_rcItem.left, -m_rcItem.top);
    m_pWidget->update(m_pendingCaps);
}

void CSelectPanelUI::DoPaint(QPainter& painter, const RECT& rcPaint) {
    CVerticalLayoutUI::DoPaint(painter, rcPaint);
    if (CapLayerInUse()) return;  // the layer shows the caps
    const QRect dirty(rcPaint.left, rcPaint.top, rcPaint.Width(), rcPaint.Height());
    for (CControlUI* key : KeyButtons()) {
        if (!key->IsVisible()) continue;
        const QRect area = detail::ToQRect(key->GetPos());
        if (!area.intersects(dirty)) continue;
        if (!m_paintRegion.isEmpty() && !m_paintRegion.intersects(area.translated(-m_rcItem.left, -m_rcItem.top)))
            continue;
        if (auto* cap = static_cast<IKeyCap*>(key->GetInterface(IKeyCap::kInterfaceName))) cap->PaintCap(painter);
    }
}

std::string CSelectPanelUI::ToolTipAt(POINT pt) {
    for (CControlUI* key : KeyButtons())
        if (key->IsVisible() && key->GetPos().Contains(pt)) return key->GetToolTip();
    return {};
}

std::vector<CControlUI*> CSelectPanelUI::KeyButtons() {
    std::vector<CControlUI*> keys;
    VisitTree([&](CControlUI* c) {
        if (c != this && c->GetClass() == kKeyButtonClass) keys.push_back(c);
        return true;
    });
    return keys;
}

bool CSelectPanelUI::IsKeySelected(const CControlUI* key) const { return m_selected.count(key) != 0; }

void CSelectPanelUI::SetKeySelected(CControlUI* key, bool selected) {
    if (!key) return;
    if (selected) m_selected.insert(key);
    else m_selected.erase(key);
    RefreshOverlay();
}

std::vector<CControlUI*> CSelectPanelUI::GetSelectedKeys() {
    std::vector<CControlUI*> keys = KeyButtons();
    std::erase_if(keys, [this](CControlUI* c) { return !IsKeySelected(c); });
    return keys;
}

void CSelectPanelUI::ClearSelection() {
    m_selected.clear();
    RefreshOverlay();
}

void CSelectPanelUI::ForgetRemoved() {
    // Keys that left the panel must not stay selected (a new control could reuse the address).
    PlaceCapLayer();
    std::set<const CControlUI*> still;
    for (CControlUI* key : KeyButtons())
        if (IsKeySelected(key)) still.insert(key);
    m_selected.swap(still);
}

bool CSelectPanelUI::Remove(CControlUI* control, bool doNotDestroy) {
    const bool removed = CVerticalLayoutUI::Remove(control, doNotDestroy);
    ForgetRemoved();
    return removed;
}

bool CSelectPanelUI::RemoveAt(int index, bool doNotDestroy) {
    const bool removed = CVerticalLayoutUI::RemoveAt(index, doNotDestroy);
    ForgetRemoved();
    return removed;
}

void CSelectPanelUI::RemoveAll() {
    CVerticalLayoutUI::RemoveAll();
    PlaceCapLayer();
    m_selected.clear();
    m_drag = Drag::None;
}

void CSelectPanelUI::FinishSelection() {
    m_selected.clear();
    for (CControlUI* key : KeyButtons())
        if (Touches(m_rcSelection, key->GetPos())) m_selected.insert(key);
    NeedUpdate();
    RefreshOverlay();
    if (m_pManager) m_pManager->SendNotify(this, kSelectEndNotify);
}

void CSelectPanelUI::ForwardClick(TEventUI& event) {
    for (CControlUI* key : KeyButtons()) {
        if (!key->IsVisible() || !key->GetPos().Contains(event.ptMouse)) continue;
        TEventUI up = event;
        up.pSender = key;
        key->Event(up);
        return;
    }
}

void CSelectPanelUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            m_ptAnchor = event.ptMouse;
            m_rcSelection = RECT{};
            m_drag = Drag::Pending;
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_drag == Drag::None) break;
        m_drag = Drag::Active;
        m_rcSelection = Normalised(m_ptAnchor, event.ptMouse);
        Invalidate();
        RefreshOverlay();
        return;
    case UIEVENT_BUTTONUP: {
        const Drag drag = m_drag;
        m_drag = Drag::None;
        if (drag == Drag::Active) {
            FinishSelection();
            m_rcSelection = RECT{};
        } else if (drag == Drag::Pending) {
            ForwardClick(event);
        }
        return;
    }
    case UIEVENT_KILLFOCUS:
        // A drag broken off by a focus change selects nothing.
        m_drag = Drag::None;
        RefreshOverlay();
        break;
    default:
        break;
    }
    CVerticalLayoutUI::DoEvent(event);
}

}  // namespace DuiLib
