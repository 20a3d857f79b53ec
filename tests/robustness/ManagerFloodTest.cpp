// The manager under a flood of messages from another program (10 000 a second for 10 s by
// default; ZORV_FLOOD_SECONDS and ZORV_FLOOD_RATE change it): its window keeps answering, its memory
// stays bounded, and a well-behaved program still gets through afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/bus/BusNames.h"
#include "tests/robustness/BusFlood.h"
#include "tests/robustness/ManagerRig.h"

namespace {
using namespace robustness;

constexpr int kProbePeriodMs = 100;
// A window that does not answer within this is blocked, not slow.
constexpr double kBlockedMs = 2000;
// The flood may cost some memory (queues, the log), not memory in proportion to the flood.
constexpr long kMaxGrowthKb = 32 * 1024;

void PrintProbe(const char* what, const ProbeFigures& p) {
    std::printf("%s: %zu answers, median %.1f ms, p95 %.1f ms, max %.1f ms, %d unanswered\n", what,
                p.answerMs.size(), p.Percentile(50), p.Percentile(95), p.Max(), p.unanswered);
}

TEST(ManagerFlood, WindowKeepsAnsweringAndMemoryStaysBounded) {
    if (const std::string why = MissingPrerequisite(false, false); !why.empty()) GTEST_SKIP() << why;
    const int seconds = static_cast<int>(LongModeValue("ZORV_FLOOD_SECONDS", 10));
    const int rate = static_cast<int>(LongModeValue("ZORV_FLOOD_RATE", 10000));
    ManagerRig rig;
    ASSERT_TRUE(rig.Open("zorv-flood")) << rig.Error();
    ASSERT_TRUE(rig.StartManager("offscreen"));
    ASSERT_TRUE(rig.WaitForLog("main window: shown", 15000)) << ReadFile(rig.ManagerLog());
    const std::string window = TitleBusName(ManagerRig::kWindowTitle);

    // Idle: how fast the window answers a sent message, and its memory.
    AnswerProbe calm(window, "UWM_MOUSEMOVE_USER_MSG");
    calm.Start(kProbePeriodMs);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const ProbeFigures before = calm.Stop();
    const ProcessFigures start = FiguresOf(rig.ManagerPid());
    ASSERT_GT(before.answerMs.size(), 0u) << "the window does not answer at all\n" << ReadFile(rig.ManagerLog());

    // Game_Kill with arguments in range: admitted and handled, the costliest thing to flood with.
    BusFlooder flooder(window, "Game_Kill", 0, 1);
    AnswerProbe probe(window, "UWM_MOUSEMOVE_USER_MSG");
    flooder.Start(rate, seconds);
    probe.Start(kProbePeriodMs);
    long peakKb = start.residentKb;
    for (int i = 0; i < seconds * 4; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        peakKb = std::max(peakKb, FiguresOf(rig.ManagerPid()).residentKb);
    }
    const FloodFigures flood = flooder.Join();
    const ProbeFigures during = probe.Stop();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const ProcessFigures end = FiguresOf(rig.ManagerPid());

    ASSERT_TRUE(rig.ManagerRunning()) << ReadFile(rig.ManagerLog());
    std::printf("flood: %llu messages in %.1f s (%.0f a second), %llu send errors\n",
                static_cast<unsigned long long>(flood.sent), flood.seconds,
                flood.seconds > 0 ? flood.sent / flood.seconds : 0.0,
                static_cast<unsigned long long>(flood.sendErrors));
    PrintProbe("answers before", before);
    PrintProbe("answers during", during);
    std::printf("memory: %ld kB before, %ld kB peak, %ld kB after; threads %d -> %d\n", start.residentKb, peakKb,
                end.residentKb, start.threads, end.threads);

    EXPECT_EQ(during.unanswered, 0) << "sent messages went unanswered during the flood";
    EXPECT_GT(during.answerMs.size(), static_cast<size_t>(seconds * 1000 / kProbePeriodMs / 4))
        << "the window answered too few calls during the flood";
    EXPECT_LT(during.Max(), kBlockedMs) << "the window was blocked during the flood";
    if (kResidentSizeIsMeaningful) {
        EXPECT_LT(peakKb - start.residentKb, kMaxGrowthKb) << "memory grew with the flood";
    }
    // The flood was refused beyond the sender's share, and said so once.
    const std::string log = ReadFile(rig.ManagerLog());
    EXPECT_NE(log.find("more than 1000 messages a second from this sender"), std::string::npos);

    // Afterwards a program that sends now and then is served at once.
    const ToolResult after = rig.Run({std::string(ZORV_BIN_DIR) + "/zorv-msg", "send", "--title",
                                      ManagerRig::kWindowTitle, "Game_End", "1", "7"});
    EXPECT_EQ(after.exitCode, 0) << after.output;
    EXPECT_TRUE(rig.WaitForLog("main window: game message 1 7", 5000));
}

}  // namespace
