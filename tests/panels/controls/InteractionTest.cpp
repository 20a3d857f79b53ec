// How the controls answer the pointer, the keyboard and timers, and how they are created.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "toolkit/ControlFactory.h"
#include "engines/device/DeviceKeyButton.h"
#include "panels/controls/AudioRecord.h"
#include "panels/controls/ChartView.h"
#include "panels/controls/CircleProgress.h"
#include "panels/controls/CloudShareListItem.h"
#include "panels/controls/ComboEditContainerElement.h"
#include "panels/controls/HandImgButton.h"
#include "panels/controls/HandImgSelectButton.h"
#include "panels/controls/PanelControls.h"
#include "panels/controls/RedioMacroButton.h"
#include "panels/controls/SelectPanel.h"
#include "panels/controls/WndHost.h"
#include "tests/panels/controls/ControlsTestSupport.h"

using namespace DuiLib;
using namespace ControlsTest;
using Notes = std::vector<std::string>;

namespace {

// A 3 x 3 block of 40 px keys with 10 px gaps, inside a nested layout of the panel.
constexpr const char* kKeyBlock = R"(<Window size="300,300"><VerticalLayout inset="20,20,0,0">
  <SelectPanel name="panel" width="200" height="200">
    <VerticalLayout name="plate">
      <DeviceKeyButton name="key_0" float="true" pos="10,10,50,50"/>
      <DeviceKeyButton name="key_1" float="true" pos="60,10,100,50"/>
      <DeviceKeyButton name="key_2" float="true" pos="110,10,150,50"/>
      <DeviceKeyButton name="key_3" float="true" pos="10,60,50,100"/>
      <DeviceKeyButton name="key_4" float="true" pos="60,60,100,100"/>
      <DeviceKeyButton name="key_5" float="true" pos="110,60,150,100"/>
      <DeviceKeyButton name="key_6" float="true" pos="10,110,50,150"/>
      <DeviceKeyButton name="key_7" float="true" pos="60,110,100,150"/>
      <DeviceKeyButton name="key_8" float="true" pos="110,110,150,150"/>
    </VerticalLayout>
    <Button name="not_a_key" float="true" pos="160,160,190,190"/>
  </SelectPanel>
</VerticalLayout></Window>)";

class SelectPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = OpenLayout("select", kKeyBlock);
        panel = Find<CSelectPanelUI>(window, "panel");
        ASSERT_NE(panel, nullptr);
        origin = POINT{panel->GetX(), panel->GetY()};
    }
    void TearDown() override { delete window; }
    POINT At(int x, int y) const { return POINT{origin.x + x, origin.y + y}; }
    void Drag(POINT from, POINT to) {
        Send(panel, UIEVENT_BUTTONDOWN, from, MK_LBUTTON);
        Send(panel, UIEVENT_MOUSEMOVE, POINT{(from.x + to.x) / 2, (from.y + to.y) / 2}, MK_LBUTTON);
        Send(panel, UIEVENT_MOUSEMOVE, to, MK_LBUTTON);
        Send(panel, UIEVENT_BUTTONUP, to);
    }
    std::set<std::string> Selected() {
        std::set<std::string> names;
        for (CControlUI* key : panel->GetSelectedKeys()) names.insert(key->GetName());
        return names;
    }
    ToolkitTest::RecordingWindow* window = nullptr;
    CSelectPanelUI* panel = nullptr;
    POINT origin;
};

struct BandCase {
    const char* what;
    POINT from, to;  // panel coordinates
    std::set<std::string> selected;
};

const BandCase kBands[] = {
    {"two by two from the top left", {20, 20}, {70, 70}, {"key_0", "key_1", "key_3", "key_4"}},
    {"the same band dragged backwards", {70, 70}, {20, 20}, {"key_0", "key_1", "key_3", "key_4"}},
    {"a gap touches nothing", {52, 52}, {58, 58}, {}},
    {"a band reaching a key's first pixel column", {55, 5}, {110, 10}, {"key_1", "key_2"}},
    {"a band starting on a key's last pixel row", {70, 99}, {75, 105}, {"key_4"}},
    {"a band between two rows", {60, 100}, {70, 109}, {}},
    {"a straight line across a row", {0, 80}, {199, 80}, {"key_3", "key_4", "key_5"}},
    {"everything", {0, 0}, {199, 199}, {"key_0", "key_1", "key_2", "key_3", "key_4", "key_5", "key_6", "key_7", "key_8"}},
};

}  // namespace

