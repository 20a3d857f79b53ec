// The macro editor alone over a real library folder: row moves, inserts, the delay field, and the
// files a user may import, good and bad; and how it looks with a recorded macro.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QWidget>

#include <filesystem>
#include <fstream>

#include "panels/macro/MacroActions.h"
#include "panels/macro/MacroControlUI.h"
#include "panels/profile/ProfileDialogs.h"
#include "store/JsonAccess.h"
#include "store/JsonFile.h"
#include "tests/support/MacroFiles.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ResourceManager.h"

using namespace DuiLib;

namespace {

constexpr const char* kPreview = "XML/CustomControlXML/macro/macro-panel-preview.xml";
namespace fs = std::filesystem;

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TestFolder(const std::string& name) {
    const char* root = std::getenv("ZORV_TEST_TMP");
    const fs::path folder = fs::path(root && *root ? root : "/tmp/zorv-macro-panel-tests") / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string() + "/";
}

class MacroPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        CResourceManager::GetInstance()->LoadLanguage("lang/lan_en.xml");
        RegisterMacroControls();
        folder_ = TestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        SetProfileDialogHooks({[this](HWND, int, const std::string& text, bool, int) {
                                   messages_.push_back(text);
                                   return 1;
                               },
                               {}});
        window_ = ToolkitTest::OpenWindow(kPreview, 316, 454);
        ASSERT_NE(window_, nullptr);
        panel_ = static_cast<CMacroControlUI*>(window_->GetPaintManager()->GetRoot()->GetInterface(CMacroControlUI::kClassName));
        ASSERT_NE(panel_, nullptr);
    }
    void TearDown() override {
        delete window_;
        ToolkitTest::Pump();
        SetProfileDialogHooks({});
    }
    // A library of one macro with these events, bound and selected.
    void Library(const std::vector<MacroEvent>& events) {
        testsupport::WriteMacroLibrary(folder_, {{"macro_1", "g1", events}});
        panel_->BindEngine(folder_, nullptr);
        panel_->Select(0, false);
        panel_->OnMacroSelected();
    }
    std::vector<int> Buttons() const {
        std::vector<int> buttons;
        for (int i = 0; i < panel_->RowCount(); ++i) buttons.push_back(MemberOf(panel_->RowEvent(i), "Button").asInt());
        return buttons;
    }
    std::vector<MacroEvent> FileEvents() const {
        std::vector<MacroEvent> events;
        const Json::Value file = ReadJsonValue(folder_ + "g1.mac");
        for (const Json::Value& e : MemberOf(file, "Events")) events.push_back(MacroEvent::FromJson(e));
        return events;
    }
    std::string WriteFile(const std::string& name, const std::string& text) {
        std::ofstream(folder_ + name) << text;
        return folder_ + name;
    }

    std::string folder_;
    std::vector<std::string> messages_;
    ToolkitTest::RecordingWindow* window_ = nullptr;
    CMacroControlUI* panel_ = nullptr;
};

std::vector<MacroEvent> FiveKeys() {
    std::vector<MacroEvent> events;
    for (int i = 0; i < 5; ++i) events.push_back({"down", kMacroTypeKey, 4 + i, "10"});
    return events;
}

