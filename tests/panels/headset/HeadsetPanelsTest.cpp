// The headset page with its panels, its audio operations against the audio library test double
// (loaded by the engine's own dlopen code), and screenshots of the headset and pad pages.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>

#include "toolkit/Button.h"
#include "app/routing/NotifyRouter.h"
#include "app/routing/RouteHost.h"
#include "toolkit/Edit.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/Slider.h"
#include "engines/headset/TorvanelHS6533Device.h"
#include "engines/mousepad/TorvanelMousePadDevice.h"
#include "panels/controls/PanelControls.h"
#include "panels/headset/MagicControlUI.h"
#include "panels/headset/Voice6533ControlUI.h"
#include "panels/lighting/LightingControls.h"
#include "panels/profile/DeviceProfileUI.h"
#include "store/JsonFile.h"
#include "tests/engines/headset/ConfLibDouble.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

constexpr uint32_t kSpeakers = conflib::kKindSpeakers;
constexpr uint32_t kMic = conflib::kKindMicrophone;
constexpr const char* kHeadsetLayout = "XML/DeviceXml/hs6533device.xml";

std::vector<ConfDoubleCall> WritesFrom(size_t first) {
    std::vector<ConfDoubleCall> calls;
    for (size_t i = first; i < confdouble_call_count(); ++i) {
        ConfDoubleCall call{};
        confdouble_call(i, &call);
        if (call.direction == conflib::kWrite) calls.push_back(call);
    }
    return calls;
}

int32_t IntOf(const ConfDoubleCall& call) {
    int32_t value;
    std::memcpy(&value, call.value, sizeof value);
    return value;
}

float FloatOf(const ConfDoubleCall& call) {
    float value;
    std::memcpy(&value, call.value, sizeof value);
    return value;
}

// Everything the headset and pad pages hold.
void RegisterPageControls() {
    RegisterPanelControls();
    RegisterLightingControls();
    RegisterProfileControls();
    RegisterHeadsetControls();
    RegisterMousePadControls();
    RegisterHeadsetPanels();
}

class HeadsetPage : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const char* root = std::getenv("ZORV_TEST_TMP");
        home_ = std::filesystem::path(root && *root ? root : "/tmp/zorv-headset-page-tests") / info->name();
        std::filesystem::remove_all(home_);
        std::filesystem::create_directories(home_);
        setenv("XDG_DATA_HOME", home_.c_str(), 1);
        RegisterPageControls();
        confdouble_reset();
        confdouble_add_endpoint(0, kSpeakers, 1);
        confdouble_add_endpoint(1, kMic, 0);
        confdouble_set_answer(kMic, "GetSupportFeature", "131072,0,0,0,0,0,0", 0);
        confdouble_set_answer(kMic, "GetAAMaxVol", "100", 0);
    }
    void TearDown() override {
        delete window_;
        Pump();
    }

    CTorvanelHS6533Device* Open(const std::string& library = ZORV_CONFLIB_DOUBLE) {
        window_ = OpenWindow(kHeadsetLayout, 1000, 720);
        auto* engine = static_cast<CTorvanelHS6533Device*>(
            window_->GetPaintManager()->GetRoot()->GetInterface(CTorvanelHS6533Device::kClassName));
        if (!engine) return nullptr;
        engine->SetPageLayoutPath(kHeadsetLayout);
        engine->SetLightCount(13);
        engine->SetTypeFolderName("HD");
        engine->SetProfileId("page_test");
        engine->SetModelIndex(3);
        engine->SetDefaultLightingName("nuvex_light");
        engine->UseAudio(&audio_, library);
        engine->InitPage();
        engine->OnConnected();  // the audio start-up waits for the headset
        voice_ = static_cast<CVoice6533ControlUI*>(Find("Voice6533ControlItem")->GetInterface(CVoice6533ControlUI::kClassName));
        magic_ = static_cast<CMagicControlUI*>(Find("MagicControlItem")->GetInterface(CMagicControlUI::kClassName));
        return engine;
    }
    CControlUI* Find(const std::string& name) const { return window_->GetPaintManager()->FindControl(name); }
    Json::Value StoredStages(CTorvanelHS6533Device& engine) const {
        return ReadJsonValue(engine.GetProfilePath())["Device"][0]["SystemSetStages"];
    }
    void SetBands(const std::vector<int>& gains) {
        for (int band = 0; band < 10; ++band) voice_->SetBandSlider(band, gains[static_cast<size_t>(band)]);
    }

    std::filesystem::path home_;
    CHeadsetAudio audio_;
    RecordingWindow* window_ = nullptr;
    CVoice6533ControlUI* voice_ = nullptr;
    CMagicControlUI* magic_ = nullptr;
};

}  // namespace

