// The mouse page built from its layout: binding, the DPI, report-rate and pointer controls against
// the emulated mouse, and screenshots of every settings tab in English and Chinese.
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QWidget>

#include "toolkit/Button.h"
#include "toolkit/ResourceManager.h"
#include "toolkit/Slider.h"
#include "engines/device/DeviceKeyButton.h"
#include "panels/controls/PanelControls.h"
#include "panels/keyset/KeySetControlUI.h"
#include "panels/lighting/LightingControls.h"
#include "panels/macro/MacroControlUI.h"
#include "panels/profile/DeviceProfileUI.h"
#include "panels/recoil/ShootControlUI.h"
#include "tests/engines/mouse/MouseEngineFixture.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace mousetest;

namespace {

constexpr const char* kLayout = "XML/DeviceXml/mousedevice.xml";
constexpr const char* kPreview = "XML/DeviceXml/mouse/mouse-page-preview.xml";

class MousePage : public MouseEngineTest {
protected:
    void SetUp() override {
        MouseEngineTest::SetUp();
        RegisterMouseControls();
        RegisterPanelControls();
        RegisterLightingControls();
        RegisterProfileControls();
        RegisterKeySetControls();
        RegisterMacroControls();
        RegisterShootControls();
    }
    void TearDown() override {
        if (page_) page_->CommandChannel().SetConnected(false);
        delete window_;
        window_ = nullptr;
        page_ = nullptr;
        MouseEngineTest::TearDown();
    }

    // The page in a window, configured as the page builder does, bound to the emulated mouse.
    CTorvanelMouseDevice* Open(bool throughReceiver = false, int width = 1000, int height = 760) {
        window_ = ToolkitTest::OpenWindow(kPreview, width, height);
        page_ = static_cast<CTorvanelMouseDevice*>(
            window_->GetPaintManager()->GetRoot()->GetInterface(CTorvanelMouseDevice::kClassName));
        if (!page_) return nullptr;
        page_->SetPageLayoutPath(kLayout);
        page_->SetKeyCount(7);
        page_->SetLightCount(6);
        page_->SetTypeFolderName("mouse");
        page_->SetProfileId("page_test");
        page_->SetModelIndex(1);
        page_->SetDefaultLightingName("nuvex_light");
        page_->SetListEntry(&entry_);
        page_->InitPage();
        Bind(*page_, throughReceiver);
        page_->OnConnected();
        mouse_->ClearPacketLog();
        return page_;
    }
    CControlUI* Find(const std::string& name) const { return window_->GetPaintManager()->FindControl(name); }
    COptionUI* Option(const std::string& name) const {
        CControlUI* c = Find(name);
        return c ? static_cast<COptionUI*>(c->GetInterface("Option")) : nullptr;
    }
    CSliderUI* Slider(const std::string& name) const {
        CControlUI* c = Find(name);
        return c ? static_cast<CSliderUI*>(c->GetInterface("Slider")) : nullptr;
    }
    std::vector<uint8_t> WrittenStage(int i) const {
        const auto memory = mouse_->Memory();
        return {memory.settings.begin() + 14 + 9 * i, memory.settings.begin() + 23 + 9 * i};
    }

    ToolkitTest::RecordingWindow* window_ = nullptr;
    CTorvanelMouseDevice* page_ = nullptr;
};

// Single-line texts that do not fit their control.
std::vector<std::string> ClippedTexts(CControlUI* root) {
    std::vector<std::string> clipped;
    root->VisitTree([&](CControlUI* c) {
        if (!c->HasWidget() || !c->GetInterface("Label") || c->GetText().empty() || (c->GetTextStyle() & DT_WORDBREAK))
            return true;
        for (CControlUI* p = c; p; p = p->GetParent())
            if (!p->IsVisible()) return true;
        const RECT pad = c->GetTextPadding();
        int room = c->GetWidth() - pad.left - pad.right;
        if (c->GetInterface("Option") && !(c->GetTextStyle() & DT_CENTER)) room -= c->Scale(24);
        const int need = QFontMetrics(c->GetQFont()).horizontalAdvance(QString::fromStdString(c->GetText()));
        if (need > room) clipped.push_back(c->GetName() + ": " + c->GetText());
        return true;
    });
    return clipped;
}

}  // namespace

