#pragma once
// What the notification routing needs of the main window: the active engine, the screen, the
// message box and the few window-owned actions (timers, the device list).
#include <string>

#include "toolkit/UIDefs.h"

class CTorvanelUSBDevice;

class IRouteHost {
public:
    virtual ~IRouteHost() = default;
    // The engine of the selected, visible device entry; nullptr when there is none.
    virtual CTorvanelUSBDevice* ActiveDevice() = 0;
    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;
    // The modal message box with a language text key; 1 when the user confirmed.
    virtual int AskUser(const std::string& textKey, int buttons) = 0;
    // Timer 1055: the profile chosen in the combo is switched to once the user has settled.
    virtual void StartProfileSwitchTimer() = 0;
    // "selectchanged" of an entry's "device_select".
    virtual void OnDeviceEntrySelected(DuiLib::CControlUI* sender) = 0;
    virtual void SelectNeighbourDevice(bool next) = 0;
    // The input hook for the active page: key capture for the key assignment panel, and macro
    // recording into its macro editor (delay mode 1 to 3, hook mode 4, 8, 16 or 32).
    virtual void SetKeyCapture(bool /*on*/) {}
    virtual void StartMacroRecording(int /*delayMode*/, int /*hookMode*/) {}
    virtual void StopMacroRecording() {}
    // "deng_same_mode": the active device's effect shared with every connected device.
    virtual void ShareActiveLighting() = 0;
    // "music_setting_btn": the music window (one at a time).
    virtual void OpenMusicWindow() = 0;
};
