// The emulated mouse through the main window, as a user meets it: the shipped device file adds the
// product, the device list builds and shows its page, and the page's edits and the mouse's own
// events travel the real HID layer, on the cable and through the receiver.
#include <algorithm>
#include <filesystem>

#include "app/devicelist/DeviceList.h"
#include "app/devicelist/DeviceOption.h"
#include "device/registry/ModelRegistry.h"
#include "engines/mouse/TorvanelMouseDevice.h"
#include "panels/keyset/KeySetActions.h"
#include "panels/keyset/KeySetControlUI.h"
#include "tests/e2e/journey/JourneyFixture.h"
#include "toolkit/Button.h"
#include "tools/zorv-emulator/EmulatedMouse.h"

using namespace DuiLib;
using namespace journey;

namespace {

class MouseJourney : public JourneyTest {
protected:
    void SetUp() override {
        JourneyTest::SetUp();
        const std::filesystem::path files = ZORV_DEVICE_FILES_DIR;
        if (!std::filesystem::exists(files / "zorv-mouse.json"))
            GTEST_SKIP() << "the mouse's device file is not in " << files << "; nothing would lead to its page";
        const DeviceFileReport report = LoadDeviceFiles({files});
        ASSERT_NE(std::find(report.added.begin(), report.added.end(), "Zorv M1"), report.added.end());
        ASSERT_TRUE(report.problems.empty()) << report.problems.front();
    }
    void TearDown() override {
        JourneyTest::TearDown();
        mouse_.reset();
        ResetModelRegistry();
    }

    emu::EmulatedMouse& PlugMouse(uint16_t productId) {
        emu::MouseOptions options;
        options.productId = productId;
        options.name = productId == emu::kMouseReceiverProductId ? "receiver" : "mouse";
        options.dir = dir_.string();
        mouse_ = std::make_unique<emu::EmulatedMouse>(options);
        std::string error;
        EXPECT_TRUE(mouse_->Start(error)) << error;
        return *mouse_;
    }
    // The page built for the mouse's device file (cable or receiver rows lead to the same page).
    const DevicePageRecord* MousePage() const {
        if (!window_ || !window_->DeviceList()) return nullptr;
        for (const DevicePageRecord& page : window_->DeviceList()->Pages())
            if (page.pageRow >= 0 && PageTable()[static_cast<size_t>(page.pageRow)].productId == emu::kMouseWiredProductId)
                return &page;
        return nullptr;
    }
    CTorvanelMouseDevice* Mouse() const {
        const DevicePageRecord* page = MousePage();
        return page && page->engine
                   ? static_cast<CTorvanelMouseDevice*>(page->engine->GetInterface(CTorvanelMouseDevice::kClassName))
                   : nullptr;
    }
    bool WaitMouseConnected() {
        return PumpUntil([&] {
            const DevicePageRecord* page = MousePage();
            CTorvanelMouseDevice* mouse = Mouse();
            return mouse && page->entry->IsEntryShown() && mouse->CommandChannel().IsConnected() && mouse->DpiStep() > 0 &&
                   mouse->PreviewRunning();
        }, 8000);
    }
    CControlUI* Control(const std::string& name) const { return Mouse()->FindSubControl(name); }
    // The codes the mouse received; the power status reads of the entry's timer (0x1A) come at
    // their own pace and are left out.
    std::vector<uint8_t> MouseCodes() const {
        std::vector<uint8_t> codes;
        for (const emu::PacketLogEntry& entry : mouse_->PacketLogEntries())
            if (entry.bytes.at(3) != 0x1A) codes.push_back(entry.bytes.at(3));
        return codes;
    }
    std::vector<uint8_t> Page() const {
        const auto memory = mouse_->Memory();
        return {memory.settings.begin(), memory.settings.begin() + 66};
    }

    std::unique_ptr<emu::EmulatedMouse> mouse_;
};

}  // namespace

