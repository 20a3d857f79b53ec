// The key assignment panel alone: building the three-byte code from its controls, showing a code
// in them, key capture rows, the functions a keyboard hides, and how it looks in two languages at
// two DPIs.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QWidget>

#include "panels/keyset/KeySetControlUI.h"
#include "panels/keyset/KeySetTables.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/PaintManager.h"
#include "toolkit/ResourceManager.h"

using namespace DuiLib;

namespace {

constexpr const char* kPreview = "XML/CustomControlXML/keyset/keyset-panel-preview.xml";

class KeySetPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        CResourceManager::GetInstance()->LoadLanguage("lang/lan_en.xml");
        RegisterKeySetControls();
        window_ = ToolkitTest::OpenWindow(kPreview, 316, 454);
        ASSERT_NE(window_, nullptr);
        panel_ = static_cast<CKeySetControlUI*>(window_->GetPaintManager()->GetRoot()->GetInterface(CKeySetControlUI::kClassName));
        ASSERT_NE(panel_, nullptr);
        panel_->SetPanelKind(1);
        panel_->SetMacroList({"macro_1", "macro_2"});
    }
    void TearDown() override {
        delete window_;
        ToolkitTest::Pump();
    }
    void ChooseFunction(int function) {
        CComboUI* functions = panel_->Controls().Combo("keyset_function_combo");
        for (int i = 0; i < functions->GetCount(); ++i)
            if (std::atoi(functions->GetItemAt(i)->GetUserData().c_str()) == function) functions->SelectItem(i, false, false);
        panel_->OnFunctionChanged();
    }
    void Set(const std::string& name, const std::string& text) { panel_->Controls().SetText(name, text); }
    void Choose(const std::string& combo, int index) { panel_->Controls().Select(combo, index); }
    std::string Text(const std::string& name) { return panel_->Controls().Text(name); }
    int Chosen(const std::string& combo) { return panel_->Controls().Selected(combo); }

    ToolkitTest::RecordingWindow* window_ = nullptr;
    CKeySetControlUI* panel_ = nullptr;
};

