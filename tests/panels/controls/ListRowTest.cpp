// The two list rows: the macro event row built from its sub-layout, and the hover-framed row.
#include <gtest/gtest.h>

#include "toolkit/Edit.h"
#include "toolkit/List.h"
#include "panels/controls/CloudShareListItem.h"
#include "panels/controls/ComboEditContainerElement.h"
#include "tests/panels/controls/ControlsTestSupport.h"

using namespace DuiLib;
using namespace ControlsTest;
using Notes = std::vector<std::string>;

namespace {

class ComboEditRowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = OpenLayout("combo", R"(<Window size="400,200"><VerticalLayout>
          <List name="list" multiselect="true">
            <ComboEditContainerElement name="row0" height="32" normalimage="file='gone.png'"/>
            <ComboEditContainerElement name="row1" height="32" menu="true"/>
          </List>
          <Edit name="other_edit" height="30"/>
        </VerticalLayout></Window>)");
        row0 = Find<CComboEditContainerElementUI>(window, "row0");
        row1 = Find<CComboEditContainerElementUI>(window, "row1");
        list = Find<CListUI>(window, "list");
        ASSERT_NE(row0, nullptr);
        ASSERT_NE(row1, nullptr);
        window->ClearEvents();
    }
    void TearDown() override { delete window; }
    ToolkitTest::RecordingWindow* window = nullptr;
    CComboEditContainerElementUI* row0 = nullptr;
    CComboEditContainerElementUI* row1 = nullptr;
    CListUI* list = nullptr;
};

}  // namespace

TEST_F(ComboEditRowTest, BuildsItsTextsAndDelayEdit) {
    for (auto* row : {row0, row1}) {
        ASSERT_NE(row->GetText1(), nullptr);
        ASSERT_NE(row->GetText2(), nullptr);
        ASSERT_NE(row->GetDelayEdit(), nullptr);
        EXPECT_EQ(row->GetText1()->GetName(), "text1");
        EXPECT_EQ(row->GetDelayEdit()->GetName(), "delay_edit");
    }
    EXPECT_NE(row0->GetDelayEdit(), row1->GetDelayEdit());
    EXPECT_GT(row0->GetDelayEdit()->GetWidth(), 0);
}

TEST_F(ComboEditRowTest, RaisesTheRowEvents) {
    const POINT pt = Centre(row0->GetPos());
    const struct {
        const char* what;
        int type;
        UINT key;
        CComboEditContainerElementUI* row;
        Notes expected;
    } cases[] = {
        {"enter", UIEVENT_KEYDOWN, VK_RETURN, row0, {"itemactivate:row0", "return:row0"}},
        {"another key", UIEVENT_KEYDOWN, VK_SPACE, row0, {}},
        {"press", UIEVENT_BUTTONDOWN, 0, row0, {"itemselect:list"}},
        {"release", UIEVENT_BUTTONUP, 0, row0, {"itemclick:row0"}},
        {"double click", UIEVENT_DBLCLICK, 0, row0, {"itemactivate:row0"}},
        {"hover", UIEVENT_MOUSEENTER, 0, row0, {}},
        {"leave", UIEVENT_MOUSELEAVE, 0, row0, {}},
        {"timer", UIEVENT_TIMER, 0, row0, {"timer:row0"}},
        {"menu unused", UIEVENT_CONTEXTMENU, 0, row0, {}},
        {"menu used", UIEVENT_CONTEXTMENU, 0, row1, {"menu:row1"}},
    };
    for (const auto& c : cases) {
        window->ClearEvents();
        Send(c.row, c.type, pt, 0, c.key);
        EXPECT_EQ(window->Events(), c.expected) << c.what;
    }
}

TEST_F(ComboEditRowTest, ControlPressTogglesTheSelection) {
    Send(row0, UIEVENT_BUTTONDOWN, Centre(row0->GetPos()));
    Send(row1, UIEVENT_BUTTONDOWN, Centre(row1->GetPos()), MK_CONTROL);
    EXPECT_EQ(list->GetSelectedItems(), (std::vector<int>{0, 1}));
    Send(row0, UIEVENT_BUTTONDOWN, Centre(row0->GetPos()), MK_CONTROL);
    EXPECT_EQ(list->GetSelectedItems(), (std::vector<int>{1}));
}

