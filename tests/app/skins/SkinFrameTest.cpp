#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/language/InterfaceFonts.h"
#include "app/skins/CustomImageDialog.h"
#include "app/skins/SkinChoiceFile.h"
#include "app/skins/SkinFrame.h"
#include "app/skins/SkinObserver.h"
#include "toolkit/UIlib.h"
#include "store/JsonFile.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

struct Announced : SkinReceiver {
    int OnChange(const SkinChangedParam& param) override {
        seen.push_back(param);
        return 1;
    }
    std::vector<SkinChangedParam> seen;
};

class SkinFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("ZORV_TEST_TMP");
        dir_ = std::filesystem::path(tmp ? tmp : "/tmp/skins_tests") /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(dir_);
        iniPath_ = (dir_ / "Zorv Wired Manager 1.0" / "main.ini").string();
        CResourceManager::GetInstance()->LoadResource();
        CResourceManager::GetInstance()->LoadLanguage("lang/lan_en.xml");
        RebuildInterfaceFonts("Noto Sans");
        main_ = OpenWindow("toolkit-test/demo.xml");
        TheSkinObserver().AttachReceiver(&receiver_);
    }
    void TearDown() override {
        TheSkinObserver().DetachReceiver(&receiver_);
        SetCustomImageChooser(nullptr);
        if (frame_) frame_->Close();
        Pump();
        delete main_;
        Pump();
    }
    CSkinFrame* OpenFrame() {
        frame_ = new CSkinFrame(main_->GetHWND(), main_->FindControl("closebtn"), iniPath_);
        frame_->Create(main_->GetHWND(), "skinframe", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        Pump();
        return frame_;
    }
    CControlUI* Nth(const std::string& name, int n) {
        int i = 0;
        CControlUI* found = nullptr;
        frame_->GetPaintManager()->GetRoot()->VisitTree([&](CControlUI* c) {
            if (c->GetName() == name && i++ == n) found = c;
            return !found;
        });
        return found;
    }
    Json::Value Ini() const { return ReadJsonValue(iniPath_); }

    std::filesystem::path dir_;
    std::string iniPath_;
    RecordingWindow* main_ = nullptr;
    CSkinFrame* frame_ = nullptr;
    Announced receiver_;
};

TEST_F(SkinFrameTest, OfferedImageIsAnnouncedAndRemembered) {
    OpenFrame();
    CControlUI* second = Nth("skin_image_btn", 1);
    ASSERT_NE(second, nullptr);
    second->Activate();
    ASSERT_EQ(receiver_.seen.size(), 1u);
    EXPECT_FALSE(receiver_.seen[0].isColour);
    EXPECT_EQ(receiver_.seen[0].image, "dialogs/skin_bg_2.svg");
    EXPECT_EQ(Ini()["SKINIMAGE"]["FLAGS"].asString(), "1");
    EXPECT_EQ(Ini()["SKINIMAGE"]["IMAGE"].asString(), "dialogs/skin_bg_2.svg");
}

TEST_F(SkinFrameTest, ColourIsAnnouncedButNotWrittenAndResetGoesBackToTheDefault) {
    OpenFrame();
    frame_->FindControl("skin_color")->Activate();
    auto* tab = static_cast<CTabLayoutUI*>(frame_->FindControl("skin_tab")->GetInterface("TabLayout"));
    EXPECT_EQ(tab->GetCurSel(), 1);
    CControlUI* colour = Nth("skin_color_btn", 6);
    colour->Activate();
    ASSERT_EQ(receiver_.seen.size(), 1u);
    EXPECT_TRUE(receiver_.seen[0].isColour);
    EXPECT_EQ(receiver_.seen[0].colour, colour->GetBkColor());
    EXPECT_FALSE(std::filesystem::exists(iniPath_));

    frame_->FindControl("skin_reset")->Activate();
    ASSERT_EQ(receiver_.seen.size(), 2u);
    EXPECT_FALSE(receiver_.seen[1].isColour);
    EXPECT_EQ(receiver_.seen[1].image, "common/background.png");
    EXPECT_EQ(Ini()["SKINIMAGE"]["FLAGS"].asString(), "0");
    EXPECT_EQ(Ini()["SKINIMAGE"]["IMAGE"].asString(), "common/background.png");
    frame_->FindControl("skin_image")->Activate();
    EXPECT_EQ(tab->GetCurSel(), 0);
}

