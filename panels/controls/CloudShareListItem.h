#pragma once
// A list row with a hover frame: a hot row that is not selected gets a 1-pixel frame over the
// list's row background.
#include "toolkit/List.h"

namespace DuiLib {

class CCloudShareListItemUI : public CListContainerElementUI {
public:
    // The class name the layouts use for this row keeps its "UI" ending.
    static constexpr const char* kClassName = "CloudShareListItemUI";

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    bool IsHot() const { return (m_uButtonState & UISTATE_HOT) != 0; }
    // The frame colour: the list's line colour, else the accent.
    DWORD FrameColour() const;

    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(QPainter& painter) override;
};

}  // namespace DuiLib
