// The emulator's soak mode in process: faults come one after another, and stopping it mid-episode
// ends its thread at once and leaves the keyboard plugged in and behaving.
#include <chrono>
#include <thread>

#include "tests/e2e/device/EmulatedKeyboardFixture.h"
#include "tools/zorv-emulator/SoakDriver.h"

using SoakDriverTest = EmulatedKeyboardTest;

TEST_F(SoakDriverTest, StopsAtOnceAndLeavesTheKeyboardBehaving) {
    EmulatedKeyboard& keyboard = Plug(0x5062);
    emu::SoakOptions options;
    options.seconds = 600;
    options.seed = 3;
    options.recoveryWaitMs = 200;  // nobody talks to it here: every episode ends unanswered
    emu::SoakDriver driver(keyboard, options);
    driver.Start();
    std::this_thread::sleep_for(std::chrono::seconds(3));

    const auto before = std::chrono::steady_clock::now();
    driver.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
    const emu::SoakFigures figures = driver.Figures();
    EXPECT_GE(figures.episodes, 1u);
    EXPECT_EQ(figures.recovered, 0u);
    uint64_t faults = 0;
    for (const auto& [kind, count] : figures.faults) faults += count;
    EXPECT_EQ(faults, figures.episodes);
    EXPECT_EQ(keyboard.DescribeFaults(), "none\n");
    EXPECT_TRUE(keyboard.Plugged());
    EXPECT_NE(emu::FormatSoakFigures(figures).find("soak: "), std::string::npos);
}
