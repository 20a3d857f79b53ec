#include <gtest/gtest.h>

#include <QComboBox>
#include <QFont>
#include <memory>

#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

struct Closer {
    void operator()(RecordingWindow* w) const {
        delete w;
        Pump();
    }
};
using WindowPtr = std::unique_ptr<RecordingWindow, Closer>;

class FallbackTexts : public IQueryControlText {
public:
    const char* QueryControlText(const std::string& key, const std::string&) override {
        asked.push_back(key);
        return key == "from_callback" ? "Callback text" : nullptr;
    }
    std::vector<std::string> asked;
};

}  // namespace

TEST(Language, SwitchReResolvesKeyModeTexts) {
    CResourceManager* rm = CResourceManager::GetInstance();
    ASSERT_TRUE(rm->LoadLanguage("toolkit-test/lang_en.xml"));
    EXPECT_EQ(rm->GetLanguage(), "English");
    WindowPtr w(OpenWindow("toolkit-test/demo.xml"));
    CControlUI* title = w->FindControl("title");
    auto* combo = static_cast<CComboUI*>(w->FindControl("demo_combo"));
    CControlUI* minButton = w->FindControl("minbtn");
    EXPECT_TRUE(title->IsResourceText());
    EXPECT_EQ(title->GetTextSource(), "demo_title");
    EXPECT_EQ(title->GetText(), "Zorv Wired Manager 1.0");
    EXPECT_EQ(minButton->GetToolTip(), "Minimise");
    EXPECT_EQ(combo->GetText(), "Rainbow wave");

    ASSERT_TRUE(rm->LoadLanguage("toolkit-test/lang_zh.xml"));
    rm->ReloadText();
    EXPECT_EQ(title->GetText(), "Zorv 有线管理器 1.0");
    EXPECT_EQ(minButton->GetToolTip(), "最小化");
    EXPECT_EQ(combo->GetText(), "彩虹波浪");
    EXPECT_EQ(static_cast<QComboBox*>(combo->GetWidget())->itemText(1).toStdString(), "呼吸");
    EXPECT_EQ(minButton->GetWidget()->toolTip().toStdString(), "最小化");

    // What the user typed is no key and stays.
    auto* edit = w->FindControl("demo_edit_r");
    EXPECT_FALSE(edit->IsResourceText());
    EXPECT_EQ(edit->GetText(), "0");
    rm->LoadLanguage("toolkit-test/lang_en.xml");
}

TEST(Language, MissingKeysFilesAndTheQueryInterface) {
    CResourceManager* rm = CResourceManager::GetInstance();
    ASSERT_TRUE(rm->LoadLanguage("toolkit-test/lang_en.xml"));
    EXPECT_FALSE(rm->LoadLanguage("toolkit-test/no_such_language.xml"));
    EXPECT_EQ(rm->GetText("demo_apply"), "Apply");  // the loaded texts stay

    FallbackTexts fallback;
    rm->SetTextQueryInterface(&fallback);
    EXPECT_EQ(rm->GetText("from_callback"), "Callback text");
    EXPECT_EQ(rm->GetText("message_text_99"), "message_text_99");  // unknown: the key itself
    EXPECT_EQ(fallback.asked, (std::vector<std::string>{"from_callback", "message_text_99"}));
    EXPECT_EQ(rm->GetText("demo_apply"), "Apply");  // the file wins over the callback
    rm->SetTextQueryInterface(nullptr);

    CLabelUI label;
    label.SetText("demo_apply");
    EXPECT_EQ(label.GetText(), "demo_apply");
    label.SetResourceText(true);
    EXPECT_EQ(label.GetText(), "Apply");
}

TEST(Dpi, ScaleTable) {
    struct Case {
        int dpi;
        int logical;
        int pixels;
    };
    const Case cases[] = {{96, 40, 40}, {144, 40, 60}, {144, 15, 23}, {120, 10, 13}, {192, 7, 14}, {144, -4, -6}};
    for (const Case& c : cases) {
        CDPI dpi;
        ASSERT_TRUE(dpi.SetDPI(c.dpi));
        EXPECT_EQ(dpi.Scale(c.logical), c.pixels) << c.dpi << " " << c.logical;
    }
    CDPI dpi;
    EXPECT_FALSE(dpi.SetDPI(0));
    EXPECT_EQ(dpi.GetDPI(), 96);
    dpi.SetDPI(144);
    EXPECT_EQ(dpi.GetScale(), 150);
}

TEST(Dpi, SizesFontsAndTheWindowGrowWithTheDpi) {
    WindowPtr w(OpenWindow("toolkit-test/builder.xml"));
    CControlUI* fixed = w->FindControl("fixed");
    CControlUI* button = w->FindControl("btn");
    ASSERT_EQ(fixed->GetHeight(), 40);
    ASSERT_EQ(fixed->GetQFont().pixelSize(), 30);
    CPaintManagerUI::AddFont(9, "Noto Sans", 11, false, false, false);
    button->SetFont(9);

    CPaintManagerUI::SetAllDPI(144);
    Pump();
    EXPECT_EQ(w->GetPaintManager()->GetDPI(), 144);
    EXPECT_EQ(w->GetHostWidget()->width(), 600);
    EXPECT_EQ(w->GetHostWidget()->height(), 450);
    EXPECT_EQ(fixed->GetHeight(), 60);
    EXPECT_EQ(fixed->GetPos().top, 15 + 5);  // inset 10 and padding 3, both scaled
    EXPECT_EQ(fixed->GetQFont().pixelSize(), 45);
    EXPECT_EQ(fixed->GetWidget()->font().pixelSize(), 45);
    EXPECT_EQ(button->GetHeight(), 42);
    EXPECT_EQ(button->GetQFont().pixelSize(), 17);

    CPaintManagerUI::SetAllDPI(96);
    Pump();
    EXPECT_EQ(fixed->GetHeight(), 40);
    EXPECT_EQ(w->GetHostWidget()->width(), 400);
}

TEST(Dpi, FontTableAndTheSmallestSize) {
    CPaintManagerUI::RemoveAllFonts();
    FontInfo info;
    EXPECT_FALSE(CPaintManagerUI::GetFontInfo(1, info));
    CPaintManagerUI::AddFont(1, "Noto Sans", 14, false, true, false);
    CPaintManagerUI::AddFont(10, "Noto Sans", 10, false, false, false);
    CPaintManagerUI::AddFont(50, "Noto Sans", 18, true, false, false);
    CDPI dpi;
    EXPECT_TRUE(CPaintManagerUI::FontAt(1, dpi).underline());
    EXPECT_TRUE(CPaintManagerUI::FontAt(50, dpi).bold());
    EXPECT_EQ(CPaintManagerUI::FontAt(10, dpi).pixelSize(), 11);  // never below 11 px
    EXPECT_EQ(CPaintManagerUI::FontAt(77, dpi).pixelSize(), CPaintManagerUI::GetDefaultFontInfo().size);
    const QStringList families = CPaintManagerUI::FontAt(1, dpi).families();
    EXPECT_TRUE(families.contains("Noto Sans CJK SC"));
    CPaintManagerUI::SetDefaultFont("Noto Sans", 16, false, false, false);
    EXPECT_EQ(CPaintManagerUI::FontAt(-1, dpi).pixelSize(), 16);
    CPaintManagerUI::SetDefaultFont("Noto Sans", 14, false, false, false);
    CPaintManagerUI::RemoveAllFonts();
}
