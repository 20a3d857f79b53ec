#pragma once
// The keyboard engine: reads the keyboard's key tables and lighting parameter record, writes
// lighting, system switches, key table, macro image and custom colours, listens to the device's
// events and binds its page. One class spread over files by concern:
//   KeyboardDevice.cpp        life cycle, profile, base replacements
//   KeyboardCommands.cpp      read-all and the key maps
//   KeyboardLightParams.cpp   the 28-byte lighting parameter record, both ways
//   KeyboardKeyTable.cpp      key table and macro image uploads
//   KeyboardCustomColours.cpp custom per-key colours
//   KeyboardEventListeners.cpp event records and their listener threads
//   KeyboardKeyLabels.cpp     key labels from the display code tables
//   KeyboardPageBinding.cpp   page binding, lists, page refresh
#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engines/device/TorvanelUSBDevice.h"
#include "engines/device/UiThreadQueue.h"
#include "engines/lighting/KeyboardLightRenderer.h"
#include "platform/WorkerThread.h"
#include "store/KeyboardProfiledata.h"

inline constexpr uint8_t kNoKeyPosition = 255;
inline constexpr size_t kLightParamsBytes = 28;
inline constexpr uint32_t kProfileRecordStride = 25;
inline constexpr uint8_t kKeepEffectCode = 0xFE;
inline constexpr uint32_t kListenerStopMs = 500;
inline constexpr const char* kListenerExitLine = "MS 设备同步线程设定退出";

class CTorvanelKeyboardDevice : public CTorvanelUSBDevice {
public:
    static constexpr const char* kClassName = "TorvanelKeyboardDevice";

    CTorvanelKeyboardDevice();
    ~CTorvanelKeyboardDevice() override;

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // Base replacements.
    void InitPage() override { BindPage(); }
    int ApplyLighting() override;
    void PushFrame() override;
    bool StreamsOnItsOwnThread() const override { return true; }
    void OnConnected() override;
    void ReloadLighting() override;
    int CheckReceiverLink() override;
    int LoadProfile() override;
    void RefreshPage() override;
    void ValidateMacroKeys() override;
    void RestoreDefaults() override;
    std::vector<int> GetMacroList() override;
    int WriteKeyAssignments(int bank, const std::vector<KeyListEntry>& keys) override;
    int WriteOwnKeyAssignments(int bank) override;
    int WriteMacros(const std::vector<int>& macroIndexes) override;
    int WriteLightParams(int profile, int value, int = 0, int = 0, int = 0) override;
    void LoadLists() override;
    void ShowFunctionPage(int page) override;
    void SetSavePaths() override;
    std::string GetProfilePath() override { return profile_.GetProfilePath(); }
    void SaveProfile() override { profile_.Save(); }
    void SetModelIndex(int index) override;
    void SetLightState(const std::array<uint32_t, 4>& words) override;
    void SetAudioLight(const std::array<uint32_t, 3>& words) override;
    void SelectKey(int keyIndex) override;
    void FeedAudioSpectrum(const uint8_t* bands, int count) override;
    void FeedAudioPeaks(const uint32_t* values, int count) override;
    void SetWorkingProfile(uint8_t profile) override { workingProfile_ = profile; }

    // Own operations.
    void BindPage() override;
    void SetCustomGroup(int group);
    void LoadCustomColours();
    void FillCustomColours(bool on);
    void ReloadCustomColours();
    void PaintCustomKey(int lightIndex);
    // Effect 20 only: the custom colour frame to the device. 1 sent, 0 not effect 20 or failed.
    int WriteCustomColours();

    void SetSystemStages(const std::array<uint32_t, 4>& words);
    std::array<uint32_t, 4> GetSystemStages() const { return systemStages_.ToWords(); }

    // Event records (the device list): kind 1 the direct record, kind 9 the receiver's.
    int AttachEventRecord(const std::string& path, int kind);
    int ReattachEventRecord(const std::string& path, int kind);
    void DetachEventRecord(int kind);

    // Key labels of the page from the current key list.
    void RefreshKeyLabels();
    // The label text key of one assignment code ("" leaves the label unchanged).
    std::string LabelForCode(const KeyAssignment& code) const;