TEST_F(ComboEditRowTest, DisabledRowIgnoresEnterAndPress) {
    row0->SetEnabled(false);
    Send(row0, UIEVENT_KEYDOWN, {}, 0, VK_RETURN);
    Send(row0, UIEVENT_BUTTONDOWN, Centre(row0->GetPos()));
    EXPECT_EQ(window->Events(), Notes{});
    EXPECT_TRUE(list->GetSelectedItems().empty());
}

TEST_F(ComboEditRowTest, NotesChangesFromItsOwnDelayEditOnly) {
    CPaintManagerUI* pm = window->GetPaintManager();
    pm->SendNotify(Find<CControlUI>(window, "other_edit"), DUI_MSGTYPE_RETURN);
    pm->SendNotify(row1->GetDelayEdit(), DUI_MSGTYPE_TEXTCHANGED);
    EXPECT_FALSE(row0->IsChanged());
    EXPECT_FALSE(row1->IsChanged());
    pm->SendNotify(row1->GetDelayEdit(), DUI_MSGTYPE_RETURN);
    EXPECT_FALSE(row0->IsChanged());
    EXPECT_TRUE(row1->IsChanged());
    pm->SendNotify(row0->GetText1(), DUI_MSGTYPE_SELECTCHANGED);
    EXPECT_TRUE(row0->IsChanged());
}

TEST_F(ComboEditRowTest, RemovedRowStopsListening) {
    list->Remove(row1);
    ToolkitTest::Pump();
    // The notification reaches the other rows only; a freed row would crash ASan here.
    window->GetPaintManager()->SendNotify(row0->GetDelayEdit(), DUI_MSGTYPE_RETURN);
    EXPECT_TRUE(row0->IsChanged());
}

namespace {

class CloudRowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = OpenLayout("cloud", R"(<Window size="300,200"><VerticalLayout>
          <List name="list" itemlinecolor="#FFFF00FF" itembkcolor="#FF181B22">
            <CloudShareListItemUI name="row0" height="40"/>
            <CloudShareListItemUI name="row1" height="40" menu="true"/>
          </List>
        </VerticalLayout></Window>)");
        row0 = Find<CCloudShareListItemUI>(window, "row0");
        row1 = Find<CCloudShareListItemUI>(window, "row1");
        ASSERT_NE(row0, nullptr);
        ASSERT_NE(row1, nullptr);
        window->ClearEvents();
    }
    void TearDown() override { delete window; }
    // Colour of the middle of the row's top edge.
    QRgb TopEdge(CControlUI* row) { return Paint(row).pixel(row->GetWidth() / 2, 0); }
    ToolkitTest::RecordingWindow* window = nullptr;
    CCloudShareListItemUI* row0 = nullptr;
    CCloudShareListItemUI* row1 = nullptr;
};

}  // namespace

TEST_F(CloudRowTest, HotRowGetsAFrameUnlessSelected) {
    constexpr QRgb kFrame = 0xFFFF00FF;
    Send(row0, UIEVENT_MOUSELEAVE);  // the offscreen pointer may rest on the first row
    EXPECT_NE(TopEdge(row0), kFrame);
    Send(row0, UIEVENT_MOUSEENTER, Centre(row0->GetPos()));
    EXPECT_TRUE(row0->IsHot());
    EXPECT_EQ(TopEdge(row0), kFrame);
    row0->Select(true);
    EXPECT_NE(TopEdge(row0), kFrame);
    row0->Select(false);
    Send(row0, UIEVENT_MOUSELEAVE);
    EXPECT_FALSE(row0->IsHot());
    EXPECT_NE(TopEdge(row0), kFrame);
    row1->SetEnabled(false);
    Send(row1, UIEVENT_MOUSEENTER, Centre(row1->GetPos()));
    EXPECT_FALSE(row1->IsHot());
}

TEST_F(CloudRowTest, ActivationAndMenu) {
    EXPECT_TRUE(row0->Activate());
    Send(row0, UIEVENT_CONTEXTMENU, Centre(row0->GetPos()));
    Send(row1, UIEVENT_CONTEXTMENU, Centre(row1->GetPos()));
    Send(row1, UIEVENT_BUTTONUP, Centre(row1->GetPos()));
    EXPECT_EQ(window->Events(), (Notes{"itemactivate:row0", "menu:row1", "itemclick:row1"}));
}
