// The device list in a window built from the main layout, with keyboard engines bound to emulated
// keyboards through the real HID layer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/devicelist/DeviceList.h"
#include "app/devicelist/DeviceOption.h"
#include "app/devicelist/MpDevicePower.h"
#include "toolkit/Button.h"
#include "toolkit/Label.h"
#include "toolkit/UIlib.h"
#include "device/registry/InterfaceScanner.h"
#include "device/registry/ModelRegistry.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "platform/DebugOutput.h"
#include "tests/e2e/device/EmulatedKeyboardFixture.h"
#include "tests/toolkit/ToolkitTestSupport.h"

using namespace DuiLib;

namespace {

constexpr int kPage5062 = 1;  // page-table rows of the three keyboards
constexpr int kPage5085 = 4;
constexpr int kDirectCommandRow = 0;  // run-time rows of the 0x5062 keyboard and its receiver
constexpr int kReceiverCommandRow = 2;

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    return ToolkitTest::PumpUntil(condition, timeoutMs);
}

struct SharedRows {
    CriticalSection lock;
    InterfaceList rows = MakeInterfaceList();
};

// The part of the main window the device list needs: the main layout, its messages forwarded.
class ListHost : public WindowImplBase {
public:
    explicit ListHost(SharedRows& rows) : rows_(rows) {}
    std::string GetWindowClassName() const override { return "DeviceListHost"; }
    std::string GetSkinFile() override { return "XML_MAIN"; }
    void InitWindow() override {
        list = std::make_unique<CDeviceList>(m_pm, rows_.rows, rows_.lock);
        list->SetCloseChildWindows([this] { ++childWindowCloses; });
        list->SetSharedAvailableHook([this](CTorvanelUSBDevice&, bool available) { lastShared = available ? 1 : 0; });
        list->CreatePages(this, "test_profile");
    }
    void Notify(TNotifyUI& msg) override {
        if (list && list->Notify(msg)) return;
        WindowImplBase::Notify(msg);
    }
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override {
        if (msg == kMsgDeviceLink && list) {
            list->OnPresenceReport(static_cast<int>(wParam), static_cast<int>(lParam));
            handled = true;
        }
        return 0;
    }
    std::unique_ptr<CDeviceList> list;
    int childWindowCloses = 0;
    int lastShared = -1;

private:
    SharedRows& rows_;
};

class DeviceListTest : public EmulatedKeyboardTest {
protected:
    static void SetUpTestSuite() {
        CPaintManagerUI::SetInstance();
        CPaintManagerUI::SetResourcePath(ZORV_SKIN_DIR);
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource("res.xml"));
        RegisterKeyboardControls();
        RegisterDeviceListControls();
    }
    void SetUp() override {
        EmulatedKeyboardTest::SetUp();
        const char* root = std::getenv("ZORV_TEST_TMP");
        dataHome_ = std::filesystem::path(root && *root ? root : "/tmp/zorv-devicelist-tests") /
                    ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(dataHome_);
        std::filesystem::create_directories(dataHome_);
        setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
        host_ = std::make_unique<ListHost>(rows_);
        host_->Create(0, "device list", 0x96CA0000, 0, 0, 0, 1000, 640);
        host_->ShowWindow(true);
        ASSERT_NE(host_->list, nullptr);
    }
    void TearDown() override {
        if (host_ && IsWindow(host_->GetHWND())) host_->Close(IDOK);
        PumpUntil([] { return false; }, 50);
        host_.reset();
        EmulatedKeyboardTest::TearDown();
    }

    CDeviceList& List() { return *host_->list; }
    CControlUI* Find(const char* name) { return host_->FindControl(name); }
    CDeviceOptionUI& Entry(int pageRow) { return *List().Pages().at(List().IndexOfPageRow(pageRow)).entry; }
    CTorvanelUSBDevice& Engine(int pageRow) { return *List().Pages().at(List().IndexOfPageRow(pageRow)).engine; }
    // One scan pass, its removals and arrivals told to the list the way the scanning thread does.
    void ScanAndTell() {
        ScanPassResult changes;
        {
            CriticalSectionLock hold(rows_.lock);
            changes = scanner_.RunScanPass(rows_.rows);
        }
        for (int row : changes.removals) List().OnDeviceRemoval(row);
        for (int row : changes.arrivals) List().OnDeviceArrival(row);
    }
    bool NoDeviceShown() { return Find("No_device_Link")->IsVisible(); }

    SharedRows rows_;
    CInterfaceScanner scanner_;
    std::filesystem::path dataHome_;
    std::unique_ptr<ListHost> host_;
    DebugCapture log_;
};

}  // namespace

