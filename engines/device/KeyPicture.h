#pragma once
// A container that draws the key caps inside it in its own paint pass: the caps stay controls for
// names, hit-testing, selection, labels and tooltips, but one pass paints every cap of a frame.
#include <QPoint>

class QImage;
class QPainter;
namespace DuiLib { class CControlUI; }

class IKeyPicture {
public:
    // The name under which GetInterface answers with the picture.
    static constexpr const char* kInterfaceName = "KeyPicture";
    virtual ~IKeyPicture() = default;
    // A cap's look changed (light, label, state): its rectangle is drawn again on the next pass.
    virtual void CapChanged(DuiLib::CControlUI* cap) = 0;
    // The colour around the caps (0xAARRGGBB; 0 when the picture has no plain one).
    virtual unsigned long BackdropColour() const = 0;
};

// What a picture asks of each cap in it.
class IKeyCap {
public:
    static constexpr const char* kInterfaceName = "KeyCap";
    virtual ~IKeyCap() = default;
    // Draws the cap at its position; the painter is in window coordinates.
    virtual void PaintCap(QPainter& painter) = 0;
    // Draws the cap straight into the picture's kept image (premultiplied ARGB; its top left lies
    // at origin, in window coordinates). lightOnly: the image holds the cap as last drawn and only
    // its light may have changed. False when the cap needs PaintCap instead.
    virtual bool DrawCapInto(QImage& /*image*/, QPoint /*origin*/, bool /*lightOnly*/) { return false; }
    // Shows the cap's own widget only outside a picture (the picture takes its input then).
    virtual void SyncWidget() = 0;
};
