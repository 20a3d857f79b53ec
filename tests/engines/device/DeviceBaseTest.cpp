// The device base on its own: page binding, light values, function pages, timers and events.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>
#include <vector>

#include "toolkit/ControlFactory.h"
#include "toolkit/DialogBuilder.h"
#include "toolkit/PaintManager.h"
#include "engines/device/DeviceKeyButton.h"
#include "engines/device/TorvanelUSBDevice.h"

using namespace DuiLib;

namespace {

// The key picture's container class as the page builder knows it.
class CSelectPanelForTest : public CContainerUI {
public:
    std::string GetClass() const override { return "SelectPanel"; }
};

// Records what the timers and events ask of the engine.
class CRecordingDevice : public CTorvanelUSBDevice {
public:
    void OnConnected() override { ++connects; }
    void ReloadLighting() override { ++reloads; }
    int CheckReceiverLink() override { return linkResult; }
    void RefreshPage() override { ++refreshes; }
    void SetWorkingProfile(uint8_t profile) override { workingProfile = profile; }
    int connects = 0, reloads = 0, refreshes = 0, linkResult = 1, workingProfile = -1;
};

class RecordingEntry : public IDeviceListEntry {
public:
    void StartTimer(unsigned id, unsigned ms) override { timers.emplace_back(id, ms); }
    bool IsEntryShown() const override { return shown; }
    void ShowEntry(bool on) override { shown = on; }
    bool IsPageSelected() const override { return false; }
    std::vector<std::pair<unsigned, unsigned>> timers;
    bool shown = true;
};

using Timers = std::vector<std::pair<unsigned, unsigned>>;

DeviceInterfaceEntry RowOfKind(uint16_t kind) {
    DeviceInterfaceEntry row{};
    row.deviceKind = kind;
    row.interfaceRole = kRoleCommand;
    return row;
}

class DeviceBase : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CPaintManagerUI::SetInstance();
        auto* factory = CControlFactory::GetInstance();
        factory->RegistControl("RecordingDevice", [] { return new CRecordingDevice(); });
        factory->RegistControl("SelectPanel", [] { return new CSelectPanelForTest(); });
        factory->RegistControl(CDeviceKeyButtonUI::kClassName, [] { return new CDeviceKeyButtonUI(); });
    }

    CRecordingDevice* Build(const std::string& xml) {
        CDialogBuilder builder;
        page_.reset(builder.Create(xml, "xml"));
        auto* device = page_ ? static_cast<CRecordingDevice*>(page_->GetInterface(CTorvanelUSBDevice::kClassName)) : nullptr;
        if (device) {
            device->SetKeyCount(170);
            device->SetLightCount(170);
            device->SetPageLayoutPath("XML/DeviceXml/test.xml");
            device->SetListEntry(&entry_);
        }
        return device;
    }
    CRecordingDevice* BuildPlain() { return Build("<RecordingDevice/>"); }

    std::unique_ptr<CControlUI> page_;
    RecordingEntry entry_;
};

constexpr const char* kPickedPage = R"(<RecordingDevice>
  <SelectPanel>
    <DeviceKeyButton name="key_0" userdata="light_3"/>
    <HorizontalLayout><DeviceKeyButton name="key_169" userdata="light_169"/></HorizontalLayout>
    <DeviceKeyButton name="key_170" userdata="light_170"/>
    <DeviceKeyButton name="light_7"/>
    <Button name="key_5"/>
  </SelectPanel>
  <DeviceKeyButton name="key_6"/>
</RecordingDevice>)";

}  // namespace

