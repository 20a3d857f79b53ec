// Music lighting end to end: the capture program plays a WAV file made here (silence, then
// beats), the main window reduces its frames, and the emulated keyboard's streamed frames follow.
#include <sys/wait.h>

#include "app/music/CaptureProtocol.h"
#include "platform/NamedMutex.h"
#include "tests/e2e/music/MusicFixture.h"
#include "tests/support/TestWav.h"

using namespace music;
using journey::Pump;
using journey::PumpUntil;

namespace {

constexpr uint16_t kT5K1 = 0x5062;
constexpr int kEffectMusic = 26, kEffectMusicColour = 27;

// Long silences, short loud beats, again and again.
const std::vector<testsupport::WavPart> kBeatLoop = {{900, 0.0}, {150, 0.8}};

}  // namespace

TEST_F(MusicTest, BeatsOfAWavFileLightTheKeyboardInEveryMusicStyleAndSilenceDarkensIt) {
    const auto wav = dir_ / "beats.wav";
    testsupport::WriteWav(wav, kBeatLoop);
    OpenWithCapture({kCaptureProgram, "--wav", wav.string(), "--loop"});
    emu::EmulatedKeyboard& keyboard = Plug(kT5K1, "kbd1");
    ASSERT_TRUE(WaitConnected(kT5K1));
    ASSERT_TRUE(WaitLinked()) << CaptureLog();

    // Effect 27 shows the style's colour: style 1 of the shipped file is red (9, 0, 0), which
    // goes to the capture program as (9, 1, 0).
    SetEffect(kT5K1, kEffectMusicColour);
    const FrameStats colour = SampleFrames(keyboard, 2200);
    EXPECT_GT(colour.lit, 0) << CaptureLog();
    EXPECT_GT(colour.dark, 0);
    ASSERT_TRUE(PumpUntil([&] { return window_->Music().LastPeaks()[capture::kPeakLevel] > 200; }, 3000));
    const auto peaks = window_->Music().LastPeaks();
    EXPECT_GT(peaks[capture::kPeakRed], 200u);
    EXPECT_LT(peaks[capture::kPeakGreen], peaks[capture::kPeakRed] / 8);
    EXPECT_EQ(peaks[capture::kPeakBlue], 0u);

    SetEffect(kT5K1, kEffectMusic);
    for (int mode = 0; mode <= 6; ++mode) {
        SCOPED_TRACE("audio mode " + std::to_string(mode));
        SetAudioMode(kT5K1, mode);
        const FrameStats stats = SampleFrames(keyboard, 2300);
        EXPECT_GT(stats.samples, 20);
        EXPECT_GT(stats.lit, 0) << "lit on the beats";
        // Style 6 keeps the first column of every other row lit in silence; the others go dark.
        if (mode != 6) {
            EXPECT_GT(stats.dark, 0) << "dark in the silences";
        }
        EXPECT_GT(stats.mostLitBytes, stats.fewestLitBytes + 5) << "the beats light more keys";
    }
}

TEST_F(MusicTest, AfterTheLastBeatTheFramesStayDark) {
    const auto wav = dir_ / "once.wav";
    testsupport::WriteWav(wav, {{400, 0.0}, {300, 0.8}});
    OpenWithCapture({kCaptureProgram, "--wav", wav.string()});
    emu::EmulatedKeyboard& keyboard = Plug(kT5K1, "kbd1");
    ASSERT_TRUE(WaitConnected(kT5K1));
    ASSERT_TRUE(WaitLinked()) << CaptureLog();
    SetEffect(kT5K1, kEffectMusic);
    SetAudioMode(kT5K1, 0);
    Pump(2000);  // the file has been played by now; the capture goes on with silence
    const FrameStats stats = SampleFrames(keyboard, 1000);
    EXPECT_GT(stats.samples, 10);
    EXPECT_EQ(stats.lit, 0);
    EXPECT_EQ(stats.dark, stats.samples);
}

TEST_F(MusicTest, ClosingTheWindowEndsTheCaptureProgram) {
    const auto wav = dir_ / "beats.wav";
    testsupport::WriteWav(wav, kBeatLoop);
    OpenWithCapture({kCaptureProgram, "--wav", wav.string(), "--loop"});
    ASSERT_TRUE(WaitLinked()) << CaptureLog();
    EXPECT_TRUE(NamedMutex::IsHeld(capture::MutexName()));
    window_->Close(DuiLib::IDOK);
    ASSERT_TRUE(PumpUntil([] { return !NamedMutex::IsHeld(capture::MutexName()); }, 5000)) << CaptureLog();
}

TEST_F(MusicTest, TheCaptureProgramFollowsWhatTheSoundServerPlaysAndItsDefaultOutput) {
    if (const std::string reason = StartSoundServer(); !reason.empty()) GTEST_SKIP() << reason;
    const auto wav = dir_ / "played.wav";
    std::vector<testsupport::WavPart> parts;
    for (int beat = 0; beat < 4; ++beat) parts.insert(parts.end(), kBeatLoop.begin(), kBeatLoop.end());
    testsupport::WriteWav(wav, parts);
    OpenWithCapture({kCaptureProgram});
    emu::EmulatedKeyboard& keyboard = Plug(kT5K1, "kbd1");
    ASSERT_TRUE(WaitConnected(kT5K1));
    ASSERT_TRUE(WaitLinked()) << CaptureLog();
    ASSERT_TRUE(PumpUntil([&] { return CaptureLog().find("capturing zorv_null.monitor") != std::string::npos; }))
        << CaptureLog();
    SetEffect(kT5K1, kEffectMusic);
    SetAudioMode(kT5K1, 0);

    // Nothing plays: dark.
    const FrameStats quiet = SampleFrames(keyboard, 800);
    EXPECT_GT(quiet.samples, 10);
    EXPECT_EQ(quiet.lit, 0);

    // The file played into the default output reaches the keyboard through its monitor.
    PlayInBackground(wav, "zorv_null");
    const FrameStats played = SampleFrames(keyboard, 3000);
    EXPECT_GT(played.lit, 0) << CaptureLog();
    EXPECT_GT(played.dark, 0);

    // Another default output: the capture moves to its monitor.
    ASSERT_EQ(SoundTool({"pactl", "set-default-sink", "zorv_other"}), 0);
    ASSERT_TRUE(PumpUntil([&] { return CaptureLog().find("capturing zorv_other.monitor") != std::string::npos; }))
        << CaptureLog();
    PlayInBackground(wav, "zorv_other");
    const FrameStats moved = SampleFrames(keyboard, 3000);
    EXPECT_GT(moved.lit, 0) << CaptureLog();
}