TEST_F(MousePage, ButtonsZonesAndPanelsAreBound) {
    CTorvanelMouseDevice* page = Open();
    ASSERT_NE(page, nullptr);
    for (int i = 0; i < 7; ++i) {
        ASSERT_NE(page->KeyButton(i), nullptr) << i;
        EXPECT_EQ(page->KeyButton(i)->GetName(), "key_" + std::to_string(i));
    }
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(page->LightButton(i), nullptr) << i;
        EXPECT_EQ(page->LightButton(i)->GetName(), "light_" + std::to_string(i));
    }
    // The recoil panel found its gun files and shows gun 0, bullet 0.
    for (int gun = 0; gun < 4; ++gun) EXPECT_TRUE(std::filesystem::exists(UserFolder() + ShootFileName(gun)));
    EXPECT_EQ(Find("bullet_select_index")->GetText(), "1");
    EXPECT_TRUE(Option("shoot_gun_op_0")->IsSelected());
    EXPECT_TRUE(Option("mouse_device_seting_option_0")->IsSelected());
    // Every stored stage shows switched on with its value; the sliders reach the mouse's highest DPI.
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(page->DpiStageChecked(i));
        EXPECT_EQ(Slider("DPI_slider_" + std::to_string(i))->GetMaxValue(), 320);
    }
    EXPECT_EQ(Find("DPI_edit_0")->GetText(), "800");  // 16 steps of 50
}

TEST_F(MousePage, TypedDpiIsRoundedDownToStepsAndRaisedToTheLowest) {
    for (bool receiver : {false, true}) {
        SCOPED_TRACE(receiver ? "receiver" : "cable");
        CTorvanelMouseDevice* page = Open(receiver);
        ASSERT_NE(page, nullptr);
        const struct {
            const char* typed;
            int steps;
            const char* shown;
        } cases[] = {{"1234", 24, "1200"}, {"", 2, "100"}, {"40", 2, "100"}, {"99999", 320, "16000"}, {"12a", 2, "100"}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.typed);
            Find("DPI_edit_1")->SetText(c.typed);
            mouse_->ClearPacketLog();
            page->OnDpiEditDone(1);
            EXPECT_EQ(Slider("DPI_slider_1")->GetValue(), c.steps);
            EXPECT_EQ(Find("DPI_edit_1")->GetText(), c.shown);
            EXPECT_EQ(WrittenStage(1)[2] | WrittenStage(1)[3] << 8, c.steps);
            EXPECT_EQ(page->GetDpiStages().at(1).DpiX(), c.steps);
            EXPECT_EQ(mouse_->PacketLogEntries().size(), receiver ? 8u : 4u);
        }
        delete window_;
        window_ = nullptr;
        page_ = nullptr;
        mouse_.reset();
    }
}

TEST_F(MousePage, TheLastStageLeftOnCannotBeSwitchedOff) {
    CTorvanelMouseDevice* page = Open();
    ASSERT_NE(page, nullptr);
    for (int i = 4; i >= 1; --i) {
        Option("DPI_enable_check_" + std::to_string(i))->Selected(false, false);
        page->OnDpiCheckChanged(i);
        EXPECT_FALSE(Find("DPI_layout_" + std::to_string(i))->IsEnabled());
        EXPECT_EQ(WrittenStage(i)[0], 0) << i;
        EXPECT_EQ(page->GetDpiStages().at(i).StageActive, 0);
    }
    EXPECT_FALSE(Option("DPI_enable_check_0")->IsEnabled());
    EXPECT_TRUE(Option("DPI_enable_check_1")->IsEnabled());
    Option("DPI_enable_check_2")->Selected(true, false);
    page->OnDpiCheckChanged(2);
    EXPECT_TRUE(Option("DPI_enable_check_0")->IsEnabled());
    EXPECT_EQ(WrittenStage(2)[0], 1);
    // A refresh shows every stored stage on, whatever its flag.
    page->RefreshPage();
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(page->DpiStageChecked(i)) << i;
}

