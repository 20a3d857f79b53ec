#pragma once
// The interface scale of the main window: 144 DPI on monitors larger than 1500 x 960, else 96.
inline constexpr int kMainWindowWidth = 1000;
inline constexpr int kMainWindowHeight = 640;

int ChooseInterfaceDpi(int monitorWidth, int monitorHeight);
