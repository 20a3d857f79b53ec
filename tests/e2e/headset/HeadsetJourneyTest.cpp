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
#include "toolkit/Slider.h"
#include "tools/zorv-emulator/HeadsetEmulator.h"

using namespace journey;
namespace fs = std::filesystem;

namespace {

std::vector<int> Percents(const std::string& text) {
    std::vector<int> percents;
    const std::regex percent(R"((\d+)%)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), percent); it != std::sregex_iterator(); ++it)
        percents.push_back(std::stoi((*it)[1]));
    return percents;
}

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