TEST_F(DeviceListTest, BuildsOneHiddenPagePerKeyboardRowAtStart) {
    const auto& pages = List().Pages();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].pageRow, kPage5062);
    EXPECT_EQ(pages[1].pageRow, kPage5085);
    EXPECT_EQ(pages[2].pageRow, 5);
    EXPECT_EQ(List().Keyboards().size(), 3u);
    EXPECT_TRUE(List().Family(DeviceFamily::Mouse).empty());
    for (size_t i = 0; i < pages.size(); ++i) {
        const DevicePageRecord& page = pages[i];
        EXPECT_FALSE(page.entry->IsEntryShown());
        EXPECT_FALSE(page.engine->CommandChannel().IsConnected());
        EXPECT_EQ(page.engine->PageRow(), page.pageRow);
        EXPECT_EQ(page.entry->Engine(), page.engine);
        EXPECT_EQ(page.entry->SelectOption()->GetGroup(), "tab_header_device");
        EXPECT_EQ(page.entry->SelectOption()->GetBindTabLayoutName(), "device_switch");
        EXPECT_EQ(page.entry->SelectOption()->GetBindTabLayoutIndex(), static_cast<int>(i));
        EXPECT_EQ(page.entry->PowerTabIndex(), static_cast<int>(i));
        EXPECT_FALSE(page.entry->SyncOption()->IsVisible());
        EXPECT_EQ(page.entry->NameLabel()->GetTextSource(), "keyboard");
    }
    EXPECT_EQ(pages[1].entry->ProductId(), 0x5085);
    EXPECT_EQ(List().ActiveDevice(), nullptr);
    EXPECT_TRUE(NoDeviceShown());
}

TEST_F(DeviceListTest, ArrivalBindsShowsSelectsAndDrivesTheEngine) {
    EmulatedKeyboard& keyboard = Plug(0x5062);
    ScanAndTell();
    CDeviceOptionUI& entry = Entry(kPage5062);
    CTorvanelUSBDevice& engine = Engine(kPage5062);
    EXPECT_TRUE(engine.CommandChannel().IsConnected());
    EXPECT_TRUE(engine.CommandChannel().PrimaryRecord().IsOpen());
    EXPECT_FALSE(engine.CommandChannel().ViaReceiver());
    EXPECT_TRUE(entry.IsEntryShown());
    EXPECT_TRUE(entry.IsSelected());
    EXPECT_EQ(List().ActiveDevice(), &engine);
    EXPECT_TRUE(host_->GetPaintManager()->HasTimer(&entry, kTimerConnect));
    EXPECT_FALSE(NoDeviceShown());
    // Timer 1001 starts the read-all: BeginConfig, ReadDeviceInfo and the key tables reach the device.
    auto received = [&](uint8_t code) {
        for (const auto& packet : keyboard.PacketLogEntries())
            if (packet.bytes.size() > 3 && packet.bytes[3] == code) return true;
        return false;
    };
    EXPECT_TRUE(PumpUntil([&] { return received(0x01) && received(0x03) && received(0x07); }));
}

TEST_F(DeviceListTest, SecondProductStaysUnselectedAndPrevNextWalkTheVisibleEntries) {
    Plug(0x5062, "a");
    ScanAndTell();
    Plug(0x5085, "b");
    ScanAndTell();
    CDeviceOptionUI& first = Entry(kPage5062);
    CDeviceOptionUI& second = Entry(kPage5085);
    ASSERT_TRUE(second.IsEntryShown());
    EXPECT_FALSE(second.IsSelected());
    EXPECT_EQ(List().ActiveDevice(), &Engine(kPage5062));
    EXPECT_EQ(host_->lastShared, 1);

    struct Step {
        const char* button;
        CDeviceOptionUI* selected;
    };
    const Step steps[] = {
        {"device_select_prev", &first},  // nothing before the first
        {"device_select_next", &second},
        {"device_select_next", &second},  // the hidden T3N9 page is skipped, nothing after
        {"device_select_prev", &first},
    };
    for (const Step& step : steps) {
        host_->GetPaintManager()->SendNotify(Find(step.button), DUI_MSGTYPE_CLICK);
        EXPECT_TRUE(step.selected->IsSelected()) << step.button;
        EXPECT_EQ(List().ActiveDevice(), step.selected->Engine()) << step.button;
    }
    // The user's own pick goes through "selectchanged" of "device_select".
    second.SelectOption()->Selected(true);
    EXPECT_EQ(List().SelectedIndex(), List().IndexOfPageRow(kPage5085));
    EXPECT_EQ(List().SelectedProductId(), 0x5085);
    auto* pages = static_cast<CTabLayoutUI*>(Find("device_switch")->GetInterface("TabLayout"));
    EXPECT_EQ(pages->GetCurSel(), List().IndexOfPageRow(kPage5085));
}

