#include "panels/controls/CloudShareListItem.h"

#include <QPainter>

#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;

std::string CCloudShareListItemUI::GetClass() const { return kClassName; }

void* CCloudShareListItemUI::GetInterface(const std::string& name) {
    if (SameNoCase(name, kClassName) || SameNoCase(name, "CloudShareListItem")) return this;
    return CListContainerElementUI::GetInterface(name);
}

DWORD CCloudShareListItemUI::FrameColour() const {
    const TListInfoUI info = m_pOwner ? m_pOwner->GetListInfo() : TListInfoUI{};
    return info.lineColor ? info.lineColor : Theme::kAccent;
}

void CCloudShareListItemUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        m_uButtonState &= ~UISTATE_HOT;
        Invalidate();
        return;
    default:
        break;
    }
    CListContainerElementUI::DoEvent(event);
}

void CCloudShareListItemUI::PaintStatusImage(QPainter& painter) {
    CListContainerElementUI::PaintStatusImage(painter);
    if (!IsHot() || IsSelected()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(detail::ToQColor(FrameColour()), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(m_rcItem.left, m_rcItem.top, m_rcItem.Width() - 1, m_rcItem.Height() - 1));
    painter.restore();
}

}  // namespace DuiLib
