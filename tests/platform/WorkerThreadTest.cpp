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

TEST(WorkerThread, StopLinesOfTheUpdateWindow) {
    DebugCapture log;
    WorkerThread worker;
    worker.Start(nullptr, [](const WorkerArgs&) {});
    EXPECT_EQ(worker.Stop(500, kObjectStopLines), WorkerStopOutcome::Ended);
    EXPECT_EQ(log.Count("所有对象处于激发状态\n"), 1u);
    EXPECT_EQ(worker.Stop(500), WorkerStopOutcome::NotRunning);
}