TEST_F(SkinFrameTest, CustomImageIsAnnouncedOnlyWhenChosen) {
    OpenFrame();
    const struct {
        std::optional<std::string> chosen;
        size_t announced;
    } cases[] = {{std::nullopt, 0}, {std::string(), 0}, {std::string("/home/u/pic.png"), 1}};
    for (const auto& c : cases) {
        receiver_.seen.clear();
        bool asked = false;
        SetCustomImageChooser([&](HWND owner) {
            asked = true;
            EXPECT_EQ(owner, frame_->GetHWND());
            return c.chosen;
        });
        frame_->FindControl("skin_Custom")->Activate();
        EXPECT_TRUE(asked);
        ASSERT_EQ(receiver_.seen.size(), c.announced);
        if (c.announced) {
            EXPECT_EQ(receiver_.seen[0].image, *c.chosen);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(iniPath_)) << "custom images are not remembered";
}

TEST_F(SkinFrameTest, ChoiceFileKeepsOtherMembersAndDamagedContent) {
    std::filesystem::create_directories(std::filesystem::path(iniPath_).parent_path());
    std::ofstream(iniPath_) << R"({"Other": {"A": 1}, "SKINIMAGE": {"FLAGS": "0", "EXTRA": "x"}})";
    ASSERT_TRUE(WriteSkinChoice(iniPath_, "1", "dialogs/skin_bg_3.svg"));
    EXPECT_EQ(Ini()["Other"]["A"].asInt(), 1);
    EXPECT_EQ(Ini()["SKINIMAGE"]["EXTRA"].asString(), "x");
    EXPECT_EQ(Ini()["SKINIMAGE"]["IMAGE"].asString(), "dialogs/skin_bg_3.svg");

    std::ofstream(iniPath_) << "{ damaged";
    ASSERT_TRUE(WriteSkinChoice(iniPath_, "0", "common/background.png"));
    EXPECT_EQ(Ini()["SKINIMAGE"]["FLAGS"].asString(), "0");
    EXPECT_EQ(readjsonFile(iniPath_ + ".damaged"), "{ damaged");
}

TEST_F(SkinFrameTest, SitsUnderItsAnchorAndClosesItself) {
    OpenFrame();
    QWidget* host = frame_->GetHostWidget();
    const RECT anchor = main_->FindControl("closebtn")->GetPos();
    const QPoint corner = main_->GetHostWidget()->mapToGlobal(QPoint(anchor.right, anchor.bottom));
    EXPECT_EQ(host->geometry().right() + 1, corner.x());
    EXPECT_EQ(host->geometry().top(), corner.y());
    EXPECT_EQ(host->width(), 336);
    const HWND hwnd = frame_->GetHWND();
    frame_->OnDeactivated();
    frame_ = nullptr;
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }));
}

TEST_F(SkinFrameTest, Screenshots) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    for (const char* language : {"en", "zh"}) {
        CResourceManager::GetInstance()->LoadLanguage(std::string("lang/") + (language == std::string("zh") ? "lan_cn.xml" : "lan_en.xml"));
        RebuildInterfaceFonts(language == std::string("zh") ? "Noto Sans CJK SC" : "Noto Sans");
        for (const int dpi : {96, 144}) {
            OpenFrame();
            CPaintManagerUI::SetAllDPI(dpi);
            frame_->GetHostWidget()->resize(336 * dpi / 96, 244 * dpi / 96);
            frame_->GetPaintManager()->OnHostResized(336 * dpi / 96, 244 * dpi / 96);
            Pump();
            for (const int tab : {0, 1}) {
                frame_->FindControl(tab ? "skin_color" : "skin_image")->Activate();
                Pump();
                const QImage shot = frame_->GetHostWidget()->grab().toImage();
                EXPECT_TRUE(shot.save(QString("%1/skin_%2_%3_%4.png").arg(ZORV_SCREENSHOT_DIR).arg(language).arg(dpi).arg(tab ? "colours" : "images")));
            }
            frame_->Close();
            frame_ = nullptr;
            CPaintManagerUI::SetAllDPI(96);
            Pump();
        }
    }
}

}  // namespace
