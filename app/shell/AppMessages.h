#pragma once
// The window messages of the application: the registered ones (one value per name for the life of
// the process) and the numbered ones that keep their numbers.
#include <string>
#include <string_view>

#include "toolkit/UIDefs.h"

// Registered at start-up; 0 until RegisterAppInstanceMessage / RegisterApplicationMessages ran.
extern DuiLib::UINT UWM_APP_INSTANCE;
extern DuiLib::UINT UWM_UPDATE_STATUS;
extern DuiLib::UINT UWM_LIGHT_CONTROL_NOTIFY;
extern DuiLib::UINT UWM_LIGHT_CONTROL_REQUEST;
extern DuiLib::UINT UWM_DEVICE_LIST_REQUEST;
extern DuiLib::UINT UWM_AUDIO_RECORD_CONTROL;

// The mutex name, the window title and the instance message are one text.
inline constexpr const char kAppInstanceName[] = "Zorv Wired Manager 1.0";

inline constexpr std::string_view kGameMessageNames[] = {"Game_Start", "Game_End", "Game_Kill", "Game_Death"};

// The registered string of a message by its name in code ("UWM_LIGHT_CONTROL_NOTIFY").
std::string RegisteredName(std::string_view codeName);

void RegisterAppInstanceMessage();
// The other five, in the order the programs around us expect them to be made.
void RegisterApplicationMessages();
// Whether a message value is one of the four game messages.
bool IsGameMessage(DuiLib::UINT msg);

// Numbered messages of the main window.
namespace AppMsg {
inline constexpr DuiLib::UINT kInputHook = 1054;
inline constexpr DuiLib::UINT kShowSettingProgress = 3072;
inline constexpr DuiLib::UINT kApplyLanguage = 3089;
inline constexpr DuiLib::UINT kDeviceArrival = 3090;
inline constexpr DuiLib::UINT kDeviceRemoval = 3091;
inline constexpr DuiLib::UINT kOpenSettingsAtSide = 3093;
inline constexpr DuiLib::UINT kClearSetButtonImage = 3094;
inline constexpr DuiLib::UINT kPowerStatusA = 3329;
inline constexpr DuiLib::UINT kPowerStatusB = 3330;
inline constexpr DuiLib::UINT kPagePresence = 3331;
inline constexpr DuiLib::UINT kDeviceSettingsReset = 3333;
// The monitor's DPI changed (wParam: the new DPI), as the desktop's DPI-change message.
inline constexpr DuiLib::UINT kDpiChanged = 0x02E0;
// Our own: the window was activated or entered (wParam 1) or deactivated or left (0).
inline constexpr DuiLib::UINT kWindowActive = DuiLib::WM_USER + 0x701;
// Our own: a bus call handed to the UI thread (lParam is a BusDelivery*).
inline constexpr DuiLib::UINT kBusDelivery = DuiLib::WM_USER + 0x700;
}  // namespace AppMsg

// Window timers of the main window.
namespace AppTimer {
inline constexpr DuiLib::UINT kInterfaceScale = 1011;
inline constexpr DuiLib::UINT kTrayMenu = 1032;
inline constexpr DuiLib::UINT kProfileSwitch = 1055;
inline constexpr DuiLib::UINT kGameLightingRestore = 1066;
}  // namespace AppTimer
