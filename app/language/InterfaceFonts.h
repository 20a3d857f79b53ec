#pragma once
// The interface font table that goes with the language, and the face each language uses.
#include <array>
#include <optional>
#include <string>

struct InterfaceFontSpec {
    int id;  // kDefaultInterfaceFont for the toolkit's default font
    int size;
    bool bold;
    bool underline;
};

inline constexpr int kDefaultInterfaceFont = -1;

inline constexpr std::array<InterfaceFontSpec, 14> kInterfaceFonts{{
    {kDefaultInterfaceFont, 14, false, false},
    {0, 15, false, false},
    {1, 14, false, true},
    {2, 18, false, false},
    {3, 30, false, false},
    {4, 16, false, false},
    {5, 20, false, false},
    {6, 22, false, false},
    {7, 14, false, false},
    {8, 12, false, false},
    {9, 11, false, false},
    {10, 10, false, false},
    {11, 28, false, false},
    {50, 18, true, false},
}};

// Language indexes of Language.config that bring their own face.
inline constexpr int kSimplifiedChineseLanguage = 0;
inline constexpr int kTraditionalChineseLanguage = 2;
inline constexpr int kThaiLanguage = 15;

// The installed face for a language, or nullopt when the fonts stay as they are: the other
// languages share the Latin face, so switching among them rebuilds nothing.
std::optional<std::string> InterfaceFaceFor(int language, int previousLanguage);

// Empties the shared font table and fills it from kInterfaceFonts in that face.
void RebuildInterfaceFonts(const std::string& face);