    // Inspection.
    CKeyboardLightRenderer& KeyboardRenderer() { return *keyboardRenderer_; }
    CKeyboardProfiledata& Profile() { return profile_; }
    const std::vector<KeyListEntry>& KeyList() const { return keyList_; }
    // The key assignment panel's result: kept and put into the profile (saved by SaveProfile).
    void SetKeyList(const std::vector<KeyListEntry>& list) {
        keyList_ = list;
        profile_.SetKeyList(list);
    }
    const std::map<int, int>& KeyToPosition() const { return keyMaps_[0]; }
    const std::map<int, int>& KeyToLight() const { return keyMaps_[1]; }
    const std::array<uint8_t, kLightParamsBytes>& LightParams() const { return lightParams_; }
    const std::vector<int>& EffectCodes() const { return effectCodes_; }
    const std::vector<std::string>& MacroNames() const { return macroNames_; }
    uint8_t WorkingProfile() const { return workingProfile_; }
    int DeviceKeyCount() const { return deviceInfo_[5]; }

private:
    struct EventListener {
        int kind = 0;
        WorkerThread thread;
        std::atomic<bool> open{false};
    };

    // Read-all and the maps (KeyboardCommands.cpp).
    int ReadAll();
    void BuildKeyMaps();
    // Lighting parameter record (KeyboardLightParams.cpp).
    // The active profile index and its record into the lighting parameters; false when not read.
    bool ReadParamRecord();
    void ReadLightParams();
    std::array<uint8_t, kLightParamsBytes> BuildLightParams(int value);
    void EnterEffectIfChanged(uint8_t previous, uint8_t effect);
    // Key table and macro image (KeyboardKeyTable.cpp).
    std::vector<int> MacroListOf(const std::vector<KeyListEntry>& keys, size_t librarySize) const;
    std::string MacroLibraryPath() const { return UserDataFolder() + "macro.config"; }
    // Localised text of a key through the page's hidden "text_test" (KeyboardPageBinding.cpp).
    std::string Localised(const std::string& key);
    void RefreshRepeatControls();
    void SetOptionSelected(const std::string& name, bool selected);
    // Event listeners (KeyboardEventListeners.cpp).
    EventListener& ListenerOf(int kind) { return kind == kKindKeyboardViaReceiver ? listeners_[1] : listeners_[0]; }
    // The listener takes the record's report length and data list when it starts: a stop closes the
    // record under a blocked read, and those fields go with it.
    void ListenerBody(EventListener& listener, const WorkerArgs& args, size_t reportBytes,
                      std::vector<HidDataItem> data);
    // The event code of one input report; 0 for none.
    static uint16_t EventCode(const CHidInterface& record, const uint8_t* report, uint32_t length,
                              std::vector<HidDataItem>& data);
    void ActOnEvent(int kind, uint16_t code);
    void StopListeners();

    CKeyboardLightRenderer* keyboardRenderer_;  // owned by the base as its renderer
    CKeyboardProfiledata profile_;
    std::vector<KeyListEntry> keyList_;
    std::array<uint8_t, 512> deviceKeyTable_{};
    std::array<uint8_t, 512> deviceLightTable_{};
    std::array<uint8_t, kLightParamsBytes> lightParams_{};
    uint8_t workingProfile_ = 0;
    KeyboardSystemStages systemStages_;
    std::vector<std::string> effectNames_;
    std::vector<int> effectVisible_;
    std::vector<int> effectCodes_;
    std::vector<std::string> areaEffectNames_;
    std::vector<std::string> customLightNames_;
    std::vector<std::string> macroNames_;
    IProfilePanel* profilePanel_ = nullptr;
    IMacroPanel* macroPanel_ = nullptr;
    IKeyAssignmentPanel* keyPanel_ = nullptr;
    DuiLib::CControlUI* keyPanelControl_ = nullptr;
    std::array<EventListener, 2> listeners_;
    CUiThreadQueue uiQueue_;
};

// Registers the page's control classes ("TorvanelKeyboardDevice", "DeviceKeyButton") with the
// control factory.
void RegisterKeyboardControls();
