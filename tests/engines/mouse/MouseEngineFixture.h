#pragma once
// A mouse engine bound to an emulated mouse through the real HID layer and channel, on the cable
// or through the receiver, with a recording list entry and a fresh user data folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/hid/HidInterface.h"
#include "toolkit/PaintManager.h"
#include "engines/mouse/TorvanelMouseDevice.h"
#include "tools/zorv-emulator/EmulatedMouse.h"

namespace mousetest {

class RecordingListEntry : public IDeviceListEntry {
public:
    void StartTimer(unsigned id, unsigned ms) override { timers.push_back({id, ms}); }
    bool IsEntryShown() const override { return true; }
    void ShowEntry(bool) override {}
    bool IsPageSelected() const override { return true; }
    unsigned DelayOf(unsigned id) const {
        for (const auto& [timer, ms] : timers)
            if (timer == id) return ms;
        return 0;
    }
    std::vector<std::pair<unsigned, unsigned>> timers;
};

inline bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The HID path of one collection of the emulated product at its socket ("" when it is not there).
inline std::string PathOf(const std::string& socket, uint16_t productId, int collection) {
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, "pid_%04x&mi_01&col%02d", productId, collection);
    std::string found;
    // A scan may meet the socket while its server is still busy with an earlier client.
    PumpUntil([&] {
        CHidInterface hid;
        hid.EnumeratePaths();
        while (const char* path = hid.NextPath()) {
            const std::string text = path;
            if (text.find(socket) != std::string::npos && text.find(suffix) != std::string::npos) found = text;
        }
        return !found.empty();
    }, 2000);
    return found;
}

inline constexpr int kEventCollection = 1;
inline constexpr int kCommandCollection = 2;

class MouseEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zorv-mouse-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        socketDir_ = pattern;
        setenv("ZORV_HID_EMULATOR_DIR", socketDir_.c_str(), 1);
        DuiLib::CPaintManagerUI::SetInstance();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const char* root = std::getenv("ZORV_TEST_TMP");
        dataHome_ = std::filesystem::path(root && *root ? root : "/tmp/zorv-mouse-tests") /
                    (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(dataHome_);
        std::filesystem::create_directories(dataHome_);
        setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
    }
    void TearDown() override {
        engine_.reset();
        mouse_.reset();
        plugs_ = 0;
        std::filesystem::remove_all(socketDir_);
    }

    // Plugs the product in and binds a configured engine to it the way the device list does.
    void Connect(bool throughReceiver = false) {
        engine_ = std::make_unique<CTorvanelMouseDevice>();
        engine_->SetKeyCount(7);
        engine_->SetLightCount(6);
        engine_->SetPageRow(0);
        engine_->SetProfileId("test_profile");
        engine_->SetTypeFolderName("mouse");
        engine_->SetDefaultLightingName("nuvex_light");
        engine_->SetModelIndex(1);
        engine_->SetListEntry(&entry_);
        Bind(*engine_, throughReceiver);
    }

    // Plugs the product in and opens its command collection on the engine's channel.
    void Bind(CTorvanelMouseDevice& engine, bool throughReceiver) {
        emu::MouseOptions options;
        options.productId = throughReceiver ? emu::kMouseReceiverProductId : emu::kMouseWiredProductId;
        options.dir = socketDir_.string();
        // A fresh name per plug: a new socket at an old path could pass for the old product.
        options.name = "mouse-" + std::to_string(++plugs_);
        mouse_ = std::make_unique<emu::EmulatedMouse>(options);
        std::string error;
        ASSERT_TRUE(mouse_->Start(error)) << error;
        engine.SetScreenSize(1920, 1080);
        DeviceInterfaceEntry row{};
        row.vendorId = 0x7A61;
        row.productId = options.productId;
        row.interfaceNumber = 1;
        row.collectionNumber = kCommandCollection;
        row.deviceKind = throughReceiver ? kKindMouseViaReceiver : kKindMouse;
        row.interfaceRole = kRoleCommand;
        row.devicePath = PathOf(mouse_->SocketPath(), options.productId, kCommandCollection);
        ASSERT_FALSE(row.devicePath.empty());
        eventPath_ = PathOf(mouse_->SocketPath(), options.productId, kEventCollection);
        engine.SetInterfaceRow(row);
        CCommandChannel& channel = engine.CommandChannel();
        if (throughReceiver) {
            CriticalSectionLock lock(channel.ReceiverRecordLock());
            ASSERT_EQ(channel.SecondaryRecord().Open(row.devicePath, 1, 1, 1, 0), 1);
        } else {
            CriticalSectionLock lock(channel.TransferLock());
            ASSERT_EQ(channel.PrimaryRecord().Open(row.devicePath, 1, 1, 1, 0), 1);
        }
        channel.SetConnected(true);
        channel.SetConnectionMode(throughReceiver ? 2 : 1);
        mouse_->ClearPacketLog();
    }

    std::vector<uint8_t> ReceivedCodes() const {
        std::vector<uint8_t> codes;
        for (const auto& entry : mouse_->PacketLogEntries()) codes.push_back(entry.bytes.at(3));
        return codes;
    }
    std::string UserFolder() const { return dataHome_.string() + "/Zorv Wired Manager 1.0/mouse/"; }

    std::filesystem::path socketDir_;
    std::filesystem::path dataHome_;
    std::string eventPath_;
    RecordingListEntry entry_;
    int plugs_ = 0;
    std::unique_ptr<emu::EmulatedMouse> mouse_;
    std::unique_ptr<CTorvanelMouseDevice> engine_;
};

}  // namespace mousetest
