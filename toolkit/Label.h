#pragma once
// Text controls: a single-line label, multi-line text, and the progress bar.
#include "toolkit/Control.h"

namespace DuiLib {

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // With auto width the label is as wide as its text.
    void SetAutoCalcWidth(bool autoWidth) { m_bAutoCalcWidth = autoWidth; NeedParentUpdate(); }
    SIZE EstimateSize(SIZE available) override;
    void PaintText(QPainter& painter) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

protected:
    // Draws the shown text in a colour; used by the families above.
    void DrawText(QPainter& painter, const RECT& rc, DWORD color);
    DWORD ResolvedTextColor(DWORD fallback) const;
    bool m_bAutoCalcWidth = false;
};

class CTextUI : public CLabelUI {
public:
    CTextUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
};

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal) { m_bHorizontal = horizontal; Invalidate(); }
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int min);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int max);
    int GetValue() const { return m_nValue; }
    // Kept within the range.
    virtual void SetValue(int value);
    void SetForeImage(const std::string& image) { m_sForeImage = image; Invalidate(); }
    void PaintStatusImage(QPainter& painter) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

protected:
    // The filled share of the range, 0..1.
    double Fraction() const;
    bool m_bHorizontal = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    std::string m_sForeImage;
};

}  // namespace DuiLib
