#include <algorithm>
#include <cstring>
#include <vector>

#include "EmulatedKeyboardFixture.h"
#include "device/channel/CommandChannel.h"
#include "device/hid/HidInterface.h"
#include "platform/CriticalSection.h"
#include "platform/DebugOutput.h"

namespace {
// The manager's way onto a device: find the row's path, open the record under the transfer lock.
class ChannelLink : public EmulatedKeyboardTest {
protected:
    void Connect(int mode = 1) {
        keyboard_ = &Plug(0x5062);
        list_ = MakeInterfaceList();
        scanner_.RunScanPass(list_);
        ASSERT_TRUE(list_[0].present);
        CHidInterface& record = mode == 2 ? channel_.SecondaryRecord() : channel_.PrimaryRecord();
        {
            CriticalSectionLock lock(channel_.TransferLock());
            ASSERT_EQ(record.Open(list_[0].devicePath, 1, 1, 1, 0), 1);
        }
        channel_.SetConnected(true);
        channel_.SetConnectionMode(mode);
        keyboard_->ClearPacketLog();
    }

    // Command codes of the packets the keyboard received, in order.
    std::vector<uint8_t> ReceivedCodes() const {
        std::vector<uint8_t> codes;
        for (const auto& entry : keyboard_->PacketLogEntries()) codes.push_back(entry.bytes.at(3));
        return codes;
    }

    EmulatedKeyboard* keyboard_ = nullptr;
    InterfaceList list_;
    CInterfaceScanner scanner_;
    CCommandChannel channel_;
};

std::vector<uint8_t> Repeat(uint8_t code, size_t count) { return std::vector<uint8_t>(count, code); }
std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
size_t Chunks(size_t length, size_t chunk) { return (length + chunk - 1) / chunk; }
}  // namespace

TEST_F(ChannelLink, ReadAllSequenceReadsTheDeviceTables) {
    Connect();
    uint8_t info[34] = {};
    ASSERT_EQ(channel_.BeginConfig(), 1);
    ASSERT_EQ(channel_.ReadDeviceInfo(info), 1);
    const int n = info[5];
    ASSERT_GT(n, 0);
    ASSERT_EQ(channel_.SetBlockSize(static_cast<uint16_t>(n * 3)), 1);
    std::vector<uint8_t> keys(512), lights(512);
    ASSERT_EQ(channel_.ReadKeyTable(keys.data()), 1);
    ASSERT_EQ(channel_.ReadKeyTable2(lights.data()), 1);
    ASSERT_EQ(channel_.EndConfig(), 1);

    EXPECT_EQ(ReceivedCodes(), Concat({{0x01, 0x03}, Repeat(0x07, Chunks(n * 3, 56)), Repeat(0x1B, Chunks(n, 56)),
                                       {0x02}}));
    KeyboardSnapshot device = keyboard_->Snapshot();
    EXPECT_TRUE(std::equal(info, info + 34, device.memory.deviceInfo.begin()));
    EXPECT_TRUE(std::equal(device.memory.keyTable.begin(), device.memory.keyTable.end(), keys.begin()));
    EXPECT_TRUE(std::equal(device.memory.lightTable.begin(), device.memory.lightTable.end(), lights.begin()));
}

TEST_F(ChannelLink, ParameterRecordAndKeyTableWriteAndReadBack) {
    Connect();
    uint8_t active = 0xEE;
    ASSERT_EQ(channel_.ReadParams(&active, 1, 0), 1);
    ASSERT_LT(active, 8);
    uint8_t record[28];
    for (int i = 0; i < 28; ++i) record[i] = static_cast<uint8_t>(i * 7 + 1);
    record[0] = 0;
    ASSERT_EQ(channel_.WriteParams(record, 28, active * 25), 1);
    uint8_t back[28] = {};
    ASSERT_EQ(channel_.ReadParams(back, 28, active * 25), 1);
    EXPECT_EQ(0, std::memcmp(record, back, 28));

    uint8_t info[34] = {};
    ASSERT_EQ(channel_.ReadDeviceInfo(info), 1);
    const uint16_t size = static_cast<uint16_t>(info[5] * 3);
    ASSERT_EQ(channel_.SetBlockSize(size), 1);
    std::vector<uint8_t> table(512);
    ASSERT_EQ(channel_.ReadKeyTable(table.data()), 1);
    std::swap_ranges(table.begin(), table.begin() + 3, table.begin() + 3);  // swap two keys
    ASSERT_EQ(channel_.WriteKeyTable(table.data(), 0), 1);
    std::vector<uint8_t> reread(512);
    ASSERT_EQ(channel_.ReadKeyTable(reread.data()), 1);
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + size, reread.begin()));
}

