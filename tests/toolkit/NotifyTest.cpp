#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <memory>

#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

struct Closer {
    void operator()(RecordingWindow* w) const { delete w; }
};

class Notifications : public ::testing::Test {
protected:
    void SetUp() override {
        CResourceManager::GetInstance()->LoadLanguage("toolkit-test/lang_en.xml");
        window.reset(OpenWindow("toolkit-test/demo.xml"));
        window->ClearEvents();
    }
    QWidget* WidgetOf(const char* name) { return window->FindControl(name)->GetWidget(); }
    void Click(const char* name) {
        QTest::mouseClick(WidgetOf(name), Qt::LeftButton);
        Pump();
    }
    std::unique_ptr<RecordingWindow, Closer> window;
};

}  // namespace

TEST_F(Notifications, WindowInitComesOnceAndSizeFollowsResizes) {
    std::unique_ptr<RecordingWindow, Closer> fresh(OpenWindow("toolkit-test/demo.xml"));
    int inits = 0;
    for (const auto& n : fresh->notifications) inits += n.type == "windowinit";
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(fresh->notifications.front().type, "windowsize");  // the layout got its size first
    fresh->ClearEvents();
    fresh->ResizeClient(900, 600);
    Pump();
    ASSERT_FALSE(fresh->notifications.empty());
    EXPECT_EQ(fresh->notifications.back().type, "windowsize");
    EXPECT_EQ(fresh->notifications.back().sender, "root");
}

TEST_F(Notifications, ButtonsRaiseClickAndGroupedOptionsOnlyTheNewOne) {
    Click("demo_apply");
    Click("demo_tab_keys");
    EXPECT_EQ(window->Events(), (std::vector<std::string>{"click:demo_apply", "click:demo_tab_keys",
                                                          "selectchanged:demo_tab_keys", "tabselect:demo_pages"}));
    auto* first = static_cast<COptionUI*>(window->FindControl("demo_tab_light"));
    auto* second = static_cast<COptionUI*>(window->FindControl("demo_tab_keys"));
    EXPECT_FALSE(first->IsSelected());
    EXPECT_TRUE(second->IsSelected());
    auto* tabs = static_cast<CTabLayoutUI*>(window->FindControl("demo_pages"));
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_FALSE(tabs->GetItemAt(0)->IsVisible());

    window->ClearEvents();
    Click("demo_tab_keys");  // selecting the selected one again changes nothing
    EXPECT_EQ(window->Events(), (std::vector<std::string>{"click:demo_tab_keys"}));
}

TEST_F(Notifications, CheckBoxTogglesAndDisabledControlsStayQuiet) {
    Click("demo_check");
    Click("demo_check");
    ASSERT_EQ(window->notifications.size() >= 4, true);
    std::vector<WPARAM> states;
    for (const auto& n : window->notifications)
        if (n.type == "selectchanged") states.push_back(n.wParam);
    EXPECT_EQ(states, (std::vector<WPARAM>{0, 1}));

    window->ClearEvents();
    window->FindControl("demo_apply")->SetEnabled(false);
    Click("demo_apply");
    EXPECT_TRUE(window->Events().empty());
}

TEST_F(Notifications, ComboReportsUserChoicesOnly) {
    auto* combo = static_cast<CComboUI*>(window->FindControl("demo_combo"));
    ASSERT_EQ(combo->GetCount(), 3);
    auto* box = static_cast<QComboBox*>(combo->GetWidget());
    EXPECT_EQ(box->count(), 3);
    emit box->activated(2);
    Pump();
    ASSERT_EQ(window->notifications.size(), 1u);
    EXPECT_EQ(window->notifications[0].type, "itemselect");
    EXPECT_EQ(window->notifications[0].wParam, 2u);
    EXPECT_EQ(window->notifications[0].lParam, 0);  // the layout's selected item
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetText(), "Static");

    window->ClearEvents();
    combo->SelectItem(0, false, false);
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_TRUE(window->Events().empty());
    EXPECT_FALSE(combo->SelectItem(7));
    EXPECT_EQ(combo->GetCurSel(), -1);

    // A hidden item keeps its index but leaves the drop-down.
    combo->GetItemAt(1)->SetVisible(false);
    EXPECT_EQ(box->count(), 3);
}

