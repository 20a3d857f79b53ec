#pragma once
// The level trace of a recording: up to 500 levels on a scale of 8192, drawn as 1-pixel lines
// two pixels apart growing from the bottom, over the background colour.
#include <deque>
#include <vector>

#include "toolkit/Label.h"

namespace DuiLib {

class CAudioRecordUI : public CLabelUI {
public:
    static constexpr const char* kClassName = "AudioRecord";
    static constexpr size_t kMaxLevels = 500;
    static constexpr int kFullScale = 8192;
    static constexpr int kLineSpacing = 2;

    CAudioRecordUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // Levels outside 0..8192 are clamped; past 500 the oldest goes.
    void AddLevel(int level);
    void SetLevels(const std::vector<int>& levels);
    void ClearLevels();
    std::vector<int> GetLevels() const { return {m_levels.begin(), m_levels.end()}; }
    DWORD GetLineColor() const { return m_dwLineColor; }
    void SetLineColor(DWORD argb);

    void PaintBkColor(QPainter& painter) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

private:
    std::deque<int> m_levels;
    DWORD m_dwLineColor;
};

}  // namespace DuiLib
