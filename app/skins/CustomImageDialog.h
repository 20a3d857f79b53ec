#pragma once
// The file-open dialog of "skin_Custom": one PNG (or any file) of the user's own.
#include <functional>
#include <optional>
#include <string>

#include "toolkit/UIDefs.h"

// The chosen path, or nullopt when the user cancelled.
using CustomImageChooser = std::function<std::optional<std::string>(DuiLib::HWND owner)>;

// The system dialog: default extension "png", initial name "*.png", PNG files first.
std::optional<std::string> ChooseCustomImageFile(DuiLib::HWND owner);

// Tests replace the dialog; nullptr restores the system dialog.
void SetCustomImageChooser(CustomImageChooser chooser);
std::optional<std::string> RunCustomImageChooser(DuiLib::HWND owner);
