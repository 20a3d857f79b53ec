// What the painted controls put on the screen: the ring, the level trace, the chart, and a
// screenshot of them together.
#include <gtest/gtest.h>

#include <QDir>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <vector>

#include "engines/device/DeviceKeyButton.h"
#include "panels/controls/AudioRecord.h"
#include "panels/controls/ChartView.h"
#include "panels/controls/CircleProgress.h"
#include "panels/controls/SelectPanel.h"
#include "tests/panels/controls/ControlsTestSupport.h"

using namespace DuiLib;
using namespace ControlsTest;

namespace {

constexpr QRgb kBack = 0xFF303030;
constexpr QRgb kFore = 0xFF00C2FF;
constexpr QRgb kWhite = 0xFFFFFFFF;

// A point of the ring at an angle measured clockwise from the bottom.
QPoint RingPoint(double degreesFromBottom) {
    const double a = degreesFromBottom * M_PI / 180.0;
    return QPoint(static_cast<int>(std::lround(50 - 45 * std::sin(a))), static_cast<int>(std::lround(50 + 45 * std::cos(a))));
}

struct RingCase {
    int min, max, value;
    bool bottomLeft, topLeft, topRight, bottomRight;  // quadrant centres filled with the foreground
};

constexpr RingCase kRingCases[] = {
    {0, 100, 0, false, false, false, false},
    {0, 100, 25, true, false, false, false},
    {0, 100, 50, true, true, false, false},
    {0, 100, 100, true, true, true, true},
    // A range not starting at 0: the filled share, never more than a turn.
    {50, 100, 75, true, true, false, false},
    {50, 100, 100, true, true, true, true},
};

}  // namespace

TEST(CircleProgress, FillsTheShareAsARingFromTheBottomClockwise) {
    auto* w = OpenLayout("circle", R"(<Window size="120,120"><VerticalLayout>
      <CircleProgress name="ring" width="100" height="100" bkcolor="#FF303030" forecolor="#FF00C2FF"/>
    </VerticalLayout></Window>)");
    auto* ring = Find<CCircleProgressUI>(w, "ring");
    ASSERT_NE(ring, nullptr);
    ASSERT_EQ(ring->GetWidth(), 100);
    for (const RingCase& c : kRingCases) {
        ring->SetMinValue(0);
        ring->SetMaxValue(c.max);
        ring->SetMinValue(c.min);
        ring->SetValue(c.value);
        const QImage image = Paint(ring);
        const auto filled = [&](double angle) { return image.pixel(RingPoint(angle)) == kFore; };
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " value " << c.value);
        EXPECT_EQ(filled(45), c.bottomLeft);
        EXPECT_EQ(filled(135), c.topLeft);
        EXPECT_EQ(filled(225), c.topRight);
        EXPECT_EQ(filled(315), c.bottomRight);
        // The ring is cut out in white and the corners outside the disc stay untouched.
        EXPECT_EQ(image.pixel(50, 50), kWhite);
        EXPECT_EQ(image.pixel(1, 1), 0u);
        if (!c.bottomRight) {
            EXPECT_EQ(image.pixel(RingPoint(315)), kBack);
        }
    }
    // Value 25: the quarter starts right at the bottom and turns towards the left.
    ring->SetMinValue(0);
    ring->SetMaxValue(100);
    ring->SetValue(25);
    const QImage quarter = Paint(ring);
    EXPECT_EQ(quarter.pixel(RingPoint(5)), kFore);
    EXPECT_EQ(quarter.pixel(RingPoint(85)), kFore);
    EXPECT_EQ(quarter.pixel(RingPoint(-5)), kBack);
    EXPECT_EQ(quarter.pixel(RingPoint(95)), kBack);
    delete w;
}

TEST(AudioRecord, DrawsOneLinePerLevelTwoPixelsApartFromTheBottom) {
    auto* w = OpenLayout("trace", R"(<Window size="40,80"><VerticalLayout>
      <AudioRecord name="trace" width="9" height="64" bkcolor="#FF000000" linecolor="#FFFFFFFF"/>
    </VerticalLayout></Window>)");
    auto* trace = Find<CAudioRecordUI>(w, "trace");
    ASSERT_NE(trace, nullptr);
    trace->SetLevels({8192, 4096, 0, 2048, 8192, 8192});  // the sixth would start at x = 10, past the edge
    const QImage image = Paint(trace);
    struct Column {
        int x, height;
    };
    constexpr Column kColumns[] = {{0, 64}, {1, 0}, {2, 32}, {3, 0}, {4, 0}, {6, 16}, {8, 64}};
    for (const Column& c : kColumns) {
        SCOPED_TRACE(c.x);
        for (int y = 0; y < 64; ++y)
            ASSERT_EQ(image.pixel(c.x, y), y >= 64 - c.height ? kWhite : 0xFF000000) << "y " << y;
    }
    delete w;
}

