#include "panels/headset/HeadsetPanelBase.h"

#include "toolkit/Button.h"
#include "toolkit/Slider.h"

using namespace DuiLib;

CControlUI* CHeadsetPanelBase::Named(const std::string& name) const {
    auto found = controls_.find(name);
    if (found != controls_.end()) return found->second;
    CControlUI* control = const_cast<CHeadsetPanelBase*>(this)->FindSubControl(name);
    if (control) controls_[name] = control;  // a missing control is looked for again next time
    return control;
}

COptionUI* CHeadsetPanelBase::OptionNamed(const std::string& name) const {
    CControlUI* control = Named(name);
    return control ? static_cast<COptionUI*>(control->GetInterface("Option")) : nullptr;
}

CSliderUI* CHeadsetPanelBase::SliderNamed(const std::string& name) const {
    CControlUI* control = Named(name);
    return control ? static_cast<CSliderUI*>(control->GetInterface("Slider")) : nullptr;
}

void CHeadsetPanelBase::SelectQuietly(const std::string& name, bool selected) const {
    if (COptionUI* option = OptionNamed(name)) option->Selected(selected, false);
}

bool CHeadsetPanelBase::IsSelected(const std::string& name) const {
    COptionUI* option = OptionNamed(name);
    return option && option->IsSelected();
}

void CHeadsetPanelBase::SetEnabledOf(const std::string& name, bool enabled) const {
    if (CControlUI* control = Named(name)) control->SetEnabled(enabled);
}

void CHeadsetPanelBase::ShowNotice(const std::string& labelName, const std::string& textKey) const {
    CControlUI* label = Named(labelName);
    if (!label) return;
    if (!textKey.empty()) {
        label->SetResourceText(true);
        label->SetText(textKey);
    }
    label->SetVisible(!textKey.empty());
}
