// The profile strip on its own: which settings tabs each family shows, the tab selection, the
// foldable menu, the lookup tables, and screenshots of the strip.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "toolkit/Button.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ResourceManager.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "panels/profile/DeviceProfileUI.h"
#include "panels/profile/ProfileActions.h"
#include "panels/profile/SettingsTabs.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;

namespace {

constexpr const char* kStripLayout = "XML/CustomControlXML/DeviceProfile.xml";

class ProfileStrip : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const char* root = std::getenv("ZORV_TEST_TMP");
        home_ = std::filesystem::path(root && *root ? root : "/tmp/zorv-profile-strip") / info->name();
        std::filesystem::remove_all(home_);
        std::filesystem::create_directories(home_);
        setenv("XDG_DATA_HOME", home_.c_str(), 1);
        RegisterProfileControls();
        RegisterKeyboardControls();
    }
    void TearDown() override {
        delete window_;
        CPaintManagerUI::SetAllDPI(96);
        ToolkitTest::Pump();
    }

    CDeviceProfileUI* OpenStrip(int category) {
        window_ = ToolkitTest::OpenWindow(kStripLayout, 968, 40);
        auto* panel = static_cast<CDeviceProfileUI*>(
            window_->GetPaintManager()->GetRoot()->GetInterface(CDeviceProfileUI::kClassName));
        if (!panel) return nullptr;
        panel->SetDeviceCategory(category);
        panel->SetFolders(home_.string() + "/", (home_ / "no-defaults.Json").string());
        panel->InitProfileList();
        return panel;
    }
    COptionUI* Tab(const std::string& name) const {
        CControlUI* c = window_->GetPaintManager()->FindControl(name);
        return c ? static_cast<COptionUI*>(c->GetInterface("Option")) : nullptr;
    }
    std::vector<bool> TabsVisible() const {
        std::vector<bool> shown;
        for (const char* name : kSettingsTabNames) shown.push_back(Tab(name)->IsVisible());
        return shown;
    }
    std::vector<bool> TabsSelected() const {
        std::vector<bool> selected;
        for (const char* name : kSettingsTabNames) selected.push_back(Tab(name)->IsSelected());
        return selected;
    }

    std::filesystem::path home_;
    ToolkitTest::RecordingWindow* window_ = nullptr;
};

// A language file of the strip's own keys from the key table, in one column.
std::string WriteStripLanguage(const std::filesystem::path& folder, int column) {
    std::ifstream keys(std::string(ZORV_SOURCE_SKIN) + "/XML/CustomControlXML/profile/text-keys.tsv");
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Language>\n";
    std::string line;
    while (std::getline(keys, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string f; std::getline(split, f, '\t');) fields.push_back(f);
        if (fields.size() < 3) continue;
        xml << "  <Text key=\"" << fields[0] << "\" value=\"" << fields[column] << "\"/>\n";
    }
    xml << "</Language>\n";
    const std::filesystem::path file = folder / (column == 1 ? "strip_en.xml" : "strip_cn.xml");
    std::ofstream(file) << xml.str();
    return file.string();
}

}  // namespace

TEST_F(ProfileStrip, EachFamilyShowsItsSettingsTabs) {
    const struct {
        int category;
        std::vector<bool> visible;  // tabs 1 to 8
    } cases[] = {
        {1, {true, true, true, true, false, false, false, false}},
        {2, {true, true, true, true, true, false, false, false}},
        {3, {true, false, false, false, false, false, false, false}},
        {7, {true, false, false, false, false, true, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.category);
        ASSERT_NE(OpenStrip(c.category), nullptr);
        EXPECT_EQ(TabsVisible(), c.visible);
        delete window_;
        window_ = nullptr;
    }
}

TEST_F(ProfileStrip, TheStripTakesItsFamilyFromTheOwningEngine) {
    window_ = ToolkitTest::OpenWindow(ZORV_PROFILE_TEST_PAGE, 1000, 120);
    auto* engine = static_cast<CTorvanelUSBDevice*>(
        window_->GetPaintManager()->GetRoot()->GetInterface(CTorvanelUSBDevice::kClassName));
    ASSERT_NE(engine, nullptr);
    CDeviceProfileUI* panel = FindProfilePanel(*engine);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->OwningEngine(), engine);
    const std::string uuid = panel->LoadProfiles(home_.string() + "/", "");
    EXPECT_EQ(uuid, panel->GetCurrentUuid());
    EXPECT_EQ(panel->GetDeviceCategory(), 1);
    EXPECT_FALSE(Tab("cursor_Op_tab")->IsVisible());
    EXPECT_EQ(TabsSelected(), (std::vector<bool>{true, false, false, false, false, false, false, false}));
}