TEST(AudioRecord, KeepsTheLast500LevelsWithinScale) {
    CAudioRecordUI trace;
    trace.SetLevels({-5, 9000, 100});
    EXPECT_EQ(trace.GetLevels(), (std::vector<int>{0, 8192, 100}));
    for (int i = 0; i < 600; ++i) trace.AddLevel(i);
    const auto levels = trace.GetLevels();
    ASSERT_EQ(levels.size(), CAudioRecordUI::kMaxLevels);
    EXPECT_EQ(levels.front(), 100);
    EXPECT_EQ(levels.back(), 599);
}

TEST(ChartView, SlicesShareTheTurnByValue) {
    CChartViewUI chart;
    EXPECT_TRUE(chart.PieSlices().empty());
    chart.AddItem("a", 1);
    chart.AddItem("b", 1);
    chart.AddItem("c", 2);
    chart.AddItem("negative", -3);  // counts as nothing
    const auto slices = chart.PieSlices();
    ASSERT_EQ(slices.size(), 4u);
    const double starts[] = {0, 90, 180, 360};
    const double spans[] = {90, 90, 180, 0};
    for (size_t i = 0; i < slices.size(); ++i) {
        EXPECT_DOUBLE_EQ(slices[i].startDegrees, starts[i]) << i;
        EXPECT_DOUBLE_EQ(slices[i].spanDegrees, spans[i]) << i;
        EXPECT_EQ(slices[i].colour, CChartViewUI::PaletteColour(i)) << i;
    }
    EXPECT_EQ(CChartViewUI::PaletteColour(18), CChartViewUI::PaletteColour(0));
    chart.RemoveAllItems();
    chart.AddItem("zero", 0);
    EXPECT_TRUE(chart.PieSlices().empty());
}

TEST(ChartView, PaintsEachSliceInItsColourAndMakesRoomForTheLegend) {
    auto* w = OpenLayout("chart", R"(<Window size="320,240"><VerticalLayout>
      <ChartView name="pie" width="210" height="210"/>
      <ChartView name="legend" width="310" height="210" showtext="true" view="pie"/>
    </VerticalLayout></Window>)");
    auto* pie = Find<CChartViewUI>(w, "pie");
    auto* legend = Find<CChartViewUI>(w, "legend");
    ASSERT_NE(pie, nullptr);
    ASSERT_NE(legend, nullptr);
    for (auto* chart : {pie, legend}) {
        chart->AddItem("one", 1);
        chart->AddItem("two", 1);
        chart->AddItem("three", 2);
    }
    // Diameter: the smaller of width - legend - 10 and height - 10.
    EXPECT_EQ(pie->PieRect().Width(), 200);
    EXPECT_EQ(legend->PieRect().Width(), 200);
    legend->SetFixedHeight(300);
    legend->SetFixedWidth(250);
    w->GetPaintManager()->UpdateLayout();
    EXPECT_EQ(legend->PieRect().Width(), 140);

    const QImage image = Paint(pie);
    const RECT rc = pie->PieRect();
    const QPoint centre(rc.left - pie->GetX() + 100, rc.top - pie->GetY() + 100);
    const auto at = [&](double degreesFromTop) {
        const double a = degreesFromTop * M_PI / 180.0;
        return image.pixel(centre + QPoint(static_cast<int>(60 * std::sin(a)), static_cast<int>(-60 * std::cos(a))));
    };
    EXPECT_EQ(at(45), CChartViewUI::PaletteColour(0));
    EXPECT_EQ(at(135), CChartViewUI::PaletteColour(1));
    EXPECT_EQ(at(225), CChartViewUI::PaletteColour(2));
    EXPECT_EQ(at(315), CChartViewUI::PaletteColour(2));
    delete w;
}

