#pragma once
// The main window's builder callback: the system's own tags become our controls, engines and
// panels, or a sub-layout built into the main window's paint manager.
#include "toolkit/UIDefs.h"

namespace DuiLib { class CPaintManagerUI; }

class CControlBuilder : public DuiLib::IDialogBuilderCallback {
public:
    explicit CControlBuilder(DuiLib::CPaintManagerUI* manager) : manager_(manager) {}
    DuiLib::CControlUI* CreateControl(const std::string& tag) override;

private:
    DuiLib::CPaintManagerUI* manager_;
};

// Registers every control class of the program with the toolkit's factory (start-up).
void RegisterControlClasses();