TEST_F(KeySetPanelTest, ControlsBuildTheirCode) {
    struct Case {
        const char* name;
        int function;
        std::vector<std::pair<const char*, const char*>> edits;
        std::vector<std::pair<const char*, int>> combos;
        KeyAssignment code;
    };
    const Case cases[] = {
        {"wheel down 3", kFunctionWheel, {{"keyset_mousewheel_num_edit", "3"}, {"keyset_mousewheel_delay_edit", "2"},
                                          {"keyset_mousewheel_speed_edit", "5"}}, {{"keyset_mousewheel_combo", 1}}, {0x12, 0x25, 0xFD}},
        {"wheel up 3", kFunctionWheel, {{"keyset_mousewheel_num_edit", "3"}, {"keyset_mousewheel_delay_edit", "0"},
                                        {"keyset_mousewheel_speed_edit", "0"}}, {{"keyset_mousewheel_combo", 0}}, {0x12, 0x00, 0x03}},
        {"swing delay 20 keeps its low nibble", kFunctionSwing, {{"keyset_mouseswing_num_edit", "130"},
                                                                 {"keyset_mouseswing_delay_edit", "20"},
                                                                 {"keyset_mouseswing_speed_edit", "7"}},
         {{"keyset_mouseswing_combo", 1}}, {0x11, 0x47, 0x82}},
        {"fire", kFunctionFire, {{"keyset_mousefire_interval_edit", "40"}, {"keyset_mousefire_num_edit", "5"}}, {}, {0x14, 40, 5}},
        {"middle button", kFunctionMouse, {}, {{"keyset_mousekey_combo", 1}}, {0x10, 0x04, 0}},
        {"DPI cycle", kFunctionDpi, {}, {{"keyset_mousedpi_combo", 2}}, {0x13, 0x03, 0}},
        {"calculator", kFunctionMedia, {}, {{"keyset_media_combo", 16}}, {0x30, 0x92, 0x01}},
        {"wake", kFunctionSystem, {}, {{"keyset_system_combo", 2}}, {0x40, 0x04, 0}},
        {"macro 2 repeated while held", kFunctionMacro, {}, {{"keyset_macro_combo", 1}, {"keyset_macro_over_combo", 1}}, {0x70, 1, 1}},
        {"macro 1 five times", kFunctionMacro, {{"keyset_macro_cycle_edit", "5"}}, {{"keyset_macro_combo", 0}, {"keyset_macro_over_combo", 4}}, {0x71, 0, 5}},
        {"gun 3", kFunctionGunKey, {}, {{"keyset_gunkey_combo", 2}}, {0x72, 2, 0}},
        {"Ctrl+=", kFunctionCombination, {}, {{"keyset_combokey_combo", 10}}, {0x20, 0x01, 0x2E}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        panel_->SetAssignment({0, {0x20, 0, 0x3A}});
        ChooseFunction(c.function);
        for (const auto& [edit, text] : c.edits) Set(edit, text);
        for (const auto& [combo, index] : c.combos) Choose(combo, index);
        EXPECT_EQ(panel_->BuildAssignment().code, c.code);
        EXPECT_EQ(panel_->Current().code, c.code);
    }
}

TEST_F(KeySetPanelTest, ACodeShowsInItsControlsAndBuildsBackTheSame) {
    struct Case {
        const char* name;
        KeyAssignment code;
        int function;
        std::vector<std::pair<const char*, std::string>> texts;
    };
    const Case cases[] = {
        {"wheel down 3", {0x12, 0x25, 0xFD}, kFunctionWheel, {{"keyset_mousewheel_num_edit", "3"}, {"keyset_mousewheel_delay_edit", "2"}}},
        {"swing right 2", {0x11, 0x47, 0x82}, kFunctionSwing, {{"keyset_mouseswing_num_edit", "2"}, {"keyset_mouseswing_speed_edit", "7"}}},
        {"plain A", {0x20, 0, 0x04}, kFunctionKeyboard, {{"keyset_keyboard_text_edit", "A"}}},
        {"right Ctrl+F", {0x20, 0x10, 0x09}, kFunctionKeyboard, {{"keyset_keyboard_text_edit", "F"}}},
        {"Ctrl+C shortcut", {0x20, 0x01, 0x06}, kFunctionKeyboard, {{"keyset_keyboard_text_edit", "C"}}},
        {"mute", {0x30, 0xE2, 0}, kFunctionMedia, {}},
        {"macro 2 counted", {0x71, 1, 9}, kFunctionMacro, {{"keyset_macro_cycle_edit", "9"}}},
        {"fire", {0x14, 40, 5}, kFunctionFire, {{"keyset_mousefire_interval_edit", "40"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        panel_->SetAssignment({0, c.code});
        EXPECT_EQ(panel_->SelectedFunction(), c.function);
        for (const auto& [name, text] : c.texts) EXPECT_EQ(Text(name), text) << name;
        KeyAssignment rebuilt = panel_->BuildAssignment().code;
        // Right Ctrl shows as the Ctrl option, which builds left Ctrl.
        if (c.code[1] == 0x10) rebuilt[1] = 0x10;
        EXPECT_EQ(rebuilt, c.code);
    }
    panel_->SetAssignment({0, {0x20, 0x10, 0x09}});
    EXPECT_EQ(panel_->GetModifier(), 1);
    panel_->SetAssignment({0, {0x20, 0x20, 0x09}});
    EXPECT_EQ(panel_->GetModifier(), 2);
}

TEST_F(KeySetPanelTest, MissingMacrosAndUnknownCodes) {
    panel_->SetAssignment({0, {0x70, 5, 0}});  // macro 6 of a library of two
    EXPECT_EQ(Chosen("keyset_macro_combo"), -1);
    EXPECT_EQ(Chosen("keyset_macro_over_combo"), -1);
    // Choosing nothing keeps the previous assignment.
    panel_->SetMacroList({});
    panel_->SetAssignment({0, {0x30, 0xE2, 0}});
    ChooseFunction(kFunctionMacro);
    EXPECT_EQ(panel_->BuildAssignment().code, (KeyAssignment{0x30, 0xE2, 0}));
    // A code of no function (the FN key) hides the editing area.
    panel_->SetAssignment({0, {0xA0, 0x01, 0}});
    EXPECT_FALSE(panel_->Controls().Find("keyset_layout")->IsVisible());
    panel_->SetAssignment({0, {0x20, 0, 0x3A}});
    EXPECT_TRUE(panel_->Controls().Find("keyset_layout")->IsVisible());
}

TEST_F(KeySetPanelTest, CapturedShiftThenAGivesShiftA) {
    panel_->SetAssignment({0, {0x20, 0, 0x3A}});
    ChooseFunction(kFunctionKeyboard);
    EXPECT_EQ(panel_->GetModifier(), -1);
    EXPECT_EQ(Text("keyset_keyboard_text_edit"), "");
    ASSERT_TRUE(panel_->OnCapturedKey(1));  // left Shift
    EXPECT_EQ(panel_->GetModifier(), 2);
    EXPECT_EQ(Text("keyset_keyboard_text_edit"), "");
    ASSERT_TRUE(panel_->OnCapturedKey(8));  // A
    EXPECT_EQ(Text("keyset_keyboard_text_edit"), "A");
    EXPECT_EQ(panel_->Current().code, (KeyAssignment{0x20, 0x02, 0x04}));
    EXPECT_EQ(panel_->BuildAssignment().code, (KeyAssignment{0x20, 0x02, 0x04}));
    EXPECT_EQ(panel_->Current().keyValue, 0x41);
    // Right Alt picks the Alt option; a key without a key code (media row) is not taken.
    EXPECT_TRUE(panel_->OnCapturedKey(6));
    EXPECT_EQ(panel_->GetModifier(), 3);
    EXPECT_FALSE(panel_->OnCapturedKey(114));
}

TEST_F(KeySetPanelTest, AKeyboardHidesDpiAndGunKeys) {
    CComboUI* functions = panel_->Controls().Combo("keyset_function_combo");
    for (int kind : {1, 2}) {
        panel_->SetPanelKind(kind);
        std::vector<int> shown;
        for (int i = 0; i < functions->GetCount(); ++i)
            if (functions->GetItemAt(i)->IsVisible()) shown.push_back(std::atoi(functions->GetItemAt(i)->GetUserData().c_str()));
        const std::vector<int> expected = kind == 1 ? std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 11}
                                                    : std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        EXPECT_EQ(shown, expected) << "kind " << kind;
    }
}

TEST_F(KeySetPanelTest, MacroNamesFollowTheLibrary) {
    panel_->AddMacroName("Burst");
    panel_->RenameMacroName(0, "Reload");
    panel_->RemoveMacroName(1);
    CComboUI* macros = panel_->Controls().Combo("keyset_macro_combo");
    ASSERT_EQ(macros->GetCount(), 2);
    EXPECT_EQ(macros->GetItemAt(0)->GetText(), "Reload");
    EXPECT_EQ(macros->GetItemAt(1)->GetText(), "Burst");
}

TEST(KeySetPanelScreenshot, EnglishAndChineseAtTwoDpis) {
    QDir().mkpath(ZORV_SCREENSHOT_DIR);
    RegisterKeySetControls();
    const struct {
        const char* name;
        KeyAssignment code;
    } pages[] = {{"keyboard", {0x20, 0x02, 0x04}}, {"macro", {0x71, 0, 3}}, {"wheel", {0x12, 0x25, 0xFD}}};
    for (const char* language : {"en", "cn"}) {
        CResourceManager::GetInstance()->LoadLanguage(std::string("lang/lan_") + language + ".xml");
        for (int dpi : {96, 144}) {
            for (const auto& page : pages) {
                ToolkitTest::RecordingWindow* w = ToolkitTest::OpenWindow(kPreview, 316, 454);
                auto* panel = static_cast<CKeySetControlUI*>(w->GetPaintManager()->GetRoot()->GetInterface(CKeySetControlUI::kClassName));
                ASSERT_NE(panel, nullptr);
                panel->SetPanelKind(1);
                panel->SetMacroList({"macro_1"});
                panel->SetAssignment({0, page.code});
                CPaintManagerUI::SetAllDPI(dpi);
                ToolkitTest::Pump();
                const QImage shot = w->GetHostWidget()->grab().toImage();
                EXPECT_EQ(shot.width(), 316 * dpi / 96);
                const QString path = QString("%1/keyset_%2_%3_%4.png").arg(ZORV_SCREENSHOT_DIR, language, page.name).arg(dpi);
                EXPECT_TRUE(shot.save(path)) << path.toStdString();
                delete w;
                ToolkitTest::Pump();
            }
        }
    }
    CPaintManagerUI::SetAllDPI(96);
    CResourceManager::GetInstance()->LoadLanguage("lang/lan_en.xml");
}

}  // namespace
