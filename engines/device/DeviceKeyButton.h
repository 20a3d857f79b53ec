#pragma once
// A key cap of the device picture: shows the lighting colour of its point, the key's label and,
// when the key carries another function than its own, a marker layer. Clicking raises "click".
#include <QFont>
#include <QPixmap>
#include <QSizeF>

#include <cstdint>
#include <string>

#include "toolkit/Control.h"

class CDeviceKeyButtonUI : public DuiLib::CControlUI {
public:
    static constexpr const char* kClassName = "DeviceKeyButton";

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // colour packed red + blue × 256 + green × 65536, as the frame push hands it.
    void SetLightColor(uint32_t colour, uint8_t brightness);
    uint32_t GetLightColor() const { return colour_; }
    uint8_t GetLightBrightness() const { return brightness_; }
    // The key-assignment layer marks a key whose function differs from its own label.
    void SetKeyLayerVisible(bool visible);
    bool IsKeyLayerVisible() const { return keyLayerVisible_; }

    void DoEvent(DuiLib::TEventUI& event) override;
    void DoPaint(QPainter& painter, const DuiLib::RECT& rcPaint) override;

private:
    uint32_t colour_ = 0;
    uint8_t brightness_ = 0;
    bool keyLayerVisible_ = false;
    // The cap's face (background, marker, label) as last drawn, and what it was drawn from.
    bool FaceIsStale(QSizeF size, qreal ratio) const;
    void RenderFace(QSizeF size, qreal ratio, qreal radius);
    QPixmap face_;
    QSizeF faceSize_;
    qreal faceRatio_ = 0;
    std::string faceText_;
    bool faceEnabled_ = true;
    bool faceKeyLayer_ = false;
    QFont faceFont_;
};
