#pragma once
// Internal: per-widget colours of native controls whose layout set textcolor or bkcolor.
#include <QWidget>

#include "toolkit/UIDefs.h"

namespace DuiLib::detail {

void ApplyNativeColors(QWidget* widget, const char* selector, DWORD background, DWORD text);

}  // namespace DuiLib::detail
