#pragma once
// The macro recording button: while its pulse timer runs, the recording image fades between
// 80 and 255 in steps of 20. The owner starts and stops the pulse.
#include "toolkit/Button.h"

namespace DuiLib {

class CRedioMacroButtonUI : public CButtonUI {
public:
    static constexpr const char* kClassName = "RedioMacroButton";
    static constexpr UINT kPulseTimerId = 100;
    static constexpr UINT kPulseIntervalMs = 50;
    static constexpr int kFadeLow = 80;
    static constexpr int kFadeHigh = 255;
    static constexpr int kFadeStep = 20;

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    void SetRecordImage(const std::string& image) { m_sRecordImage = image; }
    const std::string& GetRecordImage() const { return m_sRecordImage; }
    // Starts or stops timer 100; stopping shows the image fully again.
    bool StartPulse();
    void StopPulse();
    int GetFade() const { return m_nFade; }
    // One pulse step: the fade moves by 20 and turns at the ends.
    void StepPulse();

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

private:
    void ShowFade();

    std::string m_sRecordImage;
    int m_nFade = kFadeHigh;
    bool m_bRising = false;
};

}  // namespace DuiLib
