#pragma once
// The headset's voice changer panel: the switch and the four voices, enabled only while the
// voice changer is on. The main window routes its notifications to the headset engine.
#include <string>

#include "engines/headset/HeadsetPanels.h"
#include "panels/headset/HeadsetPanelBase.h"

class CMagicControlUI : public CHeadsetPanelBase, public IMagicPanel {
public:
    static constexpr const char* kClassName = "MagicControl";

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    void ShowVoiceChanger(bool on) override;
    bool VoiceChangerOn() const override;
    void SetVoiceLayoutEnabled(bool on) override;
    void ShowVoice(int voice) override;
    int ShownVoice() const override { return shownVoice_; }
    void ShowAudioNotice(const std::string& textKey) override;

private:
    int shownVoice_ = 0;
};
