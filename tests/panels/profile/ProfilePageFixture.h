#pragma once
// A keyboard page holding the profile strip, in a window, its engine bound to an emulated
// keyboard through the real HID layer and channel, with a fresh user data folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "toolkit/PaintManager.h"
#include "toolkit/ResourceManager.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "panels/profile/DeviceProfileUI.h"
#include "panels/profile/ProfileActions.h"
#include "store/JsonFile.h"
#include "tests/e2e/device/EmulatedKeyboardFixture.h"
#include "tests/panels/profile/ProfileTestSupport.h"
#include "tests/toolkit/ToolkitTestSupport.h"

namespace proftest {

class NullListEntry : public IDeviceListEntry {
public:
    void StartTimer(unsigned, unsigned) override {}
    bool IsEntryShown() const override { return true; }
    void ShowEntry(bool) override {}
    bool IsPageSelected() const override { return true; }
};

class ProfilePageTest : public EmulatedKeyboardTest {
protected:
    static constexpr ScreenSize kScreen{1920, 1080};

    void SetUp() override {
        EmulatedKeyboardTest::SetUp();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const char* root = std::getenv("ZORV_TEST_TMP");
        dataHome_ = std::filesystem::path(root && *root ? root : "/tmp/zorv-profile-tests") /
                    (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(dataHome_);
        std::filesystem::create_directories(dataHome_);
        setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
        DuiLib::CResourceManager::GetInstance()->LoadLanguage("lang/lan_en.xml");
        RegisterKeyboardControls();
        RegisterProfileControls();
        Open();
    }
    void TearDown() override {
        delete window_;
        window_ = nullptr;
        ToolkitTest::Pump();
        EmulatedKeyboardTest::TearDown();
    }

    // Builds the page, binds the engine to the keyboard as the device list does and lets it read
    // the keyboard and load its profile.
    void Open() {
        keyboard_ = &Plug(0x5062);
        window_ = ToolkitTest::OpenWindow(ZORV_PROFILE_TEST_PAGE, 1000, 120);
        engine_ = static_cast<CTorvanelKeyboardDevice*>(
            window_->GetPaintManager()->GetRoot()->GetInterface(CTorvanelKeyboardDevice::kClassName));
        ASSERT_NE(engine_, nullptr);
        engine_->SetPageLayoutPath(ZORV_PROFILE_TEST_PAGE);
        engine_->SetKeyCount(170);
        engine_->SetLightCount(170);
        engine_->SetTypeFolderName("keyboard");
        engine_->SetProfileId("unset");
        engine_->SetModelIndex(0);
        engine_->SetDefaultLightingName("nuvex_light");
        engine_->SetListEntry(&entry_);

        list_ = MakeInterfaceList();
        scanner_.RunScanPass(list_);
        int commandRow = -1;
        for (size_t i = 0; i < list_.size(); ++i)
            if (list_[i].productId == 0x5062 && list_[i].present && list_[i].interfaceRole == kRoleCommand)
                commandRow = static_cast<int>(i);
        ASSERT_GE(commandRow, 0);
        engine_->SetInterfaceRow(list_[commandRow]);
        CCommandChannel& channel = engine_->CommandChannel();
        {
            CriticalSectionLock lock(channel.TransferLock());
            ASSERT_EQ(channel.PrimaryRecord().Open(list_[commandRow].devicePath, 1, 1, 1, 0), 1);
        }
        channel.SetConnected(true);
        channel.SetConnectionMode(1);

        engine_->InitPage();
        panel_ = FindProfilePanel(*engine_);
        ASSERT_NE(panel_, nullptr);
        engine_->OnConnected();
        keyboard_->ClearPacketLog();
    }

    // What the main window does with a notification of the strip; the selection timer is run
    // at once.
    void Route(const std::string& type, const std::string& sender) {
        if (HandleProfileNotify(*engine_, *panel_, type, sender, kScreen) == ProfileNotifyResult::StartSelectTimer)
            SwitchToSelectedProfile(*engine_, *panel_, kScreen);
    }
    void Click(const std::string& sender) { Route("click", sender); }
    // The user picks item index in the drop-down; the selection timer then fires.
    void Pick(int index) {
        panel_->Select(index, true);
        Route("itemselect", "device_profile_combo");
    }
    void TypeName(const std::string& name) { FindControl("device_profile_name_edit")->SetText(name); }

    DuiLib::CControlUI* FindControl(const std::string& name) const {
        return window_->GetPaintManager()->FindControl(name);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < panel_->Count(); ++i) names.push_back(panel_->ItemText(i));
        return names;
    }
    std::string UserFolder() const { return dataHome_.string() + "/Zorv Wired Manager 1.0/keyboard/"; }
    std::string ProfileFile(int index) const {
        Json::Value list = ReadJsonValue(UserFolder() + "ProfileList.ini");
        return UserFolder() + list["profilelist"][index]["profileUUID"].asString() + ".Json";
    }
    std::vector<uint8_t> ReceivedCodes() const {
        std::vector<uint8_t> codes;
        for (const auto& entry : keyboard_->PacketLogEntries()) codes.push_back(entry.bytes.at(3));
        return codes;
    }

    std::filesystem::path dataHome_;
    EmulatedKeyboard* keyboard_ = nullptr;
    InterfaceList list_;
    CInterfaceScanner scanner_;
    NullListEntry entry_;
    ToolkitTest::RecordingWindow* window_ = nullptr;
    CTorvanelKeyboardDevice* engine_ = nullptr;
    CDeviceProfileUI* panel_ = nullptr;
    ScriptedDialogs dialogs_;
};

}  // namespace proftest
