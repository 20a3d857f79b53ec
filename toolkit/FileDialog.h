#pragma once
// The desktop's open or save dialog over a toolkit window.
#include <string>

#include "toolkit/UIDefs.h"

// nameFilter as "Profile Files(*.json)"; a name typed without an extension gets defaultSuffix when
// saving. "" when cancelled.
std::string ShowFileDialog(DuiLib::HWND owner, bool save, const std::string& nameFilter,
                           const std::string& defaultSuffix);
