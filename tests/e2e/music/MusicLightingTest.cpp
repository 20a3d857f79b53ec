// Music lighting end to end: the capture program plays a WAV file made here (silence, then
// beats), the main window reduces its frames, and the emulated keyboard's streamed frames follow.
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <future>
#include <random>

#include <QTimer>
#include <QWidget>

#include "app/music/CaptureProtocol.h"
#include "platform/DebugOutput.h"
#include "platform/NamedMutex.h"
#include "platform/Time.h"
#include "store/JsonFile.h"
#include "tests/app/dialogs/DialogTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "toolkit/UIlib.h"
#include "tests/e2e/music/MusicFixture.h"
#include "tests/support/TestWav.h"

using namespace music;
using journey::Pump;
using journey::PumpUntil;

namespace {

constexpr uint16_t kT5K1 = 0x5062;
constexpr int kEffectMusic = 26, kEffectMusicColour = 27;

int LitBytes(const std::vector<uint8_t>& frame) {
    return int(std::count_if(frame.begin(), frame.end(), [](uint8_t byte) { return byte >= kLitByte; }));
}

// Long silences, short loud beats, again and again.
const std::vector<testsupport::WavPart> kBeatLoop = {{1300, 0.0}, {150, 0.8}};

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
    const FrameStats colour = SampleFrames(keyboard, 3000);
    EXPECT_GT(colour.lit, 0) << CaptureLog();
    EXPECT_GT(colour.dark, 0);
    ASSERT_TRUE(PumpUntil([&] { return window_->Music().LastPeaks()[capture::kPeakLevel] > 200; }, 3000));
    const auto peaks = window_->Music().LastPeaks();
    EXPECT_GT(peaks[capture::kPeakRed], 200u);
    EXPECT_LT(peaks[capture::kPeakGreen], peaks[capture::kPeakRed] / 8);
    EXPECT_EQ(peaks[capture::kPeakBlue], 0u);

    // Switched on a lit frame of effect 27: keys that a music style does not draw must not keep it.
    ASSERT_TRUE(PumpUntil([&] { return LitBytes(keyboard.Snapshot().lastFrame) > 100; }, 3000));
    SetEffect(kT5K1, kEffectMusic);
    for (int mode = 0; mode <= 6; ++mode) {
        SCOPED_TRACE("audio mode " + std::to_string(mode));
        SetAudioMode(kT5K1, mode);
        Pump(50);  // frames of the style before are streamed no more
        const FrameStats stats = SampleFrames(keyboard, 3000);
        EXPECT_GT(stats.samples, 20);
        EXPECT_GT(stats.lit, 0) << "lit on the beats";
        EXPECT_GT(stats.mostLitBytes, stats.fewestLitBytes) << "the beats light more keys";
        // Silence is dark, except that style 6 draws the first key of every other row in silence
        // (three keys, red only).
        EXPECT_EQ(stats.fewestLitBytes, mode == 6 ? 3 : 0)
            << stats.samples << " frames, " << stats.lit << " lit, " << stats.dark << " dark";
        if (mode != 6) {
            EXPECT_GT(stats.dark, 0);
        }
    }
}

