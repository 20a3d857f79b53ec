// VavozAzazoz: the audio capture program of music lighting. It captures what the desktop plays
// (or reads a WAV file), and sends spectrum and colour frames to the main window that links it.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "app/music/CaptureProtocol.h"
#include "platform/NamedMutex.h"
#include "platform/bus/MessageBus.h"
#include "tools/audiocapture/CaptureSession.h"
#include "tools/audiocapture/PulseMonitorSource.h"
#include "tools/audiocapture/WavFileSource.h"

namespace {

const char kUsage[] =
    "usage: VavozAzazoz [--wav FILE [--loop]]\n"
    "Captures the monitor of the default sound output (or plays FILE) and sends music lighting\n"
    "frames to the Zorv Wired Manager window that links it. Ends when told, or when that window\n"
    "is gone.\n";

// Several tries: the manager's watchdog probes the lock for a moment once a second.
NamedMutex::CreateResult TakeMutex(NamedMutex& mutex) {
    NamedMutex::CreateResult result = NamedMutex::CreateResult::Failed;
    for (int attempt = 0; attempt < 5; ++attempt) {
        result = mutex.Create(capture::MutexName());
        if (result != NamedMutex::CreateResult::AlreadyExists) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    std::string wavPath;
    bool loop = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--wav") == 0 && i + 1 < argc) {
            wavPath = argv[++i];
        } else if (std::strcmp(argv[i], "--loop") == 0) {
            loop = true;
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }

    std::unique_ptr<ISoundSource> source;
    if (!wavPath.empty()) {
        WavAudio audio;
        std::string error;
        if (!ReadWavFile(wavPath, audio, error)) {
            std::fprintf(stderr, "VavozAzazoz: %s\n", error.c_str());
            return 1;
        }
        source = std::make_unique<CWavFileSource>(std::move(audio), wavPath, loop);
    } else {
        source = std::make_unique<CPulseMonitorSource>();
    }

    NamedMutex mutex;
    switch (TakeMutex(mutex)) {
    case NamedMutex::CreateResult::Owned: break;
    case NamedMutex::CreateResult::AlreadyExists:
        std::fprintf(stderr, "VavozAzazoz: already running\n");
        return 0;
    case NamedMutex::CreateResult::Failed:
        std::fprintf(stderr, "VavozAzazoz: cannot create %s\n", NamedMutex::LockPath(capture::MutexName()).c_str());
        return 1;
    }

    // Signals are taken by one thread that asks the session to end.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CMessageBus bus;
    if (bus.Start() != BusStatus::Ok) {
        std::fprintf(stderr, "VavozAzazoz: no session bus\n");
        return 1;
    }
    int code = 1;
    {
        CCaptureSession session(bus, std::move(source), CaptureOptions{});
        if (session.Attach()) {
            std::thread signalWatch([&session, &signals] {
                int signal = 0;
                sigwait(&signals, &signal);
                if (signal != SIGUSR1) session.RequestEnd();
            });
            code = session.Run();
            pthread_kill(signalWatch.native_handle(), SIGUSR1);
            signalWatch.join();
        }
    }
    bus.Stop();
    return code;
}