TEST_F(MousePage, ReportRateOptionAndPointerSettings) {
    CTorvanelMouseDevice* page = Open();
    ASSERT_NE(page, nullptr);
    for (const auto& [index, option] : std::vector<std::pair<int, int>>{{3, 3}, {5, 0}, {-1, 0}}) {
        page->ShowReportRate(index);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(Option("polling_rate_option_" + std::to_string(i))->IsSelected(), i == option) << index;
    }
    Slider("scroll_speed_slider")->SetValue(7);
    Option("scrolls_page_check")->Selected(true, false);
    page->OnPointerSettingChanged("scrolls_page_check");
    page->OnPointerSettingChanged("scroll_speed_slider");
    Slider("double_click_slider")->SetValue(640);
    page->OnPointerSettingChanged("double_click_slider");
    const MouseSystemStages stages = MouseSystemStages::FromWords(page->GetSystemSettings());
    EXPECT_EQ(stages.WheelScorlllinse, 7);
    EXPECT_EQ(stages.ScorllPage, 0);  // moving the lines slider leaves page scrolling
    EXPECT_FALSE(Option("scrolls_page_check")->IsSelected());
    EXPECT_EQ(stages.DoubleClickTime, 640);
    // Kept in the profile only: nothing went to the mouse.
    EXPECT_TRUE(mouse_->PacketLogEntries().empty());
    CMouseProfiledata reread;
    reread.LoadSection(page->GetProfilePath());
    EXPECT_EQ(MouseSystemStages::FromWords(reread.GetSystemStages()).DoubleClickTime, 640);
}

TEST_F(MousePage, ScreenshotsOfEveryTabInEnglishAndChinese) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    const std::string skin = CPaintManagerUI::GetResourcePath();
    const char* tabs[] = {"lighting", "buttons", "dpi", "recoil", "pointer"};
    for (const char* language : {"en", "zh"}) {
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage(skin + (std::string(language) == "zh" ? "lang/lan_cn.xml" : "lang/lan_en.xml")));
        for (const int dpi : {96, 144}) {
            for (int tab = 0; tab < 5; ++tab) {
                SCOPED_TRACE(std::string(language) + " " + std::to_string(dpi) + " " + tabs[tab]);
                CTorvanelMouseDevice* page = Open();
                ASSERT_NE(page, nullptr);
                page->ShowSettingsTab(tab);
                for (int i = 0; i < 6; ++i)
                    page->SetLightValue(i, LightRecord{uint8_t(255 - 40 * i), uint8_t(40 * i), 200, 255}.Pack());
                page->PushFrame();
                CPaintManagerUI::SetAllDPI(dpi);
                ToolkitTest::Pump();
                EXPECT_EQ(ClippedTexts(window_->GetPaintManager()->GetRoot()), std::vector<std::string>{});
                const QImage shot = window_->GetHostWidget()->grab().toImage();
                const QString path = QString("%1/mouse_page_%2_%3_%4.png")
                                         .arg(ZORV_SCREENSHOT_DIR, language, tabs[tab])
                                         .arg(dpi);
                EXPECT_TRUE(shot.save(path)) << path.toStdString();
                CPaintManagerUI::SetAllDPI(96);
                page_->CommandChannel().SetConnected(false);
                delete window_;
                window_ = nullptr;
                page_ = nullptr;
                mouse_.reset();
            }
        }
    }
    CResourceManager::GetInstance()->ResetTextMap();
}
