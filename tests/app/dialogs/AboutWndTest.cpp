#include <gtest/gtest.h>

#include "app/dialogs/AboutWnd.h"
#include "app/language/LanguageSwitcher.h"
#include "tests/app/dialogs/DialogTestSupport.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace DialogTest;

namespace {

class AboutWndTest : public ::testing::Test {
protected:
    void SetUp() override { UseLanguage("en"); }
    void TearDown() override {
        CPaintManagerUI::SetAllDPI(96);
        UseLanguage("en");
        ToolkitTest::Pump();
    }
};

std::string VersionLine(CPaintManagerUI* m) { return m->FindControl("software_ver_label")->GetText(); }

TEST_F(AboutWndTest, OpenedTwiceOpensOnceAndShowsTheVersionLine) {
    ToolkitTest::RecordingWindow* main = ToolkitTest::OpenWindow("toolkit-test/demo.xml");
    int windowsWhileOpen = 0;
    std::string line;
    WhenOpen("AboutWnd", [&](CPaintManagerUI* m) {
        EXPECT_NE(AboutWindowHandle(), 0u);
        ShowAbout(main->GetHWND());  // returns at once: one is open
        windowsWhileOpen = CountManagers("AboutWnd");
        line = VersionLine(m);
        m->FindControl("closebtn")->Activate();
    });
    ShowAbout(main->GetHWND());
    EXPECT_EQ(windowsWhileOpen, 1);
    EXPECT_EQ(line, "Software version: Zorv cloud V1.0");
    ToolkitTest::Pump();
    EXPECT_EQ(AboutWindowHandle(), 0u);
    EXPECT_EQ(CountManagers("AboutWnd"), 0);
    delete main;
    ToolkitTest::Pump();
}

TEST_F(AboutWndTest, LanguageMessageResolvesTheTextsAgain) {
    std::string before, after;
    WhenOpen("AboutWnd", [&](CPaintManagerUI* m) {
        before = VersionLine(m);
        UseLanguage("zh");
        RefreshLanguageWindows({AboutWindowHandle()});
        after = VersionLine(m);
        m->FindControl("closebtn")->Activate();
    });
    ShowAbout(0);
    EXPECT_EQ(before, "Software version: Zorv cloud V1.0");
    EXPECT_EQ(after, "软件版本：Zorv cloud V1.0");
}

TEST_F(AboutWndTest, MaximiseAndRestoreSwapTheirButtons) {
    bool restoreShownWhenMaximised = false, maxShownWhenMaximised = true;
    bool restoreShownAfterRestore = true, maxShownAfterRestore = false;
    WhenOpen("AboutWnd", [&](CPaintManagerUI* m) {
        m->FindControl("maxbtn")->SetVisible(true);
        m->FindControl("maxbtn")->Activate();
        restoreShownWhenMaximised = m->FindControl("restorebtn")->IsVisible();
        maxShownWhenMaximised = m->FindControl("maxbtn")->IsVisible();
        m->FindControl("restorebtn")->Activate();
        restoreShownAfterRestore = m->FindControl("restorebtn")->IsVisible();
        maxShownAfterRestore = m->FindControl("maxbtn")->IsVisible();
        m->FindControl("closebtn")->Activate();
    });
    ShowAbout(0);
    EXPECT_TRUE(restoreShownWhenMaximised);
    EXPECT_FALSE(maxShownWhenMaximised);
    EXPECT_FALSE(restoreShownAfterRestore);
    EXPECT_TRUE(maxShownAfterRestore);
}

TEST_F(AboutWndTest, Screenshots) {
    for (const char* language : {"en", "zh"}) {
        for (const int dpi : {96, 144}) {
            UseLanguage(language);
            WhenOpen("AboutWnd", [&](CPaintManagerUI* m) {
                CPaintManagerUI::SetAllDPI(dpi);
                ToolkitTest::Pump();
                EXPECT_TRUE(SaveScreenshot(m, std::string("about_") + language + "_" + std::to_string(dpi)));
                m->FindControl("closebtn")->Activate();
            });
            ShowAbout(0);
            CPaintManagerUI::SetAllDPI(96);
        }
    }
}

}  // namespace
