#include "toolkit/Label.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdlib>

#include "toolkit/ImageString.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;

CLabelUI::CLabelUI() = default;

std::string CLabelUI::GetClass() const { return "LabelUI"; }

void* CLabelUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "Label") ? this : CControlUI::GetInterface(name);
}

SIZE CLabelUI::EstimateSize(SIZE available) {
    SIZE size = CControlUI::EstimateSize(available);
    if (m_bAutoCalcWidth) {
        const QFontMetrics metrics(GetQFont());
        const RECT pad = GetTextPadding();
        size.cx = metrics.horizontalAdvance(detail::ToQ(GetText())) + pad.left + pad.right + 1;
    }
    return size;
}

DWORD CLabelUI::ResolvedTextColor(DWORD fallback) const {
    if (!IsEnabledInTree()) return m_dwDisabledTextColor ? m_dwDisabledTextColor : Theme::kTextDisabled;
    return m_dwTextColor ? m_dwTextColor : fallback;
}

void CLabelUI::DrawText(QPainter& painter, const RECT& rc, DWORD color) {
    const std::string text = GetText();
    if (text.empty()) return;
    const RECT pad = GetTextPadding();
    QRect box(rc.left + pad.left, rc.top + pad.top, rc.Width() - pad.left - pad.right, rc.Height() - pad.top - pad.bottom);
    painter.setFont(GetQFont());
    painter.setPen(detail::ToQColor(color));
    int flags = static_cast<int>(detail::AlignmentOf(m_uTextStyle));
    QString shown = detail::ToQ(text);
    if (m_uTextStyle & DT_WORDBREAK) {
        flags |= Qt::TextWordWrap;
    } else {
        flags |= Qt::TextSingleLine;
        if (m_uTextStyle & DT_END_ELLIPSIS)
            shown = QFontMetrics(painter.font()).elidedText(shown, Qt::ElideRight, box.width());
    }
    painter.drawText(box, flags, shown);
}

void CLabelUI::PaintText(QPainter& painter) { DrawText(painter, m_rcItem, ResolvedTextColor(Theme::kText)); }

void CLabelUI::SetAttribute(const std::string& name, const std::string& value) {
    if (SameNoCase(name, "autocalcwidth")) SetAutoCalcWidth(ParseBoolValue(value));
    else CControlUI::SetAttribute(name, value);
}

CTextUI::CTextUI() { m_uTextStyle = DT_WORDBREAK; }

std::string CTextUI::GetClass() const { return "TextUI"; }

void* CTextUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "Text") ? this : CLabelUI::GetInterface(name);
}

CProgressUI::CProgressUI() { m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE; }

std::string CProgressUI::GetClass() const { return "ProgressUI"; }

void* CProgressUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "Progress") ? this : CLabelUI::GetInterface(name);
}

void CProgressUI::SetMinValue(int min) {
    m_nMin = min;
    if (m_nMax < m_nMin) m_nMax = m_nMin;
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
    Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
    m_nMax = std::max(max, m_nMin);
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    m_nValue = std::clamp(value, m_nMin, m_nMax);
    Invalidate();
}

double CProgressUI::Fraction() const {
    return m_nMax > m_nMin ? static_cast<double>(m_nValue - m_nMin) / (m_nMax - m_nMin) : 0.0;
}

void CProgressUI::PaintStatusImage(QPainter& painter) {
    const QRect whole = detail::ToQRect(m_rcItem);
    QRect filled = whole;
    if (m_bHorizontal) filled.setWidth(static_cast<int>(whole.width() * Fraction()));
    else filled.setTop(whole.bottom() + 1 - static_cast<int>(whole.height() * Fraction()));
    if (!m_sForeImage.empty()) {
        painter.save();
        painter.setClipRect(filled);
        DrawImage(painter, m_sForeImage);
        painter.restore();
        return;
    }
    // Without images: a rounded track on the raised surface with an accent fill.
    const double radius = std::min(whole.width(), whole.height()) / 2.0;
    if (m_dwBackColor == 0 && m_sBkImage.empty()) {
        QPainterPath track;
        track.addRoundedRect(whole, radius, radius);
        painter.fillPath(track, detail::ToQColor(Theme::kRaised));
    }
    if (filled.isEmpty()) return;
    QPainterPath clip;
    clip.addRoundedRect(whole, radius, radius);
    painter.save();
    painter.setClipPath(clip);
    painter.fillRect(filled, detail::ToQColor(IsEnabledInTree() ? Theme::kAccent : Theme::kTextDisabled));
    painter.restore();
}

void CProgressUI::SetAttribute(const std::string& name, const std::string& value) {
    const int number = std::atoi(value.c_str());
    if (SameNoCase(name, "hor")) SetHorizontal(ParseBoolValue(value));
    else if (SameNoCase(name, "min")) SetMinValue(number);
    else if (SameNoCase(name, "max")) SetMaxValue(number);
    else if (SameNoCase(name, "value")) SetValue(number);
    else if (SameNoCase(name, "foreimage")) SetForeImage(value);
    else CLabelUI::SetAttribute(name, value);
}

}  // namespace DuiLib
