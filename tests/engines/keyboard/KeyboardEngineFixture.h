#pragma once
// A keyboard engine bound to an emulated keyboard through the real HID layer and channel, the way
// the device list binds it, with a recording list entry and a fresh user data folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "toolkit/PaintManager.h"
#include "engines/keyboard/TorvanelKeyboardDevice.h"
#include "platform/Files.h"
#include "tests/e2e/device/EmulatedKeyboardFixture.h"

namespace kbtest {

struct StartedTimer {
    unsigned id;
    unsigned ms;
    std::thread::id thread;
};

class RecordingListEntry : public IDeviceListEntry {
public:
    void StartTimer(unsigned id, unsigned ms) override { timers.push_back({id, ms, std::this_thread::get_id()}); }
    bool IsEntryShown() const override { return shown; }
    void ShowEntry(bool on) override { shown = on; }
    bool IsPageSelected() const override { return true; }
    bool Started(unsigned id) const {
        for (const StartedTimer& t : timers)
            if (t.id == id) return true;
        return false;
    }
    std::vector<StartedTimer> timers;
    bool shown = true;
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

class KeyboardEngineTest : public EmulatedKeyboardTest {
protected:
    void SetUp() override {
        EmulatedKeyboardTest::SetUp();
        DuiLib::CPaintManagerUI::SetInstance();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const char* root = std::getenv("ZORV_TEST_TMP");
        dataHome_ = std::filesystem::path(root && *root ? root : "/tmp/zorv-keyboard-tests") /
                    (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(dataHome_);
        std::filesystem::create_directories(dataHome_);
        setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
    }
    void TearDown() override {
        engine_.reset();
        EmulatedKeyboardTest::TearDown();
    }

    // Configures the engine as the page builder does, then binds it to the emulated keyboard.
    void Connect(uint16_t productId = 0x5062) {
        keyboard_ = &Plug(productId);
        engine_ = std::make_unique<CTorvanelKeyboardDevice>();
        engine_->SetKeyCount(170);
        engine_->SetLightCount(170);
        engine_->SetPageRow(1);
        engine_->SetProfileId("test_profile");
        engine_->SetTypeFolderName("keyboard");
        engine_->SetDefaultLightingName("nuvex_light");
        engine_->SetModelIndex(0);
        engine_->SetListEntry(&entry_);
        list_ = MakeInterfaceList();
        scanner_.RunScanPass(list_);
        commandRow_ = eventRow_ = -1;
        for (size_t i = 0; i < list_.size(); ++i) {
            if (list_[i].productId != productId || !list_[i].present) continue;
            (list_[i].interfaceRole == kRoleCommand ? commandRow_ : eventRow_) = static_cast<int>(i);
        }
        ASSERT_GE(commandRow_, 0);
        ASSERT_GE(eventRow_, 0);
        engine_->SetInterfaceRow(list_[commandRow_]);
        CCommandChannel& channel = engine_->CommandChannel();
        {
            CriticalSectionLock lock(channel.TransferLock());
            ASSERT_EQ(channel.PrimaryRecord().Open(list_[commandRow_].devicePath, 1, 1, 1, 0), 1);
        }
        channel.SetConnected(true);
        channel.SetConnectionMode(1);
        keyboard_->ClearPacketLog();
    }

    std::vector<uint8_t> ReceivedCodes() const {
        std::vector<uint8_t> codes;
        for (const auto& entry : keyboard_->PacketLogEntries()) codes.push_back(entry.bytes.at(3));
        return codes;
    }
    size_t CountOf(uint8_t code) const {
        size_t n = 0;
        for (uint8_t c : ReceivedCodes()) n += c == code;
        return n;
    }
    std::string UserFolder() const {
        return dataHome_.string() + "/Zorv Wired Manager 1.0/keyboard/";
    }

    std::filesystem::path dataHome_;
    EmulatedKeyboard* keyboard_ = nullptr;
    // The event interface's path, as the device list attaches it.
    const std::string& EventPath() const { return list_[eventRow_].devicePath; }

    InterfaceList list_;
    int commandRow_ = -1;
    int eventRow_ = -1;
    CInterfaceScanner scanner_;
    RecordingListEntry entry_;
    std::unique_ptr<CTorvanelKeyboardDevice> engine_;
};

inline std::vector<uint8_t> Repeat(uint8_t code, size_t count) { return std::vector<uint8_t>(count, code); }
inline std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
inline size_t Chunks(size_t length, size_t chunk) { return (length + chunk - 1) / chunk; }

}  // namespace kbtest
