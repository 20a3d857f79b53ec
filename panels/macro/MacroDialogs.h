#pragma once
// The macro file dialogs ("Macro Files(*.mac)"); tests answer through the hook.
#include <functional>
#include <string>

#include "toolkit/UIDefs.h"

// A save dialog when save, else an open dialog; "" when cancelled.
using MacroFileChooser = std::function<std::string(DuiLib::HWND owner, bool save)>;

// Replaces the chooser for the whole process; an empty one falls back to the system dialog.
void SetMacroFileChooser(MacroFileChooser chooser);
std::string ChooseMacroFile(DuiLib::HWND owner, bool save);
