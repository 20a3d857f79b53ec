// The keyboard page layouts bound by the engine, and a screenshot of the keyboard page.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QWidget>

#include <cstdlib>
#include <filesystem>

#include "toolkit/Button.h"
#include "engines/device/DeviceKeyButton.h"
#include "engines/keyboard/KeyCodeTables.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "panels/controls/PanelControls.h"
#include "panels/lighting/LightingControls.h"
#include "panels/profile/DeviceProfileUI.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

struct PageCase {
    const char* layout;
    int modelIndex;
};
constexpr PageCase kPages[] = {
    {"XML/DeviceXml/keyboarddevice.xml", 0},
    {"XML/DeviceXml/T3H7.xml", 4},
    {"XML/DeviceXml/T3N9.xml", 5},
};

class KeyboardPage : public ::testing::Test {
protected:
    void SetUp() override {
        const char* root = std::getenv("ZORV_TEST_TMP");
        const std::filesystem::path home = std::filesystem::path(root && *root ? root : "/tmp/zorv-page-tests") / "data";
        std::filesystem::create_directories(home);
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        RegisterKeyboardControls();
        // The page holds the key picture (a select panel), the lighting panel and the profile strip.
        RegisterPanelControls();
        RegisterLightingControls();
        RegisterProfileControls();
    }
    void TearDown() override { delete window_; }

    // Opens the page in a window and configures the engine as the page builder does.
    CTorvanelKeyboardDevice* Open(const PageCase& page) {
        window_ = OpenWindow(page.layout, 1000, 720);
        auto* engine = static_cast<CTorvanelKeyboardDevice*>(
            window_->GetPaintManager()->GetRoot()->GetInterface(CTorvanelKeyboardDevice::kClassName));
        if (!engine) return nullptr;
        engine->SetPageLayoutPath(page.layout);
        engine->SetKeyCount(170);
        engine->SetLightCount(170);
        engine->SetTypeFolderName("keyboard");
        engine->SetProfileId("page_test");
        engine->SetModelIndex(page.modelIndex);
        engine->SetDefaultLightingName("nuvex_light");
        engine->InitPage();
        return engine;
    }
    std::vector<CDeviceKeyButtonUI*> Caps() const {
        std::vector<CDeviceKeyButtonUI*> caps;
        window_->GetPaintManager()->GetRoot()->VisitTree([&](CControlUI* c) {
            if (c->GetClass() == CDeviceKeyButtonUI::kClassName) caps.push_back(static_cast<CDeviceKeyButtonUI*>(c));
            return true;
        });
        return caps;
    }
    bool Selected(const std::string& name) const {
        CControlUI* c = window_->GetPaintManager()->FindControl(name);
        auto* option = c ? static_cast<COptionUI*>(c->GetInterface("Option")) : nullptr;
        return option && option->IsSelected();
    }

    RecordingWindow* window_ = nullptr;
};

}  // namespace

TEST_F(KeyboardPage, EveryKeyCapBecomesTheKeyAndLightButtonOfItsNumber) {
    for (const PageCase& page : kPages) {
        SCOPED_TRACE(page.layout);
        CTorvanelKeyboardDevice* engine = Open(page);
        ASSERT_NE(engine, nullptr);
        const auto caps = Caps();
        ASSERT_GT(caps.size(), 90u);
        for (CDeviceKeyButtonUI* cap : caps) {
            const int number = std::stoi(cap->GetName().substr(4));
            EXPECT_EQ(engine->KeyButton(number), cap);
            EXPECT_EQ(engine->LightButton(number), cap);
            EXPECT_EQ(cap->GetLightColor(), 0xFFFFFFu);
            EXPECT_EQ(cap->GetLightBrightness(), 255);
        }
        delete window_;
        window_ = nullptr;
    }
}