TEST_F(SelectPanelTest, SelectsExactlyTheKeysTheBandTouches) {
    for (const BandCase& c : kBands) {
        SCOPED_TRACE(c.what);
        // A previous selection that the new band does not touch is dropped.
        panel->SetKeySelected(Find<CControlUI>(window, "key_8"), true);
        window->ClearEvents();
        Drag(At(c.from.x, c.from.y), At(c.to.x, c.to.y));
        EXPECT_EQ(Selected(), c.selected);
        EXPECT_EQ(window->Events(), (Notes{"click_select_end:panel"}));
        EXPECT_FALSE(panel->IsDragging());
        EXPECT_FALSE(panel->IsKeySelected(Find<CControlUI>(window, "not_a_key")));
    }
}

TEST_F(SelectPanelTest, BandFollowsThePointerOnlyWhileDragging) {
    Send(panel, UIEVENT_MOUSEMOVE, At(30, 30));
    EXPECT_FALSE(panel->IsDragging());
    Send(panel, UIEVENT_BUTTONDOWN, At(90, 80), MK_LBUTTON);
    EXPECT_FALSE(panel->IsDragging());  // pending until the pointer moves
    Send(panel, UIEVENT_MOUSEMOVE, At(30, 40), MK_LBUTTON);
    ASSERT_TRUE(panel->IsDragging());
    const RECT band = panel->GetSelectionRect();
    EXPECT_EQ(band, (RECT{origin.x + 30, origin.y + 40, origin.x + 90, origin.y + 80}));
    // The band is drawn over the keys in the accent colour, translucent inside with a 1 px edge.
    ToolkitTest::Pump();
    const QImage shot = panel->GetWidget()->grab().toImage();
    const QColor edge = shot.pixelColor(60, 40);
    EXPECT_EQ(edge.name().toStdString(), "#00c2ff");
    const QColor inside = shot.pixelColor(75, 75);  // over key_4, tinted
    EXPECT_NE(inside.name().toStdString(), "#00c2ff");
    EXPECT_GT(inside.blue(), inside.red());
    Send(panel, UIEVENT_BUTTONUP, At(30, 40));
    EXPECT_EQ(panel->GetSelectionRect(), RECT{});
}

TEST_F(SelectPanelTest, PlainClickSelectsNothingAndReachesTheKey) {
    const POINT onKey = Centre(Find<CControlUI>(window, "key_4")->GetPos());
    Send(panel, UIEVENT_BUTTONDOWN, onKey, MK_LBUTTON);
    Send(panel, UIEVENT_BUTTONUP, onKey);
    EXPECT_EQ(window->Events(), (Notes{"click:key_4"}));
    EXPECT_TRUE(Selected().empty());
}

TEST_F(SelectPanelTest, DisabledPanelStartsNoDrag) {
    panel->SetEnabled(false);
    Drag(At(20, 20), At(70, 70));
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(window->Events(), Notes{});
}

TEST_F(SelectPanelTest, RemovedKeysLeaveTheSelection) {
    Drag(At(0, 0), At(199, 199));
    ASSERT_EQ(Selected().size(), 9u);
    auto* plate = static_cast<CContainerUI*>(Find<CControlUI>(window, "plate")->GetInterface("Container"));
    plate->RemoveAll();
    ToolkitTest::Pump();
    EXPECT_TRUE(panel->GetSelectedKeys().empty());
}

