#pragma once
// What both headset panels share: their controls looked up by name on first use and remembered,
// selection without notifications, and the notice that says what the audio side cannot do here.
#include <map>
#include <string>

#include "toolkit/Container.h"

namespace DuiLib {
class COptionUI;
class CSliderUI;
}  // namespace DuiLib

class CHeadsetPanelBase : public DuiLib::CHorizontalLayoutUI {
protected:
    DuiLib::CControlUI* Named(const std::string& name) const;
    DuiLib::COptionUI* OptionNamed(const std::string& name) const;
    DuiLib::CSliderUI* SliderNamed(const std::string& name) const;
    void SelectQuietly(const std::string& name, bool selected) const;
    bool IsSelected(const std::string& name) const;
    void SetEnabledOf(const std::string& name, bool enabled) const;
    // The notice label: shown with the text key, hidden for "".
    void ShowNotice(const std::string& labelName, const std::string& textKey) const;

private:
    mutable std::map<std::string, DuiLib::CControlUI*> controls_;
};
