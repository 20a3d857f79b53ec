#pragma once
// The main window of this process on a private session bus, with the real capture program and
// emulated keyboards: music lighting as a user meets it.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/bus/MessageBus.h"
#include "tests/e2e/journey/JourneyFixture.h"
#include "tests/support/SoundServer.h"

namespace music {

inline const std::string kBin = ZORV_BIN_DIR;
inline const std::string kCaptureProgram = kBin + "/VavozAzazoz";

struct FrameStats {
    int samples = 0;
    int dark = 0;  // every byte below kDarkByte
    int lit = 0;   // some byte at kLitByte or more
    // Bytes at kLitByte or more in the quietest and the brightest frame.
    int fewestLitBytes = 1 << 30;
    int mostLitBytes = 0;
};
inline constexpr int kDarkByte = 16;
inline constexpr int kLitByte = 128;

class MusicTest : public journey::JourneyTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The main window with the capture program started as given (program first).
    CMainWnd& OpenWithCapture(const std::vector<std::string>& argv);
    bool WaitLinked(int timeoutMs = 8000);
    // The window with the capture program playing the file, one keyboard connected and linked,
    // in effect 26 with the audio mode given. Fails the test (and returns null) when it cannot.
    emu::EmulatedKeyboard* StartMusic(const std::filesystem::path& wav, bool loop, int audioMode);
    // The keyboard's streamed frames sampled every 10 ms for a while.
    FrameStats SampleFrames(const emu::EmulatedKeyboard& keyboard, int milliseconds);
    void SetEffect(uint16_t productId, int effect);
    // Music record of effect 26: audio mode, black background, red foreground, no cycling.
    void SetAudioMode(uint16_t productId, int mode);
    std::string CaptureLog() const;
    // The capture program this test started: the process whose arguments hold the test's WAV
    // path (the program runs detached, so its id is found this way); -1 when there is none.
    pid_t CaptureProcess(const std::filesystem::path& wav) const;
    std::filesystem::path RuntimeDir() const { return dir_ / "run"; }
    // A PulseAudio server of the test's own with two null outputs ("zorv_null", the default, and
    // "zorv_other"); an empty reason when it runs, else why not.
    std::string StartSoundServer();
    // Runs a sound tool (pactl, paplay) against that server; its exit code.
    int SoundTool(const std::vector<std::string>& argv, int timeoutMs = 10000);
    pid_t PlayInBackground(const std::filesystem::path& wav, const std::string& sink);

    CMessageBus bus_;
    pid_t busDaemon_ = -1;
    testsupport::SoundServer sound_;
    std::vector<pid_t> players_;
};

}  // namespace music