namespace {

class HandImgButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = OpenLayout("hand", R"(<Window size="200,200"><VerticalLayout inset="10,10,0,0">
          <HandImgButton name="hand" width="100" height="100"/>
        </VerticalLayout></Window>)");
        button = Find<CHandImgButtonUI>(window, "hand");
        ASSERT_NE(button, nullptr);
    }
    void TearDown() override { delete window; }
    Notes Click(POINT pt) {
        window->ClearEvents();
        Send(button, UIEVENT_BUTTONDOWN, pt, MK_LBUTTON);
        Send(button, UIEVENT_BUTTONUP, pt);
        return window->Events();
    }
    ToolkitTest::RecordingWindow* window = nullptr;
    CHandImgButtonUI* button = nullptr;
};

}  // namespace

TEST_F(HandImgButtonTest, DeleteCornerSitsNearTheBottomRight) {
    const RECT rc = button->GetPos();
    EXPECT_EQ(button->DeleteCornerRect(), (RECT{rc.right - 30, rc.bottom - 29, rc.right - 10, rc.bottom - 9}));
}

TEST_F(HandImgButtonTest, RaisesDeleteOnlyInsideTheCornerWhileAllowed) {
    const RECT rc = button->GetPos();
    const POINT corner{rc.right - 20, rc.bottom - 19};
    const POINT cornerEdge{rc.right - 30, rc.bottom - 29};
    const POINT pastCorner{rc.right - 5, rc.bottom - 5};
    const POINT middle = Centre(rc);
    const struct {
        bool allowed;
        POINT pt;
        Notes expected;
    } cases[] = {
        {false, corner, {"click:hand"}},     {false, cornerEdge, {"click:hand"}},
        {false, middle, {"click:hand"}},     {true, corner, {"click_handdelete:hand"}},
        {true, cornerEdge, {"click_handdelete:hand"}},
        {true, pastCorner, {"click:hand"}},  {true, middle, {"click:hand"}},
    };
    for (const auto& c : cases) {
        button->SetDeleteAllowed(c.allowed);
        EXPECT_EQ(Click(c.pt), c.expected) << c.allowed << " at " << c.pt.x - rc.left << "," << c.pt.y - rc.top;
    }
}

TEST_F(HandImgButtonTest, ReleaseWithoutPressOrWhenDisabledDoesNothing) {
    button->SetDeleteAllowed(true);
    const RECT rc = button->GetPos();
    window->ClearEvents();
    Send(button, UIEVENT_BUTTONUP, POINT{rc.right - 20, rc.bottom - 19});
    EXPECT_EQ(window->Events(), Notes{});
    button->SetEnabled(false);
    EXPECT_EQ(Click(POINT{rc.right - 20, rc.bottom - 19}), Notes{});
    Send(button, UIEVENT_MOUSEENTER, Centre(rc));
    EXPECT_EQ(window->Events(), Notes{});
}

TEST_F(HandImgButtonTest, PointerCrossingsAndCornerHover) {
    button->SetDeleteAllowed(true);
    const RECT rc = button->GetPos();
    window->ClearEvents();
    Send(button, UIEVENT_MOUSEENTER, Centre(rc));
    EXPECT_FALSE(button->IsDeleteHot());
    Send(button, UIEVENT_MOUSEMOVE, POINT{rc.right - 20, rc.bottom - 19});
    EXPECT_TRUE(button->IsDeleteHot());
    button->SetDeleteAllowed(false);
    EXPECT_FALSE(button->IsDeleteHot());
    Send(button, UIEVENT_MOUSELEAVE);
    EXPECT_EQ(window->Events(), (Notes{"msenter:hand", "msleave:hand"}));
}

TEST_F(HandImgButtonTest, RefusesPicturesThatDoNotExist) {
    EXPECT_FALSE(button->SetHandImage("controls/no_such_picture.svg"));
    EXPECT_EQ(button->GetHandImage(), "");
    EXPECT_TRUE(button->SetHandImage("file='common/logo.svg' dest='10,10,40,40'"));
    button->SetAttribute("handimage", "file='missing.png'");
    EXPECT_EQ(button->GetHandImage(), "file='common/logo.svg' dest='10,10,40,40'");
}

