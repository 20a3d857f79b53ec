// The settings window, the language and the skins as a user meets them: the main window of this
// process with an emulated keyboard, the settings window opened from the caption, and the skin
// chooser.
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "app/shell/AppMessages.h"
#include "app/skins/CustomImageDialog.h"
#include "app/skins/SkinFrame.h"
#include "device/registry/ModelTables.h"
#include "platform/Folders.h"
#include "platform/RegistryStore.h"
#include "tests/e2e/journey/JourneyFixture.h"
#include "tests/update/UpdateServer.h"
#include "toolkit/UIlib.h"
#include "update/check/UpdateCheck.h"
#include "update/setwnd/SetWnd.h"

using namespace DuiLib;
using namespace journey;

namespace {

constexpr uint16_t kT5K1 = 0x5062;
constexpr uint16_t kT3H7 = 0x5085;
constexpr uint16_t kT3N9 = 0x5086;

CPaintManagerUI* OpenManager(const std::string& windowClass) {
    for (CPaintManagerUI* m : CPaintManagerUI::GetPaintManagers())
        if (m->GetName() == windowClass && m->GetRoot() && !m->IsClosing()) return m;
    return nullptr;
}

// Runs act inside the modal loop once the window of that class is shown.
void WhenOpen(const std::string& windowClass, std::function<void(CPaintManagerUI*)> act) {
    auto* timer = new QTimer();
    QObject::connect(timer, &QTimer::timeout, [timer, windowClass, act = std::move(act)] {
        CPaintManagerUI* manager = OpenManager(windowClass);
        if (!manager || !manager->GetHostWidget() || !manager->GetHostWidget()->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(manager);
    });
    timer->start(5);
}

class SettingsJourney : public JourneyTest {
protected:
    void SetUp() override {
        JourneyTest::SetUp();
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) unsetenv(name);
        const char* lang = std::getenv("LANG");
        savedLang_ = lang ? lang : "";
        // Nothing answers there: the check ends at once.
        setenv(kUpdateServiceVariable, "http://127.0.0.1:1", 1);
    }
    void TearDown() override {
        setenv("LANG", savedLang_.c_str(), 1);
        unsetenv(kUpdateServiceVariable);
        SetCustomImageChooser(nullptr);
        JourneyTest::TearDown();
    }
    // The main window and its pages, with the keyboard plugged in when given.
    CMainWnd& Start(const char* lang, uint16_t productId = 0, const char* model = nullptr) {
        setenv("LANG", lang, 1);
        CMainWnd& w = Open();
        if (productId) {
            Plug(productId, model);
            EXPECT_TRUE(WaitConnected(productId)) << model;
        }
        Pump(100);
        return w;
    }
    std::string Text(const char* name) const {
        CControlUI* control = window_->FindControl(name);
        return control ? control->GetText() : std::string("<missing " + std::string(name) + ">");
    }
    QImage Grab() {
        window_->GetPaintManager()->UpdateLayout();
        return window_->GetHostWidget()->grab().toImage();
    }
    std::string savedLang_;
    updatetest::DirectToTestServices direct_;
};

TEST_F(SettingsJourney, FirstStartFollowsTheDesktopAndAChoiceIsKept) {
    const struct {
        const char* lang;
        const char* title;
        const char* lighting;
    } starts[] = {{"en_US.UTF-8", "Zorv Wired Manager", "Light control on"}, {"zh_CN.UTF-8", "Zorv 有线管理器", "控制灯光"}};
    for (const auto& start : starts) {
        std::filesystem::remove_all(dir_ / "config");  // a first start: nothing chosen yet
        Start(start.lang);
        EXPECT_EQ(Text("main_title"), start.title) << start.lang;
        EXPECT_EQ(Text("control_light_status"), start.lighting) << start.lang;
        window_->Close(IDOK);
        Pump(50);
        window_.reset();
    }
    // The Chinese start remembered its language; an English desktop does not override it.
    Start("en_US.UTF-8");
    EXPECT_EQ(Text("main_title"), "Zorv 有线管理器");
}

TEST_F(SettingsJourney, ChoosingEnglishInTheSettingsWindowRelabelsEverything) {
    CMainWnd& w = Start("zh_CN.UTF-8", kT5K1, "T5K1");
    CTorvanelKeyboardDevice* engine = Engine(kT5K1);
    ASSERT_NE(engine, nullptr);
    CControlUI* calculator = PageControl(kT5K1, "key_17");
    ASSERT_NE(calculator, nullptr);
    const std::string chineseCap = calculator->GetText();
    const std::string chineseTip = calculator->GetToolTip();
    EXPECT_EQ(Text("control_light_status"), "控制灯光");

    bool opened = false;
    int rows = 0;
    WhenOpen("SetWnd", [&](CPaintManagerUI* settings) {
        opened = true;
        auto* combo = static_cast<CComboUI*>(settings->FindControl("Language_combox_info")->GetInterface("Combo"));
        EXPECT_EQ(combo->GetCurSel(), 0);
        EXPECT_TRUE(PumpUntil([&] {
            auto* list = static_cast<CListUI*>(settings->FindControl("device_update_list_info")->GetInterface("List"));
            rows = list->GetCount();
            return rows == static_cast<int>(kProductTable.size());
        }));
        combo->SelectItem(1, false, true);  // English
        Pump(50);
        EXPECT_EQ(settings->FindControl("setwnd_title")->GetText(), "Settings");
        settings->FindControl("closebtn")->Activate();
    });
    w.FindControl("setbtn")->Activate();  // the caption's settings button
    ASSERT_TRUE(PumpUntil([&] { return opened && !SettingsWindow(); }, 10000));
    EXPECT_EQ(rows, static_cast<int>(kProductTable.size()));

    EXPECT_EQ(Text("main_title"), "Zorv Wired Manager");
    EXPECT_EQ(Text("control_light_status"), "Light control on");
    EXPECT_NE(calculator->GetText(), chineseCap);
    EXPECT_NE(calculator->GetToolTip(), chineseTip);
    EXPECT_EQ(calculator->GetToolTip().rfind(CResourceManager::GetInstance()->GetText("Key_Set"), 0), 0u);
    // Every key cap and its tooltip: no Chinese text is left.
    const auto chinese = [](const std::string& text) {
        return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE3; });
    };
    int caps = 0;
    engine->VisitTree([&](CControlUI* control) {
        if (control->GetName().rfind("key_", 0) != 0 || control->GetClass() != calculator->GetClass()) return true;
        ++caps;
        EXPECT_FALSE(chinese(control->GetText())) << control->GetName() << " " << control->GetText();
        EXPECT_FALSE(chinese(control->GetToolTip())) << control->GetName() << " " << control->GetToolTip();
        return true;
    });
    EXPECT_GT(caps, 100);
    uint32_t saved = 0;
    EXPECT_TRUE(RegistryStore().ReadDword(CurrentUserSoftwareKey(kAppName), "LANGUAGE", saved));
    EXPECT_EQ(saved, 1033u);
    Screenshot("settings_journey_english_after_switch");

    // A restart keeps English, even on a Chinese desktop.
    w.Close(IDOK);
    Pump(50);
    window_.reset();
    keyboards_.clear();
    Start("zh_CN.UTF-8");
    EXPECT_EQ(Text("main_title"), "Zorv Wired Manager");
}

