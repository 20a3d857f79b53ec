#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>
#include <unistd.h>

#include "platform/Time.h"
#include "platform/WorkerThread.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

struct Closer {
    void operator()(RecordingWindow* w) const {
        delete w;
        Pump();
    }
};
using WindowPtr = std::unique_ptr<RecordingWindow, Closer>;

constexpr UINT kArrival = 3090;
constexpr UINT kPresence = 3331;

}  // namespace

TEST(WindowMessages, RegisteredNamesKeepOneValue) {
    const UINT a = RegisterWindowMessage("Zorv Wired Manager 1.0");
    const UINT b = RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    EXPECT_GE(a, 0xC000u);
    EXPECT_GE(b, 0xC000u);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessage("Zorv Wired Manager 1.0"), a);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST(WindowMessages, HandlesAreUniqueAndLookedUp) {
    WindowPtr first(OpenWindow("toolkit-test/sub.xml", 100, 50));
    WindowPtr second(OpenWindow("toolkit-test/sub.xml", 100, 50));
    EXPECT_NE(first->GetHWND(), second->GetHWND());
    EXPECT_EQ(first->GetHWND() >> 32, static_cast<uint64_t>(getpid()));
    EXPECT_EQ(FromHandle(first->GetHWND()), first.get());
    EXPECT_TRUE(IsWindow(second->GetHWND()));
    const HWND gone = second->GetHWND();
    second.reset();
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(FromHandle(gone), nullptr);
    EXPECT_FALSE(PostMessage(gone, kPresence, 1, 2));
    EXPECT_EQ(SendMessage(gone, kPresence, 1, 2), 0);
}

TEST(WindowMessages, PostsFromWorkersArriveInOrderOnTheUiThread) {
    WindowPtr w(OpenWindow("toolkit-test/sub.xml", 100, 50));
    QThread* uiThread = QThread::currentThread();
    std::atomic<bool> wrongThread{false};
    w->onMessage = [&](UINT, WPARAM, LPARAM) {
        if (QThread::currentThread() != uiThread) wrongThread = true;
        return 0;
    };
    const HWND hwnd = w->GetHWND();
    WorkerThread worker;
    std::atomic<bool> posted{false};
    worker.Start(nullptr, [&](const WorkerArgs&) {
        for (int i = 0; i < 50; ++i) PostMessage(hwnd, kPresence, static_cast<WPARAM>(i), -i);
        posted = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return posted && w->messages.size() == 50; }));
    worker.Stop(1000);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(w->messages[static_cast<size_t>(i)].wParam, static_cast<WPARAM>(i));
        EXPECT_EQ(w->messages[static_cast<size_t>(i)].lParam, -i);
    }
    EXPECT_FALSE(wrongThread);
}

TEST(WindowMessages, SendBlocksTheWorkerUntilHandled) {
    WindowPtr w(OpenWindow("toolkit-test/sub.xml", 100, 50));
    w->onMessage = [](UINT msg, WPARAM wParam, LPARAM) { return static_cast<LRESULT>(msg + wParam); };
    // On the UI thread the call is direct.
    EXPECT_EQ(SendMessage(w->GetHWND(), kArrival, 7, 0), kArrival + 7);
    ASSERT_EQ(w->messages.size(), 1u);

    const HWND hwnd = w->GetHWND();
    std::atomic<LRESULT> result{-1};
    std::atomic<bool> returned{false};
    WorkerThread worker;
    worker.Start(nullptr, [&](const WorkerArgs&) {
        result = SendMessage(hwnd, kArrival, 5, 0);
        returned = true;
    });
    ::Sleep(50);
    EXPECT_FALSE(returned);  // nobody ran the queue yet
    ASSERT_TRUE(PumpUntil([&] { return returned.load(); }));
    EXPECT_EQ(result, kArrival + 5);
    worker.Stop(1000);
}

