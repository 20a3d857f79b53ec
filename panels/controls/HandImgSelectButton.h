#pragma once
// A button showing a picture that may be larger than the button: then only a button-sized part
// is shown, and dragging with the button held pans over the picture. "cursor" names the
// pointer shape. Entering and leaving raise "msenter" and "msleave".
#include "toolkit/Button.h"

namespace DuiLib {

class CHandImgSelectButtonUI : public CButtonUI {
public:
    static constexpr const char* kClassName = "HandImgSelectButton";

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // Refused (false) when the file does not exist.
    bool SetHandImage(const std::string& file);
    const std::string& GetHandImage() const { return m_sHandImage; }
    // System cursor id of a shape name ("hand" 32649); 0 for an unknown name.
    static int CursorIdOf(const std::string& name);
    int GetCursorId() const { return m_nCursorId; }
    void SetCursorId(int id);
    // The image string drawn for the current pan: the whole picture, or "file='..' source='..'".
    std::string VisibleImageString() const;
    POINT GetPanOffset() const { return m_ptOffset; }

    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& painter) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void ApplyWidgetState() override;

private:
    // The picture's size in its own source units and in pixels at this DPI.
    bool PictureSize(SIZE& units, SIZE& pixels) const;
    POINT ClampOffset(POINT offset) const;

    std::string m_sHandImage;
    int m_nCursorId = 0;
    bool m_bPanning = false;
    POINT m_ptPressed;
    POINT m_ptOffsetAtPress;
    POINT m_ptOffset;  // pixels
};

}  // namespace DuiLib
