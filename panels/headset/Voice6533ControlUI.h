#pragma once
// The headset's equaliser and microphone panel: twelve stock presets and the custom equaliser,
// ten band sliders, the custom equaliser list with its name edit, microphone and monitoring
// switches and levels. It holds no audio logic; the main window routes its notifications to the
// headset engine, which fills it back.
#include <string>

#include "engines/headset/HeadsetPanels.h"
#include "panels/headset/HeadsetPanelBase.h"

namespace DuiLib {
class CComboUI;
}

class CVoice6533ControlUI : public CHeadsetPanelBase, public IVoice6533Panel {
public:
    static constexpr const char* kClassName = "Voice6533Control";

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // IVoice6533Panel: every operation does nothing without its control; getters then give -1,
    // the count 0 and texts "".
    void ShowPreset(int preset) override;
    int ShownPreset() const override { return shownPreset_; }
    void SetCustomMode(bool on) override;
    void SetBandSlider(int band, int value) override;
    int GetBandSlider(int band) const override;
    void SetMicrophoneOn(bool on) override;
    bool MicrophoneOn() const override;
    void SetMicrophoneLevel(int level) override;
    int MicrophoneLevel() const override;
    void SetMonitorOn(bool on) override;
    bool MonitorOn() const override;
    void SetMonitorLevel(int level) override;
    int MonitorLevel() const override;
    void SetNameEdit(const std::string& text) override;
    std::string NameEdit() const override;
    void AddCustomName(const std::string& name) override;
    int SelectedCustomIndex() const override;
    int CustomCount() const override;
    void SelectCustomIndex(int index) override;
    void RemoveCustomEntry(int index) override;
    void RemoveAllCustomEntries() override;
    std::string CustomNameAt(int index) const override;
    void ShowAudioNotice(const std::string& textKey) override;

private:
    DuiLib::CComboUI* NameCombo() const;
    void SetSliderValue(const std::string& name, int value);
    int SliderValue(const std::string& name) const;

    int shownPreset_ = 0;
};

// Registers "CVoice6533ControlUI" and "CMagicControlUI" with the control factory.
void RegisterHeadsetPanels();
