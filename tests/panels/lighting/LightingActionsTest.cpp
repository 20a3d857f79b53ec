// The lighting actions end to end: a keyboard page holding the lighting panel, its engine bound to
// an emulated keyboard through the real HID layer; each edit must reach the device's parameter
// record and the profile file.
#include <QCoreApplication>

#include <filesystem>

#include "toolkit/Combo.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "panels/lighting/LightingActions.h"
#include "tests/e2e/device/EmulatedKeyboardFixture.h"
#include "tests/panels/lighting/LightPanelFixture.h"

using namespace DuiLib;
using namespace lighttest;

namespace {

constexpr const char* kPageLayout = "lighting/lighting-page-preview.xml";
constexpr int kScreenW = 1920, kScreenH = 1080;

class LightingActions : public EmulatedKeyboardTest {
protected:
    void SetUp() override {
        EmulatedKeyboardTest::SetUp();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const char* root = std::getenv("ZORV_TEST_TMP");
        dataHome_ = std::filesystem::path(root && *root ? root : "/tmp/zorv-lighting-tests") / info->name();
        std::filesystem::remove_all(dataHome_);
        std::filesystem::create_directories(dataHome_);
        setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
        RegisterLightingControls();
        RegisterKeyboardControls();
    }
    void TearDown() override {
        delete window_;  // the engine goes with its page
        ToolkitTest::Pump();
        EmulatedKeyboardTest::TearDown();
    }

    // Builds the page, configures the engine as the page builder does and binds it to the keyboard.
    void Connect(bool connected = true) {
        keyboard_ = &Plug(0x5062);
        window_ = ToolkitTest::OpenWindow(kPageLayout, 320, 440);
        ASSERT_NE(window_, nullptr);
        CControlUI* root = window_->GetPaintManager()->GetRoot();
        engine_ = static_cast<CTorvanelKeyboardDevice*>(root->GetInterface(CTorvanelKeyboardDevice::kClassName));
        ASSERT_NE(engine_, nullptr);
        InterfaceList list = MakeInterfaceList();
        CInterfaceScanner scanner;
        scanner.RunScanPass(list);
        int commandRow = -1;
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].productId == 0x5062 && list[i].present && list[i].interfaceRole == kRoleCommand)
                commandRow = static_cast<int>(i);
        ASSERT_GE(commandRow, 0);
        engine_->SetPageLayoutPath(kPageLayout);
        engine_->SetKeyCount(170);
        engine_->SetLightCount(170);
        engine_->SetPageRow(1);
        engine_->SetProfileId("lighting_test");
        engine_->SetTypeFolderName("keyboard");
        engine_->SetInterfaceRow(list[commandRow]);
        engine_->SetModelIndex(0);
        engine_->SetDefaultLightingName("nuvex_light");
        engine_->InitPage();
        panel_ = static_cast<CLightControlUI*>(
            window_->GetPaintManager()->FindControl("LightControlItem")->GetInterface(CLightControlUI::kClassName));
        ASSERT_NE(panel_, nullptr);
        CCommandChannel& channel = engine_->CommandChannel();
        {
            CriticalSectionLock lock(channel.TransferLock());
            ASSERT_EQ(channel.PrimaryRecord().Open(list[commandRow].devicePath, 1, 1, 1, 0), 1);
        }
        channel.SetConnected(connected);
        channel.SetConnectionMode(1);
        engine_->OnConnected();
        keyboard_->ClearPacketLog();
    }

    bool Notify(const std::string& type, const std::string& sender) {
        return HandleLightingNotify(*engine_, *panel_, type, sender, kScreenW, kScreenH);
    }
    // The device's parameter record of profile 0.
    std::vector<uint8_t> DeviceRecord() const {
        const auto params = keyboard_->Snapshot().memory.params;
        return {params.begin(), params.begin() + 28};
    }
    LightInfoRecord StoredLight() const {
        CKeyboardProfiledata stored;
        stored.SetDeviceIndex(0);
        stored.LoadSection(engine_->GetProfilePath());
        return stored.GetLightInfo();
    }
    AudioLightInfoRecord StoredAudio() const {
        CKeyboardProfiledata stored;
        stored.SetDeviceIndex(0);
        stored.LoadSection(engine_->GetProfilePath());
        return stored.GetAudioLightInfo();
    }
    LightInfoRecord State() const {
        const auto w = engine_->GetLightState();
        return LightInfoRecord::FromWords({w[0], w[1], w[2], static_cast<uint16_t>(w[3])});
    }
    std::vector<uint8_t> Codes() const {
        std::vector<uint8_t> codes;
        for (const auto& entry : keyboard_->PacketLogEntries()) codes.push_back(entry.bytes.at(3));
        return codes;
    }
    void SetEditText(const std::string& name, const std::string& text) {
        window_->GetPaintManager()->FindControl(name)->SetText(text);
    }
    CComboUI* Combo(const std::string& name) const {
        return static_cast<CComboUI*>(window_->GetPaintManager()->FindControl(name)->GetInterface("Combo"));
    }
    COptionUI* Option(const std::string& name) const {
        return static_cast<COptionUI*>(window_->GetPaintManager()->FindControl(name)->GetInterface("Option"));
    }

    std::filesystem::path dataHome_;
    EmulatedKeyboard* keyboard_ = nullptr;
    ToolkitTest::RecordingWindow* window_ = nullptr;
    CTorvanelKeyboardDevice* engine_ = nullptr;
    CLightControlUI* panel_ = nullptr;
};

}  // namespace