TEST_F(MacroPanelTest, RowMovesAtTheEdgesAndInside) {
    struct Case {
        const char* name;
        int selected;
        MacroMove move;
        std::vector<int> buttons;
        int selectedAfter;
    };
    const Case cases[] = {
        {"up on row 0", 0, MacroMove::Up, {4, 5, 6, 7, 8}, 0},
        {"down on the last row", 4, MacroMove::Down, {4, 5, 6, 7, 8}, 4},
        {"top on row 0", 0, MacroMove::Top, {4, 5, 6, 7, 8}, 0},
        {"bottom on the last row", 4, MacroMove::Bottom, {4, 5, 6, 7, 8}, 4},
        {"up", 2, MacroMove::Up, {4, 6, 5, 7, 8}, 1},
        {"down", 2, MacroMove::Down, {4, 5, 7, 6, 8}, 3},
        {"top", 3, MacroMove::Top, {7, 4, 5, 6, 8}, 0},
        {"bottom", 1, MacroMove::Bottom, {4, 6, 7, 8, 5}, 4},
        {"nothing selected", -1, MacroMove::Down, {4, 5, 6, 7, 8}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Library(FiveKeys());
        panel_->SelectRow(c.selected);
        panel_->MoveSelectedRow(c.move);
        EXPECT_EQ(Buttons(), c.buttons);
        EXPECT_EQ(panel_->SelectedRow(), c.selectedAfter);
    }
}

TEST_F(MacroPanelTest, InsertsGoAfterTheSelectionWithTheFixedDelay) {
    Library(FiveKeys());
    panel_->SelectRow(2);
    ASSERT_TRUE(InsertFromMenu(*panel_, "left_click"));
    EXPECT_EQ(panel_->RowCount(), 7);
    EXPECT_EQ(MacroEvent::FromJson(panel_->RowEvent(3)), (MacroEvent{"down", 1, 0x01, "50"}));
    EXPECT_EQ(MacroEvent::FromJson(panel_->RowEvent(4)), (MacroEvent{"up", 1, 0x01, "50"}));
    EXPECT_EQ(panel_->SelectedRow(), 4);
    ASSERT_TRUE(InsertFromMenu(*panel_, "back_down"));
    EXPECT_EQ(MacroEvent::FromJson(panel_->RowEvent(5)), (MacroEvent{"down", 1, 0x08, "50"}));
    EXPECT_FALSE(InsertFromMenu(*panel_, "no_such_item"));
    // The file follows the rows.
    EXPECT_EQ(FileEvents().size(), 8u);
    // A move of 300 pixels keeps the low 8 bits.
    panel_->Controls().SetText("mouse_x_left_edit", "300");
    panel_->InsertMouseEvent(0x200, static_cast<int>(MouseMoveDirection::Left));
    EXPECT_EQ(MacroEvent::FromJson(panel_->RowEvent(6)), (MacroEvent{"down", 4, 44, "50"}));
    panel_->Controls().SetText("mouse_y_down_edit", "20");
    panel_->InsertMouseEvent(0x200, static_cast<int>(MouseMoveDirection::Down));
    EXPECT_EQ(MacroEvent::FromJson(panel_->RowEvent(7)), (MacroEvent{"up", 5, 20, "50"}));
}

TEST_F(MacroPanelTest, DelayFieldsSaveClampedAndEmptyAsZero) {
    Library(FiveKeys());
    auto delayOf = [&](int row) {
        return static_cast<CContainerUI*>(panel_->Controls().List("macro_action_list")->GetItemAt(row)->GetInterface("Container"))->GetItemAt(2);
    };
    delayOf(0)->SetText("70000");
    delayOf(1)->SetText("");
    delayOf(2)->SetText("250");
    EXPECT_EQ(panel_->SaveMacro(), 1);
    const std::vector<MacroEvent> events = FileEvents();
    EXPECT_EQ(events[0].Delay, "65535");
    EXPECT_EQ(events[1].Delay, "0");
    EXPECT_EQ(events[2].Delay, "250");
    EXPECT_EQ(delayOf(0)->GetText(), "65535");
    EXPECT_EQ(delayOf(1)->GetText(), "0");
}

TEST_F(MacroPanelTest, ImportedFilesAreCheckedAndNothingIsLost) {
    Library(FiveKeys());
    Json::Value many(Json::objectValue);
    many["Events"] = Json::Value(Json::arrayValue);
    for (int i = 0; i < 100000; ++i) many["Events"].append(MacroEvent{"down", 10, 4, "1"}.ToJson());
    ASSERT_TRUE(WriteJsonValue(folder_ + "many.mac", many));
    struct Case {
        const char* name;
        std::string path;
        MacroFileCheck check;
        const char* message;
    };
    const Case cases[] = {
        {"not JSON", WriteFile("text.mac", "this is not a macro"), MacroFileCheck::Unreadable, "message_text_30"},
        {"an array", WriteFile("array.mac", "[1, 2, 3]"), MacroFileCheck::NotMacro, "message_text_30"},
        {"events not a list", WriteFile("object.mac", R"({"Events": {"Action": "down"}})"), MacroFileCheck::NotMacro, "message_text_30"},
        {"a type as text", WriteFile("types.mac", R"({"Events": [{"Action": "down", "Type": "ten", "Button": 4}]})"),
         MacroFileCheck::NotMacro, "message_text_30"},
        {"a delay as a list", WriteFile("delay.mac", R"({"Events": [{"Action": "down", "Type": 10, "Button": 4, "Delay": []}]})"),
         MacroFileCheck::NotMacro, "message_text_30"},
        {"100 000 events", folder_ + "many.mac", MacroFileCheck::TooManyEvents, "message_text_31"},
    };
    const std::string library = ReadFileText(folder_ + "macro.config");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckMacroFile(c.path), c.check);
        messages_.clear();
        EXPECT_EQ(ImportMacroFile(nullptr, *panel_, c.path), "");
        EXPECT_EQ(messages_, std::vector<std::string>{c.message});
        EXPECT_EQ(panel_->Count(), 1);
        EXPECT_EQ(ReadFileText(folder_ + "macro.config"), library);
    }
    // Absurd delays are taken, shown and saved as the longest delay; nothing else changes.
    const std::string absurd = WriteFile(
        "absurd.mac", R"({"Events": [{"Action": "down", "Type": 10, "Button": 4, "Delay": "99999999"},
                                     {"Action": "up", "Type": 10, "Button": 4, "Delay": -5}]})");
    EXPECT_EQ(CheckMacroFile(absurd), MacroFileCheck::Ok);
    messages_.clear();
    EXPECT_EQ(ImportMacroFile(nullptr, *panel_, absurd), "macro_2");
    EXPECT_TRUE(messages_.empty());
    ASSERT_EQ(panel_->RowCount(), 2);
    EXPECT_EQ(panel_->SaveMacro(), 1);
    const Json::Value saved = ReadJsonValue(panel_->Library().MacroFilePath(1));
    EXPECT_EQ(MemberOf(saved["Events"][0], "Delay").asString(), "65535");
    EXPECT_EQ(MemberOf(saved["Events"][1], "Delay").asString(), "0");
    EXPECT_EQ(MemberOf(saved["Events"][1], "Button").asInt(), 4);
}

