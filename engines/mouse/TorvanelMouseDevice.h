#pragma once
// The mouse engine, on a cable (kind 2) or through its receiver (kind 6): reads the information
// block and button table, writes the settings page (lighting, report rate, DPI stages, recoil
// correction), the button table and the recoil upload image, listens to the mouse's events and
// animates the page's light zones. One class spread over files by concern:
//   MouseDevice.cpp          life cycle, profile, base replacements
//   MouseCommands.cpp        start-up, settings page both ways, button table, recoil upload
//   MouseEventListeners.cpp  event interfaces and their listener threads
//   MousePreview.cpp         the light-zone preview thread
//   MousePageBinding.cpp     page binding, DPI and pointer controls, page refresh, page edits
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engines/device/EventInterfaceOwner.h"
#include "engines/device/TorvanelUSBDevice.h"
#include "engines/device/UiThreadQueue.h"
#include "engines/mouse/MousePreviewRenderer.h"
#include "engines/mouse/MouseTables.h"
#include "platform/WorkerThread.h"
#include "store/MouseProfiledata.h"

namespace DuiLib { class CSliderUI; class CEditUI; class COptionUI; }

inline constexpr const char* kMousePreviewExitLine = "MS灯光线程设定退出";
inline constexpr const char* kMouseListenerExitLine = "MS 设备同步线程设定退出";

class CTorvanelMouseDevice : public CTorvanelUSBDevice, public IEventInterfaceOwner {
public:
    static constexpr const char* kClassName = "TorvanelMouseDevice";

    CTorvanelMouseDevice();
    ~CTorvanelMouseDevice() override;

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;

    // Base replacements.
    void InitPage() override { BindPage(); }
    int ApplyLighting() override;
    void PushFrame() override;
    bool StreamsOnItsOwnThread() const override { return true; }  // the mouse gets no frames
    void OnConnected() override;
    void ReloadLighting() override;
    int CheckReceiverLink() override;
    int LoadProfile() override;
    void RefreshPage() override;
    void ValidateMacroKeys() override;
    void RestoreDefaults() override;
    int WriteKeyAssignments(int bank, const std::vector<KeyListEntry>& keys) override;
    int WriteOwnKeyAssignments(int bank) override;
    int WriteLightParams(int profile, int value, int = 0, int = 0, int = 0) override;
    void LoadLists() override;
    void ClearReactive() override;
    void ShowFunctionPage(int page) override;
    void SetSavePaths() override;
    std::string GetProfilePath() override { return profile_.GetProfilePath(); }
    void SaveProfile() override { profile_.Save(); }
    void SetModelIndex(int index) override;
    void SetLightState(const std::array<uint32_t, 4>& words) override;
    void SelectKey(int keyIndex) override;
    void SetWorkingProfile(uint8_t profile) override { deviceProfile_.store(profile); }

    // Own operations.
    void BindPage() override;

    // Settings page. ReadDeviceSettings returns the device profile index, or -1 when not read.
    int ReadDeviceSettings();
    int WriteDeviceSettings(int page, uint8_t profileByte, uint8_t flagByte, int screenWidth, int screenHeight);
    void SetScreenSize(int width, int height) { screenWidth_ = width, screenHeight_ = height; }
    // Recoil patterns from the four gun files to the mouse; 1 sent, 0 not.
    int UploadRecoilPatterns();

    // Page operations (UI thread).
    void EnableDpiStage(int stage, bool on);
    bool DpiStageChecked(int stage);
    void ShowDpiValue(int stage, int steps);
    int DpiSliderValue(int stage);
    int DpiTypedValue(int stage);
    void ShowReportRate(int index);
    void SelectSettingsTab(int index);
    // A settings tab chosen by the user: the tab and the function page that belongs to it.
    void ShowSettingsTab(int index);
    std::array<uint32_t, 3> GetSystemSettings() const { return systemStages_.ToWords(); }
    void SetSystemSettings(const std::array<uint32_t, 3>& words);
    std::vector<DpiStage> GetDpiStages() const { return dpiStages_; }
    void SetDpiStages(const std::vector<DpiStage>& stages);

