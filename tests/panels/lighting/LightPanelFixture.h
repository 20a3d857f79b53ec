#pragma once
// The lighting panel built from its layout in a window of its own, with the texts of the language
// files plus the panel's own keys.
#include <gtest/gtest.h>

#include <string>

#include "toolkit/Button.h"
#include "toolkit/Combo.h"
#include "toolkit/Slider.h"
#include "panels/lighting/ColorPaletteUI.h"
#include "panels/lighting/LightControlUI.h"
#include "panels/lighting/LightingControls.h"
#include "tests/toolkit/ToolkitTestSupport.h"

namespace lighttest {

inline constexpr const char* kPreviewLayout = "lighting/lighting-panel-preview.xml";

// A language file of the shipped texts and the panel's keys ("en" or "zh"), written into the
// test folder; its path.
std::string WriteLanguageFile(const std::string& language);

// The 36 effect names of the keyboard's stock list (all visible but 0, 19 and 31).
void FillKeyboardEffects(CLightControlUI& panel);

class LightPanelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    DuiLib::CControlUI* Find(const std::string& name) const;
    bool Enabled(const std::string& name) const { return Find(name) && Find(name)->IsEnabled(); }
    // The control's own flag (a hidden parent does not count).
    bool Shown(const std::string& name) const;
    DuiLib::COptionUI* Option(const std::string& name) const {
        return static_cast<DuiLib::COptionUI*>(Find(name)->GetInterface("Option"));
    }
    DuiLib::CComboUI* Combo(const std::string& name) const {
        return static_cast<DuiLib::CComboUI*>(Find(name)->GetInterface("Combo"));
    }

    ToolkitTest::RecordingWindow* window_ = nullptr;
    CLightControlUI* panel_ = nullptr;
};

}  // namespace lighttest
