#pragma once
// The profile commands the main window runs for the active device page: what the engine does
// around each profile list operation. The main window calls HandleProfileNotify for every
// notification and owns the 400 ms selection timer.
#include <string>

class CTorvanelUSBDevice;
class CDeviceProfileUI;

// The main window's selection timer: started (or restarted) on every selection of the list.
inline constexpr unsigned kTimerProfileSelect = 1055;
inline constexpr unsigned kProfileSelectDelayMs = 400;

enum class ProfileNotifyResult {
    NotHandled,        // not a profile strip notification
    Handled,
    StartSelectTimer,  // (re)start kTimerProfileSelect; when it fires, SwitchToSelectedProfile
};

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// Notification types and senders of the strip: "click" on the profile buttons and the spread
// button, "selectchanged" on the settings tabs, "itemselect" on "device_profile_combo".
ProfileNotifyResult HandleProfileNotify(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel, const std::string& type,
                                        const std::string& senderName, ScreenSize screen);

// The selection timer fired: the engine loads, shows and writes the selected profile and
// uploads its macros. 1 done, 0 nothing selected.
int SwitchToSelectedProfile(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel, ScreenSize screen);

// Reset of the selected profile from the defaults; the confirmed one asks first. 1 done, 0 not.
int ResetWithConfirmation(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel, ScreenSize screen);
// The device reported that its settings were reset (message 3333).
int ResetWithoutConfirmation(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel, ScreenSize screen);

// The engine's macros and key table to the device, in that order, with the failure messages.
// Returns the macro write result (0 success, -1 failed, n events over the capacity).
int UploadMacros(CTorvanelUSBDevice& engine, CDeviceProfileUI& panel);

// The profile strip of an engine's page, nullptr when the page has none.
CDeviceProfileUI* FindProfilePanel(CTorvanelUSBDevice& engine);

// A language text with "%d" replaced by n; the text is never used as a printf format.
std::string FormatCount(const std::string& text, int n);