namespace {

std::string WritePicture(const char* name, int width, int height) {
    const char* root = std::getenv("ZORV_TEST_TMP");
    const std::filesystem::path folder = std::filesystem::path(root && *root ? root : "/tmp/zorv-controls-tests");
    std::filesystem::create_directories(folder);
    const std::string path = (folder / name).string();
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(0x30, 0x80, 0xC0));
    image.save(QString::fromStdString(path));
    return path;
}

}  // namespace

TEST(HandImgSelectButton, CursorNamesGiveTheSystemIds) {
    const struct {
        const char* name;
        int id;
    } cases[] = {{"arrow", 32512}, {"IBEAM", 32513}, {"size", 32640}, {"sizeall", 32646},
                 {"no", 32648},    {"hand", 32649},  {"bogus", 0}};
    for (const auto& c : cases) EXPECT_EQ(CHandImgSelectButtonUI::CursorIdOf(c.name), c.id) << c.name;
}

TEST(HandImgSelectButton, DraggingPansOverALargerPicture) {
    auto* w = OpenLayout("pan", R"(<Window size="200,200"><VerticalLayout inset="10,10,0,0">
      <HandImgSelectButton name="pan" width="50" height="50" cursor="hand"/>
    </VerticalLayout></Window>)");
    auto* button = Find<CHandImgSelectButtonUI>(w, "pan");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetCursorId(), 32649);
    EXPECT_EQ(button->GetWidget()->cursor().shape(), Qt::PointingHandCursor);
    const std::string large = WritePicture("large.png", 200, 100);
    ASSERT_TRUE(button->SetHandImage(large));
    EXPECT_EQ(button->VisibleImageString(), "file='" + large + "' source='0,0,50,50'");
    const POINT press = Centre(button->GetPos());
    Send(button, UIEVENT_BUTTONDOWN, press, MK_LBUTTON);
    Send(button, UIEVENT_MOUSEMOVE, POINT{press.x - 30, press.y - 10}, MK_LBUTTON);
    EXPECT_EQ(button->VisibleImageString(), "file='" + large + "' source='30,10,80,60'");
    Send(button, UIEVENT_MOUSEMOVE, POINT{press.x - 900, press.y - 900}, MK_LBUTTON);
    EXPECT_EQ(button->VisibleImageString(), "file='" + large + "' source='150,50,200,100'");
    Send(button, UIEVENT_MOUSEMOVE, POINT{press.x + 900, press.y + 900}, MK_LBUTTON);
    EXPECT_EQ(button->VisibleImageString(), "file='" + large + "' source='0,0,50,50'");
    Send(button, UIEVENT_BUTTONUP, press);
    // Released: moving no longer pans.
    Send(button, UIEVENT_MOUSEMOVE, POINT{press.x - 30, press.y});
    EXPECT_EQ(button->GetPanOffset().x, 0);

    const std::string small = WritePicture("small.png", 40, 40);
    ASSERT_TRUE(button->SetHandImage(small));
    EXPECT_EQ(button->VisibleImageString(), small);
    w->ClearEvents();
    Send(button, UIEVENT_MOUSEENTER, press);
    Send(button, UIEVENT_MOUSELEAVE);
    EXPECT_EQ(w->Events(), (Notes{"msenter:pan", "msleave:pan"}));
    delete w;
}

TEST(RedioMacroButton, PulsesBetween80And255InStepsOf20) {
    auto* w = OpenLayout("record", R"(<Window size="100,100"><VerticalLayout>
      <RedioMacroButton name="record" width="40" height="40" redioimage="common/logo.svg"/>
    </VerticalLayout></Window>)");
    auto* button = Find<CRedioMacroButtonUI>(w, "record");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->StartPulse());
    EXPECT_TRUE(w->GetPaintManager()->HasTimer(button, CRedioMacroButtonUI::kPulseTimerId));
    EXPECT_EQ(button->GetNormalImage(), "res='common/logo.svg' fade='255'");
    const std::vector<int> expected = {235, 215, 195, 175, 155, 135, 115, 95, 80, 100,
                                       120, 140, 160, 180, 200, 220, 240, 255, 235};
    std::vector<int> fades;
    for (size_t i = 0; i < expected.size(); ++i) {
        Send(button, UIEVENT_TIMER, {}, 0, 0, CRedioMacroButtonUI::kPulseTimerId);
        fades.push_back(button->GetFade());
    }
    EXPECT_EQ(fades, expected);
    EXPECT_EQ(button->GetNormalImage(), "res='common/logo.svg' fade='235'");
    // Other timers are the owner's.
    Send(button, UIEVENT_TIMER, {}, 0, 0, 7);
    EXPECT_EQ(button->GetFade(), 235);
    EXPECT_EQ(w->Events(), (Notes{"timer:record"}));
    // The real timer drives it too.
    ASSERT_TRUE(ToolkitTest::PumpUntil([&] { return button->GetFade() != 235; }));
    button->StopPulse();
    EXPECT_FALSE(w->GetPaintManager()->HasTimer(button, CRedioMacroButtonUI::kPulseTimerId));
    EXPECT_EQ(button->GetNormalImage(), "res='common/logo.svg' fade='255'");
    delete w;
}