TEST_F(KeyboardPage, SystemSettingsFollowTheStages) {
    CTorvanelKeyboardDevice* engine = Open(kPages[0]);
    ASSERT_NE(engine, nullptr);
    const struct {
        KeyboardSystemStages stages;
        int delayOption, pollingOption;
        const char* delayText;
    } cases[] = {
        {{10, 5, 1, 2, 0, 1, 0}, 0, 2, "250ms"},
        {{10, 3, 0, 3, 1, 0, 1}, 3, 3, "1000ms"},
        {{10, 1, 0, 9, 0, 0, 0}, 1, 0, "500ms"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.delayText);
        engine->SetSystemStages(c.stages.ToWords());
        engine->LoadProfile();
        engine->SetSystemStages(c.stages.ToWords());
        engine->RefreshPage();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(Selected("repeat_delay_check_" + std::to_string(i)), i == c.delayOption) << i;
            EXPECT_EQ(Selected("polling_rate_option_" + std::to_string(i)), i == c.pollingOption) << i;
        }
        EXPECT_EQ(Selected("winlockflag_option"), c.stages.WinFlag != 0);
        EXPECT_EQ(Selected("wflag_option"), c.stages.WFlag != 0);
        EXPECT_EQ(Selected("6flag_option"), c.stages.Key6Flag != 0);
        EXPECT_EQ(Selected("mode_change"), c.stages.ModeFlag != 0);
        const std::string label = window_->GetPaintManager()->FindControl("repeat_delay_time_label1")->GetText();
        EXPECT_NE(label.find(c.delayText), std::string::npos) << label;
    }
}

TEST_F(KeyboardPage, KeyAssignmentPageLocksTheFixedKeys) {
    CTorvanelKeyboardDevice* engine = Open(kPages[0]);
    ASSERT_NE(engine, nullptr);
    auto* functions = static_cast<CTabLayoutUI*>(window_->GetPaintManager()->FindControl("device_function_switch"));
    auto* keyFunctions =
        static_cast<CTabLayoutUI*>(window_->GetPaintManager()->FindControl("device_key_function_switch"));
    const struct {
        int page, functionTab, keyFunctionTab;
        bool fixedKeysEnabled;
    } cases[] = {{2, 0, 1, false}, {1, 0, 0, true}, {3, 1, 0, true}, {4, 3, 0, true}, {7, 0, 2, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        engine->ShowFunctionPage(c.page);
        EXPECT_EQ(engine->GetFunctionPage(), c.page);
        EXPECT_EQ(functions->GetCurSel(), c.functionTab);
        EXPECT_EQ(keyFunctions->GetCurSel(), c.keyFunctionTab);
        for (int key : kFixedKeys) {
            CDeviceKeyButtonUI* button = engine->KeyButton(key);
            ASSERT_NE(button, nullptr) << key;
            EXPECT_EQ(button->IsEnabled(), c.fixedKeysEnabled) << key;
        }
        EXPECT_TRUE(engine->KeyButton(64)->IsEnabled());
    }
}

TEST_F(KeyboardPage, ScreenshotOfTheKeyboardPage) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    CTorvanelKeyboardDevice* engine = Open(kPages[0]);
    ASSERT_NE(engine, nullptr);
    // A lit picture: the spectrum across the keys.
    for (int i = 0; i < 170; ++i)
        engine->SetLightValue(i, LightRecord{uint8_t(255 - i), uint8_t(i * 3), uint8_t(i), 255}.Pack());
    engine->Renderer().SetLightState(std::array<uint32_t, 4>{6, 0, 0, 0});
    engine->PushFrame();
    Pump();
    const QImage shot = window_->GetHostWidget()->grab().toImage();
    EXPECT_TRUE(shot.save(QString("%1/keyboard_page_96.png").arg(ZORV_SCREENSHOT_DIR)));
    EXPECT_EQ(shot.width(), 1000);
}