TEST_F(MouseJourney, OnTheCableThePageReadsWritesAndFollowsTheMouse) {
    PlugMouse(emu::kMouseWiredProductId);
    Open();
    ASSERT_TRUE(WaitMouseConnected());
    CTorvanelMouseDevice* mouse = Mouse();
    EXPECT_EQ(window_->ActiveDevice(), mouse);
    EXPECT_EQ(mouse->ConnectionKind(), kKindMouse);
    // Start-up: begin, information block, button table, end; the slot map follows the table.
    const std::vector<uint8_t> codes = MouseCodes();
    ASSERT_GE(codes.size(), 4u);
    EXPECT_EQ(std::vector<uint8_t>(codes.begin(), codes.begin() + 4), (std::vector<uint8_t>{0x01, 0x03, 0x07, 0x02}));
    const ButtonSlotMap map = {0, 1, 2, 4, 3, 6, 7, 5, 8, kNoButtonSlot};
    EXPECT_EQ(mouse->SlotMap(), map);

    // A typed DPI value: 1234 DPI at 50 DPI a step is stage 1 at 24 steps, shown as 1200.
    mouse->ShowSettingsTab(2);
    Control("DPI_edit_1")->SetText("1234");
    mouse_->ClearPacketLog();
    Raise(Control("DPI_edit_1"), "killfocus");
    EXPECT_TRUE(PumpUntil([&] { return Page()[14 + 9 + 2] == 24; }));
    EXPECT_EQ(Control("DPI_edit_1")->GetText(), "1200");
    EXPECT_EQ(MouseCodes(), (std::vector<uint8_t>{0x01, 0x06, 0x06, 0x02}));
    // The report rate.
    auto* rate = static_cast<COptionUI*>(Control("polling_rate_option_2")->GetInterface("Option"));
    rate->Selected(true, false);
    Raise(rate, "selectchanged");
    EXPECT_TRUE(PumpUntil([&] { return Page()[11] == 2; }));

    // The mouse's own buttons: profile 3 with stage 2, then profile 7 keeping the stage.
    ASSERT_TRUE(mouse_->SendEvent(0x1123));
    EXPECT_TRUE(PumpUntil([&] { return mouse->DeviceProfile() == 3 && mouse->CachedActiveStage() == 2; }));
    ASSERT_TRUE(mouse_->SendEvent(0x1007));
    EXPECT_TRUE(PumpUntil([&] { return mouse->DeviceProfile() == 7; }));
    EXPECT_EQ(mouse->CachedActiveStage(), 2);
    // 0x0200 is ignored; 0x401 reads the mouse again 50 ms later.
    mouse_->ClearPacketLog();
    ASSERT_TRUE(mouse_->SendEvent(0x0200));
    ASSERT_TRUE(mouse_->SendEvent(0x0401));
    EXPECT_TRUE(PumpUntil([&] {
        const auto now = MouseCodes();
        return std::count(now.begin(), now.end(), uint8_t{0x05}) >= 3;
    }));
    EXPECT_EQ(mouse->DeviceProfile(), 3);  // the event above moved the emulated mouse to profile 3

    // A button reassigned through the key assignment panel: back (logical 4) becomes a left click.
    mouse->ShowSettingsTab(1);
    Raise(Control("key_4"), "click");
    ASSERT_EQ(mouse->SelectedKey(), 4);
    CKeySetControlUI* panel = FindKeySetPanel(*mouse);
    ASSERT_NE(panel, nullptr);
    panel->SetAssignment({4, {0x10, 0x01, 0x00}});
    mouse_->ClearPacketLog();
    ASSERT_EQ(ApplyKeyAssignment(*mouse, *panel), 1);
    auto table = mouse_->Memory().buttonTable;
    EXPECT_EQ(std::vector<uint8_t>(table.begin() + 9, table.begin() + 12), (std::vector<uint8_t>{0x10, 0x01, 0x00}));
    EXPECT_EQ(MouseCodes(), (std::vector<uint8_t>{0x03, 0x01, 0x09, 0x02}));

    // The recoil patterns go up as one image.
    mouse->ShowSettingsTab(3);
    Raise(Control("shootdate_save_btn"), "click");
    EXPECT_TRUE(PumpUntil([&] { return mouse_->Memory().shootArea[0] == 0xAA && mouse_->Memory().shootArea[1] == 0x55; }));
    Screenshot("mouse_journey_recoil");
}

TEST_F(MouseJourney, ThroughTheReceiverTheSpeedIsInvertedAndALostLinkStopsTheWrite) {
    PlugMouse(emu::kMouseReceiverProductId);
    Open();
    ASSERT_TRUE(WaitMouseConnected());
    CTorvanelMouseDevice* mouse = Mouse();
    EXPECT_EQ(mouse->ConnectionKind(), kKindMouseViaReceiver);
    mouse->ShowSettingsTab(2);
    Control("DPI_edit_0")->SetText("3200");
    mouse_->ClearPacketLog();
    Raise(Control("DPI_edit_0"), "killfocus");
    EXPECT_TRUE(PumpUntil([&] { return Page()[14 + 2] == 64; }));
    EXPECT_EQ(MouseCodes(), (std::vector<uint8_t>{0xAA, 0x01, 0xAA, 0x06, 0x06, 0x06, 0xAA, 0x02}));
    const LightInfoRecord light = mouse->Profile().GetLightInfo();
    EXPECT_EQ(Page()[3], 4 - std::min<int>(light.Speed, 4));

    // The link drops after the begin command: nothing of the page reaches the mouse.
    const auto before = Page();
    mouse_->DropLinkAfter(2);
    Control("DPI_edit_0")->SetText("6400");
    Raise(Control("DPI_edit_0"), "killfocus");
    Pump(200);
    EXPECT_EQ(Page(), before);
    mouse_->SetLinkUp(true);
}
