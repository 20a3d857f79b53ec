#include "tests/e2e/music/MusicFixture.h"

#include <signal.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QTimer>

#include <fstream>
#include <sstream>

#include "app/devicelist/DeviceList.h"
#include "app/shell/AppMessages.h"
#include "platform/Time.h"
#include "tests/support/ChildProcess.h"
#include "toolkit/UIlib.h"

using namespace DuiLib;

namespace music {

void MusicTest::SetUp() {
    JourneyTest::SetUp();
    // The window of the test before quit the application as it closed; a modal loop of this test
    // (the music window) would end at once. Running the application loop once clears that.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    // A private runtime folder keeps the capture program's lock apart from any other run.
    std::filesystem::create_directories(RuntimeDir());
    setenv("XDG_RUNTIME_DIR", RuntimeDir().c_str(), 1);
    const std::filesystem::path socket = dir_ / "bus";
    busDaemon_ = testsupport::Spawn({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + socket.string()},
                                    dir_ / "bus.log");
    if (!journey::PumpUntil([&] { return std::filesystem::exists(socket); }, 5000))
        GTEST_SKIP() << "no session bus: dbus-daemon could not be started";
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket.string()).c_str(), 1);
    if (bus_.Start() != BusStatus::Ok) GTEST_SKIP() << "no session bus";
}

void MusicTest::TearDown() {
    // Closing the window tells the capture program to end.
    if (window_ && IsWindow(window_->GetHWND())) window_->Close(IDOK);
    journey::Pump(300);
    window_.reset();
    bus_.Stop();
    for (pid_t player : players_) {
        kill(player, SIGKILL);
        waitpid(player, nullptr, 0);
    }
    sound_.Stop();
    if (busDaemon_ > 0) {
        kill(busDaemon_, SIGTERM);
        waitpid(busDaemon_, nullptr, 0);
    }
    JourneyTest::TearDown();
}

CMainWnd& MusicTest::OpenWithCapture(const std::vector<std::string>& argv) {
    window_ = std::make_unique<CMainWnd>(&bus_);
    // The program's own output goes to a file of the test, for the failure messages.
    std::vector<std::string> command = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>>" + (dir_ / "capture.log").string()};
    command.insert(command.end(), argv.begin(), argv.end());
    if (!std::filesystem::exists(argv.at(0))) command = argv;  // a missing program stays missing
    window_->Music().Link().SetCommand(command);
    window_->Music().SetFilePaths((dir_ / "AudioFile.json").string(), std::string(ZORV_SOURCE_DIR) + "/resources/DefaultData/AudioFile.json");
    window_->Create(0, kAppInstanceName, kMainWindowStyle, 0, 0, 0, 800, 572);
    return *window_;
}

bool MusicTest::WaitLinked(int timeoutMs) {
    return journey::PumpUntil([&] { return window_->Music().Link().CaptureWindow() != 0; }, timeoutMs);
}

emu::EmulatedKeyboard* MusicTest::StartMusic(const std::filesystem::path& wav, bool loop, int audioMode) {
    std::vector<std::string> argv = {kCaptureProgram, "--wav", wav.string()};
    if (loop) argv.push_back("--loop");
    OpenWithCapture(argv);
    emu::EmulatedKeyboard& keyboard = Plug(0x5062, "kbd1");
    if (!WaitConnected(0x5062)) {
        ADD_FAILURE() << "the keyboard did not connect";
        return nullptr;
    }
    if (!WaitLinked()) {
        ADD_FAILURE() << "the capture program was not linked: " << CaptureLog();
        return nullptr;
    }
    SetEffect(0x5062, 26);
    SetAudioMode(0x5062, audioMode);
    return &keyboard;
}

FrameStats MusicTest::SampleFrames(const emu::EmulatedKeyboard& keyboard, int milliseconds) {
    FrameStats stats;
    const uint32_t end = GetTickCount() + uint32_t(milliseconds);
    uint32_t lastCount = 0;
    while (int32_t(end - GetTickCount()) > 0) {
        journey::Pump(10);
        const emu::KeyboardSnapshot snapshot = keyboard.Snapshot();
        if (snapshot.frameCount == lastCount || snapshot.lastFrame.empty()) continue;
        lastCount = snapshot.frameCount;
        int peak = 0, litBytes = 0;
        for (uint8_t byte : snapshot.lastFrame) {
            peak = std::max(peak, int(byte));
            litBytes += byte >= kLitByte ? 1 : 0;
        }
        stats.fewestLitBytes = std::min(stats.fewestLitBytes, litBytes);
        stats.mostLitBytes = std::max(stats.mostLitBytes, litBytes);
        ++stats.samples;
        stats.dark += peak < kDarkByte ? 1 : 0;
        stats.lit += peak >= kLitByte ? 1 : 0;
    }
    return stats;
}

void MusicTest::SetEffect(uint16_t productId, int effect) {
    CComboUI* combo = PageControlAs<CComboUI>(productId, "light_combo_modeSelect", "Combo");
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(combo->SelectItem(effect));
    journey::Pump(30);
    ASSERT_EQ(Engine(productId)->GetLightState()[0] & 0xFF, uint32_t(effect));
}

void MusicTest::SetAudioMode(uint16_t productId, int mode) {
    // Bytes: mode, background R G B, foreground R G B, seven-colour, edit foreground.
    const std::array<uint32_t, 3> words = {uint32_t(mode), 0xFFu, 1u};
    Engine(productId)->SetAudioLight(words);
}

std::string MusicTest::StartSoundServer() {
    return sound_.Start(dir_, RuntimeDir(), {"module-null-sink sink_name=zorv_null", "module-null-sink sink_name=zorv_other"},
                        "zorv_null", [](const std::function<bool()>& condition, int timeoutMs) {
                            return journey::PumpUntil(condition, timeoutMs);
                        });
}

int MusicTest::SoundTool(const std::vector<std::string>& argv, int timeoutMs) { return sound_.Tool(argv, timeoutMs); }

pid_t MusicTest::PlayInBackground(const std::filesystem::path& wav, const std::string& sink) {
    const pid_t player = testsupport::Spawn({"paplay", "--device=" + sink, wav.string()}, dir_ / "paplay.log");
    players_.push_back(player);
    return player;
}

pid_t MusicTest::CaptureProcess(const std::filesystem::path& wav) const {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        if (cmdline.find("VavozAzazoz") != std::string::npos && cmdline.find(wav.string()) != std::string::npos &&
            cmdline.find("/bin/sh") == std::string::npos)
            return static_cast<pid_t>(std::stol(name));
    }
    return -1;
}

std::string MusicTest::CaptureLog() const {
    std::ifstream in(dir_ / "capture.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace music