TEST(ChartView, BarViewDrawsOnePillarPerItemScaledToTheLargest) {
    auto* w = OpenLayout("bars", R"(<Window size="220,140"><VerticalLayout>
      <ChartView name="bars" width="200" height="110" view="histpgram"/>
    </VerticalLayout></Window>)");
    auto* bars = Find<CChartViewUI>(w, "bars");
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(bars->GetView(), CChartViewUI::View::Histogram);
    bars->AddItem("low", 1);
    bars->AddItem("high", 2);
    const QImage image = Paint(bars);
    // Slots of 100 px; the room above the baseline is 110 - 10.
    EXPECT_EQ(image.pixel(50, 109), CChartViewUI::PaletteColour(0));
    EXPECT_EQ(image.pixel(50, 110 - 50 - 2), 0u);
    EXPECT_EQ(image.pixel(150, 110 - 50 - 2), CChartViewUI::PaletteColour(1));
    EXPECT_EQ(image.pixel(150, 5), 0u);
    delete w;
}

TEST(Screenshot, CustomControlsTogether) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    for (const int dpi : {96, 144}) {
        auto* w = OpenLayout("shot", R"(<Window size="640,300">
  <HorizontalLayout name="root" bkcolor="#FF101217" inset="20,20,20,20" childpadding="24">
    <VerticalLayout width="120" childpadding="16">
      <CircleProgress name="ring" width="100" height="100" value="64" bkcolor="#FF20242C" innercolor="#FF101217" text="64%" textcolor="#FFE8EAF0"/>
      <AudioRecord name="trace" width="120" height="60" bkcolor="#FF181B22"/>
    </VerticalLayout>
    <ChartView name="chart" width="220" height="160" showtext="true" textcolor="#FFE8EAF0"/>
    <SelectPanel name="panel" width="200" height="150" bkcolor="#FF181B22">
      <DeviceKeyButton name="key_0" float="true" pos="10,10,50,50" text="Q"/>
      <DeviceKeyButton name="key_1" float="true" pos="55,10,95,50" text="W"/>
      <DeviceKeyButton name="key_2" float="true" pos="100,10,140,50" text="E"/>
      <DeviceKeyButton name="key_3" float="true" pos="10,55,50,95" text="A"/>
      <DeviceKeyButton name="key_4" float="true" pos="55,55,95,95" text="S"/>
      <DeviceKeyButton name="key_5" float="true" pos="100,55,140,95" text="D"/>
    </SelectPanel>
  </HorizontalLayout></Window>)");
        CPaintManagerUI::SetAllDPI(dpi);
        ToolkitTest::Pump();
        auto* trace = Find<CAudioRecordUI>(w, "trace");
        for (int i = 0; i < 60; ++i) trace->AddLevel(static_cast<int>(4096 + 3500 * std::sin(i / 4.0)));
        auto* chart = Find<CChartViewUI>(w, "chart");
        chart->AddItem("Keys", 5);
        chart->AddItem("Mouse", 3);
        chart->AddItem("Macro", 2);
        auto* panel = Find<CSelectPanelUI>(w, "panel");
        const RECT first = Find<CControlUI>(w, "key_0")->GetPos();
        const RECT last = Find<CControlUI>(w, "key_4")->GetPos();
        for (const char* key : {"key_0", "key_1", "key_3", "key_4"})
            static_cast<CDeviceKeyButtonUI*>(Find<CControlUI>(w, key))->SetLightColor(0x00FF00 + 0x40, 255);
        Send(panel, UIEVENT_BUTTONDOWN, POINT{first.left + 5, first.top + 5});
        Send(panel, UIEVENT_MOUSEMOVE, POINT{last.left + 5, last.bottom + 10});
        ToolkitTest::Pump();
        const QImage shot = w->GetHostWidget()->grab().toImage();
        const QString path = QString("%1/panel_controls_%2.png").arg(ZORV_SCREENSHOT_DIR).arg(dpi);
        EXPECT_TRUE(shot.save(path)) << path.toStdString();
        Send(panel, UIEVENT_BUTTONUP, POINT{last.left + 5, last.bottom + 10});
        EXPECT_EQ(panel->GetSelectedKeys().size(), 4u);
        delete w;
        CPaintManagerUI::SetAllDPI(96);
        ToolkitTest::Pump();
    }
}

