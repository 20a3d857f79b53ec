#pragma once
// Internal: conversions between the toolkit's plain types and Qt's.
#include <QColor>
#include <QRect>
#include <QString>
#include <string>

#include "toolkit/UIDefs.h"

namespace DuiLib::detail {

inline QString ToQ(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string FromQ(const QString& s) { return s.toUtf8().toStdString(); }
inline QColor ToQColor(DWORD argb) { return QColor::fromRgba(argb); }
inline QRect ToQRect(const RECT& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
inline RECT FromQRect(const QRect& r) { return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
// "#rrggbb" / "rgba(...)" for style sheets.
QString CssColor(DWORD argb);
// Qt alignment flags of a DT_ text style.
Qt::Alignment AlignmentOf(UINT textStyle);

}  // namespace DuiLib::detail
