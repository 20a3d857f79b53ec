// The music window: what it shows of the record, the edits the user makes, its two ways out,
// one window at a time, DPI, and pictures of it in both languages.
#include <gtest/gtest.h>

#include "app/music/MusicWnd.h"
#include "platform/DebugOutput.h"
#include "tests/app/dialogs/DialogTestSupport.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/UIlib.h"

using namespace DuiLib;
using namespace DialogTest;

namespace {

AudioLightInfo SampleRecord() {
    AudioLightInfo info;
    info.style = 1;
    info.names = {"Bass", "Club", "Chill", "Rock"};
    info.colours = {{{9, 0, 0}, {2, 5, 8}, {0, 0, 9}, {4, 4, 4}}};
    return info;
}

int SliderValue(CPaintManagerUI* m, const char* name) {
    return static_cast<CSliderUI*>(m->FindControl(name)->GetInterface("Slider"))->GetValue();
}

void MoveSlider(CPaintManagerUI* m, const char* name, int value) {
    CControlUI* slider = m->FindControl(name);
    static_cast<CSliderUI*>(slider->GetInterface("Slider"))->SetValue(value);
    m->SendNotify(slider, DUI_MSGTYPE_VALUECHANGED);
}

void SelectTab(CPaintManagerUI* m, int number) {
    auto* tab = static_cast<COptionUI*>(m->FindControl("audio_select_tab" + std::to_string(number))->GetInterface("Option"));
    tab->Selected(true);
    ToolkitTest::Pump();
}

void Press(CPaintManagerUI* m, const char* name) { m->FindControl(name)->Activate(); }

class MusicWndTest : public ::testing::Test {
protected:
    void SetUp() override { UseLanguage("en"); }
    void TearDown() override {
        CPaintManagerUI::SetAllDPI(96);
        UseLanguage("en");
        ToolkitTest::Pump();
    }
};

TEST_F(MusicWndTest, ShowsTheRecordAndTakesTheUsersEditsOnOk) {
    AudioLightInfo info = SampleRecord();
    WhenOpen("MusicWnd", [](CPaintManagerUI* m) {
        // The current style is selected and its colour is on the sliders, which run 0 to 9.
        EXPECT_TRUE(static_cast<COptionUI*>(m->FindControl("audio_select_tab2")->GetInterface("Option"))->IsSelected());
        EXPECT_EQ(SliderValue(m, "audio_r_slider"), 2);
        EXPECT_EQ(SliderValue(m, "audio_g_slider"), 5);
        EXPECT_EQ(SliderValue(m, "audio_b_slider"), 8);
        auto* red = static_cast<CSliderUI*>(m->FindControl("audio_r_slider")->GetInterface("Slider"));
        EXPECT_EQ(red->GetMinValue(), 0);
        EXPECT_EQ(red->GetMaxValue(), 9);
        EXPECT_EQ(m->FindControl("audio_edit_name4")->GetText(), "Rock");

        // Another style brings its colour; a slider changes that style's colour only.
        SelectTab(m, 3);
        EXPECT_EQ(SliderValue(m, "audio_b_slider"), 9);
        MoveSlider(m, "audio_g_slider", 6);
        // A cleared name gets its default back when the edit is left; a new one is kept.
        m->FindControl("audio_edit_name3")->SetText("");
        m->SendNotify(m->FindControl("audio_edit_name3"), DUI_MSGTYPE_KILLFOCUS);
        EXPECT_EQ(m->FindControl("audio_edit_name3")->GetText(), "第三组");
        m->FindControl("audio_edit_name1")->SetText("Deep");
        m->SendNotify(m->FindControl("audio_edit_name1"), DUI_MSGTYPE_KILLFOCUS);
        Press(m, "okbtn");
    });
    ASSERT_EQ(ShowMusicWindow(0, 96, info), 1);
    EXPECT_EQ(info.style, 2);
    EXPECT_EQ(info.colours[2], (std::array<uint8_t, 3>{0, 6, 9}));
    EXPECT_EQ(info.colours[1], (std::array<uint8_t, 3>{2, 5, 8}));
    EXPECT_EQ(info.names[2], "第三组");
    EXPECT_EQ(info.names[0], "Deep");
    ToolkitTest::Pump();
    EXPECT_EQ(MusicWindowHandle(), 0u);
    EXPECT_EQ(CountManagers("MusicWnd"), 0) << "the window deletes itself";
}

TEST_F(MusicWndTest, CloseGivesZeroAndLeavesTheRecordAsItWas) {
    AudioLightInfo info = SampleRecord();
    WhenOpen("MusicWnd", [](CPaintManagerUI* m) {
        SelectTab(m, 1);
        MoveSlider(m, "audio_r_slider", 0);
        Press(m, "closebtn");
    });
    EXPECT_EQ(ShowMusicWindow(0, 96, info), 0);
    EXPECT_EQ(info, SampleRecord());
}

TEST_F(MusicWndTest, OnlyOneAtATime) {
    AudioLightInfo info = SampleRecord();
    int secondResult = -1, open = 0;
    WhenOpen("MusicWnd", [&](CPaintManagerUI* m) {
        AudioLightInfo other = SampleRecord();
        secondResult = ShowMusicWindow(0, 96, other);  // returns at once
        open = CountManagers("MusicWnd");
        Press(m, "closebtn");
    });
    ShowMusicWindow(0, 96, info);
    EXPECT_EQ(secondResult, 0);
    EXPECT_EQ(open, 1);
}

TEST_F(MusicWndTest, AnUnknownDpiGives96AndSaysSo) {
    DebugCapture capture;
    AudioLightInfo info = SampleRecord();
    int dpi = 0;
    WhenOpen("MusicWnd", [&](CPaintManagerUI* m) {
        dpi = m->GetDPI();
        Press(m, "closebtn");
    });
    ShowMusicWindow(0, 100, info);
    EXPECT_EQ(dpi, 96);
    EXPECT_TRUE(capture.Contains("SET_WND DPI SET ERROR"));
}

TEST_F(MusicWndTest, Screenshots) {
    for (const char* language : {"en", "zh"}) {
        for (const int dpi : {96, 144}) {
            UseLanguage(language);
            AudioLightInfo info;  // the shipped names and colours
            WhenOpen("MusicWnd", [&](CPaintManagerUI* m) {
                ToolkitTest::Pump();
                EXPECT_TRUE(SaveScreenshot(m, std::string("music_") + language + "_" + std::to_string(dpi)));
                Press(m, "closebtn");
            });
            ShowMusicWindow(0, dpi, info);
            CPaintManagerUI::SetAllDPI(96);
        }
    }
}

}  // namespace
