// The headset as a user meets it: its device file makes the emulated headset a product of the
// device list; its page streams the lighting in zone reports, and its microphone slider sets the
// microphone of a real sound server through the audio library in the program folder.
#include <QElapsedTimer>

#include <filesystem>
#include <regex>

#include "app/devicelist/DeviceList.h"
#include "device/registry/ModelRegistry.h"
#include "engines/headset/TorvanelHS6533Device.h"
#include "tests/e2e/journey/JourneyFixture.h"
#include "tests/support/SoundServer.h"
#include "toolkit/Button.h"
#include "toolkit/Slider.h"
#include "tools/zorv-emulator/HeadsetEmulator.h"

using namespace journey;
namespace fs = std::filesystem;

namespace {

using testsupport::Percents;

class HeadsetJourneyTest : public JourneyTest {
protected:
    // The library finds its endpoints once per process, so the server comes first: an output and
    // a microphone that carry the headset's USB ids.
    static void SetUpTestSuite() {
        JourneyTest::SetUpTestSuite();
        const char* root = std::getenv("ZORV_TEST_TMP");
        folder_ = fs::path(root && *root ? root : "/tmp/zorv-headset-journey") / "sound";
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        const std::string ids = "device.vendor.id=0c76 device.product.id=1630";
        serverError_ = server_.Start(folder_, folder_ / "run",
                                     {"module-null-sink sink_name=zorv_headset sink_properties='" + ids + "'",
                                      "module-null-sink sink_name=zorv_mic_bus",
                                      "module-remap-source master=zorv_mic_bus.monitor source_name=zorv_headset_mic "
                                      "source_properties='" + ids + "'"},
                                     "zorv_headset");
    }
    static void TearDownTestSuite() { server_.Stop(); }

    void SetUp() override {
        JourneyTest::SetUp();
        ResetModelRegistry();
        const DeviceFileReport report = LoadDeviceFiles(DeviceFileFolders());
        for (const std::string& problem : report.problems) ADD_FAILURE() << problem;
    }
    void TearDown() override {
        JourneyTest::TearDown();
        headset_.reset();
        ResetModelRegistry();
    }

    emu::EmulatedHeadset& PlugHeadset() {
        emu::AccessoryOptions options;
        options.name = "headset";
        options.dir = dir_.string();
        headset_ = std::make_unique<emu::EmulatedHeadset>(options);
        std::string error;
        EXPECT_TRUE(headset_->Start(error)) << error;
        return *headset_;
    }

    CTorvanelHS6533Device* HeadsetEngine() const {
        if (!window_ || !window_->DeviceList()) return nullptr;
        for (const DevicePageRecord& page : window_->DeviceList()->Pages())
            if (page.engine)
                if (void* headset = page.engine->GetInterface(CTorvanelHS6533Device::kClassName))
                    return static_cast<CTorvanelHS6533Device*>(headset);
        return nullptr;
    }

    // Connects the page of a fresh window to the plugged headset.
    CTorvanelHS6533Device* OpenAndConnect() {
        Open();
        if (!headset_) PlugHeadset();
        const bool connected = PumpUntil([&] {
            CTorvanelHS6533Device* engine = HeadsetEngine();
            return engine && engine->CommandChannel().IsConnected();
        }, 8000);
        Pump(600);  // the page's connection timer reads the profile and the audio state
        return connected ? HeadsetEngine() : nullptr;
    }
    // What a click on a panel option does: its state flips, the window hears "selectchanged".
    void Choose(CTorvanelHS6533Device& engine, const std::string& name, bool selected) {
        auto* option = static_cast<DuiLib::COptionUI*>(engine.FindSubControl(name)->GetInterface("Option"));
        ASSERT_NE(option, nullptr) << name;
        option->Selected(selected, false);
        Raise(option, "selectchanged");
    }
    void Slide(CTorvanelHS6533Device& engine, const std::string& name, int value) {
        auto* slider = static_cast<DuiLib::CSliderUI*>(engine.FindSubControl(name)->GetInterface("Slider"));
        ASSERT_NE(slider, nullptr) << name;
        slider->SetValue(value);
        Raise(slider, "valuechanged");
    }
    static std::string Pactl(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {"pactl"};
        argv.insert(argv.end(), args.begin(), args.end());
        return server_.Query(argv);
    }
    static bool ModuleLoaded(const std::string& fragment) {
        return Pactl({"list", "short", "modules"}).find(fragment) != std::string::npos;
    }
    static bool PluginInstalled(const char* file) {
        return fs::exists(fs::path("/usr/lib/ladspa") / file) || fs::exists(fs::path("/usr/lib/x86_64-linux-gnu/ladspa") / file);
    }

    static inline fs::path folder_;
    static inline std::string serverError_;
    static inline testsupport::SoundServer server_;
    std::unique_ptr<emu::EmulatedHeadset> headset_;
};

TEST_F(HeadsetJourneyTest, PageStreamsZoneReportsAndItsSliderSetsTheMicrophone) {
    if (!serverError_.empty()) GTEST_SKIP() << serverError_;
    Open();
    PlugHeadset();
    ASSERT_TRUE(PumpUntil([&] {
        CTorvanelHS6533Device* engine = HeadsetEngine();
        return engine && engine->CommandChannel().IsConnected();
    }, 8000)) << "the headset's page did not connect";
    CTorvanelHS6533Device* engine = HeadsetEngine();
    EXPECT_TRUE(EntryShown(0x1630));

    // The program controls the lights: whole frames of twelve zone reports reach the headset, in
    // their order (target, then colour and half).
    ASSERT_TRUE(PumpUntil([&] { return headset_->Snapshot().zoneReports.size() >= 24; }, 5000));
    const std::vector<std::vector<uint8_t>> reports = headset_->Snapshot().zoneReports;
    const uint8_t order[12][2] = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD}, {0x22, 0xAB}, {0x22, 0xAE},
                                  {0x44, 0xAB}, {0x44, 0xAE}, {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
    size_t first = 0;
    while (first < reports.size() && !(reports[first][1] == 0x22 && reports[first][2] == 0xAA)) ++first;
    ASSERT_LE(first + 12, reports.size());
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(reports[first + i][1], order[i][0]) << i;
        EXPECT_EQ(reports[first + i][2], order[i][1]) << i;
        for (size_t b = 4; b <= 10; ++b) EXPECT_LE(reports[first + i][b], 0xF7) << i;
    }

