#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/Event.h"
#include "platform/Time.h"

TEST(Event, ManualResetStaysSetForEveryWaiterUntilReset) {
    Event e(true, false);
    EXPECT_EQ(e.Wait(0), WaitResult::Timeout);
    e.Set();
    EXPECT_EQ(e.Wait(0), WaitResult::Signaled);
    EXPECT_EQ(e.Wait(0), WaitResult::Signaled);
    e.Reset();
    EXPECT_EQ(e.Wait(0), WaitResult::Timeout);
}

TEST(Event, AutoResetReleasesExactlyOneWaiter) {
    Event e(false, false);
    e.Set();
    e.Set();  // a second set before any wait does not count twice
    EXPECT_EQ(e.Wait(0), WaitResult::Signaled);
    EXPECT_EQ(e.Wait(0), WaitResult::Timeout);

    std::atomic<int> released{0};
    std::thread a([&] { released += e.Wait(300) == WaitResult::Signaled; });
    std::thread b([&] { released += e.Wait(300) == WaitResult::Signaled; });
    Sleep(30);
    e.Set();
    a.join();
    b.join();
    EXPECT_EQ(released.load(), 1);
}

TEST(Event, WaitAnyReturnsFirstSignalledInOrderAndTimesOut) {
    Event abort(false), done(false);
    Event* both[] = {&abort, &done};
    EXPECT_EQ(Event::WaitAny(both, 2, 5), -1);
    done.Set();
    EXPECT_EQ(Event::WaitAny(both, 2, 5), 1);
    abort.Set();
    done.Set();
    EXPECT_EQ(Event::WaitAny(both, 2, 5), 0);  // the first handle wins when both are set
    EXPECT_EQ(Event::WaitAny(both, 2, 5), 1);
}

TEST(Event, InfiniteWaitWakesOnSetFromAnotherThread) {
    Event e(true);
    std::thread setter([&] {
        Sleep(20);
        e.Set();
    });
    uint32_t start = GetTickCount();
    EXPECT_EQ(e.Wait(INFINITE), WaitResult::Signaled);
    EXPECT_LT(GetTickCount() - start, 2000u);
    setter.join();
}

TEST(TickCount, AdvancesWithSleep) {
    uint32_t start = GetTickCount();
    Sleep(15);
    EXPECT_GE(GetTickCount() - start, 15u);
}
