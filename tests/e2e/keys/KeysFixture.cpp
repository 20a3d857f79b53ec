#include "tests/e2e/keys/KeysFixture.h"

#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "app/shell/AppMessages.h"
#include "engines/device/DeviceKeyButton.h"
#include "input/InputCapture.h"
#include "panels/keyset/KeySetActions.h"
#include "panels/keyset/KeySetTables.h"
#include "panels/macro/MacroActions.h"
#include "panels/profile/ProfileDialogs.h"
#include "store/JsonAccess.h"
#include "store/JsonFile.h"
#include "tests/support/ChildProcess.h"
#include "toolkit/MenuWnd.h"
#include "toolkit/PaintManager.h"
#include "toolkit/WindowMessages.h"

using namespace DuiLib;

namespace keystest {

namespace {

// Qt goes to the session's X server when there is one, so that its windows and our input capture
// see the same screen; decided before the application object exists.
const bool kHasDisplay = [] {
    const char* display = std::getenv("DISPLAY");
    const bool has = display && *display;
    setenv("QT_QPA_PLATFORM", has ? "xcb" : "offscreen", 1);
    return has;
}();

using testsupport::OnPath;

}  // namespace

std::string InputUnavailableReason() {
    if (!kHasDisplay) return "no X display (run under xvfb-run)";
    if (!OnPath("xdotool")) return "xdotool is not installed";
    return {};
}

void KeysTest::SetUp() {
    journey::JourneyTest::SetUp();
    if (const std::string reason = InputUnavailableReason(); !reason.empty()) GTEST_SKIP() << reason;
    setenv("ZORV_INPUT_BACKEND", "x11", 1);
    SetProfileDialogHooks({[this](HWND, int, const std::string& text, bool, int) {
                               messages_.push_back(text);
                               return 1;
                           },
                           {}});
}

void KeysTest::TearDown() {
    SetProfileDialogHooks({});
    journey::JourneyTest::TearDown();
    CInputCapture::Instance().Reset();
}

void KeysTest::OpenWithKeyboard(CMessageBus* bus) {
    if (bus) {
        window_ = std::make_unique<CMainWnd>(bus);
        window_->Create(0, kAppInstanceName, kMainWindowStyle, 0, 0, 0, 800, 572);
    } else {
        Open();
    }
    Plug(kProduct, "keys-kb");
    // As WaitConnected, with room for a machine busy with other builds.
    ASSERT_TRUE(journey::PumpUntil(
        [&] {
            CTorvanelKeyboardDevice* engine = Engine(kProduct);
            return engine && EntryShown(kProduct) && engine->CommandChannel().IsConnected() && engine->DeviceKeyCount() > 0;
        },
        20000));
    window_->ShowWindow(true);
    journey::Pump(100);
}

CMacroControlUI& KeysTest::Macros() const {
    CMacroControlUI* panel = FindMacroPanel(Keyboard());
    EXPECT_NE(panel, nullptr);
    return *panel;
}

CKeySetControlUI& KeysTest::Keys() const {
    CKeySetControlUI* panel = FindKeySetPanel(Keyboard());
    EXPECT_NE(panel, nullptr);
    return *panel;
}

void KeysTest::Xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const pid_t pid = testsupport::Spawn(argv, dir_ / "xdotool.log");
    int status = -1;
    ASSERT_TRUE(journey::PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 10000)) << "xdotool hangs";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "xdotool failed";
    journey::Pump(50);
}

void KeysTest::ShowTab(const std::string& tab) { Click(Control(tab)); }

std::string KeysTest::AddMacro() {
    ShowTab("macro_Op_tab");
    Click(Control("macro_btn_name_add"));
    const int selected = Macros().Library().GetSelectedMacro();
    EXPECT_GE(selected, 0);
    return Macros().ItemText(selected);
}

void KeysTest::StartRecording() {
    Click(Control("macro_btn_starredio"));
    EXPECT_TRUE(Macros().IsRecording());
    EXPECT_TRUE(CInputCapture::Instance().KeyboardHookInstalled()) << CInputCapture::Instance().LastError();
}

void KeysTest::StopRecording() {
    Click(Control("macro_btn_stopredio"));
    EXPECT_FALSE(Macros().IsRecording());
    EXPECT_FALSE(CInputCapture::Instance().KeyboardHookInstalled());
}

void KeysTest::ChooseMenuItem(const std::string& item) {
    auto* cmd = new MenuCmd;
    cmd->szName = item;
    ASSERT_TRUE(DuiLib::PostMessage(window_->GetHWND(), WM_MENUCLICK, reinterpret_cast<WPARAM>(cmd), 0,
                                    [cmd] { DeletePtr(cmd); }));
    journey::Pump(50);
}

Json::Value KeysTest::MacroFile() const {
    const int selected = Macros().Library().GetSelectedMacro();
    return ReadJsonValue(Macros().Library().MacroFilePath(selected));
}

std::vector<std::string> KeysTest::FileEvents() const {
    std::vector<std::string> events;
    const Json::Value file = MacroFile();
    for (const Json::Value& e : MemberOf(file, "Events")) {
        const Json::Value& delay = MemberOf(e, "Delay");
        events.push_back(MemberOf(e, "Action").asString() + " " + std::to_string(MemberOf(e, "Type").asInt()) + ":" +
                         std::to_string(MemberOf(e, "Button").asInt()) + " " +
                         (delay.isString() ? delay.asString() : "#" + std::to_string(delay.asInt())));
    }
    return events;
}

bool KeysTest::WaitRows(int rows, int timeoutMs) {
    return journey::PumpUntil([&] { return Macros().RowCount() >= rows; }, timeoutMs);
}

void KeysTest::SelectKeyAndFunction(int key, int function) {
    ShowTab("key_Op_tab");
    Click(Keyboard().KeyButton(key));
    ASSERT_EQ(Keyboard().SelectedKey(), key);
    CComboUI* functions = Keys().Controls().Combo("keyset_function_combo");
    ASSERT_NE(functions, nullptr);
    for (int i = 0; i < functions->GetCount(); ++i) {
        if (std::atoi(functions->GetItemAt(i)->GetUserData().c_str()) != function) continue;
        Pick("keyset_function_combo", i);
        return;
    }
    FAIL() << "no function " << function;
}

void KeysTest::Pick(const std::string& combo, int index) {
    CComboUI* control = Keys().Controls().Combo(combo);
    ASSERT_NE(control, nullptr) << combo;
    control->OnUserPicked(index);
    journey::Pump(30);
}

std::vector<uint8_t> KeysTest::DeviceKey(int key) {
    const int position = Keyboard().KeyToPosition().at(key);
    const auto& table = Device().Snapshot().memory.keyTable;
    return {table.begin() + position * 3, table.begin() + position * 3 + 3};
}

std::vector<std::string> KeysTest::TakeMessages() {
    std::vector<std::string> taken;
    taken.swap(messages_);
    return taken;
}

}  // namespace keystest
