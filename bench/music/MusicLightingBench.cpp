// Music lighting figures, measured by hand (never in CI): the time from a beat in the WAV file the
// capture program plays to the first lit frame the emulated keyboard receives, where that time
// goes, and the CPU of this process (main window offscreen, its threads and the in-process
// emulated keyboard) in effect 26 with the music playing. Runs on a private session bus.
//
// The process runs its event loop as the program does (no busy polling that would take a core
// from the threads measured). Frame times come afterwards from the emulator's packet log: its
// frame packets are played again into a firmware of the same layout, which tells when each
// frame was complete and whether it was lit; the log's clock is set against ours by one request
// made between two readings of our clock. Once the main window has linked the capture program,
// the bench restarts the file itself (codes 4 and 1, answered once the program has queued them):
// the beats are due at that answer + 1000 ms + k x 2500 ms, to within a millisecond or two.
// Usage: bench_music_lighting [beats (default 8)] [CPU seconds (default 10)]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/devicelist/DeviceList.h"
#include "app/music/CaptureData.h"
#include "app/music/CaptureProtocol.h"
#include "app/routing/ControlBuilder.h"
#include "app/shell/AppMessages.h"
#include "app/shell/MainWnd.h"
#include "device/channel/ChannelCodes.h"
#include "device/registry/ModelTables.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestWav.h"
#include "toolkit/UIlib.h"
#include "tools/audiocapture/SpectrumAnalyser.h"
#include "tools/zorv-emulator/EmulatedKeyboard.h"
#include "tools/zorv-emulator/KeyboardFirmware.h"

namespace fs = std::filesystem;
using namespace DuiLib;

namespace {

constexpr int kSilenceMs = 1000;
constexpr int kBeatMs = 200;
constexpr int kPeriodMs = 2500;
constexpr int kLitByte = 128;

// Runs the event loop, sleeping between events, for this long.
void RunFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool RunUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        RunFor(10);
    }
    return true;
}

struct StreamedFrame {
    uint32_t tick;  // when its last packet arrived
    bool lit;
};

// The frames the keyboard received, from its packet log.
std::vector<StreamedFrame> StreamedFrames(const emu::EmulatedKeyboard& keyboard, uint32_t logStart) {
    emu::KeyboardFirmware replay(keyboard.Layout(), emu::KeyboardMemory::Factory(keyboard.Layout()));
    std::vector<StreamedFrame> frames;
    for (const emu::PacketLogEntry& entry : keyboard.PacketLogEntries()) {
        if (entry.bytes.size() < emu::kPayloadOffset || entry.bytes.size() > emu::kPacketSize ||
            entry.bytes[emu::kCommandByte] != uint8_t(emu::KeyboardCommand::StreamLightFrame))
            continue;
        emu::VendorPacket packet{};
        std::memcpy(packet.data(), entry.bytes.data(), entry.bytes.size());
        const uint32_t before = replay.FrameCount();
        replay.Execute(packet);
        if (replay.FrameCount() == before) continue;
        const auto& frame = replay.LastFrame();
        frames.push_back({logStart + entry.timeMs, std::any_of(frame.begin(), frame.end(), [](uint8_t b) { return b >= kLitByte; })});
    }
    return frames;
}

