#include "panels/controls/SelectPanel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWidget>
#include <algorithm>

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

}  // namespace detail

CSelectPanelUI::CSelectPanelUI() = default;

CSelectPanelUI::~CSelectPanelUI() {
    if (m_pOverlay) m_pOverlay->Detach();
}

std::string CSelectPanelUI::GetClass() const { return kClassName; }

void* CSelectPanelUI::GetInterface(const std::string& name) {
    if (name == IKeyPicture::kInterfaceName) return static_cast<IKeyPicture*>(this);
    return SameNoCase(name, kClassName) ? this : CVerticalLayoutUI::GetInterface(name);
}

QWidget* CSelectPanelUI::CreateWidget() {
    QWidget* widget = new detail::PictureHost(this);
    m_pOverlay = new detail::SelectionOverlay(this, widget);
    return widget;
}

void CSelectPanelUI::SetPos(RECT rc, bool needInvalidate) {
    CVerticalLayoutUI::SetPos(rc, needInvalidate);
    // Caps that joined the picture inside a nested layout hide their own widgets now.
    for (CControlUI* key : KeyButtons())
        if (auto* cap = static_cast<IKeyCap*>(key->GetInterface(IKeyCap::kInterfaceName))) cap->SyncWidget();
    RefreshOverlay();
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
    // The caps of one frame become one rectangle (their bounding box, which always holds the one
    // asked for before), so that the pass and its trip to the display are one piece rather than
    // one per cap; Qt paints it at the display's next update.
    m_pendingCaps |= detail::ToQRect(cap->GetPos()).translated(-m_rcItem.left, -m_rcItem.top);
    m_pWidget->update(m_pendingCaps);
}

void CSelectPanelUI::DoPaint(QPainter& painter, const RECT& rcPaint) {
    CVerticalLayoutUI::DoPaint(painter, rcPaint);
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
