#include "panels/controls/HandImgButton.h"

#include <QPainter>
#include <algorithm>
#include <cstdio>

#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"
#include "panels/controls/ControlSupport.h"

namespace DuiLib {

using detail::SameNoCase;

namespace {

// The corner, in logical pixels measured from the button's bottom-right.
constexpr int kCornerRightGap = 10;
constexpr int kCornerBottomGap = 9;
constexpr int kCornerSize = 20;

}  // namespace

std::string CHandImgButtonUI::GetClass() const { return kClassName; }

void* CHandImgButtonUI::GetInterface(const std::string& name) {
    return SameNoCase(name, kClassName) ? this : CButtonUI::GetInterface(name);
}

bool CHandImgButtonUI::SetHandImage(const std::string& image) {
    if (!image.empty() && !ImageFileExists(image)) return false;
    m_sHandImage = image;
    Invalidate();
    return true;
}

void CHandImgButtonUI::SetDeleteImages(const std::string& normal, const std::string& hot) {
    m_sDeleteNormalImage = normal;
    m_sDeleteHotImage = hot;
    Invalidate();
}

void CHandImgButtonUI::SetDeleteAllowed(bool allowed) {
    m_bDeleteAllowed = allowed;
    Invalidate();
}

RECT CHandImgButtonUI::DeleteCornerRect() const {
    const int right = m_rcItem.right - Scale(kCornerRightGap);
    const int bottom = m_rcItem.bottom - Scale(kCornerBottomGap);
    return RECT{right - Scale(kCornerSize), bottom - Scale(kCornerSize), right, bottom};
}

bool CHandImgButtonUI::IsDeleteHot() const {
    return m_bDeleteAllowed && m_bPointerInside && DeleteCornerRect().Contains(m_ptLast);
}

void CHandImgButtonUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (m_rcItem.Contains(event.ptMouse) && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        m_ptLast = event.ptMouse;
        m_bPointerInside = m_rcItem.Contains(event.ptMouse);
        Invalidate();
        break;
    case UIEVENT_BUTTONUP: {
        if (!(m_uButtonState & UISTATE_CAPTURED)) return;
        m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
        Invalidate();
        if (!m_rcItem.Contains(event.ptMouse)) return;
        if (m_bDeleteAllowed && DeleteCornerRect().Contains(event.ptMouse)) {
            if (m_pManager) m_pManager->SendNotify(this, kDeleteNotify);
        } else {
            Activate();
        }
        return;
    }
    case UIEVENT_MOUSEENTER:
        m_ptLast = event.ptMouse;
        m_bPointerInside = true;
        NotifyPointerCrossing(this, true);
        break;
    case UIEVENT_MOUSELEAVE:
        m_bPointerInside = false;
        NotifyPointerCrossing(this, false);
        break;
    default:
        break;
    }
    CButtonUI::DoEvent(event);
}

void CHandImgButtonUI::PaintStatusImage(QPainter& painter) {
    CButtonUI::PaintStatusImage(painter);
    if (!m_sHandImage.empty()) DrawImage(painter, m_sHandImage);
    if (m_bDeleteAllowed && m_bPointerInside) PaintDeleteCorner(painter);
}

void CHandImgButtonUI::PaintDeleteCorner(QPainter& painter) {
    const bool hot = IsDeleteHot();
    const RECT corner = DeleteCornerRect();
    const RECT local{corner.left - m_rcItem.left, corner.top - m_rcItem.top, corner.right - m_rcItem.left,
                     corner.bottom - m_rcItem.top};
    const std::string& image = hot ? m_sDeleteHotImage : m_sDeleteNormalImage;
    if (!image.empty()) {
        // The corner image goes where the corner is, whatever dest the string had.
        ImageDescriptor desc;
        if (ParseImageString(image, desc)) {
            const auto back = [this](int px) { return m_pManager ? m_pManager->GetDPIObj()->ScaleBack(px) : px; };
            const RECT logical{back(local.left), back(local.top), back(local.right), back(local.bottom)};
            char dest[96];
            std::snprintf(dest, sizeof dest, " dest='%d,%d,%d,%d'", logical.left, logical.top, logical.right,
                          logical.bottom);
            const std::string placed = image.find('=') == std::string::npos ? "file='" + image + "'" + dest : image + dest;
            if (DrawImage(painter, placed)) return;
        }
    }
    // Without an image: a round mark with a cross, in the warning colour when hot.
    const QRectF box = QRectF(detail::ToQRect(corner)).adjusted(1, 1, -1, -1);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(detail::ToQColor(hot ? Theme::kWarning : Theme::kRaised));
    painter.drawEllipse(box);
    painter.setPen(QPen(detail::ToQColor(hot ? Theme::kAccentText : Theme::kText), std::max(1.0, Scale(2) / 1.0)));
    const double d = box.width() * 0.3;
    painter.drawLine(box.center() + QPointF(-d, -d), box.center() + QPointF(d, d));
    painter.drawLine(box.center() + QPointF(-d, d), box.center() + QPointF(d, -d));
    painter.restore();
}

void CHandImgButtonUI::SetAttribute(const std::string& name, const std::string& value) {
    if (SameNoCase(name, "handimage")) SetHandImage(value);
    else if (SameNoCase(name, "deletenormalimage")) SetDeleteImages(value, m_sDeleteHotImage);
    else if (SameNoCase(name, "deletehotimage")) SetDeleteImages(m_sDeleteNormalImage, value);
    else CButtonUI::SetAttribute(name, value);
}

}  // namespace DuiLib