TEST_F(DeviceBase, KeyPictureButtonsAreBoundByNameAndUserData) {
    CRecordingDevice* device = Build(kPickedPage);
    ASSERT_NE(device, nullptr);
    device->InitPage();
    ASSERT_NE(device->KeyButton(0), nullptr);
    EXPECT_EQ(device->KeyButton(0)->GetName(), "key_0");
    EXPECT_EQ(device->LightButton(3), device->KeyButton(0));
    EXPECT_EQ(device->KeyButton(0)->GetLightColor(), 0xFFFFFFu);
    EXPECT_EQ(device->KeyButton(0)->GetLightBrightness(), 255);
    ASSERT_NE(device->KeyButton(169), nullptr);
    EXPECT_EQ(device->LightButton(169), device->KeyButton(169));
    EXPECT_EQ(device->KeyButton(170), nullptr);
    EXPECT_EQ(device->LightButton(170), nullptr);
    EXPECT_EQ(device->KeyButton(5), nullptr);  // not a key button
    EXPECT_EQ(device->KeyButton(6), nullptr);  // outside the picture
    EXPECT_EQ(device->LightButton(7), nullptr);  // the base binds lights by user data only
}

TEST_F(DeviceBase, APageWithoutPictureOrLayoutBindsNothing) {
    CRecordingDevice* device = Build("<RecordingDevice><HorizontalLayout><DeviceKeyButton name=\"key_0\"/></HorizontalLayout></RecordingDevice>");
    ASSERT_NE(device, nullptr);
    device->InitPage();
    EXPECT_EQ(device->KeyCount(), 170);
    EXPECT_EQ(device->KeyButton(0), nullptr);
    device->PushFrame();  // button updates do nothing

    device->SetPageLayoutPath("");
    device->InitPage();
    EXPECT_EQ(device->KeyCount(), 0);
    EXPECT_EQ(device->LightCount(), 0);
    EXPECT_EQ(device->Renderer().LightCount(), 0u);
}