TEST_F(SettingsJourney, TheTrayItemOpensTheWindowAndUpToDateClearsTheBadge) {
    // Every product is told that its version is the newest.
    Json::Value answers;
    answers["by_key"]["NUVEX_0_ALL_RW5_BQ4_BQ3_1"]["body"] = R"({"name":"AP","version":"100","version_name":"1.0.0"})";
    answers["default"]["body"] = R"({"name":"x","version":"0"})";
    std::filesystem::create_directories(dir_ / "service");
    updatetest::UpdateServer service(dir_ / "service", answers);
    ZORV_REQUIRE_UPDATE_SERVER(service);
    setenv(kUpdateServiceVariable, service.Url().c_str(), 1);
    CMainWnd& w = Start("en_US.UTF-8");
    auto* setButton = static_cast<CButtonUI*>(w.FindControl("setbtn")->GetInterface("Button"));
    ASSERT_NE(setButton, nullptr);
    EXPECT_FALSE(setButton->GetForeImage().empty());
    // The tray's item opens the same window, centred.
    bool opened = false;
    std::string status;
    WhenOpen("SetWnd", [&](CPaintManagerUI* settings) {
        opened = true;
        EXPECT_TRUE(PumpUntil([&] { return SettingsWindow() && static_cast<CSetWnd*>(FromHandle(SettingsWindow()))->IsCheckFinished(); }));
        status = settings->FindControl("Update_Status_text")->GetText();
        settings->FindControl("laterbtn")->Activate();
    });
    auto* item = new MenuCmd();
    item->szName = "setwnd_menu";
    PostMessage(w.GetHWND(), WM_MENUCLICK, reinterpret_cast<WPARAM>(item), 0);
    ASSERT_TRUE(PumpUntil([&] { return opened && !SettingsWindow(); }, 10000));
    EXPECT_EQ(status.rfind("Everything is up to date.", 0), 0u) << status;
    EXPECT_EQ(service.Requests().size(), kProductTable.size());
    EXPECT_TRUE(setButton->GetForeImage().empty());

    // Message 3093 opens it beside the caption, and each opening asks again.
    opened = false;
    WhenOpen("SetWnd", [&](CPaintManagerUI* settings) {
        opened = true;
        const RECT main = w.GetWindowRect();
        const RECT placed = FromHandle(SettingsWindow())->GetWindowRect();
        EXPECT_EQ(placed.right, main.right - 30 * w.Dpi() / 96);
        EXPECT_EQ(placed.top, main.top + 60 * w.Dpi() / 96);
        EXPECT_TRUE(PumpUntil([&] { return static_cast<CSetWnd*>(FromHandle(SettingsWindow()))->IsCheckFinished(); }));
        settings->FindControl("closebtn")->Activate();
    });
    PostMessage(w.GetHWND(), AppMsg::kOpenSettingsAtSide, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return opened && !SettingsWindow(); }, 10000));
    EXPECT_EQ(service.Requests().size(), 2 * kProductTable.size());
}

