// The routing tables and the builder callback, without a device: what matches, what is created,
// and that nothing happens (and nothing is asked) while no device is active.
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>
#include <string>

#include "app/routing/ControlBuilder.h"
#include "app/routing/NotifyRouter.h"
#include "app/routing/RouteTables.h"
#include "toolkit/Control.h"
#include "toolkit/PaintManager.h"
#include "platform/DebugOutput.h"

using namespace DuiLib;

namespace {

class NoDeviceHost : public IRouteHost {
public:
    CTorvanelUSBDevice* ActiveDevice() override { return nullptr; }
    int ScreenWidth() const override { return 1920; }
    int ScreenHeight() const override { return 1080; }
    int AskUser(const std::string&, int) override {
        ++questions;
        return 1;
    }
    void StartProfileSwitchTimer() override { ++timers; }
    void OnDeviceEntrySelected(CControlUI*) override {}
    void SelectNeighbourDevice(bool) override {}
    void ShareActiveLighting() override {}
    void OpenMusicWindow() override {}
    int questions = 0;
    int timers = 0;
};

class RoutingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "routing_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
        CPaintManagerUI::SetResourcePath(ZORV_SKIN_DIR);
        RegisterControlClasses();
    }
};

TEST_F(RoutingTest, NamesMatchWholeOrByTheirIndexedPrefix) {
    struct Case {
        RouteRow row;
        const char* name;
        bool caseSensitive;
        bool matches;
        int number;
    } cases[] = {
        {{NameMatch::Exact, "default_btn", nullptr, ""}, "default_btn", false, true, -1},
        {{NameMatch::Exact, "default_btn", nullptr, ""}, "Default_BTN", false, true, -1},
        {{NameMatch::Exact, "default_btn", nullptr, ""}, "Default_BTN", true, false, -1},
        {{NameMatch::ExactCaseSensitive, "macro_inset_moveleftkey_btn", nullptr, ""}, "Macro_inset_moveleftkey_btn", false, false, -1},
        {{NameMatch::Prefix, "color_option_", nullptr, ""}, "color_option_7", false, true, 7},
        {{NameMatch::Prefix, "color_option_", nullptr, ""}, "COLOR_OPTION_12", false, true, 12},
        {{NameMatch::Prefix, "color_option_", nullptr, ""}, "color_option_", false, false, -1},
        {{NameMatch::Prefix, "color_option_", nullptr, ""}, "color_option_1a", false, false, -1},
        // The prefix is everything up to the last "_": "key_" never takes "key_ComBox_check_2".
        {{NameMatch::Prefix, "key_", nullptr, ""}, "key_ComBox_check_2", false, false, -1},
        {{NameMatch::Prefix, "key_", nullptr, ""}, "key_104", false, true, 104},
    };
    for (const Case& c : cases) {
        int number = -2;
        EXPECT_EQ(RowMatches(c.row, c.name, c.caseSensitive, number), c.matches) << c.name;
        if (c.matches) {
            EXPECT_EQ(number, c.number) << c.name;
        }
    }
}

TEST_F(RoutingTest, WithoutAnActiveDeviceEveryRowIsQuietAndAsksNothing) {
    NoDeviceHost host;
    CNotifyRouter router(host);
    for (const RouteTable& table : RouteTables()) {
        for (const RouteRow& row : table.rows) {
            CControlUI control;
            const std::string name = std::string(row.name) + (row.match == NameMatch::Prefix ? "1" : "");
            EXPECT_NE(row.handler, nullptr) << name;
            control.SetName(name);
            TNotifyUI msg;
            msg.sType = table.type;
            msg.pSender = &control;
            EXPECT_TRUE(router.Route(msg)) << name;
        }
    }
    EXPECT_EQ(host.questions, 0);
    EXPECT_EQ(host.timers, 0);
}

TEST_F(RoutingTest, ListRowEditAndRemoveNeverReachTheDefaultHandler) {
    NoDeviceHost host;
    CNotifyRouter router(host);
    CControlUI control;
    control.SetName("macro_list_row");
    for (const char* type : {"click_wpedit", "click_wpremove"}) {
        TNotifyUI msg;
        msg.sType = type;
        msg.pSender = &control;
        EXPECT_FALSE(router.Route(msg)) << type;
    }
    TNotifyUI add;
    add.sType = "click_wpadd";
    add.pSender = &control;
    EXPECT_TRUE(router.Route(add));
}

TEST_F(RoutingTest, BuilderMakesOurControlsByTagAndSubLayoutsByTheirFile) {
    CPaintManagerUI manager;
    CControlBuilder builder(&manager);
    struct Case {
        const char* tag;
        const char* className;  // nullptr: no control
    } cases[] = {
        {"TorvanelKeyboardDevice", "TorvanelKeyboardDevice"},
        {"torvanelkeyboarddevice", "TorvanelKeyboardDevice"},
        {"DeviceKeyButton", "DeviceKeyButton"},
        {"CircleProgress", "CircleProgress"},
        {"SelectPanel", "SelectPanel"},
        {"LightControl", "LightControl"},
        {"DeviceProfile", "DeviceProfile"},
        {"LightSetControlUI", "LightControl"},
        {"DeviceProfileUI", "DeviceProfile"},
        // Tags of other layouts are the toolkit's to build.
        {"KeySetControlUI", "KeySetControl"},
        {"MacroSetControlUI", "MacroControl"},
        {"TorvanelMouseDevice", "TorvanelMouseDevice"},
        {"ShootKeySetControlUI", "ShootControl"},
        {"TorvanelMousePadDevice", "TorvanelMousePadDevice"},
        {"Button", nullptr},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CControlUI> control(builder.CreateControl(c.tag));
        if (!c.className) {
            EXPECT_EQ(control, nullptr) << c.tag;
            continue;
        }
        ASSERT_NE(control, nullptr) << c.tag;
        EXPECT_EQ(control->GetClass(), c.className) << c.tag;
    }
}

}  // namespace
