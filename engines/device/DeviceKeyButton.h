#pragma once
// A key cap of the device picture: shows the lighting colour of its point, the key's label and,
// when the key carries another function than its own, a marker layer. Clicking raises "click".
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QSizeF>

#include <cstdint>
#include <string>
#include <vector>

#include "engines/device/KeyPicture.h"
#include "toolkit/Control.h"

class CDeviceKeyButtonUI : public DuiLib::CControlUI, public IKeyCap {
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
    // Paints the cap itself only outside a key picture; inside one the picture paints it.
    void DoPaint(QPainter& painter, const DuiLib::RECT& rcPaint) override;
    // Draws the cap (light ring and face) at its position; painter in window coordinates, with
    // antialiasing on.
    void PaintCap(QPainter& painter) override;
    bool DrawCapInto(QImage& image, QPoint origin, bool lightOnly) override;
    // The key picture this cap lies in, or null.
    IKeyPicture* Picture() const;
    // Shows the cap's own widget only outside a key picture (the picture takes its input then).
    void SyncWidget() override;

    void SetVisible(bool visible = true) override;
    void SetText(const std::string& text) override;
    void ReloadText() override;
    void SetEnabled(bool enabled = true) override;
    void SetManager(DuiLib::CPaintManagerUI* manager, DuiLib::CControlUI* parent, bool init = true) override;
    void OnDPIChanged() override;

protected:
    QWidget* CreateWidget() override;

private:
    // Asks for the cap to be drawn again, by its picture or by its own widget.
    void Repaint();
    // The picture found when the cap last joined a tree (looked up on first use).
    mutable IKeyPicture* picture_ = nullptr;
    mutable bool pictureKnown_ = false;

    uint32_t colour_ = 0;
    uint8_t brightness_ = 0;
    bool keyLayerVisible_ = false;
    // The cap's face (background, marker, label) as last drawn, and what it was drawn from.
    bool FaceIsStale(QSizeF size, qreal ratio) const;
    void RenderFace(QSizeF size, qreal ratio, qreal radius);
    QPixmap face_;
    // The whole cap but its light: the face, a clear ring, and the picture's backdrop outside the
    // rounded corners, so that the light under it is a plain fill.
    QImage frame_;
    unsigned long frameBackdrop_ = 0;
    bool frameStale_ = true;
    // The picture's image holds this frame at the cap's place (DrawCapInto drew it whole since).
    bool frameInPicture_ = false;
    // The see-through pixels of the frame, where the light shows, as runs along its rows.
    struct LightRun {
        int row, from, count;
    };
    std::vector<LightRun> lightRuns_;
    std::vector<QRgb> lightPixels_;  // the frame's pixels of the runs, one after another
    const QImage& Frame(QSizeF size, qreal ratio, qreal radius, qreal ring, unsigned long backdrop);
    // The cap's light as an opaque colour.
    QColor LightColour() const;
    QSizeF faceSize_;
    qreal faceRatio_ = 0;
    std::string faceText_;
    bool faceEnabled_ = true;
    bool faceKeyLayer_ = false;
    // Set by whatever changes the label, its font or its state; the face is drawn again then.
    bool faceDirty_ = true;
    QFont faceFont_;
};
