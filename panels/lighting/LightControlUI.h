#pragma once
// The lighting editor of a device page. It shows one device's lighting state and enables only the
// controls the chosen effect uses; it keeps no lighting state of its own beyond what its controls
// show (and the music lighting record). The main window reads the new values from it and hands
// them to the engine (LightingActions.h); the engines feed it through ILightingPanel.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "toolkit/Container.h"
#include "engines/device/DeviceLinks.h"
#include "store/ProfileRecords.h"

namespace DuiLib {
class CComboUI;
class CSliderUI;
class CEditUI;
class COptionUI;
class CButtonUI;
}  // namespace DuiLib
class CColorPaletteUI;

inline constexpr DuiLib::DWORD kOpaqueBlack = 0xFF000000;
inline constexpr int kKeyboardMaxLevel = 4;

// Colour components of the three edits.
enum ColourComponent : int { kRed = 0, kGreen = 1, kBlue = 2 };

inline DuiLib::DWORD ArgbOf(uint8_t r, uint8_t g, uint8_t b) {
    return kOpaqueBlack + r * 65536u + g * 256u + b;
}
inline uint8_t RedOf(DuiLib::DWORD argb) { return static_cast<uint8_t>(argb >> 16); }
inline uint8_t GreenOf(DuiLib::DWORD argb) { return static_cast<uint8_t>(argb >> 8); }
inline uint8_t BlueOf(DuiLib::DWORD argb) { return static_cast<uint8_t>(argb); }

class CLightControlUI : public DuiLib::CHorizontalLayoutUI, public ILightingPanel {
public:
    static constexpr const char* kClassName = "LightControl";
    static constexpr const char* kErrorSetAudio = " SetAudioLightInfo control is NULL";
    static constexpr const char* kErrorGetAudio = "GetAudioLightInfo control is NULL";
    static constexpr const char* kErrorAudioSwatch = "GetLightAudioColor control is NULL";

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

    // The device kind whose rules apply; until set, the kind of the engine around the panel.
    void SetPanelKind(int kind) { panelKind_ = kind; }
    int GetPanelKind() const;

    // Effect list: one item per name (the name is a language key and the item's user data), shown
    // only when its visible flag is set; the slider maxima.
    void SetEffectList(const std::vector<std::string>& names, const std::vector<int>& visible, int maxBrightness,
                       int maxSpeed);
    // The whole 16-byte light state: effect (rules applied), sliders, colour, options, sub-mode.
    void ShowLightState(const std::array<uint8_t, 16>& bytes);
    void SetEffect(int index);
    int GetEffect();
    // Switches the groups of the panel for an effect by the panel kind's rules.
    void ApplyEffectRules(int effect);

    void SetCustomSet(int index);
    int GetCustomSet();
    void SetSubMode(int index);
    int GetSubMode();
    void SetBrightness(int level);
    int GetBrightness();
    void SetSpeed(int level);
    int GetSpeed();
    void SetColourText(int component, const std::string& text);
    std::string GetColourText(int component);
    // Palette and "deng_colordp_btn".
    void SetPaletteColour(DuiLib::DWORD argb);
    DuiLib::DWORD GetPaletteColour();
    // Background colour of "color_option_" + n; 0 without the swatch.
    DuiLib::DWORD SwatchColour(int n);
    void SetSevenColour(bool on);
    bool GetSevenColour();
    // 1 selects "deng_FXL_check", 0 "deng_FXR_check".
    void SetDirection(bool left);
    // A colour the user chose (palette, swatch, edits): the edits, the palette and the colour button
    // show it and seven-colour cycling goes off.
    void ShowChosenColour(DuiLib::DWORD argb);
    void SetSharedAvailable(bool available);
    bool IsSharedAvailable() const { return sharedAvailable_; }

    // Music lighting. The setters and getters fail (false, LastError) when the music effect combo,
    // the colour button, the seven-colour option or one of the two colour options is missing.
    bool SetAudioLightInfo(const AudioLightInfoRecord& record);
    // The record as the controls show it; with takeColour the colour button's colour goes into the
    // colour being edited. ok (optional) tells whether the controls were there.
    AudioLightInfoRecord GetAudioLightInfo(bool takeColour, bool* ok = nullptr);
    // Background colour of "audiocolor_option_" + n; 0 (and LastError) without the swatch.
    DuiLib::DWORD GetLightAudioColor(int n);
    DuiLib::DWORD GetAudioPaletteColour();
    std::string GetAudioColourText(int component);
    void SetAudioColourText(int component, const std::string& text);
    const AudioLightInfoRecord& StoredAudioLightInfo() const { return audio_; }
    const std::string& LastError() const { return lastError_; }

    // ILightingPanel: the engines' side.
    void SetEffectLists(const std::vector<std::string>& effectNames, const std::vector<int>& visible,
                        const std::vector<std::string>& areaEffectNames,
                        const std::vector<std::string>& customLightNames) override;
    void ShowLightState(const std::array<uint32_t, 4>& lightState) override;
    void SetAudioLight(const std::array<uint32_t, 3>& words) override;
    std::array<uint32_t, 3> GetAudioLight() override;
    void ShowCustomGroup(int group) override;
    int SelectedCustomGroup() const override;

    // The named control inside the panel (cached once found), nullptr when the layout lacks it.
    DuiLib::CControlUI* Control(const std::string& name) const;

private:
    template <class T>
    T* Find(const std::string& name, const char* family) const;
    DuiLib::CComboUI* Combo(const std::string& name) const;
    DuiLib::COptionUI* Option(const std::string& name) const;
    DuiLib::CSliderUI* Slider(const std::string& name) const;
    void FillCombo(const std::string& name, const std::vector<std::string>& names, const std::vector<int>* visible,
                   bool textsAreKeys);
    void SelectInCombo(const std::string& name, int index);
    int SelectedInCombo(const std::string& name) const;
    void SetOption(const std::string& name, bool selected);
    bool IsOptionSelected(const std::string& name) const;
    void SetGroupEnabled(uint32_t groups, bool enabled);
    void SetGroupVisible(uint32_t groups, bool visible);
    void ShowAudioColour(DuiLib::DWORD argb);
    void Fail(const char* text);

    int panelKind_ = -1;
    bool sharedAvailable_ = false;
    AudioLightInfoRecord audio_;
    std::string lastError_;
    mutable std::map<std::string, DuiLib::CControlUI*> cache_;
};
