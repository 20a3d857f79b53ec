#include <gtest/gtest.h>

#include <memory>

#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

// Counts ticks per id; stops its own timer after a number of ticks, as entry timers do.
class TickingUI : public CControlUI {
public:
    void DoEvent(TEventUI& event) override {
        if (event.Type == UIEVENT_TIMER) {
            ++ticks[event.wParam];
            if (stopAfter && ticks[event.wParam] >= stopAfter) m_pManager->KillTimer(this, static_cast<UINT>(event.wParam));
        }
        CControlUI::DoEvent(event);
    }
    std::map<WPARAM, int> ticks;
    int stopAfter = 0;
};

struct Closer {
    void operator()(RecordingWindow* w) const { delete w; }
};

}  // namespace

TEST(ControlTimers, TicksReachTheControlAndRaiseTimer) {
    std::unique_ptr<RecordingWindow, Closer> w(OpenWindow("toolkit-test/sub.xml", 200, 100));
    auto* root = static_cast<CContainerUI*>(w->GetPaintManager()->GetRoot());
    auto* ticking = new TickingUI();
    ticking->SetName("ticker");
    ticking->stopAfter = 3;
    root->Add(ticking);
    CPaintManagerUI* pm = w->GetPaintManager();
    ASSERT_TRUE(pm->SetTimer(ticking, 1001, 5));
    ASSERT_TRUE(pm->SetTimer(ticking, 1000, 5));
    ASSERT_TRUE(PumpUntil([&] { return ticking->ticks[1001] >= 3 && ticking->ticks[1000] >= 3; }));
    Pump();
    EXPECT_EQ(ticking->ticks[1001], 3);  // killed from inside its own tick
    EXPECT_FALSE(pm->HasTimer(ticking, 1001));
    int timerNotes = 0;
    for (const auto& n : w->notifications)
        if (n.type == "timer" && n.sender == "ticker" && n.wParam == 1000) ++timerNotes;
    EXPECT_EQ(timerNotes, 3);
}

TEST(ControlTimers, RestartKillAndDeletion) {
    std::unique_ptr<RecordingWindow, Closer> w(OpenWindow("toolkit-test/sub.xml", 200, 100));
    auto* root = static_cast<CContainerUI*>(w->GetPaintManager()->GetRoot());
    CPaintManagerUI* pm = w->GetPaintManager();
    auto* ticking = new TickingUI();
    root->Add(ticking);
    EXPECT_FALSE(pm->KillTimer(ticking, 5));
    ASSERT_TRUE(pm->SetTimer(ticking, 5, 5));
    ASSERT_TRUE(pm->SetTimer(ticking, 5, 10000));  // the same id again replaces the period
    Pump();
    EXPECT_EQ(ticking->ticks[5], 0);
    ASSERT_TRUE(pm->SetTimer(ticking, 6, 5));
    root->Remove(ticking);  // its timers go with it
    EXPECT_FALSE(pm->HasTimer(ticking, 6));
    Pump();
    EXPECT_FALSE(pm->SetTimer(nullptr, 1, 5));
}

TEST(ControlTimers, WindowTimersArriveAsWmTimer) {
    std::unique_ptr<RecordingWindow, Closer> w(OpenWindow("toolkit-test/sub.xml", 200, 100));
    const auto ticksOf = [&](WPARAM id) {
        int n = 0;
        for (const auto& m : w->messages) n += m.sender == std::to_string(WM_TIMER) && m.wParam == id;
        return n;
    };
    ASSERT_TRUE(w->SetWindowTimer(1011, 5));
    ASSERT_TRUE(PumpUntil([&] { return ticksOf(1011) >= 2; }));
    EXPECT_TRUE(w->KillWindowTimer(1011));
    EXPECT_FALSE(w->KillWindowTimer(1011));
    const int before = ticksOf(1011);
    Pump();
    EXPECT_EQ(ticksOf(1011), before);
}