TEST_F(LightingActions, EachEditWritesTheParameterRecordAndTheProfile) {
    Connect();
    ASSERT_TRUE(engine_->GetProfilePath().find("lighting_test") != std::string::npos);
    const struct {
        const char* what;
        std::function<void(CLightControlUI&)> edit;
        const char* type;
        const char* sender;
        size_t recordByte;  // in the device record
        uint8_t deviceValue;
    } cases[] = {
        {"effect", [](CLightControlUI& p) { p.SetEffect(6); }, "itemselect", "light_combo_modeSelect", 1, 6},
        {"brightness", [](CLightControlUI& p) { p.SetBrightness(2); }, "valuechanged", "deng_light_slider", 2, 2},
        {"speed", [](CLightControlUI& p) { p.SetSpeed(1); }, "valuechanged", "deng_speed_slider", 3, 3},  // 4 - 1
        {"palette", [](CLightControlUI& p) { p.SetPaletteColour(0xFF102030); }, "colorchanged", "deng_Color_Pallet", 7,
         0x20},
        {"direction right", [](CLightControlUI&) {}, "selectchanged", "deng_FXR_check", 4, 0},
        {"direction left", [](CLightControlUI&) {}, "selectchanged", "deng_FXL_check", 4, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        keyboard_->ClearPacketLog();
        engine_->CommandChannel().SetStreamPaused(true);  // a shared lighting was running
        c.edit(*panel_);
        ASSERT_TRUE(Notify(c.type, c.sender));
        EXPECT_FALSE(engine_->CommandChannel().IsStreamPaused());
        EXPECT_EQ(Codes(), (std::vector<uint8_t>{0x01, 0x06, 0x02}));
        EXPECT_EQ(DeviceRecord().at(c.recordByte), c.deviceValue);
        EXPECT_EQ(StoredLight(), State());
    }
    // Everything together in the end.
    const std::vector<uint8_t> record = DeviceRecord();
    EXPECT_EQ(std::vector<uint8_t>(record.begin(), record.begin() + 9),
              (std::vector<uint8_t>{0, 6, 2, 3, 1, 0, 0x10, 0x20, 0x30}));
    const LightInfoRecord stored = StoredLight();
    EXPECT_EQ(stored.SelectItem, 6);
    EXPECT_EQ(stored.Light, 2);
    EXPECT_EQ(stored.Speed, 1);
    EXPECT_EQ(stored.Red, 0x10);
    EXPECT_EQ(panel_->GetColourText(kBlue), "48");
}

TEST_F(LightingActions, ColourEditIsClampedAndShown) {
    Connect();
    const struct {
        const char* typed;
        uint8_t stored;
        const char* shown;
    } cases[] = {{"300", 255, "255"}, {"", 0, "0"}, {"17", 17, "17"}, {"0099", 99, "99"}, {"abc", 0, "0"},
                 {"99999999999999", 255, "255"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        SetEditText("deng_edit_G", c.typed);
        ASSERT_TRUE(Notify("killfocus", "deng_edit_G"));
        EXPECT_EQ(panel_->GetColourText(kGreen), c.shown);
        EXPECT_EQ(State().Green, c.stored);
        EXPECT_EQ(State().MultiColor, 0);
        EXPECT_EQ(GreenOf(panel_->GetPaletteColour()), c.stored);
        EXPECT_EQ(DeviceRecord().at(7), c.stored);
        EXPECT_EQ(StoredLight().Green, c.stored);
    }
}

TEST_F(LightingActions, SwatchTurnsSevenColourOffAndKeepsTheSharedLighting) {
    Connect();
    panel_->SetSevenColour(true);
    ASSERT_TRUE(Notify("selectchanged", "deng_7color_check"));
    EXPECT_EQ(State().MultiColor, 1);
    EXPECT_EQ(DeviceRecord().at(5), 1);

    engine_->CommandChannel().SetStreamPaused(true);
    ASSERT_TRUE(Notify("click", "color_option_5"));  // blue
    EXPECT_TRUE(engine_->CommandChannel().IsStreamPaused());
    EXPECT_FALSE(panel_->GetSevenColour());
    EXPECT_EQ(State().MultiColor, 0);
    EXPECT_EQ(panel_->GetColourText(kBlue), "255");
    EXPECT_EQ(panel_->GetPaletteColour(), 0xFF0000FFu);
    EXPECT_EQ(window_->GetPaintManager()->FindControl("deng_colordp_btn")->GetBkColor(), 0xFF0000FFu);
    const std::vector<uint8_t> record = DeviceRecord();
    EXPECT_EQ(std::vector<uint8_t>(record.begin() + 5, record.begin() + 9), (std::vector<uint8_t>{0, 0, 0, 255}));
    // A name of any case, and no such swatch.
    EXPECT_TRUE(Notify("click", "COLOR_OPTION_0"));
    EXPECT_EQ(State().Red, 255);
    keyboard_->ClearPacketLog();
    EXPECT_TRUE(Notify("click", "color_option_99"));
    EXPECT_TRUE(Codes().empty());
}

TEST_F(LightingActions, CustomSetAndSubModeOnlyOnTheWiredKeyboard) {
    Connect();
    FillKeyboardEffects(*panel_);  // two custom sets
    panel_->SetSubMode(2);
    ASSERT_TRUE(Notify("itemselect", "light_combo_ZZCCmodeSelect"));
    EXPECT_EQ(DeviceRecord().at(18), 2);
    panel_->SetCustomSet(1);
    keyboard_->ClearPacketLog();
    ASSERT_TRUE(Notify("itemselect", "light_combo_custommodeSelect"));
    EXPECT_EQ(State().CustomGroup, 1);
    EXPECT_EQ(DeviceRecord().at(25), 1);
    EXPECT_EQ(engine_->Profile().GetCustomLightGroup(), 1);
    EXPECT_EQ(StoredLight().CustomGroup, 1);

    // Through the receiver nothing is written.
    DeviceInterfaceEntry row = engine_->InterfaceRow();
    row.deviceKind = kKindKeyboardViaReceiver;
    engine_->SetInterfaceRow(row);
    keyboard_->ClearPacketLog();
    panel_->SetSubMode(0);
    panel_->SetCustomSet(0);
    EXPECT_TRUE(Notify("itemselect", "light_combo_ZZCCmodeSelect"));
    EXPECT_TRUE(Notify("itemselect", "light_combo_custommodeSelect"));
    EXPECT_TRUE(Codes().empty());
    EXPECT_EQ(State().CustomGroup, 1);
}

TEST_F(LightingActions, MusicEditsChangeTheRecordWithoutAParameterWrite) {
    Connect();
    engine_->SetAudioLight({0, 0, 0});  // the background is edited
    engine_->CommandChannel().SetStreamPaused(true);
    keyboard_->ClearPacketLog();
    Option("audio_FgColor_check")->Selected(true, false);
    ASSERT_TRUE(Notify("selectchanged", "audio_FgColor_check"));
    EXPECT_EQ(StoredAudio().ColorTypeFlags, 1);
    // Foreground: a swatch sets it and stops the seven colours.
    Option("deng_7audiocolor_check")->Selected(true, false);
    ASSERT_TRUE(Notify("selectchanged", "deng_7audiocolor_check"));
    EXPECT_EQ(StoredAudio().SevenColorFlags, 1);
    ASSERT_TRUE(Notify("click", "audiocolor_option_3"));  // green
    AudioLightInfoRecord audio = StoredAudio();
    EXPECT_EQ(audio.ColorTypeFlags, 1);
    EXPECT_EQ(audio.FgColorG, 255);
    EXPECT_EQ(audio.FgColorR, 0);
    EXPECT_EQ(audio.SevenColorFlags, 0);
    // The background now: edits and the palette go there.
    Option("audio_BkColor_check")->Selected(true, false);
    ASSERT_TRUE(Notify("selectchanged", "audio_BkColor_check"));
    EXPECT_EQ(StoredAudio().ColorTypeFlags, 0);
    SetEditText("deng_audioedit_R", "300");
    ASSERT_TRUE(Notify("killfocus", "deng_audioedit_R"));
    EXPECT_EQ(panel_->GetAudioColourText(kRed), "255");
    EXPECT_EQ(StoredAudio().BkColorR, 255);
    ASSERT_TRUE(Notify("click", "Close_bkColor_btn"));
    audio = StoredAudio();
    EXPECT_EQ(audio.BkColorR, 0);
    EXPECT_EQ(audio.FgColorG, 255);
    // Music effect 3 from the combo.
    Combo("light_combo_audiomodeSelect")->SelectItem(3, false, false);
    ASSERT_TRUE(Notify("itemselect", "light_combo_audiomodeSelect"));
    EXPECT_EQ(StoredAudio().AudioMode, 3);
    EXPECT_FALSE(window_->GetPaintManager()->FindControl("light_audiocolor_layout")->IsEnabled());
    // None of it wrote the parameter record or ended the shared lighting.
    for (uint8_t code : Codes()) EXPECT_NE(code, 0x06);
    EXPECT_TRUE(engine_->CommandChannel().IsStreamPaused());
}

TEST_F(LightingActions, OtherNotificationsAreLeftToTheRouter) {
    Connect();
    EXPECT_FALSE(Notify("click", "deng_same_mode"));
    EXPECT_FALSE(Notify("click", "key_12"));
    EXPECT_FALSE(Notify("textchanged", "deng_edit_R"));
    EXPECT_FALSE(Notify("valuechanged", "repeat_rate_slider"));
    EXPECT_TRUE(Codes().empty());
}

TEST_F(LightingActions, EngineFillsThePanelWhenItBindsThePage) {
    Connect();
    EXPECT_EQ(Combo("light_combo_modeSelect")->GetCount(), 36);
    EXPECT_EQ(panel_->GetPanelKind(), 1);
    EXPECT_EQ(panel_->GetEffect(), State().SelectItem);
}
