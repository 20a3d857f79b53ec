#pragma once
// The slider over QSlider: "movevaluechanged" while the thumb is dragged, "valuechanged" when
// the value is set by the user (release, click on the track, keys).
#include "toolkit/Label.h"

namespace DuiLib {

class CSliderUI : public CProgressUI {
public:
    CSliderUI();
    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    void SetValue(int value) override;
    int GetChangeStep() const { return m_nStep; }
    void SetChangeStep(int step);
    void DoPaint(QPainter& painter, const RECT& rcPaint) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

    // Called by the widget.
    void OnUserValue(int value, bool stillMoving);

protected:
    QWidget* CreateWidget() override;
    void ApplyWidgetState() override;
    int m_nStep = 1;
};

}  // namespace DuiLib
