#include "store/ListView.h"

#include <cctype>

namespace {
// Lower case for ASCII and for the two-byte Latin-1, Greek and Cyrillic capitals of UTF-8,
// which covers the names users type in the shipped languages.
std::string FoldCase(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(std::tolower(c));
            continue;
        }
        if (i + 1 < text.size()) {
            unsigned char d = static_cast<unsigned char>(text[i + 1]);
            unsigned cp = ((c & 0x1Fu) << 6) | (d & 0x3Fu);
            if ((c & 0xE0) == 0xC0 && (d & 0xC0) == 0x80) {
                if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) || (cp >= 0x391 && cp <= 0x3AB))
                    cp += 0x20;
                else if (cp >= 0x410 && cp <= 0x42F)
                    cp += 0x20;
                else if (cp >= 0x400 && cp <= 0x40F)
                    cp += 0x50;
                out += static_cast<char>(0xC0 | (cp >> 6));
                out += static_cast<char>(0x80 | (cp & 0x3F));
                ++i;
                continue;
            }
        }
        out += static_cast<char>(c);
    }
    return out;
}
}  // namespace

bool NamesEqual(const std::string& a, const std::string& b) { return FoldCase(a) == FoldCase(b); }

int FindItemIgnoringCase(const IListView& view, const std::string& name, int skipIndex) {
    std::string folded = FoldCase(name);
    for (int i = 0; i < view.Count(); ++i)
        if (i != skipIndex && FoldCase(view.ItemText(i)) == folded) return i;
    return -1;
}

bool IsBlankName(const std::string& name) {
    for (unsigned char c : name)
        if (!std::isspace(c)) return false;
    return true;
}
