#pragma once
// Internal: draws image strings (SVG or PNG from the skin folder) with source, corner, dest,
// mask, fade and tiling. Images are loaded once and kept.
#include <string>

#include "toolkit/DPI.h"
#include "toolkit/UIDefs.h"

class QPainter;
class QImage;

namespace DuiLib::detail {

bool DrawImageString(QPainter& painter, const RECT& rcControl, const std::string& image, const CDPI& dpi);
// The whole image rasterised at the DPI (null image when missing); SVG at its scaled size.
QImage LoadSkinImage(const std::string& file, const CDPI& dpi);
// Skin-relative or absolute path of an image file, "" when it does not exist.
std::string ResolveSkinFile(const std::string& file);
void ClearImageCache();

}  // namespace DuiLib::detail
