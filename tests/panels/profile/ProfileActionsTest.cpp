// The profile commands on a keyboard page bound to an emulated keyboard: the list operations
// with their dialogs and what the engine sends to the keyboard around them.
#include <json/json.h>

#include <algorithm>
#include <fstream>

#include "toolkit/Button.h"
#include "panels/profile/SettingsTabs.h"
#include "tests/panels/profile/ProfilePageFixture.h"
#include "tests/support/MacroFiles.h"

using namespace proftest;

namespace {

constexpr int kKeyA = 64;
constexpr int kKeyS = 65;
constexpr uint8_t kWriteParams = 0x06;
constexpr uint8_t kWriteKeyTable = 0x09;
constexpr uint8_t kWriteMacroData = 0x15;

class ProfileActions : public ProfilePageTest {
protected:
    // A library of four macros; macro i has eventCounts[i] events.
    void WriteLibrary(const std::array<int, 4>& eventCounts) {
        std::vector<testsupport::MacroSpec> macros;
        for (int i = 0; i < 4; ++i)
            macros.push_back({"macro_" + std::to_string(i), "g" + std::to_string(i), testsupport::KeyTaps(eventCounts[i], 4 + i)});
        testsupport::WriteMacroLibrary(UserFolder(), macros);
    }
    // Gives keys of the current profile macro codes and saves the profile.
    void AssignMacros(std::initializer_list<std::pair<int, int>> keyToMacro) {
        std::vector<KeyListEntry> keys = engine_->KeyList();
        for (const auto& [key, macro] : keyToMacro) keys[key].assignment = {0x70, uint8_t(macro), 0};
        engine_->SetKeyList(keys);
        engine_->SaveProfile();
    }
    bool IsSelectedTab(const std::string& name) const {
        auto* option = static_cast<DuiLib::COptionUI*>(FindControl(name)->GetInterface("Option"));
        return option->IsSelected();
    }
    std::string FileText(const std::string& path) const {
        std::ifstream in(path);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

}  // namespace

TEST_F(ProfileActions, BindingThePageLoadsTheListAndHandsTheEngineTheCurrentProfile) {
    EXPECT_EQ(Names(), (std::vector<std::string>{"profile1"}));
    EXPECT_EQ(panel_->SelectedIndex(), 0);
    EXPECT_EQ(panel_->NameEditText(), "profile1");
    EXPECT_FALSE(panel_->GetCurrentUuid().empty());
    EXPECT_EQ(engine_->ProfileId(), panel_->GetCurrentUuid());
    EXPECT_EQ(panel_->GetDeviceCategory(), 1);
    EXPECT_TRUE(std::filesystem::exists(ProfileFile(0)));
    EXPECT_TRUE(IsSelectedTab("deng_Op_tab"));
    EXPECT_FALSE(FindControl("cursor_Op_tab")->IsVisible());

    // Binding again reads the same list, not a doubled one.
    engine_->InitPage();
    EXPECT_EQ(Names(), (std::vector<std::string>{"profile1"}));
}

TEST_F(ProfileActions, AddAndCopyAppendWithoutSelecting) {
    Click("device_add_btn");
    Click("device_copy_btn");
    Click("device_copy_btn");
    EXPECT_EQ(Names(), (std::vector<std::string>{"profile1", "profile2", "profile1 copy", "profile1 copy copy"}));
    EXPECT_EQ(panel_->SelectedIndex(), 0);
    for (int i = 0; i < 4; ++i) {
        const Json::Value doc = ReadJsonValue(ProfileFile(i));
        EXPECT_EQ(doc["profilename"].asString(), Names()[i]) << i;
        EXPECT_TRUE(doc.isMember("Device")) << i;
    }
    EXPECT_TRUE(ReceivedCodes().empty());
}

TEST_F(ProfileActions, RenameTellsWhyANameIsRefused) {
    Click("device_add_btn");
    const struct {
        const char* typed;
        std::vector<std::string> names;
        std::vector<std::string> messages;
    } cases[] = {
        {"PROFILE2", {"profile1", "profile2"}, {"message_text_5"}},
        {"   ", {"profile1", "profile2"}, {"message_text_25"}},
        {"", {"profile1", "profile2"}, {}},
        {"Profile1", {"Profile1", "profile2"}, {}},
        {"Game", {"Game", "profile2"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        dialogs_.asked.clear();
        TypeName(c.typed);
        Click("device_profile_edit_save_btn");
        EXPECT_EQ(Names(), c.names);
        EXPECT_EQ(dialogs_.AskedKeys(), c.messages);
        for (const AskedMessage& m : dialogs_.asked) {
            EXPECT_TRUE(m.textIsKey);
            EXPECT_EQ(m.buttons, 0);
        }
    }
    EXPECT_EQ(ReadJsonValue(ProfileFile(0))["profilename"].asString(), "Game");
}

TEST_F(ProfileActions, DeleteSelectsTheNeighbourAndSwitchesTheDeviceToIt) {
    Click("device_add_btn");
    Click("device_add_btn");
    Pick(2);
    const std::string removedFile = ProfileFile(2);
    const std::string neighbourUuid = ReadJsonValue(ProfileFile(1))["profileUUID"].asString();
    window_->ClearEvents();
    keyboard_->ClearPacketLog();

    Click("device_sub_btn");
    // The main window routes the list's own selection notification back to the strip.
    const auto events = window_->Events();
    EXPECT_NE(std::find(events.begin(), events.end(), "itemselect:device_profile_combo"), events.end());
    Route("itemselect", "device_profile_combo");

    EXPECT_EQ(Names(), (std::vector<std::string>{"profile1", "profile2"}));
    EXPECT_EQ(panel_->SelectedIndex(), 1);
    EXPECT_FALSE(std::filesystem::exists(removedFile));
    EXPECT_EQ(engine_->ProfileId(), neighbourUuid);
    EXPECT_EQ(ReadJsonValue(UserFolder() + "ProfileList.ini")["profileselect"].asInt(), 1);
    const auto codes = ReceivedCodes();
    EXPECT_NE(std::find(codes.begin(), codes.end(), kWriteParams), codes.end());

    // The last profile stays.
    Click("device_sub_btn");
    Click("device_sub_btn");
    EXPECT_EQ(Names().size(), 1u);
}

TEST_F(ProfileActions, ExportThenImportAddsTheProfileUnderTheFileName) {
    const std::string exported = (dataHome_ / "Game.json").string();
    dialogs_.chosenFile = exported;
    Click("device_export_btn");
    ASSERT_EQ(dialogs_.fileDialogs, (std::vector<bool>{true}));
    const Json::Value file = ReadJsonValue(exported);
    EXPECT_EQ(file["profilename"].asString(), "profile1");
    EXPECT_EQ(file["profileUUID"].asString(), panel_->GetCurrentUuid());

    Click("device_import_btn");
    EXPECT_EQ(Names(), (std::vector<std::string>{"profile1", "Game"}));
    EXPECT_EQ(panel_->SelectedIndex(), 0);
    const Json::Value imported = ReadJsonValue(ProfileFile(1));
    EXPECT_EQ(imported["profilename"].asString(), "Game");
    EXPECT_NE(imported["profileUUID"].asString(), panel_->GetCurrentUuid());
    EXPECT_EQ(imported["Device"], file["Device"]);

    // Files that are not exported profiles, and a cancelled dialog, change nothing and say nothing.
    Json::Value notAProfile;
    notAProfile["profilename"] = "x";
    notAProfile["Device"] = Json::Value(Json::arrayValue);
    const std::string foreign = (dataHome_ / "foreign.json").string();
    ASSERT_TRUE(WriteJsonValue(foreign, notAProfile));
    const std::string broken = (dataHome_ / "broken.json").string();
    std::ofstream(broken) << "{ \"profileUUID\": ";
    for (const std::string& path : {foreign, broken, std::string()}) {
        SCOPED_TRACE(path);
        dialogs_.chosenFile = path;
        Click("device_import_btn");
        EXPECT_EQ(Names().size(), 2u);
    }
    dialogs_.chosenFile.clear();
    Click("device_export_btn");
    EXPECT_TRUE(dialogs_.asked.empty());
}

TEST_F(ProfileActions, ResetAsksFirstAndThenRewritesTheProfileFromTheDefaults) {
    WriteLibrary({1, 1, 0, 0});
    Json::Value changed = ReadJsonValue(ProfileFile(0));
    changed["Device"][1]["UserMark"] = 42;
    ASSERT_TRUE(WriteJsonValue(ProfileFile(0), changed));
    AssignMacros({{kKeyA, 1}});
    const std::string withMacro = FileText(ProfileFile(0));
    keyboard_->ClearPacketLog();

    dialogs_.answers = {0};
    Click("device_reset_btn");
    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(dialogs_.asked[0].text, "message_text_22");
    EXPECT_EQ(dialogs_.asked[0].buttons, 1);
    EXPECT_EQ(FileText(ProfileFile(0)), withMacro);
    EXPECT_TRUE(ReceivedCodes().empty());

    dialogs_.answers = {1};
    Click("device_reset_btn");
    const Json::Value reset = ReadJsonValue(ProfileFile(0));
    EXPECT_EQ(reset["profilename"].asString(), "profile1");
    EXPECT_EQ(reset["profileUUID"].asString(), panel_->GetCurrentUuid());
    EXPECT_FALSE(reset["Device"][1].isMember("UserMark"));
    // The defaults carry no macro keys: nothing refers to a macro, so no image is written.
    EXPECT_NE(engine_->KeyList()[kKeyA].assignment, (KeyAssignment{0x70, 1, 0}));
    const auto codes = ReceivedCodes();
    EXPECT_NE(std::find(codes.begin(), codes.end(), kWriteParams), codes.end());
    EXPECT_NE(std::find(codes.begin(), codes.end(), kWriteKeyTable), codes.end());
}

TEST_F(ProfileActions, TheDevicesOwnResetReloadsWithoutAsking) {
    Json::Value changed = ReadJsonValue(ProfileFile(0));
    changed["Device"][1]["UserMark"] = 7;
    ASSERT_TRUE(WriteJsonValue(ProfileFile(0), changed));
    keyboard_->ClearPacketLog();
    EXPECT_EQ(ResetWithoutConfirmation(*engine_, *panel_, kScreen), 1);
    EXPECT_TRUE(dialogs_.asked.empty());
    EXPECT_FALSE(ReadJsonValue(ProfileFile(0))["Device"][1].isMember("UserMark"));
    const auto codes = ReceivedCodes();
    EXPECT_NE(std::find(codes.begin(), codes.end(), kWriteKeyTable), codes.end());
}

TEST_F(ProfileActions, SwitchingProfilesUploadsTheMacroImageBeforeTheKeyTable) {
    WriteLibrary({1, 2, 1, 1});
    Click("device_add_btn");
    Pick(1);
    EXPECT_EQ(engine_->ProfileId(), ReadJsonValue(ProfileFile(1))["profileUUID"].asString());
    AssignMacros({{kKeyA, 1}, {kKeyS, 3}});
    Pick(0);
    EXPECT_EQ(engine_->KeyList()[kKeyA].assignment, engine_->KeyList()[kKeyA].defaultAssignment);

    keyboard_->ClearPacketLog();
    Pick(1);
    EXPECT_EQ(panel_->NameEditText(), "profile2");
    EXPECT_EQ(engine_->KeyList()[kKeyA].assignment, (KeyAssignment{0x70, 1, 0}));
    const auto codes = ReceivedCodes();
    const auto image = std::find(codes.begin(), codes.end(), kWriteMacroData);
    const auto table = std::find(codes.begin(), codes.end(), kWriteKeyTable);
    ASSERT_NE(image, codes.end());
    ASSERT_NE(table, codes.end());
    EXPECT_LT(image, table);
    EXPECT_EQ(std::find(table, codes.end(), kWriteMacroData), codes.end());
    const auto params = std::find(codes.begin(), codes.end(), kWriteParams);
    EXPECT_LT(params, image);
    EXPECT_TRUE(dialogs_.asked.empty());
    // The image holds the two macros in first-use order.
    const auto memory = keyboard_->Snapshot().memory.macroImage;
    EXPECT_EQ(memory[4], 2);
    EXPECT_EQ(ReadJsonValue(UserFolder() + "ProfileList.ini")["profileselect"].asInt(), 1);
}

TEST_F(ProfileActions, AMacroImageBeyondTheMemoryIsReportedAndNoKeyNamesAMacro) {
    ASSERT_EQ(engine_->DeviceInfo()[6], 4);  // 512 bytes of macro memory
    WriteLibrary({0, 23, 0, 100});           // 520 bytes for macros 3 and 1
    AssignMacros({{kKeyA, 3}, {kKeyS, 1}});
    keyboard_->ClearPacketLog();
    Pick(0);
    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_FALSE(dialogs_.asked[0].textIsKey);
    EXPECT_EQ(dialogs_.asked[0].text, "The device did not accept the data (error 3).");
    const auto codes = ReceivedCodes();
    EXPECT_EQ(std::find(codes.begin(), codes.end(), kWriteMacroData), codes.end());
    // The keyboard and the page agree: the macro keys do what they do by default.
    EXPECT_NE(std::find(codes.begin(), codes.end(), kWriteKeyTable), codes.end());
    for (int key : {kKeyA, kKeyS}) {
        const KeyListEntry& entry = engine_->KeyList()[key];
        EXPECT_EQ(entry.assignment, entry.defaultAssignment) << key;
        const int position = engine_->KeyToPosition().at(key);
        const auto& table = keyboard_->Snapshot().memory.keyTable;
        EXPECT_EQ((KeyAssignment{table[position * 3], table[position * 3 + 1], table[position * 3 + 2]}),
                  entry.defaultAssignment)
            << key;
    }
    // The profile file still holds the assignments, for a smaller macro later.
    CKeyboardProfiledata stored;
    stored.SetDeviceIndex(engine_->Profile().GetDeviceIndex());
    stored.LoadSection(engine_->GetProfilePath());
    EXPECT_EQ(stored.GetKeyList()[kKeyA].assignment, (KeyAssignment{0x70, 3, 0}));
}

TEST_F(ProfileActions, TheSettingsTabsSwitchTheEnginesPage) {
    const struct {
        const char* tab;
        int page;
    } cases[] = {{"macro_Op_tab", 3}, {"system_Op_tab", 4}, {"key_Op_tab", 2}, {"deng_Op_tab", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        EXPECT_EQ(HandleProfileNotify(*engine_, *panel_, "selectchanged", c.tab, kScreen), ProfileNotifyResult::Handled);
        EXPECT_EQ(engine_->GetFunctionPage(), c.page);
        for (const char* name : kSettingsTabNames) EXPECT_EQ(IsSelectedTab(name), std::string(name) == c.tab) << name;
    }
    EXPECT_EQ(HandleProfileNotify(*engine_, *panel_, "selectchanged", "winlockflag_option", kScreen),
              ProfileNotifyResult::NotHandled);
    EXPECT_EQ(HandleProfileNotify(*engine_, *panel_, "click", "default_btn", kScreen), ProfileNotifyResult::NotHandled);
    EXPECT_EQ(HandleProfileNotify(*engine_, *panel_, "itemselect", "light_combo_modeSelect", kScreen),
              ProfileNotifyResult::NotHandled);
    EXPECT_EQ(HandleProfileNotify(*engine_, *panel_, "itemselect", "device_profile_combo", kScreen),
              ProfileNotifyResult::StartSelectTimer);
}
