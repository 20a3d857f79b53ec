#include <gtest/gtest.h>

#include <QWidget>

#include "app/dialogs/MsgWnd.h"
#include "platform/DebugOutput.h"
#include "tests/app/dialogs/DialogTestSupport.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace DialogTest;

namespace {

class MsgWndTest : public ::testing::Test {
protected:
    void SetUp() override { UseLanguage("en"); }
    void TearDown() override {
        CPaintManagerUI::SetAllDPI(96);
        ToolkitTest::Pump();
    }
};

// Presses a button of the open box once it shows up; records what the box looked like.
struct BoxSeen {
    bool cancelVisible = false;
    bool confirmVisible = false;
    int dpi = 0;
    std::string text;
};

void PressWhenOpen(const std::string& button, BoxSeen& seen) {
    WhenOpen("MsgWnd", [button, &seen](CPaintManagerUI* m) {
        seen.cancelVisible = m->FindControl("cancel_btn")->IsVisible();
        seen.confirmVisible = m->FindControl("confirm_btn")->IsVisible();
        seen.dpi = m->GetDPI();
        seen.text = m->FindControl("MessageText")->GetText();
        m->FindControl(button)->Activate();
    });
}

TEST_F(MsgWndTest, ButtonsAndTheirResults) {
    const struct {
        int buttons;
        const char* press;
        int result;
        bool cancelShown;
    } cases[] = {
        {kMessageBoxQuestion, "confirm_btn", 1, true}, {kMessageBoxQuestion, "cancel_btn", 0, true},
        {kMessageBoxQuestion, "closebtn", 0, true},    {kMessageBoxNotice, "confirm_btn", 1, false},
        {kMessageBoxNotice, "closebtn", 0, false},     {7, "confirm_btn", 1, true},
    };
    for (const auto& c : cases) {
        BoxSeen seen;
        PressWhenOpen(c.press, seen);
        EXPECT_EQ(ShowMessageBox(0, "", "skin_reset_btn", 96, 1, c.buttons), c.result) << c.press << " " << c.buttons;
        EXPECT_EQ(seen.cancelVisible, c.cancelShown) << c.buttons;
        EXPECT_TRUE(seen.confirmVisible);
        EXPECT_EQ(seen.text, "Default");
        ToolkitTest::Pump();
        EXPECT_EQ(CountManagers("MsgWnd"), 0) << "the box deletes itself";
    }
}

TEST_F(MsgWndTest, TextIsShownAsGivenWhenItIsNoKey) {
    BoxSeen seen;
    PressWhenOpen("confirm_btn", seen);
    ShowMessageBox(0, "", "skin_reset_btn", 96, 0, kMessageBoxNotice);
    EXPECT_EQ(seen.text, "skin_reset_btn");
}

TEST_F(MsgWndTest, UnknownDpiFallsBackTo96WithADebugLine) {
    const struct {
        int dpi;
        int used;
        bool error;
    } cases[] = {{100, 96, true}, {0, 96, true}, {-96, 96, true}, {1000, 96, true}, {48, 48, false},
                 {72, 72, false}, {120, 120, false}, {144, 144, false}, {168, 168, false}, {192, 192, false}};
    for (const auto& c : cases) {
        DebugCapture debug;
        BoxSeen seen;
        PressWhenOpen("confirm_btn", seen);
        ShowMessageBox(0, "", "skin_reset_btn", c.dpi, 1, kMessageBoxNotice);
        EXPECT_EQ(seen.dpi, c.used) << c.dpi;
        EXPECT_EQ(debug.Count("MSG_WND DPI SET ERROR"), c.error ? 1u : 0u) << c.dpi;
        CPaintManagerUI::SetAllDPI(96);
    }
}

TEST_F(MsgWndTest, DpiChangeOfTheMonitorRescalesTheBox) {
    int width96 = 0, width144 = 0;
    WhenOpen("MsgWnd", [&](CPaintManagerUI* m) {
        width96 = m->GetHostWidget()->width();
        const RECT suggested{10, 10, 10 + width96 * 3 / 2, 10 + m->GetHostWidget()->height() * 3 / 2};
        DuiLib::SendMessage(m->GetPaintWindow(), kDpiChangedMessage, 144 | (144 << 16),
                            reinterpret_cast<LPARAM>(&suggested));
        width144 = m->GetHostWidget()->width();
        EXPECT_EQ(m->GetDPI(), 144);
        m->FindControl("cancel_btn")->Activate();
    });
    EXPECT_EQ(ShowMessageBox(0, "", "skin_reset_btn", 96, 1, kMessageBoxQuestion), 0);
    EXPECT_EQ(width144, width96 * 3 / 2);
}

TEST_F(MsgWndTest, Screenshots) {
    for (const char* language : {"en", "zh"}) {
        UseLanguage(language);
        for (const int dpi : {96, 144}) {
            const std::string name = std::string("msgwnd_") + language + "_" + std::to_string(dpi);
            WhenOpen("MsgWnd", [&](CPaintManagerUI* m) {
                EXPECT_EQ(m->GetHostWidget()->width(), 420 * dpi / 96);
                EXPECT_TRUE(SaveScreenshot(m, name));
                m->FindControl("confirm_btn")->Activate();
            });
            ShowMessageBox(0, "", "skin_color_hint", dpi, 1, kMessageBoxQuestion);
            CPaintManagerUI::SetAllDPI(96);
        }
    }
}

}  // namespace