TEST_F(KeyboardPage, EveryCodeTypeGetsItsLabel) {
    CTorvanelKeyboardDevice* engine = Open(kPages[0]);
    ASSERT_NE(engine, nullptr);
    const struct {
        KeyAssignment code;
        const char* label;
    } cases[] = {
        {{0x20, 0x00, 0x04}, "keyboard_key_A"},
        {{0x00, 0x00, 0x04}, "keyboard_key_A"},
        {{0x20, 0x00, 0x00}, "close_text"},
        {{0x20, 0x01, 0x06}, "keyboard_key_LCtrl+keyboard_key_C"},
        {{0x20, 0x80, 0x00}, "keyboard_key_RWin"},
        {{0x20, 0x03, 0x06}, "keyboard_key_LCtrl+keyboard_key_LShift+keyboard_key_C"},
        {{0x20, 0x00, 0xF0}, ""},  // no such usage: the label stays
        {{0x10, 0x04, 0x00}, "mouse_key_middle"},
        {{0x11, 0x12, 0x80}, "mouse_key_right_Swing"},
        {{0x12, 0x12, 0x05}, "mouse_key_up_Swing"},
        {{0x13, 0x03, 0x00}, "mouse_key_DPI_loop"},
        {{0x14, 0x10, 0x02}, "mouse_key_fire_key"},
        {{0x16, 0x09, 0x09}, "mouse_key_DPI_shift"},
        {{0x23, 0x00, 0x00}, "show_window"},
        {{0x23, 0x01, 0x00}, ""},
        {{0x22, 0x00, 0x04}, "custem_select_all"},
        {{0x30, 0xE2, 0x00}, "media_mute"},
        {{0x30, 0x83, 0x01}, "media_text"},
        {{0x40, 0x02, 0x00}, "system_sleep"},
        {{0x70, 0x01, 0x00}, ""},  // no macro library
        {{0xA0, 0x02, 0x00}, "mouse_key_smart_key"},
        {{0xA0, 0x1B, 0x00}, "keyboard_key_GM"},
        {{0xD0, 0xA2, 0x03}, "keyboard_key_M3"},
        {{0x15, 0x01, 0x00}, ""},
        {{0xC0, 0x01, 0x00}, ""},
        {{0x99, 0x00, 0x00}, "关闭"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(engine->LabelForCode(c.code), c.label);
    }
}

TEST_F(KeyboardPage, KeyLabelsMarkKeysThatCarryAnotherFunction) {
    CTorvanelKeyboardDevice* engine = Open(kPages[0]);
    ASSERT_NE(engine, nullptr);
    engine->LoadProfile();
    std::vector<KeyListEntry> keys = engine->KeyList();
    ASSERT_EQ(keys.size(), 170u);
    keys[64].assignment = {0x20, 0x00, 0x05};  // A now types B
    engine->SetKeyList(keys);
    engine->RefreshKeyLabels();
    CDeviceKeyButtonUI* a = engine->KeyButton(64);
    CDeviceKeyButtonUI* s = engine->KeyButton(65);
    EXPECT_EQ(a->GetText(), "keyboard_key_A");
    EXPECT_TRUE(a->IsKeyLayerVisible());
    EXPECT_EQ(a->GetToolTip(), "Key_Setkeyboard_key_B");
    EXPECT_FALSE(s->IsKeyLayerVisible());
    EXPECT_EQ(s->GetToolTip(), "Key_Setkeyboard_key_S");
}

namespace {

// The page's entry in the device strip: selected, and recording the timers it is asked for.
class SelectedEntry : public IDeviceListEntry {
public:
    void StartTimer(unsigned id, unsigned ms) override { timers.emplace_back(id, ms); }
    bool IsEntryShown() const override { return true; }
    void ShowEntry(bool) override {}
    bool IsPageSelected() const override { return true; }
    std::vector<std::pair<unsigned, unsigned>> timers;
};

}  // namespace

TEST_F(KeyboardPage, FrameTimerPaintsThePictureOnlyWithThePreviewFlag) {
    CTorvanelKeyboardDevice* engine = Open(kPages[0]);
    ASSERT_NE(engine, nullptr);
    SelectedEntry entry;
    engine->SetListEntry(&entry);
    engine->CommandChannel().SetConnected(true);
    engine->Renderer().SetLightState(std::array<uint32_t, 4>{6, 0, 0, 0});
    CDeviceKeyButtonUI* cap = engine->LightButton(64);
    ASSERT_NE(cap, nullptr);
    const uint32_t before = cap->GetLightColor();
    engine->SetLightValue(64, LightRecord{10, 20, 30, 255}.Pack());
    struct Case {
        bool preview;
        bool painted;
    } cases[] = {{false, false}, {true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preview);
        engine->SetPreview(c.preview);
        EXPECT_EQ(engine->PictureShown(), c.preview);
        entry.timers.clear();
        engine->OnTimer(kTimerPushFrame);
        EXPECT_EQ(cap->GetLightColor(), c.painted ? ButtonColour(LightRecord{10, 20, 30, 255}) : before);
        // The timer runs on only while the picture is shown: the keyboard's own thread streams.
        EXPECT_EQ(!entry.timers.empty(), c.preview);
        EXPECT_EQ(engine->Renderer().IsFrameConsumed(CLightRenderer::FrameConsumer::Picture), c.preview);
    }
    // Hidden to the tray, the picture stops and the renderer has nobody to compute frames for.
    window_->GetHostWidget()->hide();
    entry.timers.clear();
    engine->OnTimer(kTimerPushFrame);
    EXPECT_TRUE(entry.timers.empty());
    EXPECT_FALSE(engine->Renderer().IsFrameConsumed(CLightRenderer::FrameConsumer::Picture));
    // Shown again, the timer starts by itself.
    window_->GetHostWidget()->show();
    Pump();
    engine->CommandChannel().SetConnected(false);
}
