#pragma once
// The application's own font files, registered with the process only (Qt's application fonts).
#include <array>
#include <string>

class MemoryFont {
public:
    explicit MemoryFont(std::string path) : path_(std::move(path)) {}
    ~MemoryFont() { Unload(); }
    MemoryFont(const MemoryFont&) = delete;
    MemoryFont& operator=(const MemoryFont&) = delete;

    // Reads the file whole and registers the image; false (and nothing held) on any failure.
    bool Load();
    void Unload();
    bool Loaded() const { return handle_ >= 0; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int handle_ = -1;
};

inline constexpr std::array<const char*, 4> kPrivateFontFiles = {
    "Font/Simplified_Chinese.ttf", "Font/Headline-Regular.otf", "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf"};

// The four fonts of the run, loaded in order and released in reverse order.
class PrivateFonts {
public:
    explicit PrivateFonts(const std::string& programFolder);
    ~PrivateFonts() { UnloadAll(); }
    void LoadAll();
    void UnloadAll();
    int LoadedCount() const;

private:
    std::array<MemoryFont, kPrivateFontFiles.size()> fonts_;
};
