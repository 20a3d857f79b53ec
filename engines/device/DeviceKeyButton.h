#pragma once
// A key cap of the device picture: shows the lighting colour of its point, the key's label and,
// when the key carries another function than its own, a marker layer. Clicking raises "click".
#include <QString>

#include <cstdint>

#include "app/toolkit/Control.h"

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
    // The label's fitted font size for the text, cap width and font it was measured with.
    QString fittedText_;
    QString fittedFamily_;
    int fittedWidth_ = -1;
    int fittedBaseSize_ = -1;
    int fittedSize_ = 0;
};