TEST_F(DeviceListTest, RemovalMovesTheSelectionAndTheLastShowsTheEmptyState) {
    EmulatedKeyboard& a = Plug(0x5062, "a");
    EmulatedKeyboard& b = Plug(0x5085, "b");
    ScanAndTell();
    ASSERT_EQ(List().VisibleCount(), 2);
    ASSERT_EQ(List().ActiveDevice(), &Engine(kPage5062));

    a.Stop();
    ScanAndTell();
    EXPECT_TRUE(log_.Contains("键盘设备丢失"));
    EXPECT_FALSE(Entry(kPage5062).IsEntryShown());
    EXPECT_FALSE(Engine(kPage5062).CommandChannel().IsConnected());
    EXPECT_FALSE(Engine(kPage5062).CommandChannel().PrimaryRecord().IsOpen());
    EXPECT_EQ(host_->childWindowCloses, 1);
    EXPECT_EQ(List().ActiveDevice(), &Engine(kPage5085));
    EXPECT_FALSE(NoDeviceShown());
    EXPECT_EQ(host_->lastShared, 0);

    b.Stop();
    ScanAndTell();
    EXPECT_EQ(List().VisibleCount(), 0);
    EXPECT_EQ(List().ActiveDevice(), nullptr);
    EXPECT_TRUE(NoDeviceShown());

    // The same keyboard back: the kept page is bound again.
    std::string error;
    ASSERT_TRUE(a.Start(error)) << error;
    ScanAndTell();
    EXPECT_EQ(List().ActiveDevice(), &Engine(kPage5062));
}

TEST_F(DeviceListTest, PresenceReportHidesAndShowsTheEntryOfThatPage) {
    Plug(0x5062);
    ScanAndTell();
    const HWND window = host_->GetHWND();
    SendMessage(window, kMsgDeviceLink, kPage5062, 0);
    EXPECT_FALSE(Entry(kPage5062).IsEntryShown());
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(List().ActiveDevice(), nullptr);
    SendMessage(window, kMsgDeviceLink, kPage5062, 1);
    EXPECT_TRUE(Entry(kPage5062).IsEntryShown());
    EXPECT_EQ(List().ActiveDevice(), &Engine(kPage5062));
    SendMessage(window, kMsgDeviceLink, 99, 0);  // no such page: nothing happens
    EXPECT_TRUE(Entry(kPage5062).IsEntryShown());
}

TEST_F(DeviceListTest, SharedLightingMarksNeedTwoMarkedVisibleEntries) {
    // No devices needed: the rule is about visible entries and their marks.
    for (int i = 0; i < 3; ++i) List().ShowSelectBind(i, i < 2, i == 0);
    EXPECT_EQ(host_->lastShared, 1);
    auto mark = [&](int i) { List().Pages()[i].entry->SyncOption()->Selected(true, false); };
    auto marked = [&](int i) { return List().Pages()[i].entry->IsMarkedForSharing(); };

    mark(0);  // marking alone changes nothing
    EXPECT_TRUE(marked(0));
    List().ShowSelectBind(1, true, false);  // a list action with one mark clears it
    EXPECT_FALSE(marked(0));

    mark(0);
    mark(1);
    List().ShowSelectBind(1, true, false);
    EXPECT_TRUE(marked(0));
    EXPECT_TRUE(marked(1));
    for (const DevicePageRecord& page : List().Pages()) page.engine->CommandChannel().SetStreamPaused(true);
    List().HideEntry(1);  // one of two marked leaves: both marks and every paused stream are cleared
    EXPECT_FALSE(marked(0));
    EXPECT_FALSE(marked(1));
    EXPECT_EQ(host_->lastShared, 0);
    for (const DevicePageRecord& page : List().Pages()) EXPECT_FALSE(page.engine->CommandChannel().IsStreamPaused());
}

