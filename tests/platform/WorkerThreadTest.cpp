#include <gtest/gtest.h>

#include <atomic>

#include "platform/DebugOutput.h"
#include "platform/Time.h"
#include "platform/WorkerThread.h"

TEST(WorkerThread, LoopsUntilStoppedAndLogsTheEndedLine) {
    DebugCapture log;
    std::atomic<int> passes{0};
    int owner = 7;
    WorkerThread worker;
    worker.Start(&owner, [&](const WorkerArgs& args) {
        EXPECT_EQ(args.owner, &owner);
        while (WorkerKeepRunning(args)) ++passes;
        DebugOutput("KB灯光线程设定退出");
    });
    while (passes < 3) Sleep(1);
    EXPECT_EQ(worker.Stop(1000), WorkerStopOutcome::Ended);
    EXPECT_FALSE(worker.Running());
    EXPECT_EQ(log.Count("KB灯光线程设定退出"), 1u);
    EXPECT_EQ(log.Count("线程退出：：对象处于激发状态\n"), 1u);
}

TEST(WorkerThread, StopRightAfterStartIsNotLost) {
    for (int i = 0; i < 50; ++i) {
        WorkerThread worker;
        worker.Start(nullptr, [](const WorkerArgs& args) {
            while (WorkerKeepRunning(args)) {
            }
        });
        EXPECT_EQ(worker.Stop(1000), WorkerStopOutcome::Ended);
    }
}

TEST(WorkerThread, LateWorkerIsReportedAsTimeoutAndStillJoined) {
    DebugCapture log;
    std::atomic<bool> finished{false};
    WorkerThread worker;
    worker.Start(nullptr, [&](const WorkerArgs& args) {
        while (WorkerKeepRunning(args)) {
        }
        Sleep(80);  // slower than the owner's patience
        finished = true;
    });
    EXPECT_EQ(worker.Stop(10), WorkerStopOutcome::TimedOut);
    EXPECT_TRUE(finished.load());
    EXPECT_EQ(log.Count("线程退出：：对象处于非激发状态，超时\n"), 1u);
}

// A body blocked in a call that watches only its own event (a device read with no time-out) ends
// because the stop runs the interrupt; the destructor's quiet stop does the same.
TEST(WorkerThread, InterruptWakesABodyBlockedOutsideTheStopEvent) {
    for (const bool byDestructor : {false, true}) {
        SCOPED_TRACE(byDestructor ? "destructor" : "Stop");
        Event device(true, false);
        std::atomic<int> interrupts{0};
        std::atomic<bool> ended{false};
        {
            WorkerThread worker;
            worker.Start(
                nullptr,
                [&](const WorkerArgs&) {
                    device.Wait(INFINITE);
                    ended = true;
                },
                1000,
                [&] {
                    ++interrupts;
                    device.Set();
                });
            Sleep(20);
            EXPECT_FALSE(ended.load());
            if (!byDestructor) {
                EXPECT_EQ(worker.Stop(1000), WorkerStopOutcome::Ended);
            }
        }
        EXPECT_TRUE(ended.load());
        EXPECT_EQ(interrupts.load(), 1);
    }
}

TEST(WorkerThread, StopLinesOfTheUpdateWindow) {
    DebugCapture log;
    WorkerThread worker;
    worker.Start(nullptr, [](const WorkerArgs&) {});
    EXPECT_EQ(worker.Stop(500, kObjectStopLines), WorkerStopOutcome::Ended);
    EXPECT_EQ(log.Count("所有对象处于激发状态\n"), 1u);
    EXPECT_EQ(worker.Stop(500), WorkerStopOutcome::NotRunning);
}

TEST(WorkerThread, SleepingWorkerWakesForItsEventAndEndsOnStop) {
    DebugCapture log;
    Event wake(false, false);
    std::atomic<int> wakes{0};
    WorkerThread worker;
    // Nothing is due: the worker sleeps until woken, and a stop ends it at once.
    worker.Start(nullptr, [&](const WorkerArgs& args) {
        while (WorkerSleep(args, wake, INFINITE)) ++wakes;
    });
    for (int i = 1; i <= 3; ++i) {
        wake.Set();
        while (wakes.load() < i) Sleep(1);
    }
    Sleep(20);
    EXPECT_EQ(wakes.load(), 3) << "a sleeping worker passed without being woken";
    EXPECT_EQ(worker.Stop(1000), WorkerStopOutcome::Ended);
    EXPECT_EQ(log.Count("线程退出：：对象处于激发状态\n"), 1u);
}

TEST(WorkerThread, WaitOnANoticeSourceTellsStopTimeoutAndReady) {
    Event stop(true, false);
    Event notice(true, false);
    const WorkerArgs args{nullptr, &stop};
    EXPECT_EQ(WorkerWaitFd(args, notice.Fd(), 5), WorkerWake::Timeout);
    EXPECT_EQ(WorkerWaitFd(args, -1, 5), WorkerWake::Timeout);  // no source: a plain timed sleep
    notice.Set();
    EXPECT_EQ(WorkerWaitFd(args, notice.Fd(), INFINITE), WorkerWake::Ready);
    stop.Set();
    EXPECT_EQ(WorkerWaitFd(args, notice.Fd(), INFINITE), WorkerWake::Stop) << "a stop wins over a notice";
    Event wake(false, true);
    EXPECT_FALSE(WorkerSleep(args, wake, INFINITE)) << "a stop wins over a wake-up";
}