TEST_F(MusicTest, AfterTheLastBeatTheFramesStayDark) {
    const auto wav = dir_ / "once.wav";
    testsupport::WriteWav(wav, std::vector<testsupport::WavPart>{{400, 0.0}, {300, 0.8}});
    emu::EmulatedKeyboard* started = StartMusic(wav, false, 0);
    ASSERT_NE(started, nullptr);
    emu::EmulatedKeyboard& keyboard = *started;
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

TEST_F(MusicTest, TheMusicWindowsEditsReachTheFileAndTheCaptureProgram) {
    const auto wav = dir_ / "beats.wav";
    testsupport::WriteWav(wav, kBeatLoop);
    OpenWithCapture({kCaptureProgram, "--wav", wav.string(), "--loop"});
    Plug(kT5K1, "kbd1");
    ASSERT_TRUE(WaitConnected(kT5K1));
    ASSERT_TRUE(WaitLinked()) << CaptureLog();
    SetEffect(kT5K1, kEffectMusicColour);

    // Style 3 (blue) chosen in the music window opened from the page.
    DialogTest::WhenOpen("MusicWnd", [](DuiLib::CPaintManagerUI* m) {
        static_cast<DuiLib::COptionUI*>(m->FindControl("audio_select_tab3")->GetInterface("Option"))->Selected(true);
        m->FindControl("okbtn")->Activate();
    });
    Click(PageControl(kT5K1, "music_setting_btn"));
    const Json::Value saved = ReadJsonValue((dir_ / "AudioFile.json").string());
    EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nAudioStyle"].asInt(), 2);
    // The capture program colours its frames blue from now on; green 0 goes as 1.
    EXPECT_TRUE(PumpUntil([&] {
        const auto peaks = window_->Music().LastPeaks();
        return peaks[capture::kPeakBlue] > 200 && peaks[capture::kPeakRed] == 0;
    }, 4000));

    // Pictures of the page in effect 27, English and Chinese, at both scales.
    for (const auto& [language, file] : {std::pair{"en", "lang/lan_en.xml"}, std::pair{"zh", "lang/lan_cn.xml"}}) {
        ASSERT_TRUE(DuiLib::CResourceManager::GetInstance()->LoadLanguage(file));
        DuiLib::CPaintManagerUI::ReloadAllText();
        Engine(kT5K1)->RefreshPage();
        for (const int dpi : {96, 144}) {
            window_->ApplyInterfaceScale(dpi);
            PumpUntil([&] { return window_->Music().LastPeaks()[capture::kPeakLevel] > 200; }, 2000);
            Pump(40);
            Screenshot(std::string("music_page_effect27_") + language + "_" + std::to_string(dpi));
        }
    }
    window_->ApplyInterfaceScale(96);
    DuiLib::CResourceManager::GetInstance()->ResetTextMap();
}

TEST_F(MusicTest, DataCopiesFromOtherProgramsOrOfTheWrongSizeAreDropped) {
    const auto wav = dir_ / "silence.wav";
    testsupport::WriteWav(wav, std::vector<testsupport::WavPart>{{500, 0.0}});
    emu::EmulatedKeyboard* started = StartMusic(wav, false, 0);
    ASSERT_NE(started, nullptr);
    emu::EmulatedKeyboard& keyboard = *started;
    const uint64_t main = window_->GetHWND();
    const uint64_t capture = window_->Music().Link().CaptureWindow();
    const uint64_t stranger = NewWindowHandle();
    std::vector<uint8_t> loud(capture::kSpectrumBytes);
    for (size_t i = 0; i < capture::kSpectrumValues; ++i) capture::PutWord(&loud[i * 4], 2500);
    std::mt19937 random(3);
    std::vector<uint8_t> garbage(capture::kSpectrumBytes);
    for (uint8_t& byte : garbage) byte = uint8_t(random());

    const struct {
        const char* what;
        uint64_t sender;
        uint64_t id;
        std::vector<uint8_t> bytes;
        int64_t answer;
        BusStatus status = BusStatus::Ok;  // an undocumented id is refused by the bus itself
    } cases[] = {
        {"loud spectrum from another program", stranger, capture::kSpectrumDataId, loud, 0},
        {"colours from another program", stranger, capture::kPeakDataId, std::vector<uint8_t>(24, 0xFF), 0},
        {"short spectrum", capture, capture::kSpectrumDataId, std::vector<uint8_t>(1999, 0xFF), 0},
        {"short colours", capture, capture::kPeakDataId, std::vector<uint8_t>(3, 0xFF), 0},
        {"an unknown id", capture, 99, loud, 0, BusStatus::Refused},
        {"a long spectrum", capture, capture::kSpectrumDataId, std::vector<uint8_t>(6000, 0), 1},
        {"garbage of the right size", capture, capture::kSpectrumDataId, garbage, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Sent from another thread: this one is the window's and must go on handling messages.
        auto sending = std::async(std::launch::async, [&] {
            return bus_.CopyDataTo(BusTarget::ByHandle(main), c.sender, c.id, c.bytes, 3000);
        });
        ASSERT_TRUE(PumpUntil([&] { return sending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 4000));
        const BusAnswer answer = sending.get();
        EXPECT_EQ(answer.status, c.status);
        if (c.status == BusStatus::Ok) {
            EXPECT_EQ(answer.value, c.answer);
        }
    }
    // None of it lit the keyboard beyond the garbage's flash, which ends with the capture
    // program's next frame (an unchanged one is repeated once a second); the silence goes on.
    Pump(1500);
    const FrameStats after = SampleFrames(keyboard, 800);
    EXPECT_GT(after.samples, 10);
    EXPECT_EQ(after.lit, 0);
    EXPECT_TRUE(DuiLib::IsWindow(window_->GetHWND()));
}

TEST_F(MusicTest, AMissingCaptureProgramIsReportedOnceAndTheManagerWorksOn) {
    // Every message box that shows up is counted and confirmed, for the whole test.
    int boxes = 0;
    std::string text;
    DuiLib::CPaintManagerUI* answered = nullptr;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        DuiLib::CPaintManagerUI* m = DialogTest::FindManager("MsgWnd");
        if (!m || m == answered || !m->GetHostWidget() || !m->GetHostWidget()->isVisible()) return;
        answered = m;
        ++boxes;
        text = m->FindControl("MessageText")->GetText();
        m->FindControl("confirm_btn")->Activate();
    });
    watcher.start(5);
    OpenWithCapture({(dir_ / "no-such-program").string()});
    // The start failure shows once the window is set up; later checks find no program and stay quiet.
    ASSERT_TRUE(PumpUntil([&] { return boxes == 1; }, 5000));
    EXPECT_NE(text.find("VavozAzazoz"), std::string::npos) << text;  // "Record open failed!" in the current language
    emu::EmulatedKeyboard& keyboard = Plug(kT5K1, "kbd1");
    ASSERT_TRUE(WaitConnected(kT5K1));
    keyboard.ClearPacketLog();
    SetEffect(kT5K1, 6);
    EXPECT_TRUE(PumpUntil([&] { return Received(keyboard, 0x06); }));
    Pump(2500);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(window_->Music().Link().CaptureWindow(), 0u);
}

TEST_F(MusicTest, ACrashedCaptureProgramIsNoticedAndARestartedOneIsLinkedAgain) {
    const auto wav = dir_ / "beats.wav";
    testsupport::WriteWav(wav, kBeatLoop);
    emu::EmulatedKeyboard* started = StartMusic(wav, true, 0);
    ASSERT_NE(started, nullptr);
    emu::EmulatedKeyboard& keyboard = *started;
    ASSERT_GT(SampleFrames(keyboard, 1200).lit, 0);

    DebugCapture debug;
    const pid_t crashed = CaptureProcess(wav);
    ASSERT_GT(crashed, 0);
    kill(crashed, SIGKILL);
    ASSERT_TRUE(PumpUntil([&] { return debug.Contains("music: the capture program has ended; music lighting stays dark until it runs again"); }, 4000));
    EXPECT_EQ(window_->Music().Link().CaptureWindow(), 0u);
    const FrameStats dark = SampleFrames(keyboard, 1200);
    EXPECT_EQ(dark.lit, 0);
    keyboard.ClearPacketLog();
    SetEffect(kT5K1, 6);
    EXPECT_TRUE(PumpUntil([&] { return Received(keyboard, 0x06); })) << "the manager works on";
    SetEffect(kT5K1, kEffectMusic);

    // Started again (by the user, or a session manager): found, linked, and the beats come back.
    const pid_t restarted = testsupport::Spawn({kCaptureProgram, "--wav", wav.string(), "--loop"}, dir_ / "restart.log");
    ASSERT_TRUE(PumpUntil([&] { return debug.Contains("music: capture program linked"); }, 5000));
    EXPECT_GT(SampleFrames(keyboard, 1500).lit, 0);
    window_->Close(DuiLib::IDOK);
    int status = -1;
    EXPECT_TRUE(PumpUntil([&] { return waitpid(restarted, &status, WNOHANG) == restarted; }, 5000))
        << "told to end with the window";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(MusicTest, AHungCaptureProgramCostsOneTimeOutAndIsTakenBackWhenItAnswers) {
    const auto wav = dir_ / "beats.wav";
    testsupport::WriteWav(wav, kBeatLoop);
    emu::EmulatedKeyboard* started = StartMusic(wav, true, 0);
    ASSERT_NE(started, nullptr);
    emu::EmulatedKeyboard& keyboard = *started;
    const pid_t capture = CaptureProcess(wav);
    ASSERT_GT(capture, 0);
    kill(capture, SIGSTOP);

    // A style edit waits for the hung program once, then the window goes on.
    DebugCapture debug;
    uint32_t confirmed = 0;
    DialogTest::WhenOpen("MusicWnd", [&confirmed](DuiLib::CPaintManagerUI* m) {
        confirmed = GetTickCount();
        m->FindControl("okbtn")->Activate();
    });
    Click(PageControl(kT5K1, "music_setting_btn"));
    // One time-out of 1500 ms after the edit was confirmed, not the bus's 5 s or several.
    ASSERT_NE(confirmed, 0u);
    EXPECT_LT(GetTickCount() - confirmed, 3000u);
    EXPECT_EQ(debug.Count("music: the capture program did not answer the style (timed out)"), 1u);
    EXPECT_EQ(window_->Music().Link().CaptureWindow(), 0u);
    keyboard.ClearPacketLog();
    SetEffect(kT5K1, 6);
    EXPECT_TRUE(PumpUntil([&] { return Received(keyboard, 0x06); }));
    SetEffect(kT5K1, kEffectMusic);

    kill(capture, SIGCONT);
    EXPECT_TRUE(PumpUntil([&] { return debug.Contains("music: the capture program answers again"); }, 5000));
    EXPECT_GT(SampleFrames(keyboard, 1500).lit, 0);
}
