// The capture program as the main window meets it over a private session bus: its window names,
// the control codes, the style, the frames, and its ways to end.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "app/music/CaptureProtocol.h"
#include "platform/NamedMutex.h"
#include "platform/bus/MessageBus.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestWav.h"

namespace fs = std::filesystem;
using namespace capture;
using testsupport::Spawn;

namespace {

const std::string kProgram = std::string(ZORV_BIN_DIR) + "/VavozAzazoz";

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

// Plays the main window: takes the data copies the capture program sends.
class FakeMainWindow : public IBusWindow {
public:
    void OnBusMessage(const BusMessage&) override {}
    void OnBusSend(const BusMessage&, BusReply reply) override { reply.Answer(0); }
    void OnBusCopyData(const BusCopyData& data, BusReply reply) override {
        std::lock_guard<std::mutex> hold(lock);
        if (data.dataId == kSpectrumDataId) {
            ++spectra;
            spectrumSize = data.bytes.size();
        } else if (data.dataId == kPeakDataId && data.bytes.size() == kPeakBytes) {
            ++colours;
            for (size_t i = 0; i < kPeakValues; ++i) peaks[i] = GetWord(&data.bytes[i * 4]);
        }
        sender = data.senderHandle;
        reply.Answer(1);
    }
    std::mutex lock;
    int spectra = 0, colours = 0;
    size_t spectrumSize = 0;
    uint64_t sender = 0;
    std::array<uint32_t, kPeakValues> peaks{};
};

class CaptureProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path("/tmp") / ("zorv-capture-" + std::to_string(getpid()) + "-" +
                                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "run");
        setenv("XDG_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
        const fs::path socket = dir_ / "bus";
        daemon_ = Spawn({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + socket.string()}, dir_ / "bus.log");
        if (!WaitFor([&] { return fs::exists(socket); })) GTEST_SKIP() << "no session bus: dbus-daemon could not be started";
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket.string()).c_str(), 1);
        if (bus_.Start() != BusStatus::Ok) GTEST_SKIP() << "no session bus";
        main_ = NewWindowHandle();
        ASSERT_EQ(bus_.RegisterWindow(main_, "Zorv Wired Manager 1.0", "MainWnd", &window_).status, BusStatus::Ok);
        testsupport::WriteWav(dir_ / "beats.wav", std::vector<testsupport::WavPart>{{300, 0.0}, {200, 0.8}});
    }
    void TearDown() override {
        for (pid_t pid : programs_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (main_) bus_.UnregisterWindow(main_);
        bus_.Stop();
        if (daemon_ > 0) {
            kill(daemon_, SIGTERM);
            waitpid(daemon_, nullptr, 0);
        }
        fs::remove_all(dir_);
    }

    pid_t Start(const std::string& log = "capture.log") {
        const pid_t pid = Spawn({kProgram, "--wav", (dir_ / "beats.wav").string(), "--loop"}, dir_ / log);
        programs_.push_back(pid);
        return pid;
    }
    uint64_t FindCapture() {
        uint64_t handle = 0;
        WaitFor([&] { return (handle = bus_.FindWindow(WindowClass(), WindowTitle(), 200)) != 0; });
        return handle;
    }
    std::optional<int64_t> Control(uint64_t capture, uint64_t code, int64_t lParam = 0) {
        return bus_.SendMessageTo(BusTarget::ByHandle(capture), kControlMessage, code, lParam, 2000);
    }
    int Spectra() {
        std::lock_guard<std::mutex> hold(window_.lock);
        return window_.spectra;
    }
    // Exit code once it ended by itself, -1 when it is still running after the time-out.
    int WaitEnded(pid_t pid, int timeoutMs) {
        int status = 0;
        if (!WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs)) return -1;
        std::erase(programs_, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }

    fs::path dir_;
    pid_t daemon_ = -1;
    CMessageBus bus_;
    FakeMainWindow window_;
    uint64_t main_ = 0;
    std::vector<pid_t> programs_;
};

TEST_F(CaptureProgramTest, LinkedItSendsFramesAndTheStyleColourAndObeysTheCodes) {
    const pid_t pid = Start();
    const uint64_t capture = FindCapture();
    ASSERT_NE(capture, 0u) << "window found by class and title";
    EXPECT_TRUE(NamedMutex::IsHeld(MutexName()));
    // Before the link nothing is sent.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Spectra(), 0);

    EXPECT_EQ(Control(capture, kLink, int64_t(main_)), 1);
    EXPECT_EQ(Control(capture, kResetAnalysis), 1);
    EXPECT_EQ(Control(capture, kStartSending), 1);
    // The bus refuses a code out of range before the program sees it; either way it does nothing.
    const std::optional<int64_t> unknown = Control(capture, 9);
    EXPECT_TRUE(!unknown || *unknown == 0) << "an unknown code is refused";
    const auto style = StyleRecord(0, 1, 9);
    EXPECT_EQ(bus_.CopyDataTo(BusTarget::ByHandle(capture), main_, kStyleDataId, style, 2000).value, 1);
    ASSERT_TRUE(WaitFor([&] { return Spectra() > 20; }));
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> hold(window_.lock);
        return window_.peaks[kPeakLevel] > 200;
    }));
    {
        std::lock_guard<std::mutex> hold(window_.lock);
        EXPECT_EQ(window_.spectrumSize, kSpectrumBytes);
        EXPECT_EQ(window_.sender, capture);
        EXPECT_EQ(window_.peaks[kPeakRed], 0u);
        EXPECT_GT(window_.peaks[kPeakBlue], 200u);
        EXPECT_LT(window_.peaks[kPeakGreen], 30u);
    }

    // Stopped, nothing more arrives; code 5 ends it.
    EXPECT_EQ(Control(capture, kStopSending), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int stopped = Spectra();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Spectra(), stopped);
    EXPECT_EQ(Control(capture, kCloseInput), 1);
    EXPECT_EQ(Control(capture, kQuit), 1);
    EXPECT_EQ(WaitEnded(pid, 3000), 0);
    EXPECT_FALSE(NamedMutex::IsHeld(MutexName()));
}

TEST_F(CaptureProgramTest, ASecondOneEndsAtOnceAndTheFirstEndsWhenTheMainWindowIsGone) {
    const pid_t first = Start();
    const uint64_t capture = FindCapture();
    ASSERT_NE(capture, 0u);
    const pid_t second = Start("second.log");
    EXPECT_EQ(WaitEnded(second, 3000), 0) << "already running";

    ASSERT_EQ(Control(capture, kLink, int64_t(main_)), 1);
    ASSERT_EQ(Control(capture, kStartSending), 1);
    ASSERT_TRUE(WaitFor([&] { return Spectra() > 0; }));
    bus_.UnregisterWindow(main_);
    main_ = 0;
    EXPECT_EQ(WaitEnded(first, 4000), 0) << "ends once the main window is gone";
}

TEST_F(CaptureProgramTest, SigtermEndsItAndBadArgumentsAreRefused) {
    const pid_t pid = Start();
    ASSERT_NE(FindCapture(), 0u);
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitEnded(pid, 3000), 0);
    const struct {
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {{kProgram, "--bogus"}, 2},
        {{kProgram, "--wav", (dir_ / "missing.wav").string()}, 1},
        {{kProgram, "--help"}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(testsupport::WaitExit(Spawn(c.args, dir_ / "args.log"), 3000), c.code) << c.args[1];
}

}  // namespace