TEST_F(HeadsetPage, PageBindsItsZonesAndPanels) {
    CTorvanelHS6533Device* engine = Open();
    ASSERT_NE(engine, nullptr);
    for (int zone = 0; zone < 13; ++zone) EXPECT_NE(engine->LightButton(zone), nullptr) << zone;
    EXPECT_EQ(engine->KeyCount(), 0);
    ASSERT_NE(voice_, nullptr);
    ASSERT_NE(magic_, nullptr);
    EXPECT_TRUE(audio_.LibraryLoaded());
    EXPECT_FALSE(Find("6533_audio_notice")->IsVisible());
}

TEST_F(HeadsetPage, MicrophoneLevelIsSentAsAFractionOnAllChannelsAndStored) {
    CTorvanelHS6533Device* engine = Open();
    ASSERT_NE(engine, nullptr);
    const size_t before = confdouble_call_count();
    engine->SetMicrophoneLevel(37);
    const auto writes = WritesFrom(before);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_STREQ(writes[0].property, "VolumeScalarControl");
    EXPECT_EQ(writes[0].kind, kMic);
    EXPECT_FLOAT_EQ(FloatOf(writes[0]), 0.37f);
    EXPECT_EQ(writes[0].channel[0], -1);
    EXPECT_EQ(engine->AudioState().MicInValue, 37);
    EXPECT_EQ(StoredStages(*engine)["MicInValue"].asInt(), 37);

    // A level the sound system refuses is neither stored nor left on the slider, and is said.
    confdouble_set_write_result(kMic, "VolumeScalarControl", 3);
    voice_->SetMicrophoneLevel(80);
    engine->SetMicrophoneLevel(80);
    EXPECT_EQ(engine->AudioState().MicInValue, 37);
    EXPECT_EQ(voice_->MicrophoneLevel(), 37);
    EXPECT_EQ(StoredStages(*engine)["MicInValue"].asInt(), 37);
    EXPECT_TRUE(Find("6533_audio_notice")->IsVisible());
}

TEST_F(HeadsetPage, MuteAndMonitoringToggleThroughTheLibrary) {
    CTorvanelHS6533Device* engine = Open();
    ASSERT_NE(engine, nullptr);
    struct Step {
        void (CTorvanelHS6533Device::*toggle)();
        const char* property;
        int32_t value;
        bool panelOn;
    };
    const Step steps[] = {
        {&CTorvanelHS6533Device::ToggleMicrophoneMute, "MuteControl", 1, false},
        {&CTorvanelHS6533Device::ToggleMicrophoneMute, "MuteControl", 0, true},
        {&CTorvanelHS6533Device::ToggleMonitorMute, "AAMuteControl", 1, false},
        {&CTorvanelHS6533Device::ToggleMonitorMute, "AAMuteControl", 0, true},
    };
    for (const Step& step : steps) {
        const size_t before = confdouble_call_count();
        (engine->*step.toggle)();
        const auto writes = WritesFrom(before);
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_STREQ(writes[0].property, step.property);
        EXPECT_EQ(IntOf(writes[0]), step.value);
        EXPECT_EQ(writes[0].hasChannel, 0);
        const bool on = std::string(step.property) == "MuteControl" ? voice_->MicrophoneOn() : voice_->MonitorOn();
        EXPECT_EQ(on, step.panelOn) << step.property << " " << step.value;
    }
    EXPECT_EQ(engine->AudioState().MicInSelect, 1);
    EXPECT_EQ(engine->AudioState().MicMoniterSelect, 1);
    // Monitoring level goes to channel 0.
    const size_t before = confdouble_call_count();
    engine->SetMonitorLevel(55);
    const auto writes = WritesFrom(before);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_STREQ(writes[0].property, "AAVolumeScalarControl");
    EXPECT_EQ(writes[0].channel[0], 0);
    EXPECT_EQ(StoredStages(*engine)["MicMoniterValue"].asInt(), 55);
}

