#pragma once
// The base of every device engine: at the same time one device and its page of controls. It owns
// the command and event channels, the lighting renderer (light state, frame buffer, basic
// effects, locks), the key and light buttons of its page and the paths of its data files. The
// device list configures it, binds it to the device and drives it through its entry's timers.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>

#include "toolkit/Container.h"
#include "toolkit/UIDefs.h"
#include "device/channel/CommandChannel.h"
#include "device/registry/ModelTables.h"
#include "engines/device/DeviceLinks.h"
#include "engines/lighting/LightRenderer.h"

class CDeviceKeyButtonUI;

namespace DuiLib { class CTabLayoutUI; }

class CTorvanelUSBDevice : public DuiLib::CHorizontalLayoutUI, protected ILightFrameSink {
public:
    static constexpr const char* kClassName = "TorvanelUSBDevice";

    explicit CTorvanelUSBDevice(std::unique_ptr<CLightRenderer> renderer = nullptr);
    ~CTorvanelUSBDevice() override;

    std::string GetClass() const override;
    void* GetInterface(const std::string& name) override;
    // A page that becomes the shown tab starts its frame timer again.
    void SetVisible(bool visible = true) override;

    // Configuration by the page builder, in this order.
    void SetPageLayoutPath(const std::string& path) { pageLayoutPath_ = path; }
    void SetMainWindow(DuiLib::HWND window) { mainWindow_ = window; }
    void SetKeyCount(int count);
    void SetLightCount(int count);
    void SetPageRow(int row) { pageRow_ = row; }
    void SetReceiverCapable(bool capable);
    void SetProfileId(const std::string& id) { profileId_ = id; }
    void SetTypeFolderName(const std::string& name) { typeFolderName_ = name; }
    void SetPowerControl(DuiLib::CControlUI* control);
    void SetInterfaceRow(const DeviceInterfaceEntry& row);
    void SetDefaultLightingName(const std::string& name) { defaultLightingName_ = name; }
    void SetListEntry(IDeviceListEntry* entry) { listEntry_ = entry; }

    // Paths of the data files.
    std::string UserDataFolder() const;
    std::string DefaultDataFolder() const;
    std::string DefaultProfilePath() const;

    // Virtual operations, in slot order.
    virtual void InitPage();
    virtual int ApplyLighting() { return 0; }
    virtual void RenderBreathCycle() { renderer_->RenderBreathCycle(); }
    virtual void RenderBreathFourColours() { renderer_->RenderBreathFourColours(); }
    virtual void RenderStatic() { renderer_->RenderStatic(); }
    virtual void RenderSpectrum() { renderer_->RenderSpectrum(); }
    virtual void RenderBlink() { renderer_->RenderBlink(); }
    virtual void RenderBlinkFourColours() { renderer_->RenderBlinkFourColours(); }
    virtual void RenderOff() { renderer_->RenderOff(); }
    virtual void PushFrame();
    virtual void SetLightValue(int index, uint32_t record) { renderer_->SetLightValue(index, record); }
    virtual uint32_t GetLightValue(int index) { return renderer_->GetLightValue(index); }
    virtual void OnConnected() {}
    virtual void ReloadLighting() {}
    virtual void Refresh15() {}
    virtual void Refresh16() {}
    virtual void ReadPowerStatus();
    virtual int CheckReceiverLink() { return 1; }
    virtual int LoadProfile() { return 0; }
    virtual void RefreshPage() {}
    virtual void ValidateMacroKeys() {}
    virtual void RestoreDefaults() {}
    virtual std::vector<int> GetMacroList() { return {}; }
    virtual int WriteKeyAssignments(int /*bank*/, const std::vector<KeyListEntry>& /*keys*/) { return 0; }
    virtual int WriteOwnKeyAssignments(int /*bank*/) { return 0; }
    virtual int WriteMacros(const std::vector<int>& /*macroIndexes*/) { return 0; }
    virtual int WriteLightParams(int /*profile*/, int /*value*/, int = 0, int = 0, int = 0) { return 0; }
    virtual void LoadLists() {}
    virtual void SetKeyLightMap(const std::map<int, int>& map) { keyMaps_[2] = map; }
    virtual uint8_t StepReactive(size_t key, unsigned style) { return renderer_->StepReactive(key, style); }
    virtual void TriggerReactive() { renderer_->TriggerReactive(); }
    virtual void RotateColumns(bool direction) { renderer_->RotateColumns(direction); }
    virtual void ClearReactive() { renderer_->ClearReactive(); }
    virtual void ShowFunctionPage(int page);
    virtual int GetFunctionPage() const { return functionPage_; }
    virtual void SetSavePaths() {}
    virtual std::string GetProfilePath() { return {}; }
    virtual void SaveProfile() {}
    virtual void SetModelIndex(int index) { modelIndex_ = index; }
    virtual int GetModelIndex() const { return modelIndex_; }
    virtual void SetLightState(const std::array<uint32_t, 4>& words) { renderer_->SetLightState(words); }
    virtual void SetAudioLight(const std::array<uint32_t, 3>& words);
    virtual std::array<uint32_t, 3> GetAudioLight();
    virtual void SelectKey(int keyIndex) { selectedKey_ = keyIndex; }
    virtual void FeedAudioSpectrum(const uint8_t* /*bands*/, int /*count*/) {}
    virtual void FeedAudioPeaks(const uint32_t* /*values*/, int /*count*/) {}

