#include "panels/controls/AudioRecord.h"

#include <QPainter>
#include <algorithm>

#include "toolkit/ImageString.h"
#include "toolkit/QtConvert.h"
#include "toolkit/Theme.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;

CAudioRecordUI::CAudioRecordUI() : m_dwLineColor(Theme::kAccent) {}

std::string CAudioRecordUI::GetClass() const { return kClassName; }

void* CAudioRecordUI::GetInterface(const std::string& name) {
    return SameNoCase(name, kClassName) ? this : CLabelUI::GetInterface(name);
}

void CAudioRecordUI::AddLevel(int level) {
    m_levels.push_back(std::clamp(level, 0, kFullScale));
    while (m_levels.size() > kMaxLevels) m_levels.pop_front();
    Invalidate();
}

void CAudioRecordUI::SetLevels(const std::vector<int>& levels) {
    m_levels.clear();
    const size_t skip = levels.size() > kMaxLevels ? levels.size() - kMaxLevels : 0;
    for (size_t i = skip; i < levels.size(); ++i) m_levels.push_back(std::clamp(levels[i], 0, kFullScale));
    Invalidate();
}

void CAudioRecordUI::ClearLevels() {
    m_levels.clear();
    Invalidate();
}

void CAudioRecordUI::SetLineColor(DWORD argb) {
    m_dwLineColor = argb;
    Invalidate();
}

void CAudioRecordUI::PaintBkColor(QPainter& painter) {
    CLabelUI::PaintBkColor(painter);
    const int height = m_rcItem.Height();
    if (height <= 0) return;
    const QColor line = detail::ToQColor(m_dwLineColor);
    for (size_t i = 0; i < m_levels.size(); ++i) {
        const int x = m_rcItem.left + kLineSpacing * static_cast<int>(i);
        if (x >= m_rcItem.right) break;
        const int h = static_cast<int>(static_cast<long long>(m_levels[i]) * height / kFullScale);
        if (h > 0) painter.fillRect(QRect(x, m_rcItem.bottom - h, 1, h), line);
    }
}

void CAudioRecordUI::SetAttribute(const std::string& name, const std::string& value) {
    DWORD colour = 0;
    if (SameNoCase(name, "linecolor")) {
        if (ParseColorValue(value, colour)) SetLineColor(colour);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

}  // namespace DuiLib
