#include "app/language/InterfaceFonts.h"

#include "toolkit/PaintManager.h"

namespace {

// The faces the program was designed with, as installed on Linux: the Simplified Chinese display
// face becomes Noto Sans CJK SC, the Traditional one Noto Sans CJK TC and the Latin fallback
// ("Verdana Unicode MS") Noto Sans.
constexpr const char* kChineseSimplifiedFace = "Noto Sans CJK SC";
constexpr const char* kChineseTraditionalFace = "Noto Sans CJK TC";
constexpr const char* kThaiFace = "Noto Sans Thai";
constexpr const char* kLatinFace = "Noto Sans";

bool HadOwnFace(int language) {
    return language == kThaiLanguage || language == kTraditionalChineseLanguage ||
           language == kSimplifiedChineseLanguage || language < 0;
}

}  // namespace

std::optional<std::string> InterfaceFaceFor(int language, int previousLanguage) {
    if (language == kThaiLanguage) return kThaiFace;
    if (language == kSimplifiedChineseLanguage) return kChineseSimplifiedFace;
    if (language == kTraditionalChineseLanguage) return kChineseTraditionalFace;
    if (HadOwnFace(previousLanguage)) return kLatinFace;
    return std::nullopt;
}

void RebuildInterfaceFonts(const std::string& face) {
    using DuiLib::CPaintManagerUI;
    CPaintManagerUI::RemoveAllFonts();
    for (const InterfaceFontSpec& font : kInterfaceFonts) {
        if (font.id == kDefaultInterfaceFont)
            CPaintManagerUI::SetDefaultFont(face, font.size, font.bold, font.underline, false);
        else
            CPaintManagerUI::AddFont(font.id, face, font.size, font.bold, font.underline, false);
    }
}
