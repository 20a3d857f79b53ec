#pragma once
// The program's message box as every layer reaches it: the shell installs the real window at
// start-up, so panels and engines ask without depending on the application's dialogs.
#include <string>

#include "toolkit/UIDefs.h"

// Button sets of the message box.
inline constexpr int kMessageBoxNotice = 0;    // "confirm_btn" only
inline constexpr int kMessageBoxQuestion = 1;  // "confirm_btn" and "cancel_btn"

// parent, title, text, dpi, textIsKey, buttons; 1 when the user confirmed.
using MessageBoxFunction = int (*)(DuiLib::HWND, const std::string&, const std::string&, int, int, int);

void SetMessageBoxFunction(MessageBoxFunction function);

// Shows the installed message box; without one nothing is shown and the answer is 0 (declined).
int AskMessageBox(DuiLib::HWND parent, const std::string& title, const std::string& text, int dpi, int textIsKey,
                  int buttons);
