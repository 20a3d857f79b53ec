#include "panels/controls/ChartView.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "toolkit/ImageDrawer.h"
#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;
using detail::ToQColor;

namespace {

// Led by the accent, then colours far enough apart to tell neighbouring slices apart.
constexpr DWORD kPalette[CChartViewUI::kPaletteSize] = {
    0xFF00C2FF, 0xFFFF5C5C, 0xFFFFC23D, 0xFF4CD964, 0xFFB36BFF, 0xFFFF8A3D, 0xFF3DDCC4, 0xFFFF6BB5, 0xFF8FA8FF,
    0xFFC6E05A, 0xFF0085B3, 0xFFB33F3F, 0xFFB38A2B, 0xFF34964A, 0xFF7D4BB3, 0xFFB3612B, 0xFF2B9A89, 0xFFB34B7F,
};
constexpr int kShadowFarAlpha = 30;
constexpr int kShadowNearAlpha = 100;
constexpr int kQtDegree = 16;
constexpr int kBarGap = 6;
constexpr int kSwatch = 10;

double Positive(double v) { return v > 0 ? v : 0; }

}  // namespace

bool CChartViewUI::DrawImageIn(QPainter& painter, const RECT& rc, const std::string& image) const {
    const CDPI defaultDpi;
    return detail::DrawImageString(painter, rc, image, m_pManager ? *m_pManager->GetDPIObj() : defaultDpi);
}

std::string CChartViewUI::GetClass() const { return kClassName; }

void* CChartViewUI::GetInterface(const std::string& name) {
    return SameNoCase(name, kClassName) ? this : CControlUI::GetInterface(name);
}

void CChartViewUI::AddItem(const std::string& text, double value) {
    m_items.push_back(Item{text, value});
    Invalidate();
}

void CChartViewUI::RemoveAllItems() {
    m_items.clear();
    Invalidate();
}

void CChartViewUI::SetView(View view) {
    m_view = view;
    Invalidate();
}

DWORD CChartViewUI::PaletteColour(size_t index) { return kPalette[index % kPaletteSize]; }

std::vector<CChartViewUI::Slice> CChartViewUI::PieSlices() const {
    double sum = 0;
    for (const Item& item : m_items) sum += Positive(item.value);
    std::vector<Slice> slices;
    if (sum <= 0) return slices;
    double start = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const double span = Positive(m_items[i].value) / sum * 360.0;
        slices.push_back(Slice{start, span, PaletteColour(i)});
        start += span;
    }
    return slices;
}

RECT CChartViewUI::PieRect() const {
    const int legend = m_bShowText ? Scale(kLegendWidth) : 0;
    const int margin = Scale(kPieMargin);
    const int diameter = std::min(GetWidth() - legend - margin, GetHeight() - margin);
    if (diameter <= 0) return RECT{};
    const int left = m_rcItem.left + margin / 2;
    const int top = m_rcItem.top + (GetHeight() - diameter) / 2;
    return RECT{left, top, left + diameter, top + diameter};
}

void CChartViewUI::DoPaint(QPainter& painter, const RECT&) {
    PaintBkColor(painter);
    PaintBkImage(painter);
    painter.save();
    if (m_view == View::Pie) PaintPie(painter);
    else PaintBars(painter);
    painter.restore();
    PaintBorder(painter);
}

void CChartViewUI::PaintPie(QPainter& painter) {
    const RECT pie = PieRect();
    if (pie.IsEmpty()) return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF box = detail::ToQRect(pie);
    const double lift = std::max(2, Scale(3));
    painter.setBrush(QColor(0, 0, 0, kShadowFarAlpha));
    painter.drawEllipse(box.translated(lift * 1.5, lift * 1.5));
    painter.setBrush(QColor(0, 0, 0, kShadowNearAlpha));
    painter.drawEllipse(box.translated(lift / 2, lift / 2));
    for (const Slice& slice : PieSlices()) {
        if (slice.spanDegrees <= 0) continue;
        painter.setBrush(ToQColor(slice.colour));
        // Qt turns counter-clockwise from three o'clock; ours run clockwise from twelve.
        const int start = static_cast<int>((90.0 - slice.startDegrees) * kQtDegree);
        const int span = -static_cast<int>(slice.spanDegrees * kQtDegree + 0.5);
        if (slice.spanDegrees >= 360.0) painter.drawEllipse(box);
        else painter.drawPie(box, start, span);
    }
    if (m_bShowText) PaintLegend(painter, pie);
}

