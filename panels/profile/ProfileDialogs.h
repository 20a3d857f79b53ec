#pragma once
// What the profile actions ask the user: the message box and the profile file dialogs. The
// defaults are ShowMessageBox and the system file dialog; tests answer through their own hooks.
#include <functional>
#include <string>

#include "toolkit/UIDefs.h"

struct ProfileDialogHooks {
    // text is a language key when textIsKey, else the text to show; buttons 0 notice, 1 question.
    // 1 when the user confirmed.
    std::function<int(DuiLib::HWND owner, int dpi, const std::string& text, bool textIsKey, int buttons)> messageBox;
    // A save dialog when save, else an open dialog, filtered to profile files; "" when cancelled.
    std::function<std::string(DuiLib::HWND owner, bool save)> chooseProfileFile;
};

// Replaces the hooks for the whole process; an empty member falls back to its default.
void SetProfileDialogHooks(ProfileDialogHooks hooks);

int AskProfileMessage(DuiLib::HWND owner, int dpi, const std::string& text, bool textIsKey, int buttons);
std::string ChooseProfileFile(DuiLib::HWND owner, bool save);

// The system dialog with the filter "Profile Files(*.json)".
std::string ShowProfileFileDialog(DuiLib::HWND owner, bool save);
