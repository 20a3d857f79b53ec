// Keys and macros end to end: typed keys and clicks injected with xdotool are recorded into a
// macro file, the macro and other functions are assigned to keys and reach the emulated keyboard
// byte for byte, and no other X client sees the keys while they are captured.
#include <QPoint>
#include <QWidget>

#include <filesystem>

#include "input/InputCapture.h"
#include "panels/keyset/KeySetTables.h"
#include "store/JsonAccess.h"
#include "tests/e2e/keys/KeysFixture.h"
#include "tests/e2e/keys/OtherXClient.h"
#include "tests/support/MacroFiles.h"

using namespace DuiLib;
using namespace keystest;

namespace {

// The centre of a control in screen coordinates, as xdotool wants it.
QPoint ScreenCentre(CControlUI* control) {
    QWidget* widget = control->GetWidget();
    return widget->mapToGlobal(QPoint(widget->width() / 2, widget->height() / 2));
}


int DelayOf(const std::string& event) { return std::atoi(event.substr(event.rfind(' ') + 1).c_str()); }

TEST_F(KeysTest, RecordsTypedKeysAndClicksInEachDelayMode) {
    OpenWithKeyboard();
    struct Mode {
        const char* name;
        bool fixed;
    };
    for (const Mode mode : {Mode{"measured", false}, Mode{"fixed 80", true}}) {
        SCOPED_TRACE(mode.name);
        AddMacro();
        auto* check = static_cast<COptionUI*>(Control("macro_check_time")->GetInterface("Option"));
        check->Selected(mode.fixed, false);
        Control("macro_fixed_time_edit")->SetText("80");
        StartRecording();
        // Away from the stop button, so that the click counts.
        Xdotool({"mousemove", "5", "5", "keydown", "a", "sleep", "0.12", "keyup", "a", "click", "1"});
        ASSERT_TRUE(WaitRows(4));
        StopRecording();
        const std::vector<std::string> events = FileEvents();
        ASSERT_EQ(events.size(), 4u) << ::testing::PrintToString(events);
        if (mode.fixed) {
            EXPECT_EQ(events, (std::vector<std::string>{"down 10:4 80", "up 10:4 80", "down 1:1 80", "up 1:1 80"}));
        } else {
            EXPECT_EQ(events[0].substr(0, 9), "down 10:4");
            EXPECT_EQ(events[1].substr(0, 7), "up 10:4");
            EXPECT_EQ(events[2].substr(0, 8), "down 1:1");
            EXPECT_EQ(events[3], "up 1:1 0");
            // 120 ms between press and release, measured when each is handled on a busy machine.
            EXPECT_GE(DelayOf(events[0]), 60);
            EXPECT_LE(DelayOf(events[0]), 600);
        }
        EXPECT_EQ(MemberOf(MacroFile(), "Version").asInt(), 64);
    }
}

TEST_F(KeysTest, ALeftClickOnTheStopButtonIsNotRecordedARightClickIs) {
    OpenWithKeyboard();
    AddMacro();
    StartRecording();
    const QPoint stop = ScreenCentre(Control("macro_btn_stopredio"));
    Xdotool({"mousemove", std::to_string(stop.x()), std::to_string(stop.y()), "click", "3"});
    ASSERT_TRUE(WaitRows(2));
    // The left click is the user stopping: the window takes it, the recording does not.
    Xdotool({"click", "1"});
    ASSERT_TRUE(journey::PumpUntil([&] { return !Macros().IsRecording(); })) << "the stop button was not clicked";
    const std::vector<std::string> events = FileEvents();
    EXPECT_EQ(events.size(), 2u) << ::testing::PrintToString(events);
    for (const std::string& event : events) EXPECT_NE(event.find(" 1:2 "), std::string::npos) << event;
}

TEST_F(KeysTest, WhileRecordingAnotherClientSeesOnlyTheLockKeys) {
    OpenWithKeyboard();
    AddMacro();
    OtherClient other;
    ASSERT_TRUE(other.Ready());
    Xdotool({"key", "x"});
    EXPECT_EQ(other.TakeKeys(), std::vector<std::string>{"x"}) << "the other client does not have the focus";
    StartRecording();
    Xdotool({"key", "a", "key", "Caps_Lock", "key", "b", "key", "Num_Lock"});
    ASSERT_TRUE(WaitRows(8));
    const std::vector<std::string> seen = other.TakeKeys();
    EXPECT_EQ(seen, (std::vector<std::string>{"Caps_Lock", "Num_Lock"}));
    StopRecording();
    Xdotool({"key", "Caps_Lock", "key", "Num_Lock", "key", "y"});  // back as it was; keys flow again
    const std::vector<std::string> after = other.TakeKeys();
    EXPECT_FALSE(after.empty());
    EXPECT_EQ(after.back(), "y");
}

TEST_F(KeysTest, InsertBeforeAfterAndReplace) {
    OpenWithKeyboard();
    AddMacro();
    StartRecording();
    Xdotool({"key", "a"});
    ASSERT_TRUE(WaitRows(2));
    StopRecording();
    // Before the release of A, without delays: B's press and release.
    Macros().SelectRow(1);
    ChooseMenuItem("redio_previous_ignore_time");
    ASSERT_TRUE(Macros().IsRecording());
    Xdotool({"key", "b"});
    ASSERT_TRUE(WaitRows(4));
    StopRecording();
    EXPECT_EQ(FileEvents(), (std::vector<std::string>{"down 10:4 0", "down 10:5 0", "up 10:5 0", "up 10:4 0"}));
    // After the first row: C.
    Macros().SelectRow(0);
    ChooseMenuItem("redio_later_ignore_time");
    Xdotool({"key", "c"});
    ASSERT_TRUE(WaitRows(6));
    StopRecording();
    // Replace the key of the last row with D; nothing is added.
    Macros().SelectRow(5);
    ChooseMenuItem("macro_action_edit");
    Xdotool({"keydown", "d"});
    ASSERT_TRUE(journey::PumpUntil([&] { return MemberOf(Macros().RowEvent(5), "Button").asInt() == 7; }));
    StopRecording();
    Xdotool({"keyup", "d"});
    EXPECT_EQ(FileEvents(), (std::vector<std::string>{"down 10:4 0", "down 10:6 0", "up 10:6 0", "down 10:5 0",
                                                      "up 10:5 0", "up 10:7 0"}));
    Screenshot("keys_window_macro_tab");
}

// The macro image as the keyboard must receive it: magic, total length, count, the offset of each
// macro, then per macro its event count (2 bytes and 2 spare) and its 4-byte events.
std::vector<uint8_t> ExpectedImage(const std::vector<std::array<uint8_t, 4>>& events) {
    const size_t total = 16 + 6 + 4 * events.size();
    std::vector<uint8_t> image(total, 0);
    image[0] = 0xAA;
    image[1] = 0x55;
    image[2] = static_cast<uint8_t>(total);
    image[3] = static_cast<uint8_t>(total >> 8);
    image[4] = 1;
    image[16] = 18;  // the first block follows the offset table
    image[18] = static_cast<uint8_t>(events.size());
    for (size_t i = 0; i < events.size(); ++i) std::copy(events[i].begin(), events[i].end(), image.begin() + 22 + 4 * i);
    return image;
}

TEST_F(KeysTest, AssigningAMacroSendsTheImageThenTheKeyTable) {
    OpenWithKeyboard();
    AddMacro();
    auto* check = static_cast<COptionUI*>(Control("macro_check_time")->GetInterface("Option"));
    check->Selected(true, false);
    Control("macro_fixed_time_edit")->SetText("300");
    StartRecording();
    Xdotool({"key", "a"});
    ASSERT_TRUE(WaitRows(2));
    StopRecording();
    Device().ClearPacketLog();
    SelectKeyAndFunction(kKeyF1, kFunctionMacro);
    Pick("keyset_macro_combo", 0);
    const std::vector<uint8_t> codes = Codes(Device());
    const auto image = std::find(codes.begin(), codes.end(), uint8_t{0x15});
    const auto table = std::find(codes.begin(), codes.end(), uint8_t{0x09});
    ASSERT_NE(image, codes.end()) << "no macro image";
    ASSERT_NE(table, codes.end()) << "no key table";
    EXPECT_LT(image - codes.begin(), table - codes.begin()) << "the key table went before the image it names";
    const std::vector<uint8_t> expected = ExpectedImage({{0x2C, 0x01, 0x8A, 0x04}, {0x2C, 0x01, 0x0A, 0x04}});
    const auto& memory = Device().Snapshot().memory.macroImage;
    ASSERT_GE(memory.size(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(memory.begin(), memory.begin() + expected.size()), expected);
    EXPECT_EQ(DeviceKey(kKeyF1), (std::vector<uint8_t>{0x70, 0, 0}));
    EXPECT_EQ(Keyboard().KeyList()[kKeyF1].assignment, (KeyAssignment{0x70, 0, 0}));
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(KeysTest, CapturingShiftThenAAssignsShiftA) {
    OpenWithKeyboard();
    SelectKeyAndFunction(kKeyF1, kFunctionKeyboard);
    CControlUI* edit = Control("keyset_keyboard_text_edit");
    Click(edit);  // the focus starts the capture
    ASSERT_TRUE(journey::PumpUntil([] { return CInputCapture::Instance().KeyboardHookInstalled(); }))
        << CInputCapture::Instance().LastError();
    Xdotool({"key", "shift"});
    EXPECT_EQ(Keys().GetModifier(), 2);
    EXPECT_EQ(edit->GetText(), "");
    Xdotool({"key", "a"});
    ASSERT_TRUE(journey::PumpUntil([&] { return DeviceKey(kKeyF1) == std::vector<uint8_t>{0x20, 0x02, 0x04}; }))
        << "the keyboard did not get Shift+A";
    EXPECT_EQ(edit->GetText(), "A");
    Screenshot("keys_window_key_tab");
    // Leaving the field ends the capture.
    Raise(edit, DUI_MSGTYPE_KILLFOCUS);
    EXPECT_FALSE(CInputCapture::Instance().KeyboardHookInstalled());
}

TEST_F(KeysTest, MediaMouseAndShortcutAssignmentsReachTheKeyboard) {
    OpenWithKeyboard();
    struct Case {
        const char* name;
        int function;
        const char* combo;
        int item;
        std::vector<uint8_t> code;
    };
    const Case cases[] = {
        {"play/pause", kFunctionMedia, "keyset_media_combo", 1, {0x30, 0xCD, 0x00}},
        {"browser home", kFunctionMedia, "keyset_media_combo", 8, {0x30, 0x23, 0x02}},
        {"right button", kFunctionMouse, "keyset_mousekey_combo", 2, {0x10, 0x02, 0x00}},
        {"Ctrl+C", kFunctionCombination, "keyset_combokey_combo", 4, {0x20, 0x01, 0x06}},
        {"sleep", kFunctionSystem, "keyset_system_combo", 1, {0x40, 0x02, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectKeyAndFunction(kKeyF1, c.function);
        Pick(c.combo, c.item);
        EXPECT_EQ(DeviceKey(kKeyF1), c.code);
        EXPECT_EQ(Keyboard().KeyList()[kKeyF1].assignment, (KeyAssignment{c.code[0], c.code[1], c.code[2]}));
    }
}

TEST_F(KeysTest, DefaultCancelAndWriteButtons) {
    OpenWithKeyboard();
    // Before a key is chosen the tab says what to do.
    ShowTab("key_Op_tab");
    EXPECT_FALSE(Control("KeySetControlItem")->IsVisible());
    EXPECT_TRUE(Control("keyset_empty_hint")->IsVisible());
    Screenshot("keys_window_key_tab_empty");
    SelectKeyAndFunction(kKeyF1, kFunctionMedia);
    Pick("keyset_media_combo", 7);  // mute
    const KeyAssignment mute{0x30, 0xE2, 0x00};
    ASSERT_EQ(Keyboard().KeyList()[kKeyF1].assignment, mute);
    // The record the key had when it was selected (F1) comes back to the controls.
    Click(Control("key_butt_keydefalut"));
    EXPECT_EQ(Keys().SelectedFunction(), kFunctionKeyboard);
    EXPECT_EQ(Control("keyset_keyboard_text_edit")->GetText(), "F1");
    EXPECT_TRUE(Control("key_butt_keycancel")->IsEnabled());
    Click(Control("key_butt_keycancel"));
    EXPECT_EQ(Keys().SelectedFunction(), kFunctionMedia);
    EXPECT_FALSE(Control("key_butt_keycancel")->IsEnabled());
    // Writing the whole table sends it and the edit buttons rest.
    Pick("keyset_media_combo", 6);  // volume up
    Device().ClearPacketLog();
    Click(Control("key_butt_prosave"));
    EXPECT_TRUE(Received(Device(), 0x09));
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_FALSE(Control("key_butt_prosave")->IsEnabled());
}

}  // namespace

namespace {

TEST_F(KeysTest, DeletingAMacroMovesTheKeysOffIt) {
    OpenWithKeyboard();
    testsupport::WriteMacroLibrary(Keyboard().UserDataFolder(),
                                   {{"first", "g0", testsupport::KeyTaps(2, 4)},
                                    {"second", "g1", testsupport::KeyTaps(2, 5)},
                                    {"third", "g2", testsupport::KeyTaps(4, 6)}});
    // The page reads the library as when it is built.
    Macros().BindEngine(Keyboard().UserDataFolder(), &Keyboard());
    Keyboard().LoadLists();
    Keys().SetMacroList(Keyboard().MacroNames());
    std::vector<KeyListEntry> keys = Keyboard().KeyList();
    keys[kKeyF1].assignment = {0x70, 1, 0};
    keys[kKeyA].assignment = {0x71, 2, 3};
    Keyboard().SetKeyList(keys);
    Keyboard().SaveProfile();
    ShowTab("macro_Op_tab");
    Macros().Select(1, true);
    journey::Pump(30);
    Device().ClearPacketLog();
    Click(Control("macro_btn_name_sub"));
    EXPECT_EQ(TakeMessages(), (std::vector<std::string>{"message_text_4", "message_text_2"}));
    EXPECT_EQ(Keyboard().KeyList()[kKeyF1].assignment, Keyboard().KeyList()[kKeyF1].defaultAssignment);
    EXPECT_EQ(Keyboard().KeyList()[kKeyA].assignment, (KeyAssignment{0x71, 1, 3}));
    EXPECT_EQ(Macros().Count(), 2);
    EXPECT_EQ(Macros().ItemText(1), "third");
    EXPECT_EQ(Keys().MacroCount(), 2);
    // The keyboard follows: the image holds the remaining assigned macro, the key names it as 0.
    EXPECT_TRUE(Received(Device(), 0x15));
    EXPECT_EQ(DeviceKey(kKeyA), (std::vector<uint8_t>{0x71, 0, 3}));
    EXPECT_FALSE(std::filesystem::exists(Keyboard().UserDataFolder() + "g1.mac"));
}

}  // namespace

namespace {

// Neither backend can capture: no X display for the X11 one, no readable node for the evdev one.
// The user hears why and the editor does not pretend to record.
TEST_F(KeysTest, WithoutAnyCaptureTheUserIsToldAndNothingIsRecorded) {
    OpenWithKeyboard();
    AddMacro();
    const std::string noNodes = (dir_ / "no-input-nodes").string();
    std::filesystem::create_directories(noNodes);
    CInputCapture::Instance().SetBackendFactory([noNodes] {
        std::vector<std::unique_ptr<IInputBackend>> backends;
        backends.push_back(MakeX11InputBackend());
        backends.push_back(MakeEvdevInputBackend({}, noNodes));
        return backends;
    });
    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    Click(Control("macro_btn_starredio"));
    setenv("DISPLAY", display.c_str(), 1);
    CInputCapture::Instance().SetBackendFactory({});
    const std::vector<std::string> messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].find("message_text_33"), std::string::npos) << "a raw text key: " << messages[0];
    EXPECT_NE(messages[0].find("no X display"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("no keyboard input node"), std::string::npos) << messages[0];
    EXPECT_FALSE(Macros().IsRecording());
    EXPECT_TRUE(Control("macro_btn_starredio")->IsVisible());
    EXPECT_FALSE(Control("macro_btn_stopredio")->IsVisible());
    EXPECT_FALSE(CInputCapture::Instance().KeyboardHookInstalled());
}

}  // namespace
