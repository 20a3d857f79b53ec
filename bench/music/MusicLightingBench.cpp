// Music lighting figures, measured by hand (never in CI): the time from a beat in the WAV file the
// capture program plays to the first lit frame the emulated keyboard receives, and the CPU of
// this process (main window offscreen, its threads and the in-process emulated keyboard) in
// effect 26 with the music playing. Runs on a private session bus.
// Usage: bench_music_lighting [beats (default 8)] [CPU seconds (default 10)]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/devicelist/DeviceList.h"
#include "app/music/CaptureProtocol.h"
#include "app/routing/ControlBuilder.h"
#include "app/shell/AppMessages.h"
#include "app/shell/MainWnd.h"
#include "device/registry/ModelTables.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestWav.h"
#include "toolkit/UIlib.h"
#include "tools/zorv-emulator/EmulatedKeyboard.h"

namespace fs = std::filesystem;
using namespace DuiLib;

namespace {

constexpr int kSilenceMs = 1000;
constexpr int kBeatMs = 200;
constexpr int kPeriodMs = 2500;
constexpr int kLitByte = 128;

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

bool Lit(const emu::EmulatedKeyboard& keyboard) {
    const auto frame = keyboard.Snapshot().lastFrame;
    return std::any_of(frame.begin(), frame.end(), [](uint8_t b) { return b >= kLitByte; });
}

double CpuSeconds() {
    std::ifstream in("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15) ticks += std::stol(field);
    return double(ticks) / double(sysconf(_SC_CLK_TCK));
}

}  // namespace

int main(int argc, char** argv) {
    const int beats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const int cpuSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char pattern[] = "/tmp/zorv-bench-music-XXXXXX";
    if (!mkdtemp(pattern)) return 2;
    const fs::path dir = pattern;
    fs::create_directories(dir / "run");
    setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("ZORV_HID_EMULATOR_DIR", dir.c_str(), 1);
    const pid_t daemon = testsupport::Spawn(
        {"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + (dir / "bus").string()}, dir / "bus.log");
    for (int i = 0; i < 200 && !fs::exists(dir / "bus"); ++i) usleep(10000);
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (dir / "bus").string()).c_str(), 1);

    CPaintManagerUI::SetInstance();
    CPaintManagerUI::SetResourcePath(ZORV_SKIN_DIR);
    CResourceManager::GetInstance()->LoadResource("res.xml");
    RegisterAppInstanceMessage();
    RegisterControlClasses();
    RegisterApplicationMessages();
    int status = 1;
    {
        CMessageBus bus;
        if (bus.Start() != BusStatus::Ok) {
            std::fprintf(stderr, "no session bus\n");
            return 2;
        }
        testsupport::WriteWav(dir / "beats.wav", std::vector<testsupport::WavPart>{{kSilenceMs, 0.0}, {kBeatMs, 0.8},
                                                                                 {kPeriodMs - kSilenceMs - kBeatMs, 0.0}});
        emu::EmulatorOptions options;
        options.dir = dir.string();
        options.name = "bench";
        emu::EmulatedKeyboard keyboard(options);
        std::string error;
        if (!keyboard.Start(error)) return 2;

        DebugCapture debug;
        uint32_t linked = 0;
        auto noteLink = [&] {
            if (!linked && debug.Contains("music: capture program linked")) linked = GetTickCount();
        };
        CMainWnd window(&bus);
        window.Music().Link().SetCommand({std::string(ZORV_BIN_DIR) + "/VavozAzazoz", "--wav", (dir / "beats.wav").string(), "--loop"});
        window.Music().SetFilePaths((dir / "AudioFile.json").string(), std::string(ZORV_SKIN_DIR) + "../DefaultData/AudioFile.json");
        window.Create(0, kAppInstanceName, kMainWindowStyle, 0, 0, 0, 800, 572);
        CTorvanelKeyboardDevice* engine = nullptr;
        PumpUntil([&] {
            noteLink();
            if (!window.DeviceList()) return false;
            for (const DevicePageRecord& page : window.DeviceList()->Pages())
                if (page.engine && page.engine->CommandChannel().IsConnected())
                    engine = static_cast<CTorvanelKeyboardDevice*>(page.engine->GetInterface(CTorvanelKeyboardDevice::kClassName));
            return engine && engine->DeviceKeyCount() > 0;
        }, 10000);
        if (!engine) {
            std::fprintf(stderr, "the keyboard did not connect\n");
            return 2;
        }
        // Effect 26, audio mode 0, black background, red foreground, full brightness.
        auto state = engine->GetLightState();
        state[0] = (state[0] & 0xFFFF0000u) | 26u | (4u << 8);
        engine->SetLightState(state);
        engine->ApplyLighting();
        engine->SetAudioLight({0u, 0xFFu, 1u});

        // The capture program starts its file when it is told to send (code 1 of the link), which
        // is the last step of the link: the beats fall at link + 1000 ms + k x 2500 ms.
        if (!PumpUntil([&] {
                noteLink();
                return linked != 0;
            }, 10000)) {
            std::fprintf(stderr, "the capture program was not linked\n");
            return 2;
        }
        std::vector<int> latencies;
        for (int beat = 0; beat < beats; ++beat) {
            const uint32_t due = linked + kSilenceMs + uint32_t(beat) * kPeriodMs;
            PumpUntil([&] { return int32_t(GetTickCount() - (due - 300)) >= 0 && !Lit(keyboard); }, kPeriodMs);
            if (!PumpUntil([&] { return Lit(keyboard); }, kPeriodMs)) continue;
            latencies.push_back(int(int32_t(GetTickCount() - due)));
        }
        std::sort(latencies.begin(), latencies.end());
        if (!latencies.empty())
            std::printf("beat in the WAV to the first lit frame at the emulator: median %d ms, min %d ms, max %d ms (%zu of %d beats)\n",
                        latencies[latencies.size() / 2], latencies.front(), latencies.back(), latencies.size(), beats);
        else
            std::printf("no lit frame seen after any beat\n");

        auto cpuShare = [cpuSeconds] {
            const double before = CpuSeconds();
            QElapsedTimer clock;
            clock.start();
            PumpUntil([] { return false; }, cpuSeconds * 1000);
            return 100.0 * (CpuSeconds() - before) / (double(clock.elapsed()) / 1000.0);
        };
        const double playing = cpuShare();
        // The same with the capture program told to stop sending: effect 26 without music.
        bus.SendMessageTo(BusTarget::ByHandle(window.Music().Link().CaptureWindow()), capture::kControlMessage,
                          capture::kStopSending, 0, 2000);
        const double quiet = cpuShare();
        std::printf("CPU of this process in effect 26 (main window offscreen, in-process emulated keyboard included), "
                    "%d s each: %.1f %% of one core with music playing, %.1f %% without music\n",
                    cpuSeconds, playing, quiet);
        window.Close(IDOK);
        PumpUntil([] { return false; }, 500);
        status = latencies.empty() ? 1 : 0;
        bus.Stop();
    }
    kill(daemon, SIGTERM);
    waitpid(daemon, nullptr, 0);
    fs::remove_all(dir);
    return status;
}
