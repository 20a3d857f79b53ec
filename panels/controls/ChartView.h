#pragma once
// A pie or bar ("histpgram", as the layouts spell it) chart of named values. The pie has a
// shadow under it and, when texts are shown, a legend on its right.
#include <string>
#include <vector>

#include "toolkit/Control.h"

namespace DuiLib {

class CChartViewUI : public CControlUI {
public:
    static constexpr const char* kClassName = "ChartView";
    static constexpr int kPaletteSize = 18;
    static constexpr int kLegendWidth = 100;
    static constexpr int kLegendRowHeight = 18;
    static constexpr int kPieMargin = 10;

    enum class View { Pie, Histogram };
    struct Item {
        std::string text;
        double value = 0;
    };
    struct Slice {
        double startDegrees = 0;  // clockwise from twelve o'clock
        double spanDegrees = 0;
        DWORD colour = 0;
    };

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    void AddItem(const std::string& text, double value);
    void RemoveAllItems();
    const std::vector<Item>& GetItems() const { return m_items; }
    View GetView() const { return m_view; }
    void SetView(View view);
    bool IsTextShown() const { return m_bShowText; }
    static DWORD PaletteColour(size_t index);
    // The pie's slices: value / sum of 360 degrees each; negative values count as 0.
    std::vector<Slice> PieSlices() const;
    // The pie's square in window coordinates (empty when there is no room).
    RECT PieRect() const;

    void DoPaint(QPainter& painter, const RECT& rcPaint) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

private:
    void PaintPie(QPainter& painter);
    void PaintLegend(QPainter& painter, const RECT& pie);
    void PaintBars(QPainter& painter);
    bool DrawImageIn(QPainter& painter, const RECT& rc, const std::string& image) const;

    std::vector<Item> m_items;
    View m_view = View::Pie;
    bool m_bShowText = false;
    bool m_bShowHtml = false;
    std::string m_sShadowImage;
    int m_nShadowImageHeight = 0;
    std::string m_sPillarImage;
    int m_nPillarImageWidth = 0;
};

}  // namespace DuiLib