TEST_F(Notifications, SliderMovesThenSettles) {
    auto* slider = static_cast<CSliderUI*>(window->FindControl("demo_slider"));
    auto* qs = static_cast<QSlider*>(slider->GetWidget());
    qs->setSliderDown(true);
    qs->setValue(1);
    qs->setSliderDown(false);
    Pump();
    EXPECT_EQ(window->Events(), (std::vector<std::string>{"movevaluechanged:demo_slider", "valuechanged:demo_slider"}));
    EXPECT_EQ(slider->GetValue(), 1);

    window->ClearEvents();
    slider->SetValue(9);  // the program's own change: clamped, no notification
    EXPECT_EQ(slider->GetValue(), 4);
    EXPECT_EQ(qs->value(), 4);
    EXPECT_TRUE(window->Events().empty());
}

TEST_F(Notifications, EditTextReturnAndFocus) {
    QWidget* host = window->GetHostWidget();
    host->activateWindow();
    QApplication::setActiveWindow(host);
    auto* edit = static_cast<CEditUI*>(window->FindControl("demo_edit_g"));
    edit->SetFocus();
    Pump();
    ASSERT_TRUE(PumpUntil([&] { return edit->IsFocused(); }));
    auto* line = static_cast<QLineEdit*>(edit->GetWidget());
    line->selectAll();
    QTest::keyClicks(line, "30");
    QTest::keyClick(line, Qt::Key_Return);
    window->FindControl("demo_edit_b")->SetFocus();
    Pump();
    EXPECT_EQ(edit->GetText(), "30");
    auto events = window->Events(true);
    events.erase(events.begin(), std::find(events.begin(), events.end(), "setfocus:demo_edit_g"));
    EXPECT_EQ(events, (std::vector<std::string>{"setfocus:demo_edit_g", "textchanged:demo_edit_g",
                                                              "textchanged:demo_edit_g", "return:demo_edit_g",
                                                              "killfocus:demo_edit_g", "setfocus:demo_edit_b"}));
    window->ClearEvents();
    QTest::keyClicks(static_cast<QLineEdit*>(window->FindControl("demo_edit_b")->GetWidget()), "x");
    EXPECT_TRUE(window->Events().empty());  // number-only edits refuse letters
}

TEST_F(Notifications, ListRowsSelectClickAndActivate) {
    auto* list = static_cast<CListUI*>(window->FindControl("demo_list"));
    ASSERT_EQ(list->GetCount(), 5);
    QWidget* row = list->GetItemAt(2)->GetWidget();
    QTest::mouseClick(row, Qt::LeftButton);
    Pump();
    QTest::mouseDClick(row, Qt::LeftButton);
    Pump();
    const auto events = window->Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], "itemselect:demo_list");
    EXPECT_EQ(events[1], "itemclick:");
    const auto select = std::find_if(window->notifications.begin(), window->notifications.end(),
                                     [](const Recorded& r) { return r.type == "itemselect"; });
    ASSERT_NE(select, window->notifications.end());
    EXPECT_EQ(select->wParam, 2u);
    EXPECT_EQ(select->lParam, -1);
    EXPECT_NE(std::find(events.begin(), events.end(), "itemactivate:"), events.end());
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_TRUE(static_cast<CListContainerElementUI*>(list->GetItemAt(2))->IsSelected());

    // Removing the selected row clears the selection; the others are renumbered.
    list->RemoveAt(2);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(static_cast<CListContainerElementUI*>(list->GetItemAt(2))->GetIndex(), 2);
}

TEST_F(Notifications, CloseButtonReachesTheDefaultHandler) {
    const HWND hwnd = window->GetHWND();
    Click("closebtn");
    EXPECT_EQ(window->Events(), (std::vector<std::string>{"click:closebtn"}));
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(window->GetHostWidget()->isVisible());
}

TEST_F(Notifications, ControlRemovedInsideItsOwnClick) {
    auto* page = static_cast<CContainerUI*>(window->FindControl("demo_apply")->GetParent());
    window->makeControl = nullptr;
    struct Remover : INotifyUI {
        CContainerUI* page;
        void Notify(TNotifyUI& msg) override {
            if (msg.sType == "click" && msg.pSender && msg.pSender->GetName() == "demo_reset") page->Remove(msg.pSender);
        }
    } remover;
    remover.page = page;
    window->GetPaintManager()->AddNotifier(&remover);
    Click("demo_reset");
    EXPECT_EQ(window->FindControl("demo_reset"), nullptr);
    window->GetPaintManager()->RemoveNotifier(&remover);
}
