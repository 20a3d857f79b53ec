#pragma once
// The dark skin's colour table (ARGB) and type faces; controls fall back to these when a layout
// names no colour of its own.
#include "toolkit/UIDefs.h"

namespace DuiLib::Theme {

inline constexpr DWORD kBackground = 0xFF101217;
inline constexpr DWORD kSurface = 0xFF181B22;
inline constexpr DWORD kRaised = 0xFF20242C;
inline constexpr DWORD kBorder = 0xFF2A2F39;
inline constexpr DWORD kText = 0xFFE8EAF0;
inline constexpr DWORD kTextSecondary = 0xFF9AA3B2;
inline constexpr DWORD kTextDisabled = 0xFF5B6270;
inline constexpr DWORD kAccent = 0xFF00C2FF;
inline constexpr DWORD kAccentText = 0xFF061018;  // dark text on accent fills
inline constexpr DWORD kWarning = 0xFFFF5C5C;

inline constexpr const char* kLatinFace = "Noto Sans";
inline constexpr const char* kChineseFace = "Noto Sans CJK SC";
inline constexpr int kDefaultFontSize = 14;
inline constexpr int kMinimumFontSize = 11;

}  // namespace DuiLib::Theme
