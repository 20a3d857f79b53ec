#pragma once
// The lighting side shared by the headset and the mouse pad: the cached settings page and its
// read and write, the software frames and their preview thread, the event interface with its
// listener, the effect name lists and the profile's lighting. The two engines derive from it and
// add what differs: how a frame reaches the device, the effect-0 wave and the rest of the page.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "device/hid/HidInterface.h"
#include "engines/device/EventInterfaceOwner.h"
#include "engines/device/TorvanelUSBDevice.h"
#include "engines/device/UiThreadQueue.h"
#include "engines/headset/AccessoryLightRenderer.h"
#include "engines/headset/HeadsetSettingsPage.h"
#include "platform/CriticalSection.h"
#include "platform/WorkerThread.h"
#include "store/BasicProfiledata.h"

inline constexpr const char* kAccessoryListenerExitLine = "MS设备同步线程设定退出";
inline constexpr const char* kAccessorySyncTestLine = "接收到自动添加设备的同步信息要求  TEST";
inline constexpr const char* kAccessorySyncLine = "接收到自动添加设备的同步信息要求";
inline constexpr uint32_t kAccessoryListenerStopMs = 1000;
inline constexpr unsigned kAccessoryReloadDelayMs = 500;
// Tells the main window that the device's stored lighting was read again (wParam: profile index).
inline constexpr unsigned kMsgLightingReloaded = 3328;

class CTorvanelLitAccessoryDevice : public CTorvanelUSBDevice, public IEventInterfaceOwner {
public:
    CTorvanelLitAccessoryDevice(WaveStyle style, int connectionKind);
    ~CTorvanelLitAccessoryDevice() override;

    // Base replacements shared by both accessories.
    void InitPage() override { BindPage(); }
    int ApplyLighting() override;
    void PushFrame() override;
    void ReloadLighting() override;
    void RestoreDefaults() override;
    int WriteLightParams(int page, int value, int = 0, int = 0, int = 0) override;
    void LoadLists() override;
    void TriggerReactive() override { accessoryRenderer_->TriggerAllZones(); }
    void SetSavePaths() override;
    std::string GetProfilePath() override { return LightProfile().GetProfilePath(); }
    void SaveProfile() override { LightProfile().Save(); }
    void SetLightState(const std::array<uint32_t, 4>& words) override;

    // The event interface (the device list). Open does nothing when one is open already.
    int OpenEventInterface(const std::string& path);
    void CloseEventInterface();
    bool EventInterfaceOpen() const { return eventOpen_.load(); }
    // The device list's calls: the accessories have one event interface, whatever the kind.
    void OpenEventInterface(const std::string& path, int /*deviceKind*/) override { OpenEventInterface(path); }
    void CloseEventInterface(int /*deviceKind*/) override { CloseEventInterface(); }

    // Starts the preview thread (a running one is stopped first).
    void StartPreview();
    void StopPreview() { accessoryRenderer_->StopPreview(); }

    // Inspection.
    const CHeadsetSettingsPage& SettingsPage() const { return page_; }
    CHeadsetSettingsPage& SettingsPage() { return page_; }
    CAccessoryLightRenderer& AccessoryRenderer() { return *accessoryRenderer_; }
    const std::vector<std::string>& EffectNames() const { return effectNames_; }
    const std::vector<std::string>& CustomLightNames() const { return customLightNames_; }
    const std::vector<std::string>& MacroNames() const { return macroNames_; }

protected:
    virtual CBasicProfiledata& LightProfile() = 0;
    // What an event other than the sync request does (the headset ignores it, the pad logs it).
    virtual void OnOtherEvent(uint16_t /*code*/) {}
    // Binds the light buttons of the picture container and the panels every accessory page has.
    void BindAccessoryPage(const std::string& pictureName);
    // Sends the current frame to the device (preview thread); 1 on success.
    virtual int StreamCurrentFrame() = 0;

    // Light-control switch as the preview thread sees it (mirrored by the frame timer).
    std::atomic<bool> streamingAllowed_{false};

private:
    void ListenerBody(const WorkerArgs& args);
    void OnEvent(uint16_t code);

    CAccessoryLightRenderer* accessoryRenderer_;  // owned by the base as its renderer
    CHeadsetSettingsPage page_;
    std::vector<std::string> effectNames_;
    std::vector<int> effectVisible_;
    std::vector<std::string> areaEffectNames_;
    std::vector<std::string> customLightNames_;
    std::vector<std::string> macroNames_;
    IProfilePanel* profilePanel_ = nullptr;

    CHidInterface eventRecord_;
    CriticalSection eventLock_;
    std::atomic<bool> eventOpen_{false};
    WorkerThread listener_;
    CUiThreadQueue uiQueue_;
};