// The key picture keeps its caps in one image and redraws only the caps that change; after changes
// of light, visibility and label it shows what a picture drawn whole shows, and a cap drawn into
// the image looks as one the painter draws. Where the caps cannot be kept over a plain colour
// (a see-through panel, rounded corners under a cap) the panel paints them itself.
TEST(KeyPicture, ChangedCapsShowWhatAWholeDrawingShows) {
    const struct {
        const char* name;
        const char* panel;
        bool kept;
    } cases[] = {
        {"plain panel", R"(bkcolor="#FF181B22")", true},
        {"see-through panel", R"(bkcolor="#80181B22")", false},
        {"rounded corners over a cap", R"(bkcolor="#FF181B22" borderround="40,40")", false},
    };
    constexpr uint32_t kRed = 0x0000FF, kGreen = 0xFF0000;  // red + blue × 256 + green × 65536
    std::vector<QImage> centreCaps;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* w = OpenLayout("picture", std::string(R"(<Window size="300,200">
  <HorizontalLayout bkcolor="#FF101217" inset="20,20,20,20">
    <SelectPanel name="panel" width="200" height="150" )") + c.panel + R"(>
      <DeviceKeyButton name="key_0" float="true" pos="10,10,50,50" text="Q"/>
      <DeviceKeyButton name="key_1" float="true" pos="55,10,95,50" text="W"/>
      <DeviceKeyButton name="key_2" float="true" pos="100,10,140,50" text="E"/>
      <DeviceKeyButton name="key_3" float="true" pos="80,55,120,95" text="A"/>
    </SelectPanel>
  </HorizontalLayout></Window>)");
        ToolkitTest::Pump();
        auto* panel = Find<CSelectPanelUI>(w, "panel");
        const auto cap = [&](int i) { return static_cast<CDeviceKeyButtonUI*>(Find<CControlUI>(w, "key_" + std::to_string(i))); };
        const auto local = [&](int i) {
            const RECT r = cap(i)->GetPos(), p = panel->GetPos();
            return QRect(r.left - p.left, r.top - p.top, r.right - r.left, r.bottom - r.top);
        };
        const auto grab = [&] {
            ToolkitTest::Pump();
            return panel->GetWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        for (int i = 0; i < 4; ++i) cap(i)->SetLightColor(kRed, 255);
        const QImage first = grab();
        const QWidgetList layers = panel->GetWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        EXPECT_EQ(std::any_of(layers.begin(), layers.end(), [&](QWidget* layer) {
                      return layer->isVisible() && layer->geometry().contains(local(0)) && layer->geometry().contains(local(3));
                  }),
                  c.kept);
        // The light shows on the cap's edge, half way down.
        const auto ring = [&](const QImage& shot, int i) { return shot.pixel(local(i).left() + 2, local(i).center().y()); };
        EXPECT_EQ(ring(first, 0), qRgb(255, 0, 0));
        const QRgb empty = first.pixel(190, 140);

        cap(0)->SetLightColor(kGreen, 255);
        cap(1)->SetVisible(false);
        cap(2)->SetText("Z");
        const QImage changed = grab();
        EXPECT_EQ(ring(changed, 0), qRgb(0, 255, 0));
        EXPECT_EQ(changed.pixel(local(1).center()), empty);
        EXPECT_EQ(changed.copy(local(3)), first.copy(local(3)));
        EXPECT_NE(changed.copy(local(2)), first.copy(local(2)));
        cap(1)->SetVisible(true);
        const QImage shownAgain = grab();
        EXPECT_EQ(shownAgain.copy(local(1)), first.copy(local(1)));

        // Laid out again, the picture is drawn whole.
        panel->SetPos(panel->GetPos());
        EXPECT_EQ(grab(), shownAgain);
        centreCaps.push_back(shownAgain.copy(local(3)));
        // A panel that turns see-through paints its caps itself from then on.
        panel->SetBkColor(0x80181B22);
        grab();
        const QImage seeThrough = grab();
        EXPECT_EQ(ring(seeThrough, 0), qRgb(0, 255, 0));
        EXPECT_FALSE(std::any_of(layers.begin(), layers.end(), [&](QWidget* layer) {
            return layer->isVisible() && layer->geometry().contains(local(0));
        }));
        delete w;
    }
    // On the same plain colour a cap kept in the image and one the painter draws look the same.
    EXPECT_EQ(centreCaps[0], centreCaps[2]);
}
