#include "app/shell/PrivateFonts.h"

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>

namespace {
// Longer paths are refused, as the original's fixed path buffer would.
constexpr size_t kMaxFontPath = 260;

template <size_t... I>
std::array<MemoryFont, sizeof...(I)> MakeFonts(const std::string& folder, std::index_sequence<I...>) {
    return {MemoryFont(folder + kPrivateFontFiles[I])...};
}
}  // namespace

bool MemoryFont::Load() {
    if (handle_ >= 0) return true;
    if (path_.size() > kMaxFontPath) return false;
    QFile file(QString::fromStdString(path_));
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray image = file.readAll();
    if (image.isEmpty()) return false;
    handle_ = QFontDatabase::addApplicationFontFromData(image);
    return handle_ >= 0;
}

void MemoryFont::Unload() {
    if (handle_ < 0) return;
    QFontDatabase::removeApplicationFont(handle_);
    handle_ = -1;
}

PrivateFonts::PrivateFonts(const std::string& programFolder)
    : fonts_(MakeFonts(programFolder, std::make_index_sequence<kPrivateFontFiles.size()>{})) {}

void PrivateFonts::LoadAll() {
    for (MemoryFont& font : fonts_) font.Load();  // a font that fails is skipped
}

void PrivateFonts::UnloadAll() {
    for (auto it = fonts_.rbegin(); it != fonts_.rend(); ++it) it->Unload();
}

int PrivateFonts::LoadedCount() const {
    int count = 0;
    for (const MemoryFont& font : fonts_) count += font.Loaded() ? 1 : 0;
    return count;
}