TEST_F(MacroPanelTest, TheFiftyFirstMacroIsRefused) {
    std::vector<testsupport::MacroSpec> macros;
    for (int i = 0; i < 50; ++i) macros.push_back({"m" + std::to_string(i), "g" + std::to_string(i), {}});
    testsupport::WriteMacroLibrary(folder_, macros);
    panel_->BindEngine(folder_, nullptr);
    ASSERT_EQ(panel_->Count(), 50);
    EXPECT_EQ(panel_->AddMacro(), "");
    EXPECT_EQ(panel_->Count(), 50);
    const Json::Value library = ReadJsonValue(folder_ + "macro.config");
    EXPECT_EQ(ArraySize(MemberOf(library, "MacroInfo")), 50);
}

TEST(MacroPanelScreenshot, RecordedMacroInTwoLanguagesAtTwoDpis) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    RegisterMacroControls();
    const std::string folder = TestFolder("screenshots");
    const std::vector<MacroEvent> recorded = {
        {"down", 9, 0x02, "35"}, {"down", 10, 0x04, "120"}, {"up", 10, 0x04, "18"}, {"up", 9, 0x02, "200"},
        {"down", 1, 0x01, "80"}, {"up", 1, 0x01, "0"},      {"down", 4, 40, "50"},
    };
    testsupport::WriteMacroLibrary(folder, {{"macro_1", "g1", recorded}, {"Reload", "g2", {}}});
    for (const char* language : {"en", "cn"}) {
        CResourceManager::GetInstance()->LoadLanguage(std::string("lang/lan_") + language + ".xml");
        for (int dpi : {96, 144}) {
            ToolkitTest::RecordingWindow* w = ToolkitTest::OpenWindow(kPreview, 316, 454);
            auto* panel = static_cast<CMacroControlUI*>(w->GetPaintManager()->GetRoot()->GetInterface(CMacroControlUI::kClassName));
            ASSERT_NE(panel, nullptr);
            panel->BindEngine(folder, nullptr);
            panel->Select(0, false);
            panel->OnMacroSelected();
            panel->SelectRow(1);
            CPaintManagerUI::SetAllDPI(dpi);
            ToolkitTest::Pump();
            const QImage shot = w->GetHostWidget()->grab().toImage();
            const QString path = QString("%1/macro_%2_%3.png").arg(ZORV_SCREENSHOT_DIR, language).arg(dpi);
            EXPECT_TRUE(shot.save(path)) << path.toStdString();
            delete w;
            ToolkitTest::Pump();
        }
    }
    CPaintManagerUI::SetAllDPI(96);
    CResourceManager::GetInstance()->LoadLanguage("lang/lan_en.xml");
}

}  // namespace