TEST_F(HeadsetPage, PresetFiveSwitchesTheEqualiserOnThenWritesTenZeros) {
    CTorvanelHS6533Device* engine = Open();
    ASSERT_NE(engine, nullptr);
    SetBands({3, 3, 3, 3, 3, 3, 3, 3, 3, 3});
    const size_t before = confdouble_call_count();
    engine->SelectEqualiserPreset(5);
    const auto writes = WritesFrom(before);
    ASSERT_EQ(writes.size(), 11u);
    EXPECT_STREQ(writes[0].property, "Enable_EQ_GFX");
    EXPECT_EQ(writes[0].kind, kSpeakers);
    EXPECT_EQ(IntOf(writes[0]), 1);
    for (int band = 0; band < 10; ++band) {
        EXPECT_EQ(std::string(writes[band + 1].property), "EQ_Slider" + std::to_string(band + 1));
        EXPECT_EQ(IntOf(writes[band + 1]), 0);
        EXPECT_EQ(voice_->GetBandSlider(band), 0);
    }
    EXPECT_EQ(voice_->ShownPreset(), 5);
    EXPECT_FALSE(Find("custom_eq_option_layout")->IsEnabled());
    EXPECT_EQ(StoredStages(*engine)["EqType"].asInt(), 5);
}

TEST_F(HeadsetPage, MovingABandWhileAPresetIsShownSwitchesToCustomMode) {
    CTorvanelHS6533Device* engine = Open();
    ASSERT_NE(engine, nullptr);
    engine->SelectEqualiserPreset(2);
    voice_->SetBandSlider(2, -7);
    const size_t before = confdouble_call_count();
    engine->SetEqualiserBand(2);
    const auto writes = WritesFrom(before);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_STREQ(writes[0].property, "EQ_Slider3");
    EXPECT_EQ(IntOf(writes[0]), -7);
    EXPECT_EQ(engine->AudioState().EqType, 13);
    EXPECT_EQ(voice_->ShownPreset(), 13);
    EXPECT_EQ(voice_->SelectedCustomIndex(), -1);
    EXPECT_TRUE(Find("custom_eq_option_layout")->IsEnabled());
}

