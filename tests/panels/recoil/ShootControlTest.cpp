// The recoil panel alone over its layout, with the shipped gun files in a fresh user folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "toolkit/Button.h"
#include "toolkit/Container.h"
#include "engines/mouse/TorvanelMouseDevice.h"
#include "panels/recoil/ShootControlUI.h"
#include "platform/Folders.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;

namespace {

constexpr const char* kPreview = "XML/CustomControlXML/recoil/recoil-panel-preview.xml";

class ShootPanel : public ::testing::Test {
protected:
    void SetUp() override {
        const char* root = std::getenv("ZORV_TEST_TMP");
        folder_ = std::filesystem::path(root && *root ? root : "/tmp/zorv-recoil-tests") /
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        RegisterShootControls();
        window_ = ToolkitTest::OpenWindow(kPreview, 316, 640);
        panel_ = static_cast<CShootControlUI*>(
            window_->GetPaintManager()->GetRoot()->GetInterface(CShootControlUI::kClassName));
        ASSERT_NE(panel_, nullptr);
        panel_->SetUpShootPanel(folder_.string() + "/", ProgramFolder() + "DefaultData/");
    }
    void TearDown() override {
        SetShootFileChooser(nullptr);
        delete window_;
    }
    CControlUI* Find(const std::string& name) const { return window_->GetPaintManager()->FindControl(name); }
    COptionUI* Option(const std::string& name) const {
        CControlUI* c = Find(name);
        return c ? static_cast<COptionUI*>(c->GetInterface("Option")) : nullptr;
    }
    // A notification as the main window routes it.
    void Notify(const std::string& type, const std::string& name, int number = -1) {
        EXPECT_TRUE(panel_->HandleNotify(engine_, type, name, number, 0)) << type << " " << name;
    }
    void Select(const std::string& name, int number) {
        Option(name)->Selected(true, false);
        Notify("selectchanged", name, number);
    }
    void Type(const std::string& edit, const std::string& text) {
        Find(edit)->SetText(text);
        Notify("killfocus", edit);
    }

    std::filesystem::path folder_;
    ToolkitTest::RecordingWindow* window_ = nullptr;
    CShootControlUI* panel_ = nullptr;
    CTorvanelMouseDevice engine_;  // no mouse behind it: the upload sends nothing
};

}  // namespace

TEST_F(ShootPanel, PreviousAndNextStopAtTheEndsAndTheLabelCountsFromOne) {
    const struct {
        const char* button;
        int from, to;
        const char* label;
    } cases[] = {
        {"bullet_selected_prev", 0, 0, "1"},
        {"bullet_selected_next", 0, 1, "2"},
        {"bullet_selected_next", 29, 29, "30"},
        {"bullet_selected_prev", 29, 28, "29"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " from " + std::to_string(c.from));
        panel_->SelectBullet(c.from);
        Notify("click", c.button);
        EXPECT_EQ(panel_->CurrentBullet(), c.to);
        EXPECT_EQ(Find("bullet_select_index")->GetText(), c.label);
        EXPECT_TRUE(Option("bullet_op_" + std::to_string(c.to))->IsSelected());
    }
}

TEST_F(ShootPanel, AnotherGunKeepsTheBulletAndShowsItsPicturePage) {
    Type("bullet_x_eidt", "0");
    Select("bullet_op_7", 7);
    Type("bullet_delay_eidt", "77");  // gun 0, bullet 7
    Select("shoot_gun_op_2", 2);
    EXPECT_EQ(panel_->CurrentGun(), 2);
    EXPECT_EQ(panel_->CurrentBullet(), 7);
    auto* pages = static_cast<CTabLayoutUI*>(Find("shoot_image_display_switch")->GetInterface("TabLayout"));
    EXPECT_EQ(pages->GetCurSel(), 2);
    EXPECT_EQ(Find("bullet_delay_eidt")->GetText(), std::to_string(panel_->Data().LoadBullet(2, 7).delay));
    EXPECT_EQ(panel_->Data().LoadBullet(0, 7).delay, 77);
}

TEST_F(ShootPanel, ADirectionBoxOnlyChangesItsCaptionUntilAnEditIsLeft) {
    const BulletValues stored = panel_->Data().LoadBullet(0, 3);
    panel_->SelectBullet(3);
    COptionUI* x = Option("bullet_x_check");
    x->Selected(!stored.left, false);
    Notify("selectchanged", "bullet_x_check");
    EXPECT_EQ(x->GetTextSource(), stored.left ? "mouse_move_to_right_text" : "mouse_move_to_left_text");
    panel_->SelectBullet(4);
    panel_->SelectBullet(3);
    EXPECT_EQ(panel_->Data().LoadBullet(0, 3), stored);
    EXPECT_EQ(x->IsSelected(), stored.left);
    // Leaving an edit stores the box with the edits.
    x->Selected(!stored.left, false);
    Type("bullet_y_eidt", "12");
    const BulletValues now = panel_->Data().LoadBullet(0, 3);
    EXPECT_EQ(now.left, !stored.left);
    EXPECT_EQ(now.y, 12);
}

TEST_F(ShootPanel, ResetImportAndExportActOnTheCurrentGunOnly) {
    Select("shoot_gun_op_1", 1);
    panel_->SelectBullet(5);
    Type("bullet_x_eidt", "42");
    ASSERT_EQ(panel_->Data().LoadBullet(1, 5).x, 42);
    const BulletValues gun2 = panel_->Data().LoadBullet(2, 5);
    Notify("click", "shootdate_reset_btn");
    EXPECT_NE(Find("bullet_x_eidt")->GetText(), "42");  // bullet 5 reloaded from the restored file
    EXPECT_NE(panel_->Data().LoadBullet(1, 5).x, 42);

    Type("bullet_x_eidt", "33");
    const std::string exported = (folder_ / "gun1.shoot").string();
    SetShootFileChooser([&](HWND, bool save) { return save ? exported : std::string(); });
    Notify("click", "shootdate_export_btn");
    ASSERT_TRUE(std::filesystem::exists(exported));
    Notify("click", "shootdate_import_btn");  // cancelled: nothing changes
    Select("shoot_gun_op_3", 3);
    SetShootFileChooser([&](HWND, bool) { return exported; });
    Notify("click", "shootdate_import_btn");
    EXPECT_EQ(panel_->Data().LoadBullet(3, 5).x, 33);
    EXPECT_EQ(Find("bullet_x_eidt")->GetText(), "33");
    EXPECT_EQ(panel_->Data().LoadBullet(2, 5), gun2);
}

TEST_F(ShootPanel, BadTypedValuesAreStoredAsZero) {
    panel_->SelectBullet(0);
    Type("bullet_x_eidt", "abc");
    Type("bullet_delay_eidt", "");
    const BulletValues values = panel_->Data().LoadBullet(0, 0);
    EXPECT_EQ(values.x, 0);
    EXPECT_EQ(values.delay, 0);
}