TEST(WindowMessages, SendToAWindowBeingDestroyedReturns) {
    WindowPtr w(OpenWindow("toolkit-test/sub.xml", 100, 50));
    const HWND hwnd = w->GetHWND();
    WorkerThread scanner;
    std::atomic<int> sends{0};
    std::atomic<int> blocked{0};
    scanner.Start(nullptr, [&](const WorkerArgs& args) {
        while (WorkerKeepRunning(args)) {
            blocked = 1;
            SendMessage(hwnd, kArrival, 0, 0);  // blocks: the UI thread does not pump meanwhile
            blocked = 0;
            ++sends;
        }
    });
    // The window stops its worker while being destroyed, as the main window does.
    WorkerStopOutcome outcome = WorkerStopOutcome::NotRunning;
    w->onDestroy = [&] { outcome = scanner.Stop(1000); };
    ASSERT_TRUE(PumpUntil([&] { return sends.load() > 3; }));
    while (!blocked) ::Sleep(1);
    w->SendMessage(WM_CLOSE, 0, 0);  // destroys now, without pumping
    EXPECT_EQ(outcome, WorkerStopOutcome::Ended);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowMessages, DroppedPostsReleaseWhatTheyCarry) {
    auto* w = OpenWindow("toolkit-test/sub.xml", 100, 50);
    const HWND hwnd = w->GetHWND();
    int dropped = 0;
    ASSERT_TRUE(PostMessage(hwnd, kPresence, 1, 0, [&] { ++dropped; }));
    delete w;  // before the queue ran
    Pump();
    EXPECT_EQ(dropped, 1);
}

TEST(WindowMessages, MenuChoiceAndTrayClicksReachTheOwner) {
    WindowPtr owner(OpenWindow("toolkit-test/sub.xml", 100, 50));
    std::string chosen;
    owner->onMessage = [&](UINT msg, WPARAM wParam, LPARAM) {
        if (msg == WM_MENUCLICK) {
            auto* cmd = reinterpret_cast<MenuCmd*>(wParam);
            chosen = cmd->szName;
            DeletePtr(cmd);
        }
        return 0;
    };
    auto* menu = new CMenuWnd();
    menu->Init(owner->GetHWND(), "toolkit-test/menu.xml", POINT{300, 300}, eMenuAlignment_Right | eMenuAlignment_Bottom);
    const HWND menuHandle = menu->GetHWND();
    Pump();
    EXPECT_EQ(menu->GetWindowRect().right, 300);
    EXPECT_EQ(menu->GetWindowRect().bottom, 300);
    CControlUI* exitItem = menu->FindControl("exit");
    ASSERT_NE(exitItem, nullptr);
    exitItem->Activate();
    Pump();
    EXPECT_EQ(chosen, "exit");
    EXPECT_FALSE(IsWindow(menuHandle));  // closed and deleted itself

    CTrayIcon tray;
    ASSERT_TRUE(tray.CreateTrayIcon(owner->GetHWND(), 107, "Zorv Wired Manager 1.0"));
    owner->messages.clear();
    tray.SimulateClick(false);
    tray.SimulateClick(true);
    Pump();
    ASSERT_EQ(owner->messages.size(), 2u);
    EXPECT_EQ(owner->messages[0].sender, std::to_string(WM_TRAYICON));
    EXPECT_EQ(owner->messages[0].wParam, 107u);
    EXPECT_EQ(owner->messages[0].lParam, static_cast<LPARAM>(WM_LBUTTONUP));
    EXPECT_EQ(owner->messages[1].lParam, static_cast<LPARAM>(WM_RBUTTONUP));
    tray.DeleteTrayIcon();
    EXPECT_FALSE(tray.IsCreated());
}

TEST(MessageLoop, RunsUntilQuitAndKeepsAnEarlyQuit) {
    CPaintManagerUI::PostQuitMessage(3);  // before the loop: the loop ends at once with it
    EXPECT_EQ(CPaintManagerUI::MessageLoop(), 3);

    WindowPtr w(OpenWindow("toolkit-test/sub.xml", 100, 50));
    const HWND hwnd = w->GetHWND();
    w->onMessage = [](UINT msg, WPARAM wParam, LPARAM) {
        if (msg == kPresence) CPaintManagerUI::PostQuitMessage(static_cast<int>(wParam));
        return 0;
    };
    WorkerThread worker;
    worker.Start(nullptr, [&](const WorkerArgs&) { SendMessage(hwnd, kPresence, 9, 0); });
    EXPECT_EQ(CPaintManagerUI::MessageLoop(), 9);
    worker.Stop(1000);
}

// A modal loop that ends because the application quits leaves a window that can still be closed.
TEST(WindowMessages, AModalWindowOutlivesItsLoopWhenTheApplicationQuits) {
    WindowPtr w(OpenWindow("toolkit-test/sub.xml", 100, 50));
    QTimer::singleShot(20, [] { QCoreApplication::exit(0); });
    EXPECT_EQ(w->ShowModal(), static_cast<UINT>(IDCANCEL));
    ASSERT_EQ(FromHandle(w->GetHWND()), w.get());
    w->Close(IDOK);  // would end a loop that no longer exists
    Pump();
    EXPECT_FALSE(w->IsWindowVisible());
}