TEST_F(HeadsetPage, CustomEqualisersSaveRenameByCaseAndDeleteDownToNone) {
    CTorvanelHS6533Device* engine = Open();
    ASSERT_NE(engine, nullptr);
    // Nothing selected and no name: nothing done.
    EXPECT_EQ(engine->SaveCustomEqualiser(), -1);

    voice_->SetNameEdit("Mine");
    SetBands({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(engine->SaveCustomEqualiser(), 1);
    EXPECT_EQ(voice_->NameEdit(), "");
    voice_->SetNameEdit("MINE");
    EXPECT_EQ(engine->SaveCustomEqualiser(), 0);  // taken, whatever the case
    EXPECT_EQ(voice_->CustomCount(), 1);
    voice_->SetNameEdit("Other");
    SetBands({-1, -2, -3, -4, -5, -6, -7, -8, -9, -10});
    EXPECT_EQ(engine->SaveCustomEqualiser(), 1);
    EXPECT_EQ(engine->CustomNames(), (std::vector<std::string>{"Mine", "Other"}));
    EXPECT_EQ(voice_->SelectedCustomIndex(), 1);
    // An empty name updates the chosen entry.
    SetBands({0, 0, 0, 0, 0, 0, 0, 0, 0, -11});
    EXPECT_EQ(engine->SaveCustomEqualiser(), 1);
    EXPECT_EQ(engine->Profile().GetCustomEqValues(1).back(), -11);

    // Deleting "Mine" takes its gains along: "Other" keeps its own.
    voice_->SelectCustomIndex(0);
    engine->DeleteCustomEqualiser();
    EXPECT_EQ(engine->CustomNames(), std::vector<std::string>{"Other"});
    EXPECT_EQ(engine->Gains().back(), -11);
    EXPECT_EQ(voice_->GetBandSlider(9), -11);
    const Json::Value stored = ReadJsonValue(engine->GetProfilePath())["Device"][0];
    EXPECT_EQ(stored["CustomEQNameInfo"].size(), 1u);
    EXPECT_EQ(engine->Profile().GetCustomEqValues(0).back(), -11);

    // The last one: preset 1 shown with its gains, custom mode off, and the stored list empty.
    engine->DeleteCustomEqualiser();
    EXPECT_EQ(voice_->CustomCount(), 0);
    EXPECT_EQ(voice_->ShownPreset(), 1);
    EXPECT_EQ(engine->AudioState().EqType, 1);
    EXPECT_FALSE(Find("custom_eq_option_layout")->IsEnabled());
    EXPECT_EQ(engine->Gains(), engine->Profile().GetEqValues(1));
    engine->LoadProfile();
    engine->RefreshPage();
    EXPECT_EQ(voice_->CustomCount(), 0);  // the name does not come back
}

TEST_F(HeadsetPage, TwentyCustomEqualisersAreTheMost) {
    CTorvanelHS6533Device* engine = Open();
    ASSERT_NE(engine, nullptr);
    for (int i = 0; i < 20; ++i) {
        voice_->SetNameEdit("eq" + std::to_string(i));
        ASSERT_EQ(engine->SaveCustomEqualiser(), 1);
    }
    voice_->SetNameEdit("one more");
    EXPECT_EQ(engine->SaveCustomEqualiser(), -1);
    EXPECT_EQ(voice_->CustomCount(), 20);
}

TEST_F(HeadsetPage, VoiceChangerAndItsFourVoices) {
    CTorvanelHS6533Device* engine = Open();
    ASSERT_NE(engine, nullptr);
    static_cast<COptionUI*>(Find("magic_enable_option")->GetInterface("Option"))->Selected(true, false);
    size_t before = confdouble_call_count();
    engine->SwitchVoiceChanger();
    auto writes = WritesFrom(before);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_STREQ(writes[0].property, "Enable_MAGICVOICE");
    EXPECT_EQ(IntOf(writes[0]), 1);
    EXPECT_STREQ(writes[1].property, "Enable_MICECHO");
    EXPECT_EQ(IntOf(writes[1]), 0);
    EXPECT_TRUE(Find("magic_option_layout")->IsEnabled());
    for (int voice = 1; voice <= 4; ++voice) {
        before = confdouble_call_count();
        engine->SelectVoice(voice);
        writes = WritesFrom(before);
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_STREQ(writes[0].property, "MagicVoice_Selection");
        EXPECT_EQ(IntOf(writes[0]), voice - 1);
        EXPECT_EQ(magic_->ShownVoice(), voice);
        EXPECT_EQ(StoredStages(*engine)["MagicType"].asInt(), voice);
    }
    before = confdouble_call_count();
    engine->SelectVoice(0);  // not a voice: nothing
    EXPECT_TRUE(WritesFrom(before).empty());
    static_cast<COptionUI*>(Find("magic_enable_option")->GetInterface("Option"))->Selected(false, false);
    engine->SwitchVoiceChanger();
    EXPECT_FALSE(Find("magic_option_layout")->IsEnabled());
    EXPECT_EQ(StoredStages(*engine)["MagicEnable"].asInt(), 0);
}

TEST_F(HeadsetPage, PanelShowOperationsClampWhatTheyDoNotKnow) {
    ASSERT_NE(Open(), nullptr);
    voice_->ShowPreset(3);
    voice_->ShowPreset(14);
    EXPECT_EQ(voice_->ShownPreset(), 0);
    for (int n = 1; n <= 13; ++n)
        EXPECT_FALSE(static_cast<COptionUI*>(Find("6533_eq_option_" + std::to_string(n))->GetInterface("Option"))->IsSelected());
    magic_->ShowVoice(2);
    magic_->ShowVoice(0);
    EXPECT_EQ(magic_->ShownVoice(), 0);
    for (int n = 1; n <= 4; ++n)
        EXPECT_FALSE(static_cast<COptionUI*>(Find("magic_option_" + std::to_string(n))->GetInterface("Option"))->IsSelected());
}

TEST_F(HeadsetPage, WithoutTheLibraryThePanelsSaySoAndNothingIsPretended) {
    CTorvanelHS6533Device* engine = Open("/nonexistent/SDK/libosConfLib.so");
    ASSERT_NE(engine, nullptr);
    EXPECT_TRUE(Find("6533_audio_notice")->IsVisible());
    EXPECT_TRUE(Find("magic_audio_notice")->IsVisible());
    engine->SetMicrophoneLevel(60);
    EXPECT_NE(engine->AudioState().MicInValue, 60);
    EXPECT_EQ(confdouble_call_count(), 0u);
}

namespace {

// The page inside a window that takes its texts as language keys, as the main window does.
std::string WindowLayoutFor(const std::string& page) {
    const char* root = std::getenv("ZORV_TEST_TMP");
    const std::filesystem::path folder = std::filesystem::path(root && *root ? root : "/tmp/zorv-headset-page-tests");
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / (std::filesystem::path(page).stem().string() + "_window.xml");
    std::ofstream(file) << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window resourcetext=\"true\">"
                        << "<Include source=\"" << page << "\"/></Window>\n";
    return std::filesystem::absolute(file).string();
}

CTorvanelLitAccessoryDevice* FindEngine(RecordingWindow& window, const char* className) {
    CTorvanelLitAccessoryDevice* found = nullptr;
    window.GetPaintManager()->GetRoot()->VisitTree([&](CControlUI* control) {
        if (!found && control->GetInterface(className))
            found = static_cast<CTorvanelLitAccessoryDevice*>(control->GetInterface(className));
        return true;
    });
    return found;
}

}  // namespace

TEST(HeadsetScreenshots, EveryPanelInEnglishAndChineseAtTwoDpis) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    RegisterPageControls();
    confdouble_reset();
    struct Shot {
        const char* layout;
        const char* name;
        int functionPage;
    };
    const Shot shots[] = {{kHeadsetLayout, "headset_lighting", 1},
                          {kHeadsetLayout, "headset_equaliser", 6},
                          {kHeadsetLayout, "headset_voice", 7},
                          {"XML/DeviceXml/mousepaddevice.xml", "mousepad", 1}};
    for (const char* language : {"en", "cn"}) {
        CResourceManager::GetInstance()->LoadLanguage(std::string("lang/lan_") + language + ".xml");
        for (int dpi : {96, 144}) {
            for (const Shot& shot : shots) {
                RecordingWindow* w = OpenWindow(WindowLayoutFor(shot.layout), 1000, 720);
                CTorvanelLitAccessoryDevice* engine =
                    FindEngine(*w, std::string(shot.name) == "mousepad" ? CTorvanelMousePadDevice::kClassName
                                                                        : CTorvanelHS6533Device::kClassName);
                ASSERT_NE(engine, nullptr);
                engine->SetPageLayoutPath(shot.layout);
                engine->SetLightCount(std::string(shot.name) == "mousepad" ? 15 : 13);
                engine->SetTypeFolderName(std::string(shot.name) == "mousepad" ? "MousePad" : "HD");
                engine->SetProfileId("shot");
                engine->BindPage();
                engine->LoadProfile();
                engine->RefreshPage();
                engine->ShowFunctionPage(shot.functionPage);
                for (int zone = 0; zone < engine->LightCount(); ++zone)
                    engine->SetLightValue(zone, LightRecord{uint8_t(255 - zone * 15), uint8_t(zone * 17), 200, 255}.Pack());
                engine->SetLightControl(1);
                engine->PushFrame();
                CPaintManagerUI::SetAllDPI(dpi);
                Pump();
                const QImage image = w->GetHostWidget()->grab().toImage();
                EXPECT_EQ(image.width(), 1000 * dpi / 96);
                const QString path = QString("%1/%2_%3_%4.png").arg(ZORV_SCREENSHOT_DIR, shot.name, language).arg(dpi);
                EXPECT_TRUE(image.save(path)) << path.toStdString();
                delete w;
                Pump();
            }
        }
    }
    CPaintManagerUI::SetAllDPI(96);
    CResourceManager::GetInstance()->LoadLanguage("lang/lan_en.xml");
}

namespace {

// The main window's part in routing: the headset page is the active device.
class HeadsetHost : public IRouteHost {
public:
    CTorvanelUSBDevice* ActiveDevice() override { return active; }
    int ScreenWidth() const override { return 1920; }
    int ScreenHeight() const override { return 1080; }
    int AskUser(const std::string& key, int) override {
        asked.push_back(key);
        return 1;
    }
    void StartProfileSwitchTimer() override {}
    void OnDeviceEntrySelected(CControlUI*) override {}
    void SelectNeighbourDevice(bool) override {}
    void ShareActiveLighting() override {}
    void OpenMusicWindow() override {}
    CTorvanelUSBDevice* active = nullptr;
    std::vector<std::string> asked;
};

}  // namespace

TEST_F(HeadsetPage, PanelNotificationsReachTheHeadsetThroughTheRoutingTables) {
    CTorvanelHS6533Device* engine = Open();
    ASSERT_NE(engine, nullptr);
    HeadsetHost host;
    host.active = engine;
    CNotifyRouter router(host);
    auto option = [&](const std::string& name, bool selected) {
        static_cast<COptionUI*>(Find(name)->GetInterface("Option"))->Selected(selected, false);
    };
    auto slider = [&](const std::string& name, int value) {
        static_cast<CSliderUI*>(Find(name)->GetInterface("Slider"))->SetValue(value);
    };
    struct Case {
        const char* type;
        const char* sender;
        std::function<void()> prepare;
        const char* firstWrite;  // nullptr: nothing reaches the library
        int32_t value;           // of the first write (integers), or level × 100 (floats)
    };
    const Case cases[] = {
        {"valuechanged", "6533_MicIn_slider", [&] { slider("6533_MicIn_slider", 42); }, "VolumeScalarControl", 42},
        {"valuechanged", "6533_MicMoniter_slider", [&] { slider("6533_MicMoniter_slider", 9); }, "AAVolumeScalarControl", 9},
        {"selectchanged", "6533_MicIn_option", [] {}, "MuteControl", 1},
        {"selectchanged", "6533_MicMoniter_option", [] {}, "AAMuteControl", 1},
        {"selectchanged", "6533_eq_option_3", [&] { option("6533_eq_option_3", true); }, "Enable_EQ_GFX", 1},
        {"selectchanged", "6533_eq_option_4", [&] { option("6533_eq_option_4", false); }, nullptr, 0},
        {"valuechanged", "6533_eq_hz_slider_9", [&] { slider("6533_eq_hz_slider_9", -4); }, "EQ_Slider10", -4},
        {"selectchanged", "magic_enable_option", [&] { option("magic_enable_option", true); }, "Enable_MAGICVOICE", 1},
        {"selectchanged", "magic_option_2", [&] { option("magic_option_2", true); }, "MagicVoice_Selection", 1},
        {"selectchanged", "magic_option_3", [&] { option("magic_option_3", false); }, nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sender);
        c.prepare();
        const size_t before = confdouble_call_count();
        TNotifyUI msg;
        msg.sType = c.type;
        msg.pSender = Find(c.sender);
        ASSERT_NE(msg.pSender, nullptr);
        router.Route(msg);
        const auto writes = WritesFrom(before);
        if (!c.firstWrite) {
            EXPECT_TRUE(writes.empty());
            continue;
        }
        ASSERT_FALSE(writes.empty());
        EXPECT_STREQ(writes[0].property, c.firstWrite);
        const bool level = std::string(c.firstWrite).find("VolumeScalar") != std::string::npos;
        EXPECT_EQ(level ? static_cast<int32_t>(FloatOf(writes[0]) * 100.0f + 0.5f) : IntOf(writes[0]), c.value);
    }

    // Saving under a name that is taken asks the user to choose another.
    voice_->SetNameEdit("Same");
    engine->SaveCustomEqualiser();
    voice_->SetNameEdit("same");
    TNotifyUI click;
    click.sType = "click";
    click.pSender = Find("hs_EQ_btn_save");
    router.Route(click);
    EXPECT_EQ(host.asked, std::vector<std::string>{"message_text_5"});

    // Another family's page does not take headset notifications.
    CTorvanelMousePadDevice pad;
    host.active = &pad;
    const size_t before = confdouble_call_count();
    TNotifyUI msg;
    msg.sType = "valuechanged";
    msg.pSender = Find("6533_MicIn_slider");
    router.Route(msg);
    EXPECT_EQ(confdouble_call_count(), before);
}
