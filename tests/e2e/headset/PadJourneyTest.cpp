// The mouse pad as a user meets it: its device file makes the emulated pad a product of the
// device list, its page streams its frames and writes its settings page. The headset's own page
// cannot be reached this way yet (see the report of the device files: the compiled headset row
// keeps the file from adding its interfaces).
#include <QElapsedTimer>

#include "app/devicelist/DeviceList.h"
#include "device/registry/ModelRegistry.h"
#include "engines/mousepad/TorvanelMousePadDevice.h"
#include "tests/e2e/journey/JourneyFixture.h"
#include "toolkit/Slider.h"
#include "tools/zorv-emulator/HeadsetEmulator.h"
#include "tools/zorv-emulator/MousePadProduct.h"

using namespace journey;

namespace {

class PadJourneyTest : public JourneyTest {
protected:
    void SetUp() override {
        JourneyTest::SetUp();
        // As the application does at start: the shipped device files join the tables.
        ResetModelRegistry();
        const DeviceFileReport report = LoadDeviceFiles(DeviceFileFolders());
        (void)report;
    }
    void TearDown() override {
        JourneyTest::TearDown();
        pad_.reset();
        ResetModelRegistry();
    }

    emu::EmulatedHeadset& PlugPad() {
        emu::AccessoryOptions options;
        options.vendorId = emu::kMousePadVendorId;
        options.productId = emu::kMousePadProductId;
        options.name = "pad";
        options.dir = dir_.string();
        pad_ = std::make_unique<emu::EmulatedHeadset>(options);
        std::string error;
        EXPECT_TRUE(pad_->Start(error)) << error;
        return *pad_;
    }

    CTorvanelMousePadDevice* PadEngine() const {
        if (!window_ || !window_->DeviceList()) return nullptr;
        for (const DevicePageRecord& page : window_->DeviceList()->Pages()) {
            if (page.pageRow < 0 || !page.engine) continue;
            if (PageTable()[static_cast<size_t>(page.pageRow)].productId != emu::kMousePadProductId) continue;
            return static_cast<CTorvanelMousePadDevice*>(page.engine->GetInterface(CTorvanelMousePadDevice::kClassName));
        }
        return nullptr;
    }

    std::vector<uint8_t> PadCodes() const {
        std::vector<uint8_t> codes;
        for (const emu::PacketLogEntry& entry : pad_->PacketLogEntries())
            if (entry.bytes.size() > 3) codes.push_back(entry.bytes[3]);
        return codes;
    }

    std::unique_ptr<emu::EmulatedHeadset> pad_;
};

TEST_F(PadJourneyTest, PadPageStreamsItsFramesAndWritesItsSettingsPage) {
    Open();
    PlugPad();
    ASSERT_TRUE(PumpUntil([&] {
        CTorvanelMousePadDevice* engine = PadEngine();
        return engine && engine->CommandChannel().IsConnected() && engine->DeviceInfo()[1] == 0x10;
    }, 8000)) << "the pad's page did not connect";
    CTorvanelMousePadDevice* engine = PadEngine();
    EXPECT_EQ(engine->LightCount(), 15);
    EXPECT_EQ(engine->ConnectionKind(), kKindMousePad);

    // The program controls the lights: the page's frames reach the pad.
    ASSERT_TRUE(PumpUntil([&] { return pad_->Snapshot().frameCount >= 3; }, 5000));
    EXPECT_EQ(pad_->Snapshot().lastFrame.size(), 45u);

    // A speed change on the lighting panel goes to the pad's settings page, inverted.
    auto* speed = static_cast<DuiLib::CSliderUI*>(engine->FindSubControl("deng_speed_slider")->GetInterface("Slider"));
    ASSERT_NE(speed, nullptr);
    pad_->ClearPacketLog();
    speed->SetValue(1);
    Raise(speed, "valuechanged");
    ASSERT_TRUE(PumpUntil([&] { return pad_->Snapshot().settings[3] == 3; }, 3000));
    const std::vector<uint8_t> codes = PadCodes();
    EXPECT_NE(std::find(codes.begin(), codes.end(), 0x06), codes.end());
    EXPECT_EQ(engine->SettingsPage().Data()[3], 1);
    EXPECT_EQ(engine->SettingsPage().Data()[1], engine->Renderer().StateByte(kStateEffect));

    // A sync request from the pad reads its stored page back.
    pad_->ClearPacketLog();
    ASSERT_TRUE(pad_->SendEvent(0x0401));
    ASSERT_TRUE(PumpUntil([&] {
        const std::vector<uint8_t> read = PadCodes();
        return std::count(read.begin(), read.end(), 0x05) >= 2;
    }, 3000));
    Screenshot("journey_mousepad_page");
}

}  // namespace
