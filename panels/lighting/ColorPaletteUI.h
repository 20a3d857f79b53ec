#pragma once
// A colour picker drawn with QPainter: a hue (across) and saturation (down) field above a value
// strip. Pressing or dragging in either part picks a colour; "colorchanged" goes out when the
// button goes down and when it comes up again (not on every move, so that a drag does not flood
// the device with writes).
#include "toolkit/Control.h"

class CColorPaletteUI : public DuiLib::CControlUI {
public:
    static constexpr const char* kClassName = "ColorPalette";

    CColorPaletteUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // ARGB; alpha is always 0xFF in what GetColor returns. Raises no notification.
    void SetColor(DuiLib::DWORD argb);
    DuiLib::DWORD GetColor() const { return m_argb; }

    void DoEvent(DuiLib::TEventUI& event) override;
    void DoPaint(QPainter& painter, const DuiLib::RECT& rcPaint) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

    // Geometry of the two parts in window coordinates (the tests click into them).
    DuiLib::RECT FieldRect() const;
    DuiLib::RECT StripRect() const;

private:
    enum class Drag { None, Field, Strip };
    void PickAt(DuiLib::POINT pt);
    void UpdateFromHsv();
    void Notify();

    DuiLib::DWORD m_argb = 0xFFFF0000;
    // Kept apart from the colour so that black or grey keep the chosen hue.
    double m_hue = 0.0;         // 0..360
    double m_saturation = 1.0;  // 0..1
    double m_value = 1.0;       // 0..1
    int m_stripHeight = 14;     // logical pixels
    int m_gap = 8;
    Drag m_drag = Drag::None;
};