TEST_F(SettingsJourney, EachKindOfSkinChoiceChangesTheBackground) {
    CMainWnd& w = Start("en_US.UTF-8");
    w.ShowWindow(true);
    Pump(100);
    const QImage shipped = Grab();
    const QPoint probe(shipped.width() / 2, shipped.height() - 20);

    // The chooser closes when it loses the focus, so each choice opens it as a user would.
    auto nth = [&](const std::string& name, int n) -> CControlUI* {
        CPaintManagerUI* chooser = OpenManager("UISkinFrame");
        if (!chooser) {
            w.FindControl("skinbtn")->Activate();
            PumpUntil([&] { return (chooser = OpenManager("UISkinFrame")) != nullptr; }, 2000);
        }
        if (!chooser) return nullptr;
        int i = 0;
        CControlUI* found = nullptr;
        chooser->GetRoot()->VisitTree([&](CControlUI* c) {
            if (c->GetName() == name && i++ == n) found = c;
            return !found;
        });
        return found;
    };
    // An offered image.
    ASSERT_NE(nth("skin_image_btn", 2), nullptr);
    nth("skin_image_btn", 2)->Activate();
    Pump(50);
    const QImage image = Grab();
    EXPECT_NE(image.pixelColor(probe), shipped.pixelColor(probe));
    Screenshot("skin_offered_image");
    // A plain colour.
    CControlUI* colour = nth("skin_color_btn", 6);
    ASSERT_NE(colour, nullptr);
    const DWORD chosen = colour->GetBkColor();
    colour->Activate();
    Pump(50);
    EXPECT_EQ(Grab().pixelColor(probe).rgba(), QColor::fromRgba(chosen).rgba());
    Screenshot("skin_colour");
    // An image of the user's own.
    const std::string own = (dir_ / "own.png").string();
    QImage picture(64, 40, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 90));
    ASSERT_TRUE(picture.save(QString::fromStdString(own)));
    SetCustomImageChooser([&](HWND) { return std::optional<std::string>(own); });
    ASSERT_NE(nth("skin_Custom", 0), nullptr);
    nth("skin_Custom", 0)->Activate();
    Pump(50);
    EXPECT_EQ(Grab().pixelColor(probe), QColor(200, 40, 90));
    Screenshot("skin_own_image");
    // The reset brings back the shipped look exactly.
    ASSERT_NE(nth("skin_reset", 0), nullptr);
    nth("skin_reset", 0)->Activate();
    Pump(50);
    // The page area (the caption's buttons keep their own hover and focus marks).
    const RECT page = w.FindControl("page_area")->GetPos();
    const QRect area(page.left, page.top, page.right - page.left, page.bottom - page.top);
    EXPECT_EQ(Grab().copy(area), shipped.copy(area));
}

