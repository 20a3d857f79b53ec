#pragma once
// Drives modal windows from inside their loop: waits for a window's paint manager, then acts.
#include <functional>
#include <string>

#include "toolkit/UIlib.h"

namespace DialogTest {

// The paint manager of the open window of that class, nullptr when there is none.
DuiLib::CPaintManagerUI* FindManager(const std::string& windowClass);
int CountManagers(const std::string& windowClass);
// Runs act once the window shows up (polled from the running event loop).
void WhenOpen(const std::string& windowClass, std::function<void(DuiLib::CPaintManagerUI*)> act);
// Saves the window's picture as <screenshots>/<name>.png; false when it could not be saved.
bool SaveScreenshot(DuiLib::CPaintManagerUI* manager, const std::string& name);
// Loads the layout index, the language and the fonts that go with it ("en" or "zh").
void UseLanguage(const std::string& language);

}  // namespace DialogTest