TEST_F(ChannelLink, MacroImageLandsInDeviceMemory) {
    Connect();
    std::vector<uint8_t> image(120);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(0xA0 ^ i);
    ASSERT_EQ(channel_.WriteMacroData(image.data(), static_cast<uint32_t>(image.size())), 1);
    EXPECT_EQ(ReceivedCodes(), Repeat(0x15, 3));
    KeyboardSnapshot device = keyboard_->Snapshot();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), device.memory.macroImage.begin()));
}

TEST_F(ChannelLink, FaultsGiveTheChannelResults) {
    Connect();
    uint8_t info[34];

    keyboard_->DropRequests(1);
    EXPECT_EQ(channel_.BeginConfig(), 0) << "no reply within the time-out";

    keyboard_->SendWrongCode(1);
    EXPECT_EQ(channel_.BeginConfig(), 1) << "a stray reply is skipped, the right one accepted";
    EXPECT_EQ(channel_.ReadDeviceInfo(info), 1) << "no stray reply is left behind for the next command";

    for (auto [status, result] : {std::pair<uint8_t, int>{0xFF, -102}, {0xFE, -103}}) {
        keyboard_->ClearFaults();
        ASSERT_EQ(channel_.ReadDeviceInfo(info), 1);
        ASSERT_EQ(channel_.SetBlockSize(static_cast<uint16_t>(info[5] * 3)), 1);
        std::vector<uint8_t> table(512, 0x20);
        keyboard_->ClearPacketLog();
        keyboard_->FailWithStatus(status, 2);
        EXPECT_EQ(channel_.WriteKeyTable(table.data(), 0), result);
        EXPECT_EQ(ReceivedCodes(), Repeat(0x09, 3)) << "stops at the failing chunk";
        KeyboardSnapshot device = keyboard_->Snapshot();
        EXPECT_TRUE(std::all_of(device.memory.keyTable.begin(), device.memory.keyTable.begin() + 112,
                                [](uint8_t b) { return b == 0x20; }))
            << "the chunks before the failure stay written";
    }
}

TEST_F(ChannelLink, UnreachableThroughTheReceiverGivesMinus101) {
    Connect(2);
    keyboard_->ReportUnreachable(1);
    EXPECT_EQ(channel_.BeginConfig(), -101);
    EXPECT_EQ(channel_.QueryReceiverLink(), 1);
}

TEST_F(ChannelLink, FramesStreamWithoutLogLines) {
    Connect();
    std::vector<uint8_t> frame(126 * 3, 0x40);
    DebugCapture log;
    ASSERT_EQ(channel_.StreamLightFrame(frame.data(), static_cast<uint32_t>(frame.size())), 1);
    EXPECT_EQ(keyboard_->Snapshot().frameCount, 1u);
    EXPECT_FALSE(log.Contains("命令")) << "frames are not logged";
}

TEST_F(ChannelLink, EventReportReachesTheEventRecord) {
    Connect();
    CHidInterface events;
    ASSERT_EQ(events.Open(list_[1].devicePath, 1, 1, 1, 0), 1);
    ASSERT_FALSE(events.InputData.empty());
    for (uint16_t code : {uint16_t(0x0401), uint16_t(0x1002), uint16_t(0x0512), uint16_t(0x0612)}) {
        ASSERT_TRUE(keyboard_->SendEvent(code));
        uint32_t got = 0;
        ASSERT_EQ(events.ReadReport(events.InputReport.data(), static_cast<uint32_t>(events.InputReport.size()), &got,
                                    2000), 1);
        ASSERT_EQ(events.UnpackReport(events.InputReport.data(), static_cast<uint16_t>(got), HidReportKind::Input,
                                      events.InputData), 1);
        EXPECT_EQ(events.InputData[0].usages.at(0), code);
        // The release report that follows carries no usage.
        ASSERT_EQ(events.ReadReport(events.InputReport.data(), static_cast<uint32_t>(events.InputReport.size()), &got,
                                    2000), 1);
        events.UnpackReport(events.InputReport.data(), static_cast<uint16_t>(got), HidReportKind::Input,
                            events.InputData);
        EXPECT_EQ(events.InputData[0].usages.at(0), 0);
    }
}

TEST_F(ChannelLink, UnplugMidCommandFailsTheNextPacketAndTheRecordStaysUsable) {
    Connect();
    uint8_t info[34];
    ASSERT_EQ(channel_.ReadDeviceInfo(info), 1);
    ASSERT_EQ(channel_.SetBlockSize(static_cast<uint16_t>(info[5] * 3)), 1);
    std::vector<uint8_t> table(512, 0x20);
    keyboard_->UnplugAfter(2, kNoReplug);
    int result = channel_.WriteKeyTable(table.data(), 0);
    EXPECT_TRUE(result == 0 || result == -1) << result;
    EXPECT_LE(ReceivedCodes().size(), 3u);
    channel_.PrimaryRecord().Close();  // what the device list does on removal
}