    // Page edits, each with its profile save and, where the mouse keeps it, the settings write.
    void OnDpiCheckChanged(int stage);
    void OnDpiSliderMoving(int stage);
    void OnDpiValueChosen(int stage, int steps);
    void OnDpiSliderReleased(int stage) { OnDpiValueChosen(stage, DpiSliderValue(stage)); }
    void OnDpiEditDone(int stage);
    void OnReportRateSelected(int index);
    // "pointer_speed_slider", "pointer_precision_check", "scroll_speed_slider",
    // "scrolls_page_check", "double_click_slider": kept in the profile only.
    void OnPointerSettingChanged(const std::string& controlName);

    // Event interfaces (the device list): kind 2 on the cable, 6 through the receiver. Attach opens
    // the path again even when the interface is open (1 opened, 0 not).
    int AttachEventInterface(const std::string& path, int kind);
    void OpenEventInterface(const std::string& path, int kind) override;
    void CloseEventInterface(int kind) override;

    // Inspection.
    CMouseProfiledata& Profile() { return profile_; }
    const ButtonSlotMap& SlotMap() const { return slotMap_; }
    const std::vector<uint8_t>& ButtonTable() const { return buttonTable_; }
    const MouseSettingsPage& SettingsCache() const { return settingsCache_; }
    uint8_t DeviceProfile() const { return deviceProfile_.load(); }
    uint8_t CachedActiveStage() const { return cachedActiveStage_.load(); }
    int DpiStep() const { return deviceInfo_[11]; }
    int HighestDpiSteps() const { return deviceInfo_[12] | deviceInfo_[13] << 8; }
    int LowestDpi() const { return deviceInfo_[14] | deviceInfo_[15] << 8; }
    const std::vector<KeyListEntry>& KeyList() const { return keyList_; }
    void SetKeyList(const std::vector<KeyListEntry>& list) {
        keyList_ = list;
        profile_.SetKeyList(list);
    }
    bool PreviewRunning() const { return previewThread_.Running(); }
    CMousePreviewRenderer& PreviewRenderer() { return *previewRenderer_; }
    const std::vector<std::string>& MacroNames() const { return macroNames_; }

private:
    struct EventListener {
        int kind = 0;
        WorkerThread thread;
        std::atomic<bool> open{false};
        std::string path;  // UI thread only
    };

    // In wireless mode the link must be up before each group of commands.
    bool LinkReady();
    void StartPreview();
    void StopPreview();
    void PreviewBody(const WorkerArgs& args);
    EventListener& ListenerOf(int kind) { return kind == kKindMouseViaReceiver ? listeners_[1] : listeners_[0]; }
    CHidInterface& EventRecordOf(int kind);
    void ListenerBody(EventListener& listener, const WorkerArgs& args);
    void ActOnEvent(uint16_t code);
    void StopListeners();
    void StoreStagesAndWrite();
    void RebuildButtonList();
    DuiLib::CSliderUI* Slider(const std::string& name);
    DuiLib::COptionUI* Option(const std::string& name);

    CMousePreviewRenderer* previewRenderer_;  // owned by the base as its renderer
    CMouseProfiledata profile_;
    std::vector<KeyListEntry> keyList_;
    std::vector<uint8_t> buttonTable_;
    ButtonSlotMap slotMap_{};
    bool slotMapBuilt_ = false;
    MouseSettingsPage settingsCache_{};
    std::atomic<uint8_t> deviceProfile_{0};
    std::atomic<uint8_t> cachedActiveStage_{0};
    std::vector<DpiStage> dpiStages_;
    MouseSystemStages systemStages_;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
    WorkerThread previewThread_;
    std::array<EventListener, 2> listeners_;
    CUiThreadQueue uiQueue_;
    std::vector<std::string> macroNames_;
    std::vector<std::string> effectNames_;
    std::vector<int> effectVisible_;
    std::vector<std::string> areaEffectNames_;
    std::vector<std::string> customLightNames_;
    IProfilePanel* profilePanel_ = nullptr;
    IMacroPanel* macroPanel_ = nullptr;
    IKeyAssignmentPanel* keyPanel_ = nullptr;
    DuiLib::CControlUI* keyPanelControl_ = nullptr;
    DuiLib::CControlUI* shootPanel_ = nullptr;
};

// Registers "TorvanelMouseDevice" with the control factory.
void RegisterMouseControls();