TEST_F(DeviceBase, LightValuesOutsideTheLightCountAreIgnored) {
    CRecordingDevice* device = BuildPlain();
    const struct {
        int index;
        bool stored;
    } cases[] = {{-1, false}, {0, true}, {169, true}, {170, false}, {100000, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        device->SetLightValue(c.index, 0x80112233);
        EXPECT_EQ(device->GetLightValue(c.index), c.stored ? 0x80112233u : 0u);
    }
    device->SetLightCount(170);  // zeroes every record
    EXPECT_EQ(device->GetLightValue(0), 0u);
}

TEST_F(DeviceBase, FunctionPagesSelectTheTabsOfTheTable) {
    const struct {
        uint16_t kind;
        int page, functionTab, keyFunctionTab;
    } cases[] = {
        {kKindKeyboard, 2, 0, 1}, {kKindKeyboard, 6, 0, 1}, {kKindKeyboard, 3, 1, 1}, {kKindKeyboard, 8, 1, 1},
        {kKindKeyboard, 5, 2, 1}, {kKindKeyboard, 4, 3, 1}, {kKindMouse, 4, 3, 1},  {kKindMouseViaReceiver, 4, 0, 2},
        {kKindKeyboardViaReceiver, 4, 0, 2}, {kKindKeyboard, 7, 0, 2}, {kKindKeyboard, 1, 0, 0}, {kKindKeyboard, 9, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << "/" << c.page);
        CRecordingDevice* device = Build(R"(<RecordingDevice>
          <TabLayout name="device_function_switch"><Control/><Control/><Control/><Control/></TabLayout>
          <TabLayout name="device_key_function_switch"><Control/><Control/><Control/></TabLayout>
        </RecordingDevice>)");
        device->SetInterfaceRow(RowOfKind(c.kind));
        auto* keyTabs = static_cast<CTabLayoutUI*>(device->FindSubControl("device_key_function_switch"));
        keyTabs->SelectItem(1, false);  // "unchanged" must keep this
        device->ShowFunctionPage(c.page);
        EXPECT_EQ(device->GetFunctionPage(), c.page);
        EXPECT_EQ(static_cast<CTabLayoutUI*>(device->FindSubControl("device_function_switch"))->GetCurSel(), c.functionTab);
        EXPECT_EQ(keyTabs->GetCurSel(), c.keyFunctionTab);
    }
}

TEST_F(DeviceBase, FunctionPageWithoutTabsOnlyRemembersThePage) {
    CRecordingDevice* device = BuildPlain();
    device->ShowFunctionPage(3);
    EXPECT_EQ(device->GetFunctionPage(), 3);
}

TEST_F(DeviceBase, TimersDriveTheEngineAndReArmAsTheTableSays) {
    const struct {
        const char* name;
        uint16_t kind;
        bool connected, receiverCapable;
        int linkResult;
        unsigned timer;
        Timers started;
        int connects;
        bool entryShownAfter;
    } cases[] = {
        {"direct connect", kKindKeyboard, true, false, 1, kTimerConnect, {{1000, 5}}, 1, true},
        {"direct connect, capable", kKindKeyboard, true, true, 1, kTimerConnect, {{1000, 5}, {1005, 50}}, 1, true},
        {"receiver connect", kKindKeyboardViaReceiver, true, false, 1, kTimerConnect, {{1000, 5}, {1007, 2000}}, 1, true},
        {"receiver out of reach", kKindKeyboardViaReceiver, true, false, 0, kTimerConnect, {{1001, 3000}}, 0, false},
        {"frame, disconnected", kKindKeyboard, false, false, 1, kTimerPushFrame, {}, 0, true},
        {"frame via receiver", kKindKeyboardViaReceiver, true, false, 1, kTimerPushFrame, {{1000, 500}}, 0, true},
        {"power, capable", kKindKeyboardViaReceiver, false, true, 1, kTimerPowerStatus, {{1005, 20000}}, 0, true},
        {"power, not capable", kKindKeyboard, false, false, 1, kTimerPowerStatus, {}, 0, true},
        {"link lost", kKindKeyboardViaReceiver, true, false, 0, kTimerLinkMonitor, {{1007, 3000}}, 0, false},
        {"link monitor, direct", kKindKeyboard, true, false, 0, kTimerLinkMonitor, {}, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        entry_ = RecordingEntry{};
        CRecordingDevice* device = BuildPlain();
        device->SetInterfaceRow(RowOfKind(c.kind));
        device->SetReceiverCapable(c.receiverCapable);
        device->linkResult = c.linkResult;
        device->CommandChannel().SetConnected(c.connected);
        device->OnTimer(c.timer);
        EXPECT_EQ(entry_.timers, c.started);
        EXPECT_EQ(device->connects, c.connects);
        EXPECT_EQ(entry_.shown, c.entryShownAfter);
    }
}

TEST_F(DeviceBase, LinkMonitorShowsTheEntryAgainWhenTheDeviceIsBack) {
    CRecordingDevice* device = BuildPlain();
    device->SetInterfaceRow(RowOfKind(kKindKeyboardViaReceiver));
    entry_.shown = false;
    device->OnTimer(kTimerLinkMonitor);
    EXPECT_TRUE(entry_.shown);
    EXPECT_EQ(entry_.timers, (Timers{{1007, 3000}}));
}

TEST_F(DeviceBase, DeviceEventsStartTimersOrChangeTheProfile) {
    const struct {
        uint16_t code;
        bool connected;
        Timers started;
        int profile, refreshes;
    } cases[] = {
        {0x0401, false, {{1002, 50}}, -1, 0}, {0x0402, false, {{1008, 50}}, -1, 0},
        {0x1005, true, {}, 5, 1},             {0x1123, true, {}, 3, 1},
        {0x1005, false, {}, -1, 0},           {0x1200, true, {}, -1, 0},
        {0x0500, true, {}, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        entry_ = RecordingEntry{};
        CRecordingDevice* device = BuildPlain();
        device->CommandChannel().SetConnected(c.connected);
        device->HandleDeviceEvent(c.code);
        EXPECT_EQ(entry_.timers, c.started);
        EXPECT_EQ(device->workingProfile, c.profile);
        EXPECT_EQ(device->refreshes, c.refreshes);
    }
    CRecordingDevice* device = BuildPlain();
    device->OnTimer(kTimerReloadLighting);
    EXPECT_EQ(device->reloads, 1);
}
