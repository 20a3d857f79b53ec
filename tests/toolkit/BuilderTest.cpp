#include <gtest/gtest.h>

#include <QFont>
#include <QWidget>
#include <memory>

#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

class CustomThingUI : public CControlUI {
public:
    std::string GetClass() const override { return "CustomThingUI"; }
};

struct WindowCloser {
    void operator()(RecordingWindow* w) const { delete w; }
};
using WindowPtr = std::unique_ptr<RecordingWindow, WindowCloser>;

WindowPtr OpenBuilderWindow() {
    auto* window = new RecordingWindow("toolkit-test/builder.xml");
    window->makeControl = [](const std::string& tag) -> CControlUI* {
        return tag == "CircleThing" ? new CustomThingUI() : nullptr;
    };
    window->Create(0, "builder", WS_POPUP, 0);
    window->ShowWindow(true);
    Pump();
    return WindowPtr(window);
}

}  // namespace

TEST(DialogBuilder, AppliesAttributesDefaultsAndWindowDeclarations) {
    WindowPtr w = OpenBuilderWindow();
    CPaintManagerUI* pm = w->GetPaintManager();
    EXPECT_EQ(pm->GetInitSize().cx, 400);
    EXPECT_EQ(pm->GetCaptionRect().bottom, 30);
    EXPECT_EQ(w->GetHostWidget()->width(), 400);
    EXPECT_EQ(w->GetHostWidget()->minimumWidth(), 200);
    EXPECT_EQ(w->initWindowCalls, 1);

    CControlUI* fixed = w->FindControl("fixed");
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->GetText(), "plain");
    EXPECT_EQ(fixed->GetToolTip(), "tip");
    EXPECT_EQ(fixed->GetUserData(), "ud");
    EXPECT_EQ(fixed->GetFont(), 3);
    EXPECT_EQ(fixed->GetQFont().pixelSize(), 30);
    // inset 10 plus padding 2,3: the label starts at (12, 13) and keeps its 40 px.
    EXPECT_EQ(fixed->GetPos(), (RECT{12, 13, 400 - 10 - 4, 13 + 40}));

    auto* button = static_cast<CButtonUI*>(w->FindControl("btn")->GetInterface("Button"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetFixedHeight(), 28);  // from <Default name="Button">
    EXPECT_EQ(button->GetTextColor(), 0xFF112233u);

    // The one child without a height takes what the others leave.
    CControlUI* stretch = w->FindControl("stretch");
    const int fixedSum = 3 + 40 + 5 + 28 + 10 + 20 + 50 + 30;
    const int gaps = 5 * 6;  // seven laid-out children
    EXPECT_EQ(stretch->GetHeight(), 300 - 20 - fixedSum - gaps);

    CControlUI* floating = w->FindControl("float_child");
    CControlUI* row = w->FindControl("lowercase_tag");
    ASSERT_NE(row, nullptr);
    EXPECT_NE(row->GetInterface("HorizontalLayout"), nullptr);  // tags are case-insensitive
    EXPECT_EQ(floating->GetPos(), (RECT{row->GetX() + 5, row->GetY() + 6, row->GetX() + 25, row->GetY() + 16}));
}

TEST(DialogBuilder, UnknownTagsGoToTheWindowThenTheFactory) {
    WindowPtr w = OpenBuilderWindow();
    EXPECT_EQ(w->askedTags, (std::vector<std::string>{"CircleThing", "UnknownTag"}));
    ASSERT_NE(w->FindControl("custom_lower"), nullptr);
    EXPECT_EQ(w->FindControl("custom_lower")->GetClass(), "CustomThingUI");
    // A tag nobody knows is skipped with its subtree.
    EXPECT_EQ(w->FindControl("ghost"), nullptr);
    EXPECT_EQ(w->FindControl("ghost_child"), nullptr);

    CControlFactory::GetInstance()->RegistControl("CUnknownTagUI", [] { return new CustomThingUI(); });
    WindowPtr again = OpenBuilderWindow();
    ASSERT_NE(again->FindControl("ghost"), nullptr);
    EXPECT_EQ(again->FindControl("ghost_child"), nullptr);  // a control that holds no children drops them
}

TEST(DialogBuilder, SubLayoutsAndLookups) {
    WindowPtr w = OpenBuilderWindow();
    CControlUI* includeHost = w->FindControl("sub_host");
    CControlUI* childHost = w->FindControl("child_host");
    ASSERT_NE(includeHost, nullptr);
    ASSERT_NE(childHost, nullptr);
    CControlUI* inInclude = w->FindSubControlByName(includeHost, "sub_label");
    CControlUI* inChild = w->FindSubControlByName(childHost, "sub_label");
    ASSERT_NE(inInclude, nullptr);
    ASSERT_NE(inChild, nullptr);
    EXPECT_NE(inInclude, inChild);
    EXPECT_EQ(w->FindControl("sub_label"), inInclude);  // the first in tree order
    EXPECT_EQ(inInclude->GetText(), "from sub-layout");
    EXPECT_EQ(w->FindSubControlByName(w->FindControl("fixed"), "sub_label"), nullptr);
    EXPECT_EQ(w->FindControl("nothing_of_that_name"), nullptr);

    // A sub-layout built on its own into the window's manager and added to a page.
    CDialogBuilder builder;
    CControlUI* page = builder.Create("toolkit-test/sub.xml", {}, nullptr, w->GetPaintManager());
    ASSERT_NE(page, nullptr);
    auto* root = static_cast<CContainerUI*>(w->FindControl("root")->GetInterface("Container"));
    root->Add(page);
    EXPECT_EQ(page->GetManager(), w->GetPaintManager());
    EXPECT_EQ(w->GetPaintManager()->GetOptionGroup("sub_group")->size(), 3u);
}

TEST(DialogBuilder, BrokenOrMissingLayoutsGiveNoControl) {
    const char* const broken[] = {"<Window><VerticalLayout></Window>", "", "not xml at all", "<a/><b/>"};
    for (const char* text : broken) {
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(text, "xml"), nullptr) << text;
        EXPECT_FALSE(builder.GetLastError().empty()) << text;
    }
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create("toolkit-test/does_not_exist.xml"), nullptr);

    // A window over a missing layout still opens (empty) instead of crashing.
    WindowPtr w(OpenWindow("toolkit-test/does_not_exist.xml", 100, 80));
    EXPECT_NE(w->GetPaintManager()->GetRoot(), nullptr);
}

TEST(DialogBuilder, IncludeThatIncludesItselfStops) {
    CDialogBuilder builder;
    CControlUI* c = builder.Create("<VerticalLayout><Include source=\"toolkit-test/self.xml\"/></VerticalLayout>", "xml");
    ASSERT_NE(c, nullptr);
    delete c;
}

TEST(DialogBuilder, LayoutKeysFromTheIndex) {
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource("res.xml"));
    EXPECT_EQ(CResourceManager::GetInstance()->GetXmlPath("XML_TOOLKIT_DEMO"), "toolkit-test/demo.xml");
    EXPECT_EQ(CResourceManager::GetInstance()->GetXmlPath("other.xml"), "other.xml");
    CDialogBuilder builder;
    CControlUI* demo = builder.Create("XML_TOOLKIT_DEMO");
    ASSERT_NE(demo, nullptr);
    EXPECT_EQ(demo->GetName(), "root");
    delete demo;
}
