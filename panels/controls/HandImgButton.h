#pragma once
// A button showing a picture with a delete corner near its bottom right. While deletion is
// allowed and the pointer is over the button the corner shows its image; releasing inside the
// corner raises "click_handdelete" instead of "click". Entering and leaving raise "msenter" and
// "msleave".
#include "toolkit/Button.h"

namespace DuiLib {

class CHandImgButtonUI : public CButtonUI {
public:
    static constexpr const char* kClassName = "HandImgButton";
    static constexpr const char* kDeleteNotify = "click_handdelete";

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // A picture whose file does not exist in the skin folder is refused (false) and not drawn.
    bool SetHandImage(const std::string& image);
    const std::string& GetHandImage() const { return m_sHandImage; }
    void SetDeleteImages(const std::string& normal, const std::string& hot);
    void SetDeleteAllowed(bool allowed);
    bool IsDeleteAllowed() const { return m_bDeleteAllowed; }
    // The delete corner in window coordinates.
    RECT DeleteCornerRect() const;
    // True while the corner is drawn hot (pointer inside it, deletion allowed).
    bool IsDeleteHot() const;

    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& painter) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

private:
    void PaintDeleteCorner(QPainter& painter);

    std::string m_sHandImage;
    std::string m_sDeleteNormalImage;
    std::string m_sDeleteHotImage;
    bool m_bDeleteAllowed = false;
    bool m_bPointerInside = false;
    POINT m_ptLast;
};

}  // namespace DuiLib