TEST_F(DeviceListTest, PowerReportShowsPercentRingAndChargingImage) {
    CMpDevicePowerUI& power = *List().Pages()[0].power;
    auto* progress = static_cast<CProgressUI*>(power.FindSubControl("device_Power_progress")->GetInterface("Progress"));
    CControlUI* value = power.FindSubControl("device_power_value");
    CControlUI* status = power.FindSubControl("device_power_status");
    struct Case {
        uint8_t percent, state, wireless;
        const char* text;
        int ring;
        bool ringShown;
        const char* image;
    };
    const Case cases[] = {
        {35, 1, 0, "35%", 65, true, "file='power/powering.png'"},
        {100, 0, 0, "100%", 0, true, "file='power/powered.png'"},
        {80, 1, 1, "80%", 20, false, "file='power/wuxian_powering.png'"},
        {5, 2, 1, "5%", 95, true, "file='power/power.png'"},
        {50, 9, 0, "50%", 50, true, "file='power/power.png'"},  // unknown state keeps the image
    };
    for (const Case& c : cases) {
        const uint8_t bytes[] = {c.percent, c.state, 0, c.wireless};
        power.UpdatePowerStatus(bytes, sizeof bytes);
        EXPECT_EQ(value->GetText(), c.text);
        EXPECT_EQ(progress->GetValue(), c.ring) << c.text;
        EXPECT_EQ(progress->IsVisible() || !power.IsVisible(), c.ringShown || !power.IsVisible()) << c.text;
        EXPECT_EQ(status->GetBkImage(), c.image) << c.text;
    }
    // Long and short reports are safe: at most 64 bytes are read, missing ones count as 0.
    std::vector<uint8_t> longReport(200, 0);
    longReport[0] = 40;
    power.UpdatePowerStatus(longReport.data(), longReport.size());
    EXPECT_EQ(value->GetText(), "40%");
    power.UpdatePowerStatus(nullptr, 10);
    EXPECT_EQ(value->GetText(), "0%");
}

TEST_F(DeviceListTest, MousePadPowerShowsThePhoneOnThePad) {
    CMpDevicePowerUI& power = *List().Pages()[0].power;
    power.SetDeviceKind(kKindMousePad);
    CControlUI* phone = power.FindSubControl("device_phone_type");
    struct Case {
        uint8_t type;
        const char* tip;
    };
    for (const Case& c : {Case{1, "Phone_type_iphone"}, Case{2, "Phone_type_samsung"}, Case{3, "Phone_type_other"},
                          Case{0, "Phone_type_no_device"}, Case{77, "Phone_type_no_device"}}) {
        const uint8_t bytes[] = {60, 0, c.type, 0};
        power.UpdatePowerStatus(bytes, sizeof bytes);
        EXPECT_EQ(phone->GetToolTip(), c.tip);
        EXPECT_EQ(phone->GetBkImage(), std::string("file='power/") + c.tip + ".png'");
    }
}

TEST_F(DeviceListTest, CableAndReceiverSwitchKeepsTheEntry) {
    Plug(0x5062, "kbd");
    Plug(0x5085, "rcv");  // its command interface stands in for a receiver
    ScanAndTell();
    std::string cablePath;
    {
        // Make the second keyboard's command path the 0x5062 receiver row; free its own rows.
        CriticalSectionLock hold(rows_.lock);
        cablePath = rows_.rows[kDirectCommandRow].devicePath;
        rows_.rows[kReceiverCommandRow].present = 1;
        rows_.rows[kReceiverCommandRow].devicePath = rows_.rows[4].devicePath;
    }
    CDeviceOptionUI& entry = Entry(kPage5062);
    CTorvanelUSBDevice& engine = Engine(kPage5062);
    CCommandChannel& channel = engine.CommandChannel();
    ASSERT_TRUE(channel.IsConnected());

    // Cable pulled while the receiver is there: the same entry moves to the receiver.
    {
        CriticalSectionLock hold(rows_.lock);
        rows_.rows[kDirectCommandRow].present = 0;
        rows_.rows[kDirectCommandRow].devicePath.clear();
    }
    List().OnDeviceRemoval(kDirectCommandRow);
    EXPECT_TRUE(channel.IsConnected());
    EXPECT_TRUE(channel.ViaReceiver());
    EXPECT_EQ(channel.ChunkSize(), kChunkSizeReceiver);
    EXPECT_TRUE(channel.SecondaryRecord().IsOpen());
    EXPECT_FALSE(channel.PrimaryRecord().IsOpen());
    EXPECT_TRUE(engine.ThroughReceiver());
    EXPECT_TRUE(entry.IsEntryShown());
    EXPECT_TRUE(host_->GetPaintManager()->HasTimer(&entry, kTimerLinkMonitor));
    EXPECT_EQ(List().Pages().size(), 3u);

    // Cable back: the engine returns to it.
    {
        CriticalSectionLock hold(rows_.lock);
        rows_.rows[kDirectCommandRow].present = 1;
        rows_.rows[kDirectCommandRow].devicePath = cablePath;
    }
    List().OnDeviceArrival(kDirectCommandRow);
    EXPECT_TRUE(channel.IsConnected());
    EXPECT_FALSE(channel.ViaReceiver());
    EXPECT_TRUE(channel.PrimaryRecord().IsOpen());
    EXPECT_FALSE(engine.ThroughReceiver());
    EXPECT_TRUE(entry.IsEntryShown());
    EXPECT_TRUE(host_->GetPaintManager()->HasTimer(&entry, kTimerConnect));

    // The receiver leaving while on the cable changes nothing.
    {
        CriticalSectionLock hold(rows_.lock);
        rows_.rows[kReceiverCommandRow].present = 0;
        rows_.rows[kReceiverCommandRow].devicePath.clear();
    }
    List().OnDeviceRemoval(kReceiverCommandRow);
    EXPECT_TRUE(channel.IsConnected());
    EXPECT_TRUE(entry.IsEntryShown());
}

