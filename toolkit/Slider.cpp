#include "toolkit/Slider.h"

#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <cstdlib>

#include "toolkit/ControlHost.h"
#include "toolkit/PaintManager.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;

namespace {

// A click on the track moves the thumb there, as the layouts' sliders expect.
class SliderWidget : public detail::ControlHost<QSlider> {
public:
    explicit SliderWidget(CSliderUI* owner) : ControlHost<QSlider>(owner, true) {}

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && m_owner && isEnabled()) {
            QStyleOptionSlider option;
            initStyleOption(&option);
            const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
            if (!handle.contains(e->position().toPoint())) {
                const bool hor = orientation() == Qt::Horizontal;
                const int span = hor ? width() - handle.width() : height() - handle.height();
                const int pos = hor ? static_cast<int>(e->position().x()) - handle.width() / 2
                                    : static_cast<int>(e->position().y()) - handle.height() / 2;
                const int v = QStyle::sliderValueFromPosition(minimum(), maximum(), std::clamp(pos, 0, std::max(0, span)),
                                                              std::max(1, span), !hor);
                setValue(v);  // valueChanged reports it; the drag that may follow reports the rest
            }
        }
        ControlHost<QSlider>::mousePressEvent(e);
    }
};

}  // namespace

CSliderUI::CSliderUI() = default;

std::string CSliderUI::GetClass() const { return "SliderUI"; }

void* CSliderUI::GetInterface(const std::string& name) {
    return SameNoCase(name, "Slider") ? this : CProgressUI::GetInterface(name);
}

QWidget* CSliderUI::CreateWidget() {
    auto* slider = new SliderWidget(this);
    slider->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(slider, &QSlider::valueChanged, [this, slider](int v) { OnUserValue(v, slider->isSliderDown()); });
    QObject::connect(slider, &QSlider::sliderReleased, [this, slider] { OnUserValue(slider->value(), false); });
    return slider;
}

void CSliderUI::ApplyWidgetState() {
    CProgressUI::ApplyWidgetState();
    auto* slider = static_cast<QSlider*>(m_pWidget);
    if (!slider) return;
    const QSignalBlocker block(slider);
    slider->setOrientation(m_bHorizontal ? Qt::Horizontal : Qt::Vertical);
    slider->setRange(m_nMin, m_nMax);
    slider->setSingleStep(m_nStep);
    slider->setPageStep(m_nStep);
    slider->setValue(m_nValue);
}

void CSliderUI::OnUserValue(int value, bool stillMoving) {
    const int old = m_nValue;
    m_nValue = std::clamp(value, m_nMin, m_nMax);
    if (!m_pManager) return;
    if (stillMoving) m_pManager->SendNotify(this, DUI_MSGTYPE_MOVEVALUECHANGED, static_cast<WPARAM>(m_nValue), old);
    else m_pManager->SendNotify(this, DUI_MSGTYPE_VALUECHANGED, static_cast<WPARAM>(m_nValue), old);
}

void CSliderUI::SetValue(int value) {
    CProgressUI::SetValue(value);
    if (auto* slider = static_cast<QSlider*>(m_pWidget)) {
        const QSignalBlocker block(slider);
        slider->setValue(m_nValue);
    }
}

void CSliderUI::SetChangeStep(int step) {
    m_nStep = std::max(1, step);
    ApplyWidgetState();
}

void CSliderUI::DoPaint(QPainter& painter, const RECT&) { PaintBorder(painter); }

void CSliderUI::SetAttribute(const std::string& name, const std::string& value) {
    if (SameNoCase(name, "step")) SetChangeStep(std::atoi(value.c_str()));
    else if (SameNoCase(name, "thumbimage") || SameNoCase(name, "thumbhotimage") || SameNoCase(name, "thumbpushedimage") ||
             SameNoCase(name, "thumbsize")) {
        // the skin draws the thumb
    } else {
        CProgressUI::SetAttribute(name, value);
        ApplyWidgetState();
    }
}

}  // namespace DuiLib
