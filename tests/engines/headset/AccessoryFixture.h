#pragma once
// A headset or mouse-pad engine bound to its emulated product through the real HID layer and
// command channel, the way the device list binds it, with a recording list entry and a fresh
// user data folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/hid/HidInterface.h"
#include "engines/headset/LitAccessoryDevice.h"
#include "toolkit/PaintManager.h"
#include "tools/zorv-emulator/HeadsetEmulator.h"
#include "tools/zorv-emulator/MousePadProduct.h"

namespace acctest {

class RecordingListEntry : public IDeviceListEntry {
public:
    void StartTimer(unsigned id, unsigned ms) override { timers.push_back({id, ms}); }
    bool IsEntryShown() const override { return true; }
    void ShowEntry(bool) override {}
    bool IsPageSelected() const override { return true; }
    bool Started(unsigned id, unsigned ms) const {
        for (const auto& [i, m] : timers)
            if (i == id && m == ms) return true;
        return false;
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

// Path of the emulated product's collection (1 events, 2 commands), "" when not seen.
inline std::string FindCollectionPath(uint16_t vendorId, uint16_t productId, uint16_t collection) {
    CHidInterface probe;
    probe.EnumeratePaths();
    std::string found;
    while (const char* path = probe.NextPath()) {
        if (ParseVid(path) == vendorId && ParsePid(path) == productId && ParseCollectionNumber(path) == collection)
            found = path;
    }
    probe.ReleasePaths();
    return found;
}

class AccessoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zorv-acc-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("ZORV_HID_EMULATOR_DIR", dir_.c_str(), 1);
        DuiLib::CPaintManagerUI::SetInstance();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const char* root = std::getenv("ZORV_TEST_TMP");
        dataHome_ = std::filesystem::path(root && *root ? root : "/tmp/zorv-headset-tests") /
                    (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(dataHome_);
        std::filesystem::create_directories(dataHome_);
        setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
    }
    void TearDown() override {
        engine_ = nullptr;
        owned_.reset();
        device_.reset();
        std::filesystem::remove_all(dir_);
    }

    emu::EmulatedHeadset& PlugProduct(uint16_t vendorId, uint16_t productId) {
        emu::AccessoryOptions options;
        options.vendorId = vendorId;
        options.productId = productId;
        options.name = "acc";
        options.dir = dir_.string();
        device_ = std::make_unique<emu::EmulatedHeadset>(options);
        std::string error;
        EXPECT_TRUE(device_->Start(error)) << error;
        return *device_;
    }

    // Configures the engine as the page builder does and opens its command collection.
    void Bind(std::unique_ptr<CTorvanelLitAccessoryDevice> engine, uint16_t vendorId, uint16_t productId,
              const char* typeFolder, int lights) {
        owned_ = std::move(engine);
        engine_ = owned_.get();
        engine_->SetLightCount(lights);
        engine_->SetProfileId("test_profile");
        engine_->SetTypeFolderName(typeFolder);
        engine_->SetDefaultLightingName("nuvex_light");
        engine_->SetModelIndex(0);
        engine_->SetListEntry(&entry_);
        // The emulator answers its first enumeration once its worker has accepted the probe.
        PumpUntil([&] {
            commandPath_ = FindCollectionPath(vendorId, productId, 2);
            eventPath_ = FindCollectionPath(vendorId, productId, 1);
            return !commandPath_.empty() && !eventPath_.empty();
        });
        ASSERT_FALSE(commandPath_.empty());
        ASSERT_FALSE(eventPath_.empty());
        CCommandChannel& channel = engine_->CommandChannel();
        {
            CriticalSectionLock lock(channel.TransferLock());
            ASSERT_EQ(channel.PrimaryRecord().Open(commandPath_, 1, 1, 1, 0), 1);
        }
        channel.SetConnected(true);
        channel.SetConnectionMode(1);
        device_->ClearPacketLog();
    }

    std::vector<uint8_t> ReceivedCodes() const {
        std::vector<uint8_t> codes;
        for (const auto& entry : device_->PacketLogEntries()) codes.push_back(entry.bytes.at(3));
        return codes;
    }

    std::filesystem::path dir_;
    std::filesystem::path dataHome_;
    std::unique_ptr<emu::EmulatedHeadset> device_;
    std::unique_ptr<CTorvanelLitAccessoryDevice> owned_;
    CTorvanelLitAccessoryDevice* engine_ = nullptr;
    RecordingListEntry entry_;
    std::string commandPath_;
    std::string eventPath_;
};

}  // namespace acctest