TEST_F(DeviceListTest, ScreenshotOfTheStripWithTwoDevices) {
    Plug(0x5062, "a");
    Plug(0x5085, "b");
    ScanAndTell();
    std::filesystem::create_directories(ZORV_SCREENSHOT_DIR);
    for (const char* language : {"lang/lan_en.xml", "lang/lan_cn.xml"}) {
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage(language)) << language;
        host_->GetPaintManager()->GetRoot()->ReloadText();
        PumpUntil([] { return false; }, 200);
        QWidget* widget = host_->GetPaintManager()->GetRoot()->GetWidget()->window();
        const QPixmap shot = widget->grab(QRect(0, 0, widget->width(), 130));
        const std::string name = std::string(ZORV_SCREENSHOT_DIR) + "/devicelist_strip_" +
                                 (std::string(language) == "lang/lan_en.xml" ? "en" : "cn") + ".png";
        EXPECT_TRUE(shot.save(QString::fromStdString(name)));
    }
}

namespace {

// The device files are read before the list exists, as the manager does at start.
class DeviceFileListTest : public DeviceListTest {
protected:
    static void SetUpTestSuite() {
        DeviceListTest::SetUpTestSuite();
        const char* root = std::getenv("ZORV_TEST_TMP");
        const std::filesystem::path folder =
            std::filesystem::path(root && *root ? root : "/tmp/zorv-devicelist-tests") / "device-files";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "a-desk.json")
            << R"({"name": "Desk 87", "vid": "0x7a61", "pid": "0x5999", "page": 4, "interfaces": [
                 {"interface": 1, "collection": 4, "usage_page": "0xff1c", "usage": "0x92", "role": 0},
                 {"interface": 1, "collection": 3, "usage_page": "0x000c", "usage": 1, "role": 255}]})";
        std::ofstream(folder / "b-twin.json")
            << R"({"name": "Twin", "vid": "0x7a61", "pid": "0x5062", "page": 1, "interfaces": [
                 {"interface": 1, "collection": 4, "usage_page": "0xff1c", "usage": "0x92", "role": 0}]})";
        report_ = LoadDeviceFiles({folder});
    }
    static void TearDownTestSuite() { ResetModelRegistry(); }
    static inline DeviceFileReport report_;
};

}  // namespace

TEST_F(DeviceFileListTest, AProductOfADeviceFileGetsItsOwnPageNamedAfterIt) {
    EXPECT_EQ(report_.added, std::vector<std::string>{"Desk 87"});
    ASSERT_EQ(report_.problems.size(), 1u);
    EXPECT_NE(report_.problems[0].find("b-twin.json: product 0x7a61:0x5062 is already known"), std::string::npos);

    // The compiled keyboards keep their pages; the file's product comes after them, built from
    // page row 4's layout, hidden until it is plugged in.
    const auto& pages = List().Pages();
    ASSERT_EQ(pages.size(), 4u);
    const DevicePageRecord& added = pages[3];
    EXPECT_EQ(added.pageRow, static_cast<int>(kPageTable.size()));
    EXPECT_EQ(added.family, DeviceFamily::Keyboard);
    EXPECT_EQ(added.entry->ProductId(), 0x5999);
    EXPECT_FALSE(added.entry->IsEntryShown());
    EXPECT_EQ(added.entry->FindSubControl("device_select_model")->GetText(), "Desk 87");
    EXPECT_EQ(pages[0].entry->FindSubControl("device_select_model")->GetText(), "T5K1");  // row 1, model 0
}
