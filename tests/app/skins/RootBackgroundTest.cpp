// The main window's side of a skin change, over the shipped main layout.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/skins/RootBackground.h"
#include "app/skins/SkinObserver.h"
#include "tests/toolkit/ToolkitTestSupport.h"
#include "toolkit/UIlib.h"

using namespace DuiLib;
using namespace ToolkitTest;

namespace {

TEST(RootBackground, ColourImageAndResetReachTheRoot) {
    CResourceManager::GetInstance()->LoadResource();
    RecordingWindow* window = OpenWindow("XML_MAIN");
    CControlUI* root = window->FindControl("root");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetBkImage(), kDefaultSkinImage);
    {
        CRootBackground background(*window->GetPaintManager());
        TheSkinObserver().AttachReceiver(&background);
        const struct {
            SkinChangedParam param;
            DWORD colour;
            const char* image;
        } steps[] = {
            {{true, 0xFF3A7BD5, {}}, 0xFF3A7BD5, ""},
            {{false, 0, "dialogs/skin_bg_2.svg"}, 0, "dialogs/skin_bg_2.svg"},
            {{false, 0, "/home/u/own.png"}, 0, "/home/u/own.png"},
            {{false, 0, kDefaultSkinImage}, 0, kDefaultSkinImage},
        };
        for (const auto& step : steps) {
            TheSkinObserver().Announce(step.param);
            EXPECT_EQ(root->GetBkColor(), step.colour);
            EXPECT_EQ(root->GetBkImage(), step.image);
        }
    }
    // A receiver that is gone hears nothing more.
    TheSkinObserver().Announce({true, 0xFF00FF00, {}});
    EXPECT_EQ(root->GetBkImage(), kDefaultSkinImage);
    delete window;
    Pump();
}

TEST(RootBackground, EveryImageTheSkinsNameIsShipped) {
    std::ifstream chooser(CPaintManagerUI::GetResourcePath() + "dialogs/skin.xml");
    const std::string layout((std::istreambuf_iterator<char>(chooser)), std::istreambuf_iterator<char>());
    std::vector<std::string> images{kDefaultSkinImage};
    for (size_t at = layout.find("userdata=\""); at != std::string::npos; at = layout.find("userdata=\"", at + 1)) {
        const size_t start = at + 10;
        images.push_back(layout.substr(start, layout.find('"', start) - start));
    }
    EXPECT_EQ(images.size(), 7u);
    for (const std::string& image : images)
        EXPECT_TRUE(std::filesystem::is_regular_file(CPaintManagerUI::GetResourcePath() + image)) << image;
}

}  // namespace
