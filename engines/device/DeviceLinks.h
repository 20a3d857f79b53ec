#pragma once
// What the engine needs of the controls around its page that belong to later-built parts: the
// device list entry whose timers drive it, the power status view and the panels of the page.
// Those controls implement these interfaces; a page without them simply skips the calls.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "store/ProfileRecords.h"

// Timer ids of the list entry; each is one-shot and re-armed by its handler.
enum DeviceTimer : unsigned {
    kTimerPushFrame = 1000,
    kTimerConnect = 1001,
    kTimerReloadLighting = 1002,
    kTimerRefresh15 = 1003,
    kTimerRefresh16 = 1004,
    kTimerPowerStatus = 1005,
    kTimerLinkMonitor = 1007,
    kTimerSecondSync = 1008,
};

// Window messages the engines send to the main window.
inline constexpr unsigned kMsgPowerStatus = 0x0D01;
inline constexpr unsigned kMsgDeviceLink = 0x0D03;
inline constexpr unsigned kMsgSecondSync = 0x0D05;

class IDeviceListEntry {
public:
    virtual ~IDeviceListEntry() = default;
    // UI thread only; the entry calls the engine's OnTimer when it fires.
    virtual void StartTimer(unsigned id, unsigned elapseMs) = 0;
    virtual bool IsEntryShown() const = 0;
    virtual void ShowEntry(bool shown) = 0;
    virtual bool IsPageSelected() const = 0;
};

class IPowerStatusView {
public:
    virtual ~IPowerStatusView() = default;
    // Byte 0 battery percentage, 1 charging state, 3 wireless flag.
    virtual void ShowPowerStatus(const std::array<uint8_t, 6>& status) = 0;
};

class ILightingPanel {
public:
    virtual ~ILightingPanel() = default;
    virtual void SetEffectLists(const std::vector<std::string>& effectNames, const std::vector<int>& visible,
                                const std::vector<std::string>& areaEffectNames,
                                const std::vector<std::string>& customLightNames) = 0;
    virtual void ShowLightState(const std::array<uint32_t, 4>& lightState) = 0;
    virtual void SetAudioLight(const std::array<uint32_t, 3>& words) = 0;
    virtual std::array<uint32_t, 3> GetAudioLight() = 0;
    virtual void ShowCustomGroup(int group) = 0;
    // -1 when no custom colour group is selected.
    virtual int SelectedCustomGroup() const = 0;
};

class IProfilePanel {
public:
    virtual ~IProfilePanel() = default;
    // Loads the profile list, selects the current profile and returns its id.
    virtual std::string LoadProfiles(const std::string& userDataFolder, const std::string& defaultProfilePath) = 0;
};

class CTorvanelUSBDevice;

class IMacroPanel {
public:
    virtual ~IMacroPanel() = default;
    virtual void BindEngine(const std::string& userDataFolder, CTorvanelUSBDevice* engine) = 0;
};

class IKeyAssignmentPanel {
public:
    virtual ~IKeyAssignmentPanel() = default;
    virtual void BindEngine(CTorvanelUSBDevice* engine) = 0;
    virtual void SetMacroList(const std::vector<std::string>& names) = 0;
    virtual void ShowKey(const KeyListEntry& entry) = 0;
};