int Median(std::vector<int> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Microseconds one band reduction of data copy 1 takes on the UI thread (median of many).
double BandReductionMicroseconds() {
    CAudioBandReducer reducer;
    std::vector<uint8_t> bytes(capture::kSpectrumBytes);
    std::vector<int> times;
    for (int round = 0; round < 200; ++round) {
        for (size_t i = 0; i < capture::kSpectrumValues; ++i) capture::PutWord(&bytes[i * 4], uint32_t((i * 37 + round * 11) % 3000));
        const auto start = std::chrono::steady_clock::now();
        const auto bands = reducer.Reduce(bytes);
        times.push_back(int(std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count()));
        if (!bands) return -1;
    }
    return Median(times) / 1000.0;
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

        std::atomic<uint32_t> linked{0};
        SetDebugSink([&linked](const std::string& line) {
            if (line == "music: capture program linked" && linked.load() == 0) linked = GetTickCount();
        });
        CMainWnd window(&bus);
        window.Music().Link().SetCommand({std::string(ZORV_BIN_DIR) + "/VavozAzazoz", "--wav", (dir / "beats.wav").string(), "--loop"});
        window.Music().SetFilePaths((dir / "AudioFile.json").string(), std::string(ZORV_SKIN_DIR) + "../DefaultData/AudioFile.json");
        window.Create(0, kAppInstanceName, kMainWindowStyle, 0, 0, 0, 800, 572);
        CTorvanelKeyboardDevice* engine = nullptr;
        RunUntil([&] {
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

        if (!RunUntil([&] { return linked.load() != 0; }, 10000)) {
            std::fprintf(stderr, "the capture program was not linked\n");
            return 2;
        }
        // The file starts again from its beginning when the input is closed and opened again.
        RunFor(300);
        const BusTarget capture = BusTarget::ByHandle(window.Music().Link().CaptureWindow());
        if (!bus.SendMessageTo(capture, capture::kControlMessage, capture::kCloseInput, 0, 2000) ||
            !bus.SendMessageTo(capture, capture::kControlMessage, capture::kStartSending, 0, 2000)) {
            std::fprintf(stderr, "the capture program did not answer\n");
            return 2;
        }
        const uint32_t started = GetTickCount();
        // The packet log's clock against ours: one request between two readings.
        uint8_t param = 0;
        const uint32_t requested = GetTickCount();
        engine->CommandChannel().ReadParams(&param, 1, 0);
        const uint32_t answered = GetTickCount();
        uint32_t logStart = requested;
        for (const emu::PacketLogEntry& entry : keyboard.PacketLogEntries())
            if (entry.bytes.size() > emu::kCommandByte && entry.bytes[emu::kCommandByte] == kCmdReadParams)
                logStart = requested - entry.timeMs;
        RunFor(kSilenceMs + beats * kPeriodMs);
        const std::vector<StreamedFrame> frames = StreamedFrames(keyboard, logStart);
        std::vector<int> latencies, intervals;
        for (size_t i = 1; i < frames.size(); ++i)
            if (int32_t(frames[i - 1].tick - started) >= 0) intervals.push_back(int(frames[i].tick - frames[i - 1].tick));
        for (int beat = 0; beat < beats; ++beat) {
            const uint32_t due = started + kSilenceMs + uint32_t(beat) * kPeriodMs;
            // The first lit frame after the dark ones before the beat.
            const auto first = std::find_if(frames.begin(), frames.end(), [due](const StreamedFrame& f) {
                return f.lit && int32_t(f.tick - (due - kSilenceMs / 2)) >= 0;
            });
            if (first != frames.end() && int32_t(first->tick - (due + kPeriodMs / 2)) < 0)
                latencies.push_back(int(int32_t(first->tick - due)));
        }
        if (!latencies.empty()) {
            std::printf("beat in the WAV to the first lit frame at the emulator: median %d ms, min %d ms, max %d ms (%zu of %d beats; in order:",
                        Median(latencies), *std::min_element(latencies.begin(), latencies.end()),
                        *std::max_element(latencies.begin(), latencies.end()), latencies.size(), beats);
            for (int latency : latencies) std::printf(" %d", latency);
            std::printf(")\n");
        } else {
            std::printf("no lit frame seen after any beat\n");
        }
        std::printf("clocks: the request that set the packet log's clock took %u ms\n", answered - requested);
        std::printf("where it goes: the capture program's frames come every %.1f ms (%zu samples at 44.1 kHz); "
                    "one band reduction takes %.1f us; the keyboard gets a frame every %d ms (median; longest gap %d ms)\n",
                    1000.0 * double(CSpectrumAnalyser::kHop) / 44100.0, CSpectrumAnalyser::kHop, BandReductionMicroseconds(),
                    Median(intervals), intervals.empty() ? -1 : *std::max_element(intervals.begin(), intervals.end()));

        auto cpuShare = [cpuSeconds] {
            const double before = CpuSeconds();
            QElapsedTimer clock;
            clock.start();
            RunFor(cpuSeconds * 1000);
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
        RunFor(500);
        SetDebugSink(nullptr);
        status = latencies.empty() ? 1 : 0;
        bus.Stop();
    }
    kill(daemon, SIGTERM);
    waitpid(daemon, nullptr, 0);
    fs::remove_all(dir);
    return status;
}