TEST_F(ProfileStrip, ExactlyTheChosenTabIsMarked) {
    ASSERT_NE(OpenStrip(7), nullptr);
    auto* panel = static_cast<CDeviceProfileUI*>(window_->GetPaintManager()->GetRoot());
    window_->ClearEvents();
    for (int n = 1; n <= kSettingsTabCount; ++n) {
        SCOPED_TRACE(n);
        panel->SelectSettingsTab(n);
        std::vector<bool> expected(kSettingsTabCount, false);
        expected[n - 1] = true;
        EXPECT_EQ(TabsSelected(), expected);
    }
    // Another number clears the first seven and leaves the surround tab as it was.
    for (int n : {0, 9, -1}) {
        SCOPED_TRACE(n);
        panel->SelectSettingsTab(8);
        panel->SelectSettingsTab(n);
        EXPECT_EQ(TabsSelected(), (std::vector<bool>{false, false, false, false, false, false, false, true}));
    }
    EXPECT_TRUE(window_->Events().empty());
}

TEST_F(ProfileStrip, TheSpreadButtonFoldsTheMenu) {
    CDeviceProfileUI* panel = OpenStrip(1);
    ASSERT_NE(panel, nullptr);
    CControlUI* menu = window_->GetPaintManager()->FindControl("profile_menu_layout");
    ASSERT_NE(menu, nullptr);
    const bool initial = menu->IsVisible();
    for (int press = 1; press <= 3; ++press) {
        panel->ToggleMenu();
        EXPECT_EQ(menu->IsVisible(), press % 2 ? !initial : initial) << press;
        EXPECT_EQ(panel->IsMenuShown(), menu->IsVisible());
    }
}

TEST_F(ProfileStrip, EveryNamedControlIsInTheLayout) {
    ASSERT_NE(OpenStrip(1), nullptr);
    EXPECT_EQ(window_->GetPaintManager()->GetRoot()->GetName(), "DeviceProfileItem");
    for (const char* name :
         {"device_profile_combo", "device_profile_name_edit", "device_profile_edit_save_btn", "device_add_btn",
          "device_sub_btn", "device_copy_btn", "device_import_btn", "device_export_btn", "device_reset_btn",
          "profile_fun_spread_btn", "profile_menu_layout"})
        EXPECT_NE(window_->GetPaintManager()->FindControl(name), nullptr) << name;
    std::string group;
    for (const char* name : kSettingsTabNames) {
        ASSERT_NE(Tab(name), nullptr) << name;
        if (group.empty()) group = Tab(name)->GetGroup();
        EXPECT_EQ(Tab(name)->GetGroup(), group) << name;
    }
    EXPECT_FALSE(group.empty());
}

TEST(ProfileTables, TabNumbersAndFamilies) {
    const struct {
        const char* name;
        int number;
    } tabs[] = {{"deng_Op_tab", 1}, {"cursor_Op_tab", 5}, {"Virtual7.1_Op_tab", 8}, {"DENG_OP_TAB", 0}, {"", 0}};
    for (const auto& t : tabs) EXPECT_EQ(SettingsTabNumber(t.name), t.number) << t.name;

    const struct {
        int kind;
        int category;
    } kinds[] = {{1, 1}, {9, 1}, {2, 2}, {6, 2}, {3, 3}, {7, 7}, {0, 0}, {255, 0}};
    for (const auto& k : kinds) EXPECT_EQ(CategoryOfDeviceKind(k.kind), k.category) << k.kind;
    EXPECT_EQ(CategoryOfEngineClass("TorvanelHS6533Device"), 7);
    EXPECT_EQ(CategoryOfEngineClass("Unknown"), 0);
}

TEST(ProfileTables, TheCountGoesIntoTheTextWithoutPrintf) {
    const struct {
        const char* text;
        int n;
        const char* shown;
    } cases[] = {
        {"error %d.", 3, "error 3."},
        {"%d of %d", 12, "12 of %d"},
        {"no number", 5, "no number"},
        {"%s %n %d", -2, "%s %n -2"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatCount(c.text, c.n), c.shown) << c.text;
}

TEST_F(ProfileStrip, Screenshots) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    const std::string languages[] = {WriteStripLanguage(home_, 1), WriteStripLanguage(home_, 2)};
    const char* languageNames[] = {"en", "zh"};
    for (int l = 0; l < 2; ++l) {
        for (int dpi : {96, 144}) {
            for (bool spread : {false, true}) {
                CResourceManager::GetInstance()->LoadLanguage(languages[l]);
                CDeviceProfileUI* panel = OpenStrip(1);
                ASSERT_NE(panel, nullptr);
                panel->AddItem("Evening games", "Evening games");
                panel->ShowName("profile1");
                if (panel->IsMenuShown() != spread) panel->ToggleMenu();
                CPaintManagerUI::SetAllDPI(dpi);
                window_->GetPaintManager()->UpdateLayout();
                ToolkitTest::Pump();
                const QImage shot = window_->GetHostWidget()->grab().toImage();
                EXPECT_EQ(shot.width(), 968 * dpi / 96);
                const QString file = QString("%1/profile_strip_%2_%3_%4.png")
                                         .arg(ZORV_SCREENSHOT_DIR)
                                         .arg(languageNames[l])
                                         .arg(dpi)
                                         .arg(spread ? "spread" : "folded");
                EXPECT_TRUE(shot.save(file)) << file.toStdString();
                delete window_;
                window_ = nullptr;
                CPaintManagerUI::SetAllDPI(96);
            }
        }
    }
}
