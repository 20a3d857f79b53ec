#include "toolkit/ImageDrawer.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <map>
#include <memory>

#include "toolkit/ImageString.h"
#include "toolkit/PaintManager.h"
#include "toolkit/QtConvert.h"
#include "platform/Folders.h"

namespace DuiLib::detail {
namespace {

struct CachedImage {
    bool missing = true;
    bool isSvg = false;
    QImage bitmap;                    // PNG as loaded
    std::unique_ptr<QSvgRenderer> svg;
    std::map<int, QImage> rasterByDpi;  // SVG rasterised per DPI (corner and source drawing)
};

std::map<std::string, CachedImage>& Cache() {
    static std::map<std::string, CachedImage> cache;
    return cache;
}

CachedImage& Lookup(const std::string& file) {
    auto [it, inserted] = Cache().try_emplace(file);
    if (!inserted) return it->second;
    CachedImage& entry = it->second;
    const std::string path = ResolveSkinFile(file);
    if (path.empty()) return entry;
    const bool svg = path.size() > 4 && (path.compare(path.size() - 4, 4, ".svg") == 0 ||
                                         path.compare(path.size() - 4, 4, ".SVG") == 0);
    if (svg) {
        auto renderer = std::make_unique<QSvgRenderer>(ToQ(path));
        if (renderer->isValid()) {
            entry.svg = std::move(renderer);
            entry.isSvg = true;
            entry.missing = false;
        }
    } else {
        QImage image(ToQ(path));
        if (!image.isNull()) {
            entry.bitmap = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            entry.missing = false;
        }
    }
    return entry;
}

const QImage& Raster(CachedImage& entry, const CDPI& dpi) {
    if (!entry.isSvg) return entry.bitmap;
    auto it = entry.rasterByDpi.find(dpi.GetDPI());
    if (it != entry.rasterByDpi.end()) return it->second;
    const QSize base = entry.svg->defaultSize();
    QImage image(std::max(1, dpi.Scale(base.width())), std::max(1, dpi.Scale(base.height())),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    entry.svg->render(&p);
    p.end();
    return entry.rasterByDpi.emplace(dpi.GetDPI(), std::move(image)).first->second;
}

QImage ApplyMask(const QImage& source, DWORD mask) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = mask | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xFF000000u) == key) line[x] = 0;
    }
    return image;
}

void DrawNinePatch(QPainter& painter, const QRect& dest, const QImage& image, const QRect& source,
                   const RECT& corner, int scaleNumerator, bool hole) {
    // Corner widths are in source pixels; on the screen they grow with the DPI.
    const int l = corner.left, t = corner.top, r = corner.right, b = corner.bottom;
    const auto s = [&](int v) { return v * scaleNumerator / 96; };
    const int dl = s(l), dt = s(t), dr = s(r), db = s(b);
    const int sx[4] = {source.left(), source.left() + l, source.right() + 1 - r, source.right() + 1};
    const int sy[4] = {source.top(), source.top() + t, source.bottom() + 1 - b, source.bottom() + 1};
    const int dx[4] = {dest.left(), dest.left() + dl, dest.right() + 1 - dr, dest.right() + 1};
    const int dy[4] = {dest.top(), dest.top() + dt, dest.bottom() + 1 - db, dest.bottom() + 1};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            if (hole && row == 1 && col == 1) continue;
            const QRect src(sx[col], sy[row], sx[col + 1] - sx[col], sy[row + 1] - sy[row]);
            const QRect dst(dx[col], dy[row], dx[col + 1] - dx[col], dy[row + 1] - dy[row]);
            if (src.width() > 0 && src.height() > 0 && dst.width() > 0 && dst.height() > 0)
                painter.drawImage(dst, image, src);
        }
}

}  // namespace

std::string ResolveSkinFile(const std::string& file) {
    if (file.empty()) return {};
    const std::string normal = NormalizeSkinPath(file);
    if (normal.front() == '/') return FileExists(normal) ? normal : std::string{};
    const std::string path = CPaintManagerUI::GetResourcePath() + normal;
    return FileExists(path) ? path : std::string{};
}

QImage LoadSkinImage(const std::string& file, const CDPI& dpi) {
    CachedImage& entry = Lookup(NormalizeSkinPath(file));
    if (entry.missing) return {};
    return Raster(entry, dpi);
}

bool DrawImageString(QPainter& painter, const RECT& rcControl, const std::string& text, const CDPI& dpi) {
    ImageDescriptor desc;
    if (!ParseImageString(text, desc)) return false;
    CachedImage& entry = Lookup(desc.file);
    if (entry.missing) return false;

    QRect dest = ToQRect(rcControl);
    if (!desc.dest.IsEmpty()) dest = ToQRect(dpi.Scale(desc.dest)).translated(rcControl.left, rcControl.top);
    if (dest.isEmpty()) return true;

    painter.save();
    if (desc.fade < 255) painter.setOpacity(painter.opacity() * desc.fade / 255.0);

    const bool plainSvg = entry.isSvg && desc.corner.IsEmpty() && !desc.xtiled && !desc.ytiled && !desc.mask;
    if (plainSvg) {
        const QRectF oldBox = entry.svg->viewBoxF();
        if (!desc.source.IsEmpty()) entry.svg->setViewBox(QRectF(ToQRect(desc.source)));
        entry.svg->render(&painter, QRectF(dest));
        entry.svg->setViewBox(oldBox);
        painter.restore();
        return true;
    }

    QImage image = Raster(entry, dpi);
    // Source rectangles are written in the image's own pixels; an SVG raster is scaled.
    QRect source = image.rect();
    if (!desc.source.IsEmpty()) {
        source = entry.isSvg ? ToQRect(dpi.Scale(desc.source)) : ToQRect(desc.source);
        source = source.intersected(image.rect());
    }
    if (desc.mask) image = ApplyMask(image, desc.mask);
    RECT corner = desc.corner;
    if (entry.isSvg) corner = dpi.Scale(corner);
    if (desc.xtiled || desc.ytiled) {
        const QImage tile = image.copy(source);
        const QSize tileSize(desc.xtiled ? tile.width() : dest.width(), desc.ytiled ? tile.height() : dest.height());
        const QImage scaled = tile.scaled(tileSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.drawTiledPixmap(dest, QPixmap::fromImage(scaled));
    } else if (!corner.IsEmpty() || corner.left || corner.top || corner.right || corner.bottom) {
        DrawNinePatch(painter, dest, image, source, corner, entry.isSvg ? 96 : dpi.GetDPI(), desc.hole);
    } else {
        painter.drawImage(dest, image, source);
    }
    painter.restore();
    return true;
}

void ClearImageCache() { Cache().clear(); }

}  // namespace DuiLib::detail
