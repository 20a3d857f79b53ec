// The manager executable under a display and a session bus: single instance and messages from
// other programs, sent with zorv-msg.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace {
const std::string kBin = ZORV_BIN_DIR;

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

using testsupport::Spawn;
using testsupport::WaitExit;

class ManagerProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY") || !std::getenv("DBUS_SESSION_BUS_ADDRESS"))
            GTEST_SKIP() << "needs a display and a session bus";
        char pattern[] = "/tmp/zorv-shell-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::filesystem::create_directories(dir_ / "runtime");
        std::filesystem::create_directories(dir_ / "hid");
        setenv("XDG_RUNTIME_DIR", (dir_ / "runtime").c_str(), 1);
        setenv("ZORV_HID_EMULATOR_DIR", (dir_ / "hid").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        setenv("ZORV_DEBUG", "1", 1);
        first_ = Spawn({kBin + "/zorv-wired-manager"}, Log());
        ASSERT_TRUE(WaitForLog("main window: shown")) << ReadFile(Log());
    }
    void TearDown() override {
        if (first_ > 0) {
            kill(first_, SIGKILL);
            waitpid(first_, nullptr, 0);
        }
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }

    std::filesystem::path Log() const { return dir_ / "manager.log"; }
    bool WaitForLog(const std::string& fragment, int timeoutMs = 8000) const {
        for (int waited = 0; waited < timeoutMs; waited += 50) {
            if (ReadFile(Log()).find(fragment) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    int Msg(std::vector<std::string> args) {
        args.insert(args.begin(), kBin + "/zorv-msg");
        return WaitExit(Spawn(args, dir_ / "msg.out"), 10000);
    }

    std::filesystem::path dir_;
    pid_t first_ = -1;
};
}  // namespace

TEST_F(ManagerProcessTest, SecondStartExitsZeroAndBringsTheFirstToTheFront) {
    const pid_t second = Spawn({kBin + "/zorv-wired-manager"}, dir_ / "second.log");
    EXPECT_EQ(WaitExit(second, 10000), 0) << ReadFile(dir_ / "second.log");
    EXPECT_EQ(ReadFile(dir_ / "second.log").find("InitWindow"), std::string::npos) << "the second start made a window";
    EXPECT_TRUE(WaitForLog("main window: brought to front")) << ReadFile(Log());
    EXPECT_EQ(waitpid(first_, nullptr, WNOHANG), 0) << "the first instance must keep running";
}

TEST_F(ManagerProcessTest, AdmittedMessagesArriveAndOthersAreDropped) {
    const std::string title = "Zorv Wired Manager 1.0";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* logLine;
    } cases[] = {
        {{"post", "--title", title, "Game_Kill", "1", "5"}, 0, "main window: game message 1 5"},
        {{"post", "--title", title, "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1", "0"}, 0,
         "main window: lighting control off"},
        {{"send", "--title", title, "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1", "1"}, 0,
         "main window: lighting control on"},
        // Sent, so that the refusal comes back to the sender.
        {{"send", "--title", title, "Not_A_Known_Message", "1", "2"}, 1, "not a registered message"},
        {{"send", "--title", title, "WM_HOOK_KEY_KBMACRO_MSG", "1", "2"}, 1, "bus: dropped"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Msg(c.args), c.exitCode) << c.args[3] << ": " << ReadFile(dir_ / "msg.out");
        EXPECT_TRUE(WaitForLog(c.logLine)) << c.args[3] << "\n" << ReadFile(Log());
    }
    EXPECT_EQ(ReadFile(Log()).find("game message 1 2"), std::string::npos);
}

TEST_F(ManagerProcessTest, DeviceListRequestReachesTheServiceToolWindow) {
    const pid_t tool = Spawn({kBin + "/zorv-msg", "listen", "--title", "ZuzaZoro", "--count", "1"}, dir_ / "tool.out");
    for (int i = 0; i < 100 && ReadFile(dir_ / "tool.out").find("listening") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Msg({"post", "--title", "Zorv Wired Manager 1.0", "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}", "0", "0"}), 0);
    EXPECT_EQ(WaitExit(tool, 10000), 0) << ReadFile(dir_ / "tool.out");
    const std::string got = ReadFile(dir_ / "tool.out");
    EXPECT_NE(got.find("id=5"), std::string::npos) << got;
    EXPECT_NE(got.find("1024"), std::string::npos) << got;
}

TEST_F(ManagerProcessTest, TerminationSignalsEndTheProgramTheWayTheTrayExitDoes) {
    for (const int signal : {SIGTERM, SIGINT}) {
        if (first_ < 0) {
            // Else the last run's lines would answer the wait before the new one has started.
            std::filesystem::remove(Log());
            first_ = Spawn({kBin + "/zorv-wired-manager"}, Log());
            ASSERT_TRUE(WaitForLog("main window: shown")) << ReadFile(Log());
        }
        ASSERT_EQ(kill(first_, signal), 0);
        EXPECT_EQ(WaitExit(first_, 10000), 0) << signal << "\n" << ReadFile(Log());
        first_ = -1;
        const std::string log = ReadFile(Log());
        for (const char* line : {"signals: termination signal", "退出测试", "抓取设备线程设定退出"})
            EXPECT_NE(log.find(line), std::string::npos) << signal << ": " << line << "\n" << log;
    }
}