// Every tab of a keyboard page, in both languages and at both scales; every keyboard's page
// with ZORV_ALL_SCREENSHOTS=1 (the pages share their panels, so one is the quick default).
TEST_F(SettingsJourney, ScreenshotsOfEveryTab) {
    struct Product {
        uint16_t productId;
        const char* model;
    };
    std::vector<Product> products{{kT5K1, "T5K1"}};
    if (const char* all = std::getenv("ZORV_ALL_SCREENSHOTS"); all && std::string(all) == "1")
        products.insert(products.end(), {{kT3H7, "T3H7"}, {kT3N9, "T3N9"}});
    const struct {
        const char* name;
        const char* file;
    } languages[] = {{"en", "lang/lan_en.xml"}, {"zh", "lang/lan_cn.xml"}};
    CMainWnd& w = Start("en_US.UTF-8");
    for (const auto& product : products) {
        emu::EmulatedKeyboard& keyboard = Plug(product.productId, product.model);
        ASSERT_TRUE(WaitConnected(product.productId)) << product.model;
        for (const auto& language : languages) {
            ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage(language.file));
            CPaintManagerUI::ReloadAllText();
            Engine(product.productId)->RefreshPage();
            for (const int dpi : {96, 144}) {
                w.ApplyInterfaceScale(dpi);
                Pump(100);
                // The page's own tab headers, as a user clicks them.
                for (const char* tab : {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"}) {
                    CControlUI* header = PageControl(product.productId, tab);
                    ASSERT_NE(header, nullptr) << tab;
                    header->Activate();
                    Pump(150);
                    Screenshot(std::string("page_") + product.model + "_" + language.name + "_" + std::to_string(dpi) +
                               "_" + tab);
                }
                PageControl(product.productId, "deng_Op_tab")->Activate();
            }
        }
        ASSERT_TRUE(keyboard.Unplug());
        ASSERT_TRUE(PumpUntil([&] { return !EntryShown(product.productId); }));
    }
    CResourceManager::GetInstance()->ResetTextMap();
}

TEST_F(SettingsJourney, RepeatRateShowsItsValue) {
    Start("en_US.UTF-8", kT5K1, "T5K1");
    auto* functions = PageControlAs<CTabLayoutUI>(kT5K1, "device_function_switch", "TabLayout");
    ASSERT_NE(functions, nullptr);
    auto* slider = PageControlAs<CSliderUI>(kT5K1, "repeat_rate_slider", "Slider");
    CControlUI* value = PageControl(kT5K1, "repeat_rate_slider_value");
    ASSERT_TRUE(slider && value);
    Raise(slider, DUI_MSGTYPE_CLICK);
    EXPECT_EQ(value->GetText(), std::to_string(slider->GetValue()));
    slider->SetValue(40);
    Raise(slider, DUI_MSGTYPE_VALUECHANGED);
    EXPECT_EQ(value->GetText(), "40");
}

}  // namespace
