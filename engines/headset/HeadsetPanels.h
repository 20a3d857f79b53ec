#pragma once
// What the headset engine needs of its two audio panels (the equaliser and microphone panel and
// the voice changer panel). The panels implement these; a page without them skips the calls.
#include <string>

class IVoice6533Panel {
public:
    virtual ~IVoice6533Panel() = default;
    virtual void ShowPreset(int preset) = 0;
    virtual int ShownPreset() const = 0;
    virtual void SetCustomMode(bool on) = 0;
    virtual void SetBandSlider(int band, int value) = 0;
    virtual int GetBandSlider(int band) const = 0;  // -1 when the slider is missing
    virtual void SetMicrophoneOn(bool on) = 0;
    virtual bool MicrophoneOn() const = 0;
    virtual void SetMicrophoneLevel(int level) = 0;
    virtual int MicrophoneLevel() const = 0;
    virtual void SetMonitorOn(bool on) = 0;
    virtual bool MonitorOn() const = 0;
    virtual void SetMonitorLevel(int level) = 0;
    virtual int MonitorLevel() const = 0;
    virtual void SetNameEdit(const std::string& text) = 0;
    virtual std::string NameEdit() const = 0;
    virtual void AddCustomName(const std::string& name) = 0;
    virtual int SelectedCustomIndex() const = 0;  // -1 for none
    virtual int CustomCount() const = 0;
    virtual void SelectCustomIndex(int index) = 0;  // -1 selects none; clears the name edit
    virtual void RemoveCustomEntry(int index) = 0;
    virtual void RemoveAllCustomEntries() = 0;
    virtual std::string CustomNameAt(int index) const = 0;
    // A text key telling what the audio side cannot do here ("" hides it).
    virtual void ShowAudioNotice(const std::string& textKey) = 0;
};

class IMagicPanel {
public:
    virtual ~IMagicPanel() = default;
    virtual void ShowVoiceChanger(bool on) = 0;
    virtual bool VoiceChangerOn() const = 0;
    virtual void SetVoiceLayoutEnabled(bool on) = 0;
    virtual void ShowVoice(int voice) = 0;
    virtual int ShownVoice() const = 0;
    virtual void ShowAudioNotice(const std::string& textKey) = 0;
};