void CChartViewUI::PaintLegend(QPainter& painter, const RECT& pie) {
    const int row = Scale(kLegendRowHeight);
    const int swatch = Scale(kSwatch);
    const int left = pie.right + Scale(kPieMargin);
    const int rows = static_cast<int>(m_items.size());
    int top = m_rcItem.top + std::max(0, (GetHeight() - rows * row) / 2);
    painter.setFont(GetQFont());
    const QFontMetrics metrics(painter.font());
    for (size_t i = 0; i < m_items.size() && top + row <= m_rcItem.bottom; ++i, top += row) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(PaletteColour(i)));
        painter.drawRoundedRect(QRectF(left, top + (row - swatch) / 2.0, swatch, swatch), 2, 2);
        painter.setPen(ToQColor(m_dwTextColor ? m_dwTextColor : Theme::kText));
        const QRect text(left + swatch + Scale(6), top, m_rcItem.right - left - swatch - Scale(6), row);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(detail::ToQ(m_items[i].text), Qt::ElideRight, text.width()));
    }
}

void CChartViewUI::PaintBars(QPainter& painter) {
    if (m_items.empty()) return;
    const int textRow = m_bShowText ? Scale(kLegendRowHeight) : 0;
    const int shadowHeight = m_nShadowImageHeight > 0 ? Scale(m_nShadowImageHeight) : 0;
    const int baseline = m_rcItem.bottom - textRow;
    const int room = baseline - m_rcItem.top - Scale(kPieMargin);
    if (room <= 0) return;
    if (!m_sShadowImage.empty() && shadowHeight > 0)
        DrawImageIn(painter, RECT{m_rcItem.left, baseline - shadowHeight, m_rcItem.right, baseline}, m_sShadowImage);
    double maximum = 0;
    for (const Item& item : m_items) maximum = std::max(maximum, Positive(item.value));
    const int count = static_cast<int>(m_items.size());
    const int slot = GetWidth() / count;
    const int width = m_nPillarImageWidth > 0 ? std::min(slot - Scale(kBarGap), Scale(m_nPillarImageWidth))
                                              : std::max(1, slot - Scale(kBarGap));
    painter.setFont(GetQFont());
    for (int i = 0; i < count; ++i) {
        const Item& item = m_items[static_cast<size_t>(i)];
        const int height = maximum > 0 ? static_cast<int>(Positive(item.value) / maximum * room) : 0;
        const int left = m_rcItem.left + i * slot + (slot - width) / 2;
        const QRect bar(left, baseline - height, width, height);
        if (height > 0) {
            const bool drawn = !m_sPillarImage.empty() && DrawImageIn(painter, detail::FromQRect(bar), m_sPillarImage);
            if (!drawn) painter.fillRect(bar, ToQColor(PaletteColour(static_cast<size_t>(i))));
        }
        if (m_bShowText) {
            painter.setPen(ToQColor(m_dwTextColor ? m_dwTextColor : Theme::kTextSecondary));
            painter.drawText(QRect(m_rcItem.left + i * slot, baseline, slot, textRow), Qt::AlignCenter,
                             detail::ToQ(item.text));
        }
    }
}

void CChartViewUI::SetAttribute(const std::string& name, const std::string& value) {
    if (SameNoCase(name, "view")) SetView(SameNoCase(value, "histpgram") ? View::Histogram : View::Pie);
    else if (SameNoCase(name, "shadowimage")) m_sShadowImage = value;
    else if (SameNoCase(name, "shadowimageheight")) m_nShadowImageHeight = std::max(0, std::atoi(value.c_str()));
    else if (SameNoCase(name, "pillarimage")) m_sPillarImage = value;
    else if (SameNoCase(name, "pillarimagewidth")) m_nPillarImageWidth = std::max(0, std::atoi(value.c_str()));
    else if (SameNoCase(name, "showhtml")) m_bShowHtml = ParseBoolValue(value);
    else if (SameNoCase(name, "showtext")) m_bShowText = ParseBoolValue(value);
    else CControlUI::SetAttribute(name, value);
}

}  // namespace DuiLib