    // The microphone slider: the headset's microphone on the sound server takes the level, and the
    // profile keeps it.
    auto* slider = static_cast<DuiLib::CSliderUI*>(engine->FindSubControl("6533_MicIn_slider")->GetInterface("Slider"));
    ASSERT_NE(slider, nullptr);
    slider->SetValue(37);
    Raise(slider, "valuechanged");
    ASSERT_TRUE(PumpUntil([&] {
        return Percents(server_.Query({"pactl", "get-source-volume", "zorv_headset_mic"})) == std::vector<int>{37, 37};
    }, 5000)) << server_.Query({"pactl", "get-source-volume", "zorv_headset_mic"});
    EXPECT_EQ(engine->AudioState().MicInValue, 37);
    Screenshot("journey_headset_page");
}

}  // namespace

namespace {

// Every control of the audio panels, through the window, against the sound server as pactl sees it.
TEST_F(HeadsetJourneyTest, AudioPanelsSetTheSoundServerAndTheStateIsReadBackAtStart) {
    if (!serverError_.empty()) GTEST_SKIP() << serverError_;
    CTorvanelHS6533Device* engine = OpenAndConnect();
    ASSERT_NE(engine, nullptr) << "the headset's page did not connect";
    auto mute = [] { return Pactl({"get-source-mute", "zorv_headset_mic"}); };

    // Microphone off and on again (the option shows "on").
    Choose(*engine, "6533_MicIn_option", false);
    EXPECT_TRUE(PumpUntil([&] { return mute().find("yes") != std::string::npos; }, 3000)) << mute();
    EXPECT_EQ(engine->AudioState().MicInSelect, 0);
    Choose(*engine, "6533_MicIn_option", true);
    EXPECT_TRUE(PumpUntil([&] { return mute().find("no") != std::string::npos; }, 3000)) << mute();
    EXPECT_EQ(engine->AudioState().MicInSelect, 1);

    // Monitoring: on starts a loopback from the microphone to the headset, its level follows the
    // slider, off removes it.
    const std::string loopback = "module-loopback\tsource=zorv_headset_mic sink=zorv_headset";
    Choose(*engine, "6533_MicMoniter_option", true);
    EXPECT_TRUE(PumpUntil([&] { return ModuleLoaded(loopback); }, 3000)) << Pactl({"list", "short", "modules"});
    Slide(*engine, "6533_MicMoniter_slider", 60);
    EXPECT_TRUE(PumpUntil([&] { return Pactl({"list", "sink-inputs"}).find("/  60% /") != std::string::npos; }, 3000))
        << Pactl({"list", "sink-inputs"});
    EXPECT_EQ(engine->AudioState().MicMoniterValue, 60);
    Choose(*engine, "6533_MicMoniter_option", false);
    EXPECT_TRUE(PumpUntil([&] { return !ModuleLoaded(loopback); }, 3000));

    // Preset 5 switches the equaliser on with ten zeros; a band moved by hand makes it custom.
    Choose(*engine, "6533_eq_option_5", true);
    EXPECT_EQ(engine->AudioState().EqType, 5);
    EXPECT_EQ(engine->Gains(), std::vector<int>(10, 0));
    if (PluginInstalled("mbeq_1197.so")) {
        EXPECT_TRUE(PumpUntil([&] { return ModuleLoaded("mbeq"); }, 3000)) << Pactl({"list", "short", "modules"});
    }
    Slide(*engine, "6533_eq_hz_slider_0", 6);
    EXPECT_EQ(engine->AudioState().EqType, 13);
    EXPECT_EQ(engine->Gains()[0], 6);

    // The voice changer: on builds the pitch chain on the microphone; each voice is kept.
    Choose(*engine, "magic_enable_option", true);
    EXPECT_EQ(engine->AudioState().MagicEnable, 1);
    if (PluginInstalled("pitch_scale_1193.so")) {
        EXPECT_TRUE(PumpUntil([&] { return ModuleLoaded("pitchScale"); }, 3000)) << Pactl({"list", "short", "modules"});
    }
    for (int voice = 1; voice <= 4; ++voice) {
        Choose(*engine, "magic_option_" + std::to_string(voice), true);
        EXPECT_EQ(engine->AudioState().MagicType, voice);
    }
    Choose(*engine, "magic_enable_option", false);
    EXPECT_EQ(engine->AudioState().MagicEnable, 0);

    // Another program sets the microphone; the next start reads it from the server.
    server_.Tool({"pactl", "set-source-volume", "zorv_headset_mic", "61%"});
    window_->Close(DuiLib::IDOK);
    Pump(100);
    window_.reset();
    engine = OpenAndConnect();
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->AudioState().MicInValue, 61);
    Screenshot("journey_headset_audio");
}

}  // namespace