    // Every engine's first own operations.
    virtual void BindPage() { CTorvanelUSBDevice::InitPage(); }
    std::array<uint32_t, 4> GetLightState() const { return renderer_->GetLightState(); }

    // Timer handlers of the list entry (UI thread).
    void OnTimer(unsigned id);

    // The application's light-control switch.
    void SetLightControl(int on);
    int GetLightControl() const { return lightControl_; }
    void SetPreview(bool preview);
    // The key picture is on screen: window shown, this page selected, the preview flag set.
    bool PictureShown();
    // Re-evaluates who consumes the frames and starts the frame timer when it is needed again.
    void WakeFrameTimer();

    // Event codes shared by every family: sync requests and profile changes (UI thread).
    void HandleDeviceEvent(uint16_t code);
    virtual void SetWorkingProfile(uint8_t /*profile*/) {}

    // Accessors for the device list, the panels and the tests.
    CCommandChannel& CommandChannel() { return commandChannel_; }
    CCommandChannel& EventChannel() { return eventChannel_; }
    CLightRenderer& Renderer() { return *renderer_; }
    const DeviceInterfaceEntry& InterfaceRow() const { return interfaceRow_; }
    int ConnectionKind() const { return connectionKind_; }
    int InterfaceRole() const { return interfaceRole_; }
    int KeyCount() const { return static_cast<int>(keyButtons_.size()); }
    int LightCount() const { return static_cast<int>(lightButtons_.size()); }
    int PageRow() const { return pageRow_; }
    int SelectedKey() const { return selectedKey_; }
    bool ReceiverCapable() const { return receiverCapable_; }
    const std::string& ProfileId() const { return profileId_; }
    const std::string& TypeFolderName() const { return typeFolderName_; }
    const std::string& DefaultLightingName() const { return defaultLightingName_; }
    const std::string& PageLayoutPath() const { return pageLayoutPath_; }
    CDeviceKeyButtonUI* KeyButton(int index) const;
    CDeviceKeyButtonUI* LightButton(int index) const;
    const std::array<uint8_t, 34>& DeviceInfo() const { return deviceInfo_; }
    // Reached through the 2.4 GHz receiver rather than directly.
    bool ThroughReceiver() const;

protected:
    // Binds the key and light buttons inside the picture container; lightPrefixToo makes a
    // "light_" name a light button as well (the keyboard page).
    void BindKeyButtons(const std::string& pictureClassOrName, bool byName, bool lightPrefixToo);
    void ClearButtons();
    // Finds a named control of the page (under this container).
    DuiLib::CControlUI* FindPageControl(const std::string& name);
    void SendToMainWindow(unsigned msg, uintptr_t wParam, intptr_t lParam);
    void StartEntryTimer(unsigned id, unsigned ms);
    void TellLink(bool online);
    // True for engines whose worker streams the device frames; their frame timer only shows the
    // picture. Otherwise the timer streams every frame as well.
    virtual bool StreamsOnItsOwnThread() const { return false; }
    // The frame timer is needed while it streams or the picture is shown.
    bool FrameTimerNeeded();

    // ILightFrameSink over the light buttons and the command channel.
    bool LightButtonExists(size_t index) const override;
    bool LightButtonVisible(size_t index) const override;
    void ShowLightButton(size_t index, uint32_t colour, uint8_t brightness, bool visible) override;
    int StreamLightFrame(const uint8_t* bytes, size_t length) override;

    CCommandChannel commandChannel_;
    CCommandChannel eventChannel_;
    std::array<uint8_t, 34> deviceInfo_{};
    DuiLib::CControlUI* lightingPanelControl_ = nullptr;
    DuiLib::CControlUI* selectPanel_ = nullptr;
    IDeviceListEntry* listEntry_ = nullptr;
    DuiLib::CControlUI* powerControl_ = nullptr;
    DuiLib::CTabLayoutUI* functionSwitch_ = nullptr;
    DuiLib::CTabLayoutUI* keyFunctionSwitch_ = nullptr;
    std::string pageLayoutPath_;
    DuiLib::HWND mainWindow_ = 0;
    std::string defaultLightingName_;
    std::string typeFolderName_;
    int connectionKind_ = 0;
    int interfaceRole_ = 0;
    int pageRow_ = -1;
    int selectedKey_ = -1;
    std::string profileId_;
    int functionPage_ = 1;
    std::vector<CDeviceKeyButtonUI*> keyButtons_;
    std::vector<CDeviceKeyButtonUI*> lightButtons_;
    std::array<std::map<int, int>, 3> keyMaps_;
    std::unique_ptr<CLightRenderer> renderer_;
    int lightControl_ = 0;
    bool preview_ = false;
    bool receiverCapable_ = false;
    DeviceInterfaceEntry interfaceRow_{};
    int modelIndex_ = 0;
    std::array<uint32_t, 3> audioLight_{};
    int linkFailures_ = 0;
    // Whether the frame being pushed is also shown on the key caps (timer 1000 paces the picture).
    bool pageFrameDue_ = true;
    bool pageFrameToDevice_ = true;
    int lastPushResult_ = 1;
    bool frameTimerArmed_ = false;
    uint32_t shownFrameSerial_ = 0;
    bool shownFrameValid_ = false;
    bool frameTimerStarted_ = false;
    class HostWatch;
    QPointer<HostWatch> hostWatch_;  // owned by the host widget
    void WatchHostWindow();

    ILightingPanel* LightingPanel() const;
};
