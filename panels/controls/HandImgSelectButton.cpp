#include "panels/controls/HandImgSelectButton.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstdio>

#include "toolkit/ImageDrawer.h"
#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"
#include "toolkit/XmlNode.h"
#include "panels/controls/ControlSupport.h"

namespace DuiLib {

using detail::SameNoCase;

namespace {

struct CursorShape {
    const char* name;
    int id;  // the system cursor identifier the layouts were written against
    Qt::CursorShape shape;
};

constexpr CursorShape kCursorShapes[] = {
    {"arrow", 32512, Qt::ArrowCursor},       {"ibeam", 32513, Qt::IBeamCursor},
    {"wait", 32514, Qt::WaitCursor},         {"cross", 32515, Qt::CrossCursor},
    {"uparrow", 32516, Qt::UpArrowCursor},   {"size", 32640, Qt::SizeAllCursor},
    {"icon", 32641, Qt::ArrowCursor},        {"sizenwse", 32642, Qt::SizeFDiagCursor},
    {"sizenesw", 32643, Qt::SizeBDiagCursor}, {"sizewe", 32644, Qt::SizeHorCursor},
    {"sizens", 32645, Qt::SizeVerCursor},    {"sizeall", 32646, Qt::SizeAllCursor},
    {"no", 32648, Qt::ForbiddenCursor},      {"hand", 32649, Qt::PointingHandCursor},
};

bool IsSvg(const std::string& file) {
    return file.size() > 4 && SameNoCase(file.substr(file.size() - 4), ".svg");
}

}  // namespace

std::string CHandImgSelectButtonUI::GetClass() const { return kClassName; }

void* CHandImgSelectButtonUI::GetInterface(const std::string& name) {
    return SameNoCase(name, kClassName) ? this : CButtonUI::GetInterface(name);
}

bool CHandImgSelectButtonUI::SetHandImage(const std::string& file) {
    if (!file.empty() && !ImageFileExists(file)) return false;
    m_sHandImage = file;
    m_ptOffset = POINT{};
    Invalidate();
    return true;
}

int CHandImgSelectButtonUI::CursorIdOf(const std::string& name) {
    for (const CursorShape& c : kCursorShapes)
        if (SameNoCase(name, c.name)) return c.id;
    return 0;
}

void CHandImgSelectButtonUI::SetCursorId(int id) {
    m_nCursorId = id;
    ApplyWidgetState();
}

void CHandImgSelectButtonUI::ApplyWidgetState() {
    CButtonUI::ApplyWidgetState();
    if (!m_pWidget || m_nCursorId == 0) return;
    for (const CursorShape& c : kCursorShapes)
        if (c.id == m_nCursorId) m_pWidget->setCursor(c.shape);
}

bool CHandImgSelectButtonUI::PictureSize(SIZE& units, SIZE& pixels) const {
    if (m_sHandImage.empty()) return false;
    const CDPI defaultDpi;
    const CDPI& dpi = m_pManager ? *m_pManager->GetDPIObj() : defaultDpi;
    const QImage image = detail::LoadSkinImage(m_sHandImage, dpi);
    if (image.isNull()) return false;
    pixels = SIZE{image.width(), image.height()};
    // An SVG's source rectangle is written in its own units, a bitmap's in its pixels.
    units = IsSvg(m_sHandImage) ? SIZE{dpi.ScaleBack(pixels.cx), dpi.ScaleBack(pixels.cy)} : pixels;
    return true;
}

POINT CHandImgSelectButtonUI::ClampOffset(POINT offset) const {
    SIZE units, pixels;
    if (!PictureSize(units, pixels)) return POINT{};
    return POINT{std::clamp(offset.x, 0, std::max(0, pixels.cx - GetWidth())),
                 std::clamp(offset.y, 0, std::max(0, pixels.cy - GetHeight()))};
}

std::string CHandImgSelectButtonUI::VisibleImageString() const {
    SIZE units, pixels;
    if (!PictureSize(units, pixels)) return {};
    if (pixels.cx <= GetWidth() && pixels.cy <= GetHeight()) return m_sHandImage;
    RECT source{m_ptOffset.x, m_ptOffset.y, m_ptOffset.x + std::min(GetWidth(), pixels.cx),
                m_ptOffset.y + std::min(GetHeight(), pixels.cy)};
    if (units.cx != pixels.cx && m_pManager) source = RECT{
        m_pManager->GetDPIObj()->ScaleBack(source.left), m_pManager->GetDPIObj()->ScaleBack(source.top),
        m_pManager->GetDPIObj()->ScaleBack(source.right), m_pManager->GetDPIObj()->ScaleBack(source.bottom)};
    char text[64];
    std::snprintf(text, sizeof text, "source='%d,%d,%d,%d'", source.left, source.top, source.right, source.bottom);
    return "file='" + m_sHandImage + "' " + text;
}

void CHandImgSelectButtonUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        if (m_rcItem.Contains(event.ptMouse) && IsEnabled()) {
            m_bPanning = true;
            m_ptPressed = event.ptMouse;
            m_ptOffsetAtPress = m_ptOffset;
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_bPanning) {
            // The picture follows the pointer, so the visible part moves the other way.
            m_ptOffset = ClampOffset(POINT{m_ptOffsetAtPress.x - (event.ptMouse.x - m_ptPressed.x),
                                           m_ptOffsetAtPress.y - (event.ptMouse.y - m_ptPressed.y)});
            Invalidate();
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        m_bPanning = false;
        m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
        Invalidate();
        return;
    case UIEVENT_MOUSEENTER:
        NotifyPointerCrossing(this, true);
        break;
    case UIEVENT_MOUSELEAVE:
        NotifyPointerCrossing(this, false);
        break;
    default:
        break;
    }
    CButtonUI::DoEvent(event);
}

void CHandImgSelectButtonUI::PaintStatusImage(QPainter& painter) {
    CButtonUI::PaintStatusImage(painter);
    const std::string visible = VisibleImageString();
    if (!visible.empty()) DrawImage(painter, visible);
}

void CHandImgSelectButtonUI::SetAttribute(const std::string& name, const std::string& value) {
    if (SameNoCase(name, "handimage")) SetHandImage(value);
    else if (SameNoCase(name, "cursor")) SetCursorId(CursorIdOf(value));
    else CButtonUI::SetAttribute(name, value);
}

}  // namespace DuiLib
