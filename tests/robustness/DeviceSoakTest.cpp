// The manager against a keyboard that misbehaves at random for a while (60 s by default,
// ZORV_SOAK_SECONDS=3600 for the long mode): it keeps running, comes back after every fault, and
// its memory, threads and open files do not grow.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <thread>

#include "tests/robustness/ManagerRig.h"

namespace {
using namespace robustness;

constexpr int kWaitMs = 20000;
// Heap and caches settle over a soak; growth beyond this is growth with the faults.
constexpr long kMaxGrowthKb = 16 * 1024;

// Whether the keyboard's packet log has a vendor request from the host since it was cleared.
bool HostTalked(ManagerRig& rig) { return rig.Ctl({"log"}).output.find('#') != std::string::npos; }

struct SoakLine {
    long episodes = -1, recovered = -1, notRecovered = -1;
    std::string faults;
};

std::optional<SoakLine> FindSoakLine(const std::string& log) {
    static const std::regex line(R"(soak: (\d+) episodes, (\d+) recovered, (\d+) not recovered; faults:([^\n]*))");
    std::smatch m;
    if (!std::regex_search(log, m, line)) return std::nullopt;
    return SoakLine{std::stol(m[1]), std::stol(m[2]), std::stol(m[3]), m[4]};
}

TEST(DeviceSoak, ManagerRecoversFromEveryFaultAndStaysFlat) {
    if (const std::string why = MissingPrerequisite(false, false); !why.empty()) GTEST_SKIP() << why;
    const long seconds = LongModeValue("ZORV_SOAK_SECONDS", 60);
    const long seed = LongModeValue("ZORV_SOAK_SEED", 17);
    ManagerRig rig;
    ASSERT_TRUE(rig.Open("zorv-soak")) << rig.Error();
    ASSERT_TRUE(rig.StartEmulator()) << rig.Error();
    ASSERT_TRUE(rig.StartManager("offscreen"));
    ASSERT_TRUE(rig.WaitForLog("main window: shown", kWaitMs)) << ReadFile(rig.ManagerLog());
    ASSERT_TRUE(WaitUntil([&] { return HostTalked(rig); }, kWaitMs)) << "the manager never read the keyboard";
    // Figures once the device is in use: the soak starts from here.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const ProcessFigures start = FiguresOf(rig.ManagerPid());

    // The same keyboard comes back misbehaving (an unplug and a plug-in for the manager).
    rig.KillEmulator();
    ASSERT_TRUE(rig.StartEmulator({"--soak", std::to_string(seconds), "--seed", std::to_string(seed)})) << rig.Error();
    std::optional<SoakLine> soak;
    ASSERT_TRUE(WaitUntil(
        [&] {
            soak = FindSoakLine(ReadFile(rig.EmulatorLog()));
            return soak.has_value() || !rig.ManagerRunning();
        },
        static_cast<int>(seconds * 1000 + 60000)))
        << ReadFile(rig.EmulatorLog());
    ASSERT_TRUE(rig.ManagerRunning()) << "the manager died during the soak\n" << ReadFile(rig.ManagerLog());
    ASSERT_TRUE(soak.has_value());

    // Behaving again: a sync from the keyboard makes the manager read it.
    ASSERT_EQ(rig.Ctl({"log", "--clear"}).exitCode, 0);
    ASSERT_EQ(rig.Ctl({"event", "0x0401"}).exitCode, 0);
    EXPECT_TRUE(WaitUntil([&] { return HostTalked(rig); }, kWaitMs)) << "the manager did not come back after the soak";
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const ProcessFigures end = FiguresOf(rig.ManagerPid());

    std::printf("soak %ld s (seed %ld): %ld episodes, %ld recovered, %ld not recovered; faults:%s\n", seconds, seed,
                soak->episodes, soak->recovered, soak->notRecovered, soak->faults.c_str());
    std::printf("manager: resident %ld kB -> %ld kB, threads %d -> %d, open files %d -> %d\n", start.residentKb,
                end.residentKb, start.threads, end.threads, start.openFiles, end.openFiles);

    EXPECT_GT(soak->episodes, 0);
    EXPECT_EQ(soak->notRecovered, 0) << ReadFile(rig.EmulatorLog());
    EXPECT_EQ(end.threads, start.threads);
    EXPECT_LE(end.openFiles, start.openFiles);
    if (kResidentSizeIsMeaningful) {
        EXPECT_LT(end.residentKb - start.residentKb, kMaxGrowthKb);
    }
}

}  // namespace
