#include "panels/controls/RedioMacroButton.h"

#include <algorithm>
#include <cstdio>

#include "toolkit/PaintManager.h"
#include "toolkit/XmlNode.h"

namespace DuiLib {

using detail::SameNoCase;

std::string CRedioMacroButtonUI::GetClass() const { return kClassName; }

void* CRedioMacroButtonUI::GetInterface(const std::string& name) {
    return SameNoCase(name, kClassName) ? this : CButtonUI::GetInterface(name);
}

bool CRedioMacroButtonUI::StartPulse() {
    m_nFade = kFadeHigh;
    m_bRising = false;
    ShowFade();
    return m_pManager && m_pManager->SetTimer(this, kPulseTimerId, kPulseIntervalMs);
}

void CRedioMacroButtonUI::StopPulse() {
    if (m_pManager) m_pManager->KillTimer(this, kPulseTimerId);
    m_nFade = kFadeHigh;
    ShowFade();
}

void CRedioMacroButtonUI::StepPulse() {
    if (m_bRising) {
        m_nFade = std::min(kFadeHigh, m_nFade + kFadeStep);
        if (m_nFade == kFadeHigh) m_bRising = false;
    } else {
        m_nFade = std::max(kFadeLow, m_nFade - kFadeStep);
        if (m_nFade == kFadeLow) m_bRising = true;
    }
    ShowFade();
}

void CRedioMacroButtonUI::ShowFade() {
    if (m_sRecordImage.empty()) return;
    char fade[32];
    std::snprintf(fade, sizeof fade, "fade='%d'", m_nFade);
    SetNormalImage("res='" + m_sRecordImage + "' " + fade);
}

void CRedioMacroButtonUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kPulseTimerId) {
        StepPulse();
        return;
    }
    CButtonUI::DoEvent(event);
}

void CRedioMacroButtonUI::SetAttribute(const std::string& name, const std::string& value) {
    if (SameNoCase(name, "redioimage")) SetRecordImage(value);
    else CButtonUI::SetAttribute(name, value);
}

}  // namespace DuiLib
