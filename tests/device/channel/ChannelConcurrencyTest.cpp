#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ChannelFixture.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"

// The lighting thread streams frames while the UI thread writes key tables and custom colours:
// the per-packet locks and the transfer lock must neither deadlock nor race, and every packet
// reaches the device whole.
TEST_F(ChannelTest, LightingStreamAndConfigurationShareTheChannel) {
    DebugCapture log;  // keeps the dump lines of a few hundred exchanges out of the test output
    ASSERT_EQ(channel.SetBlockSize(510), 1);
    std::vector<uint8_t> table(510, 0x20);
    std::vector<uint8_t> frame(510, 0x7F);

    std::atomic<bool> stop{false};
    std::atomic<int> framesDone{0};
    std::thread lighting([&] {
        while (!stop.load()) {
            const int result = channel.StreamLightFrame(frame.data(), static_cast<uint32_t>(frame.size()));
            EXPECT_TRUE(result == 1 || result == 0) << result;
            ++framesDone;
            Sleep(1);
        }
    });

    constexpr int kRounds = 20;
    int keyTablesWritten = 0;
    for (int round = 0; round < kRounds; ++round) {
        const int keys = channel.WriteKeyTable(table.data(), 0);
        // A frame exchange may take this command's reply; the command then ends without it.
        EXPECT_TRUE(keys == 1 || keys == 0) << keys;
        keyTablesWritten += keys == 1;
        const int colours = channel.WriteCustomLight(frame.data(), 60, 0, 512);
        EXPECT_TRUE(colours == 1 || colours == 0) << colours;
    }
    while (framesDone.load() < 3) Sleep(1);
    stop = true;
    lighting.join();

    EXPECT_GT(keyTablesWritten, 0);
    EXPECT_FALSE(channel.IsBusy());
    for (const FakePacket& packet : keyboard->Packets()) {
        EXPECT_TRUE(ChecksumHolds(packet));
        EXPECT_TRUE(packet[3] == 0x09 || packet[3] == 0x0B || packet[3] == 0x12) << int(packet[3]);
    }
}

// The device list re-opens a record under the transfer lock while the lighting thread streams.
TEST_F(ChannelTest, RecordReopenUnderTheTransferLockWhileFramesStream) {
    std::vector<uint8_t> frame(112, 0x11);
    std::atomic<bool> stop{false};
    std::thread lighting([&] {
        while (!stop.load()) {
            channel.StreamLightFrame(frame.data(), static_cast<uint32_t>(frame.size()));
            Sleep(1);
        }
    });
    for (int i = 0; i < 5; ++i) {
        CriticalSectionLock lock(channel.TransferLock());
        ASSERT_EQ(channel.PrimaryRecord().Open(keyboard->PathOf(4), 1, 1, 1, 0), 1);
    }
    stop = true;
    lighting.join();
    for (const FakePacket& packet : keyboard->Packets()) EXPECT_TRUE(ChecksumHolds(packet));
}