TEST(WndHost, KeepsTheNativeWidgetOnItsRectangle) {
    auto* w = OpenLayout("wnd", R"(<Window size="300,200"><VerticalLayout inset="10,20,0,0">
      <Wnd name="wnd" width="120" height="80"/>
    </VerticalLayout></Window>)");
    auto* host = Find<CWndUI>(w, "wnd");
    ASSERT_NE(host, nullptr);
    QWidget* window = w->GetHostWidget();
    auto* child = new QWidget(window);
    host->Attach(child);
    EXPECT_EQ(child->geometry(), QRect(10, 20, 120, 80));
    EXPECT_EQ(host->GetShowCommand(), CWndUI::kShowCommand);
    EXPECT_TRUE(child->isVisible());
    host->SetVisible(false);
    EXPECT_EQ(host->GetShowCommand(), CWndUI::kHideCommand);
    EXPECT_FALSE(child->isVisible());
    host->SetVisible(true);
    host->SetPos(RECT{30, 40, 80, 90});
    EXPECT_EQ(child->geometry(), QRect(30, 40, 50, 50));
    EXPECT_TRUE(child->isVisible());

    // A top-level window is placed by screen coordinates.
    QWidget floating;
    host->Attach(&floating);
    const QPoint screen = window->mapToGlobal(QPoint(30, 40));
    EXPECT_EQ(floating.geometry(), QRect(screen, QSize(50, 50)));
    EXPECT_EQ(host->Detach(), &floating);
    delete child;
    // A hosted widget that went away is forgotten, not touched.
    auto* gone = new QWidget(window);
    host->Attach(gone);
    delete gone;
    host->SetPos(RECT{0, 0, 10, 10});
    EXPECT_EQ(host->GetHostedWidget(), nullptr);
    delete w;
}

TEST(PanelControls, RegisteredByClassNameAndTag) {
    RegisterPanelControls();
    const struct {
        const char* name;
        const char* className;
    } cases[] = {
        {"CCircleProgressUI", CCircleProgressUI::kClassName},
        {"CircleProgress", CCircleProgressUI::kClassName},
        {"CChartViewUI", CChartViewUI::kClassName},
        {"CWndUI", CWndUI::kClassName},
        {"CSelectPanelUI", CSelectPanelUI::kClassName},
        {"SelectPanel", CSelectPanelUI::kClassName},
        {"CCloudShareListItemUI", CCloudShareListItemUI::kClassName},
        {"CloudShareListItemUI", CCloudShareListItemUI::kClassName},
        {"CComboEditContainerElementUI", CComboEditContainerElementUI::kClassName},
        {"CHandImgButtonUI", CHandImgButtonUI::kClassName},
        {"HandImgSelectButton", CHandImgSelectButtonUI::kClassName},
        {"CRedioMacroButtonUI", CRedioMacroButtonUI::kClassName},
        {"AudioRecord", CAudioRecordUI::kClassName},
    };
    for (const auto& c : cases) {
        CControlUI* control = CControlFactory::GetInstance()->CreateControl(c.name);
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(control->GetClass(), c.className) << c.name;
        EXPECT_EQ(control->GetInterface(c.className), control) << c.name;
        delete control;
    }
}
