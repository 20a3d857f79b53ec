#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "ChannelFixture.h"
#include "device/channel/ReceiverLinkPoll.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"

namespace {

std::vector<uint8_t> Sequence(size_t length, uint8_t first = 1) {
    std::vector<uint8_t> bytes(length);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

}  // namespace

TEST(CommandChannelState, StartsUnconnectedWithBlockSize512AndReceiverChunks) {
    CCommandChannel channel;
    EXPECT_EQ(channel.BlockSize(), 512);
    EXPECT_EQ(channel.ChunkSize(), 24);
    EXPECT_FALSE(channel.IsConnected());
    EXPECT_FALSE(channel.IsBusy());
    EXPECT_FALSE(channel.ViaReceiver());
    EXPECT_FALSE(channel.IsStreamPaused());
    uint8_t reply[64];
    EXPECT_EQ(channel.BeginConfig(), 0);
    EXPECT_EQ(channel.Transfer(reply, 4, reply, 64, nullptr), 0);
}

TEST(CommandChannelState, BlockSizeAbove512IsRefusedAndKept) {
    CCommandChannel channel;
    EXPECT_EQ(channel.SetBlockSize(510), 1);
    EXPECT_EQ(channel.SetBlockSize(513), 0);
    EXPECT_EQ(channel.BlockSize(), 510);
    EXPECT_EQ(channel.SetBlockSize(512), 1);
    EXPECT_EQ(channel.BlockSize(), 512);
}

TEST(CommandChannelState, ConnectionModeSelectsRecordAndChunkSize) {
    CCommandChannel channel;
    struct Case {
        int mode;
        bool viaReceiver;
        uint8_t chunk;
    };
    for (const Case c : {Case{2, true, 24}, Case{1, false, 56}, Case{0, false, 56}, Case{7, false, 56}}) {
        channel.SetConnectionMode(c.mode);
        EXPECT_EQ(channel.ViaReceiver(), c.viaReceiver) << "mode " << c.mode;
        EXPECT_EQ(channel.ChunkSize(), c.chunk) << "mode " << c.mode;
    }
}

TEST_F(ChannelTest, TransferSendsShortRequestsZeroFilledAndLongOnesCut) {
    const std::vector<uint8_t> shortRequest{0x04, 0x00, 0x00, 0x01};
    const std::vector<uint8_t> longRequest = Sequence(80, 0x80);
    uint8_t reply[64];
    EXPECT_EQ(channel.Transfer(shortRequest.data(), 4, reply, 64, nullptr), 1);
    EXPECT_EQ(channel.Transfer(longRequest.data(), 80, reply, 64, nullptr), 1);

    const auto packets = keyboard->Packets();
    ASSERT_EQ(packets.size(), 2u);
    FakePacket expectedShort{0x04, 0x00, 0x00, 0x01};
    EXPECT_EQ(packets[0], expectedShort);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(packets[1][i], 0x80 + i);
}

TEST_F(ChannelTest, TransferLogsBothPacketsAsTwoDumpLinesEach) {
    DebugCapture log;
    const FakePacket request = [] {
        FakePacket p{};
        std::iota(p.begin(), p.end(), uint8_t{0});
        return p;
    }();
    uint8_t reply[64];
    ASSERT_EQ(channel.Transfer(request.data(), 64, reply, 64, nullptr), 1);
    // The fake's reply echoes bytes 0 and 3 to 6 and answers status 0.
    EXPECT_EQ(log.Text(),
              "命令\n"
              "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  10 11 12 13  14 15 16 17  18 19 1a 1b  1c 1d 1e 1f\n"
              "20 21 22 23   24 25 26 27   28 29 2a 2b   2c 2d 2e 2f  30 31 32 33  34 35 36 37  38 39 3a 3b  3c 3d 3e 3f\n"
              "返回\n"
              "00 00 00 03   04 05 06 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00\n"
              "00 00 00 00   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00\n");
}

TEST_F(ChannelTest, TransferPlainNeitherLogsNorMatchesAndAlwaysUsesThePrimaryRecord) {
    channel.SetConnectionMode(2);
    keyboard->Script({FakeStep::Replies({FakeReply{0x33}})});
    DebugCapture log;
    const CommandPacket request = BuildCommandPacket(0x12, 0, 0);
    uint8_t reply[64];
    uint32_t read = 0;
    EXPECT_EQ(channel.TransferPlain(request.data(), 64, reply, 64, &read), 1);
    EXPECT_EQ(reply[3], 0x33);
    EXPECT_EQ(read, 64u);
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(keyboard->Packets().size(), 1u);
    EXPECT_TRUE(receiver->Packets().empty());
}

struct MatchingCase {
    const char* name;
    int mode;
    std::vector<FakeStep> script;
    int result;
    int replyCode;  // byte 3 of what the caller gets back
};

TEST_F(ChannelTest, ReplyMatchingAndTransferFailures) {
    const FakeReply right{};  // the request's own code
    const std::vector<MatchingCase> cases{
        {"matching reply", 1, {FakeStep::Normal()}, 1, 0x05},
        {"wrong code, then the right one", 1, {FakeStep::Replies({FakeReply{0x07}, right})}, 1, 0x05},
        {"wrong code twice: the second read stands", 1, {FakeStep::Replies({FakeReply{0x07}, FakeReply{0x09}})}, 1,
         0x09},
        {"wrong code, then nothing", 1, {FakeStep::Replies({FakeReply{0x07}})}, 0, 0x00},
        {"no reply", 1, {FakeStep::Silent()}, 0, 0x00},
        {"write fails", 1, {FakeStep::WriteFails()}, -1, 0xEE},
        {"0xAA through the receiver", 2, {FakeStep::Replies({FakeReply{0xAA}, right})}, -101, 0xAA},
        {"0xAA on the second read", 2, {FakeStep::Replies({FakeReply{0x07}, FakeReply{0xAA}})}, -101, 0xAA},
        {"0xAA directly is just a wrong code", 1, {FakeStep::Replies({FakeReply{0xAA}, right})}, 1, 0x05},
    };
    for (const MatchingCase& c : cases) {
        ReopenRecords();
        channel.SetConnectionMode(c.mode);
        FakeHidDevice& device = c.mode == 2 ? *receiver : *keyboard;
        device.Script(c.script);
        const CommandPacket request = BuildCommandPacket(0x05, 1, 0);
        uint8_t reply[64];
        std::fill(std::begin(reply), std::end(reply), 0xEE);
        EXPECT_EQ(channel.Transfer(request.data(), 64, reply, 64, nullptr), c.result) << c.name;
        EXPECT_EQ(reply[3], c.replyCode) << c.name;
        EXPECT_FALSE(channel.IsBusy()) << c.name;
    }
}

TEST_F(ChannelTest, TransferRefusesToRunWhileNotConnected) {
    channel.SetConnected(false);
    const CommandPacket request = BuildCommandPacket(0x01, 0, 0);
    uint8_t reply[64];
    uint32_t read = 99;
    EXPECT_EQ(channel.Transfer(request.data(), 64, reply, 64, &read), 0);
    EXPECT_EQ(read, 0u);
    EXPECT_FALSE(channel.IsBusy());
    EXPECT_TRUE(keyboard->Packets().empty());
}

TEST_F(ChannelTest, ModeTwoTalksToTheSecondaryRecord) {
    channel.SetConnectionMode(2);
    EXPECT_EQ(channel.BeginConfig(), 1);
    EXPECT_TRUE(keyboard->Packets().empty());
    ASSERT_EQ(receiver->Packets().size(), 1u);
    EXPECT_EQ(receiver->Packets()[0][3], 0x01);
}

struct ChunkCase {
    const char* name;
    int mode;
    uint16_t blockSize;
    std::function<int(CCommandChannel&, std::vector<uint8_t>&)> run;
    uint8_t code;
    std::vector<std::pair<int, int>> packets;  // (offset, length)
};

TEST_F(ChannelTest, ChunkedCommandsSplitAtTheChunkSizeAndAdvanceTheOffset) {
    using Bytes = std::vector<uint8_t>;
    std::vector<std::pair<int, int>> keyTable;
    for (int i = 0; i < 9; ++i) keyTable.emplace_back(i * 56, 56);
    keyTable.emplace_back(504, 6);
    const std::vector<ChunkCase> cases{
        {"device info, mode 1", 1, 512, [](auto& ch, Bytes& b) { return ch.ReadDeviceInfo(b.data()); }, 0x03,
         {{0, 34}}},
        {"device info, mode 2", 2, 512, [](auto& ch, Bytes& b) { return ch.ReadDeviceInfo(b.data()); }, 0x03,
         {{0, 24}, {24, 10}}},
        {"510-byte key table, mode 1", 1, 510, [](auto& ch, Bytes& b) { return ch.WriteKeyTable(b.data(), 0); },
         0x09, keyTable},
        {"light table is a third of the block", 1, 510, [](auto& ch, Bytes& b) { return ch.ReadKeyTable2(b.data()); },
         0x1B, {{0, 56}, {56, 56}, {112, 56}, {168, 2}}},
        {"key table read, mode 2", 2, 60, [](auto& ch, Bytes& b) { return ch.ReadKeyTable(b.data()); }, 0x07,
         {{0, 24}, {24, 24}, {48, 12}}},
        {"parameters from a start offset", 2, 512,
         [](auto& ch, Bytes& b) { return ch.ReadParams(b.data(), 28, 25); }, 0x05, {{25, 24}, {49, 4}}},
        {"parameters written, mode 1", 1, 512, [](auto& ch, Bytes& b) { return ch.WriteParams(b.data(), 28, 50); },
         0x06, {{50, 28}}},
        {"custom colours at slot times stride", 1, 512,
         [](auto& ch, Bytes& b) { return ch.WriteCustomLight(b.data(), 60, 1, 512); }, 0x0B, {{512, 56}, {568, 4}}},
        {"macro image", 2, 512, [](auto& ch, Bytes& b) { return ch.WriteMacroData(b.data(), 30); }, 0x15,
         {{0, 24}, {24, 6}}},
        {"shoot data always in 56-byte chunks", 2, 512,
         [](auto& ch, Bytes& b) { return ch.WriteShootData(b.data(), 100); }, 0x17, {{0, 56}, {56, 44}}},
        {"light frame", 1, 512, [](auto& ch, Bytes& b) { return ch.StreamLightFrame(b.data(), 57); }, 0x12,
         {{0, 56}, {56, 1}}},
        {"nothing to move", 1, 512, [](auto& ch, Bytes& b) { return ch.WriteMacroData(b.data(), 0); }, 0x15, {}},
        {"one read of at most 56 bytes", 1, 512,
         [](auto& ch, Bytes& b) { return ch.ReadParamsOnce(b.data(), 10, 3); }, 0x1A, {{3, 10}}},
    };
    for (const ChunkCase& c : cases) {
        FakeHidDevice& device = c.mode == 2 ? *receiver : *keyboard;
        device.ClearPackets();
        channel.SetConnectionMode(c.mode);
        ASSERT_EQ(channel.SetBlockSize(c.blockSize), 1);
        Bytes buffer = Sequence(600);
        EXPECT_EQ(c.run(channel, buffer), 1) << c.name;
        const auto packets = device.Packets();
        EXPECT_EQ(OffsetsAndLengths(packets), c.packets) << c.name;
        for (const FakePacket& p : packets) {
            EXPECT_EQ(p[3], c.code) << c.name;
            EXPECT_EQ(p[7], 0) << c.name;
            EXPECT_TRUE(ChecksumHolds(p)) << c.name;
        }
    }
}

TEST_F(ChannelTest, WritingCommandsCarryTheirSourceBytesAndReadingCommandsFillTheDestination) {
    const std::vector<uint8_t> table = Sequence(510, 7);
    ASSERT_EQ(channel.SetBlockSize(510), 1);
    ASSERT_EQ(channel.WriteKeyTable(table.data(), 0), 1);
    EXPECT_EQ(keyboard->Area(0x09), table);
    for (const FakePacket& p : keyboard->Packets())
        for (int i = p[4] + 8; i < 64; ++i) ASSERT_EQ(p[i], 0) << "zero fill behind the chunk";

    for (int mode : {1, 2}) {
        FakeHidDevice& device = mode == 2 ? *receiver : *keyboard;
        channel.SetConnectionMode(mode);
        device.SetArea(0x03, Sequence(34, 0x40));
        std::vector<uint8_t> info(40, 0xEE);
        ASSERT_EQ(channel.ReadDeviceInfo(info.data()), 1);
        EXPECT_EQ(std::vector<uint8_t>(info.begin(), info.begin() + 34), Sequence(34, 0x40)) << "mode " << mode;
        EXPECT_EQ(info[34], 0xEE) << "nothing written past the 34 bytes";
    }

    channel.SetConnectionMode(1);
    keyboard->SetArea(0x05, Sequence(80));
    uint8_t once[10];
    ASSERT_EQ(channel.ReadParamsOnce(once, 10, 3), 1);
    EXPECT_EQ(std::vector<uint8_t>(once, once + 10), Sequence(10, 4));
}

TEST_F(ChannelTest, RefusedArgumentsSendNothing) {
    std::vector<uint8_t> buffer(512);
    struct Case {
        const char* name;
        std::function<int()> run;
        int result;
    };
    const std::vector<Case> cases{
        {"key table bank 1", [&] { return channel.WriteKeyTable(buffer.data(), 1); }, -201},
        {"key table bank -1", [&] { return channel.WriteKeyTable(buffer.data(), -1); }, -201},
        {"single read above 56 bytes", [&] { return channel.ReadParamsOnce(buffer.data(), 57, 0); }, 0},
        {"custom colour slot beyond the 16-bit offset", [&] { return channel.WriteCustomLight(buffer.data(), 8, 128, 512); },
         0},
        {"parameters running past the 16-bit offset", [&] { return channel.WriteParams(buffer.data(), 60, 0xFFF0); },
         0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.run(), c.result) << c.name;
    EXPECT_TRUE(keyboard->Packets().empty());
}

TEST_F(ChannelTest, ErrorStatusMidCommandStopsItWithEarlierChunksWritten) {
    struct Case {
        uint8_t status;
        int result;
    };
    ASSERT_EQ(channel.SetBlockSize(510), 1);
    for (const Case c : {Case{0xFF, -102}, Case{0xFE, -103}}) {
        keyboard->ClearPackets();
        keyboard->SetArea(0x09, {});
        keyboard->Script({FakeStep::Normal(), FakeStep::Normal(), FakeStep::Status(c.status)});
        const std::vector<uint8_t> table = Sequence(510);
        EXPECT_EQ(channel.WriteKeyTable(table.data(), 0), c.result);
        EXPECT_EQ(OffsetsAndLengths(keyboard->Packets()), (std::vector<std::pair<int, int>>{{0, 56}, {56, 56}, {112, 56}}));
        const auto written = keyboard->Area(0x09);
        ASSERT_GE(written.size(), 112u);
        EXPECT_TRUE(std::equal(table.begin(), table.begin() + 112, written.begin()));
    }
    // Any other status is success.
    keyboard->Script({FakeStep::Status(0x01)});
    EXPECT_EQ(channel.BeginConfig(), 1);
    keyboard->Script({FakeStep::Status(0xFE)});
    EXPECT_EQ(channel.EndConfig(), -103);
}

TEST_F(ChannelTest, FailedPacketEndsACommandAtOnce) {
    struct Case {
        const char* name;
        FakeStep failure;
        int result;
    };
    for (const Case& c : {Case{"write fails", FakeStep::WriteFails(), -1}, Case{"no reply", FakeStep::Silent(), 0}}) {
        keyboard->ClearPackets();
        keyboard->Script({FakeStep::Normal(), c.failure});
        std::vector<uint8_t> params(100);
        EXPECT_EQ(channel.ReadParams(params.data(), 100, 0), c.result) << c.name;
        EXPECT_EQ(keyboard->Packets().size(), c.result == -1 ? 1u : 2u) << c.name;
    }
}

TEST_F(ChannelTest, SimpleCommandsSendOneBarePacket) {
    struct Case {
        const char* name;
        std::function<int()> run;
        uint8_t code;
    };
    const std::vector<Case> cases{
        {"BeginConfig", [&] { return channel.BeginConfig(); }, 0x01},
        {"EndConfig", [&] { return channel.EndConfig(); }, 0x02},
        {"AnnounceLightControl", [&] { return channel.AnnounceLightControl(); }, 0x1C},
    };
    for (const Case& c : cases) {
        keyboard->ClearPackets();
        EXPECT_EQ(c.run(), 1) << c.name;
        ASSERT_EQ(keyboard->Packets().size(), 1u) << c.name;
        FakePacket expected{0x04, c.code, 0x00, c.code};
        EXPECT_EQ(keyboard->Packets()[0], expected) << c.name;
    }
}

TEST_F(ChannelTest, LightFrameIsDroppedChunkByChunkWhileAnExchangeRuns) {
    // An exchange that waits for a reply which never comes keeps the channel busy for 1000 ms.
    keyboard->Script({FakeStep::Silent()});
    std::thread configuration([&] { EXPECT_EQ(channel.BeginConfig(), 0); });
    while (!channel.IsBusy()) Sleep(1);

    DebugCapture log;
    const std::vector<uint8_t> frame = Sequence(150);
    EXPECT_EQ(channel.StreamLightFrame(frame.data(), 150), 1);
    EXPECT_EQ(log.Count("放弃灯光数据"), 3u);
    configuration.join();

    const auto packets = keyboard->Packets();
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0][3], 0x01);
    EXPECT_TRUE(keyboard->Area(0x12).empty());
}

TEST_F(ChannelTest, LightFrameThroughTheReceiverSendsNothing) {
    channel.SetConnectionMode(2);
    DebugCapture log;
    const std::vector<uint8_t> frame = Sequence(150);
    EXPECT_EQ(channel.StreamLightFrame(frame.data(), 150), 1);
    EXPECT_TRUE(keyboard->Packets().empty());
    EXPECT_TRUE(receiver->Packets().empty());
    EXPECT_EQ(log.Text(), "");
}

TEST_F(ChannelTest, LightFrameStatusAndFailuresAreReported) {
    const std::vector<uint8_t> frame = Sequence(112);
    keyboard->Script({FakeStep::Normal(), FakeStep::Status(0xFF)});
    EXPECT_EQ(channel.StreamLightFrame(frame.data(), 112), -102);
    keyboard->Script({FakeStep::WriteFails()});
    EXPECT_EQ(channel.StreamLightFrame(frame.data(), 112), -1);
}

TEST_F(ChannelTest, ReceiverLinkQuery) {
    channel.SetConnectionMode(1);
    EXPECT_EQ(channel.QueryReceiverLink(), 1);
    EXPECT_TRUE(keyboard->Packets().empty());
    EXPECT_TRUE(receiver->Packets().empty());

    channel.SetConnectionMode(2);
    struct Case {
        const char* name;
        bool linkUp;
        FakeStep step;
        int result;
    };
    const std::vector<Case> cases{
        {"link up", true, FakeStep::Normal(), 1},
        {"link down", false, FakeStep::Normal(), 0},
        {"status 0xFF", true, FakeStep::Status(0xFF), 0},
        {"status 0xFE", true, FakeStep::Status(0xFE), 0},
        {"write fails", true, FakeStep::WriteFails(), 0},
    };
    for (const Case& c : cases) {
        receiver->ClearPackets();
        receiver->SetReceiverLinkUp(c.linkUp);
        receiver->Script({c.step});
        EXPECT_EQ(channel.QueryReceiverLink(), c.result) << c.name;
        if (!c.step.failWrite) {
            ASSERT_EQ(receiver->Packets().size(), 1u) << c.name;
            EXPECT_EQ(receiver->Packets()[0][3], 0xAA) << c.name;
        }
    }
}

TEST_F(ChannelTest, ReceiverLinkPollLogsEveryFailedAttempt) {
    channel.SetConnectionMode(2);
    struct Case {
        const char* name;
        std::vector<FakeStep> script;
        bool linkUp;
        int result;
        size_t failures;
        size_t packets;
    };
    const std::vector<Case> cases{
        {"up at once", {}, true, 1, 0, 1},
        {"up at the third attempt", {FakeStep::Status(0xFF), FakeStep::Status(0xFE)}, true, 1, 2, 3},
        {"never up", {}, false, 0, 5, 5},
    };
    for (const Case& c : cases) {
        receiver->ClearPackets();
        receiver->SetReceiverLinkUp(c.linkUp);
        receiver->Script(c.script);
        DebugCapture log;
        EXPECT_EQ(PollReceiverLink(channel, 5, 1), c.result) << c.name;
        EXPECT_EQ(log.Count("获取2.4G模式失败"), c.failures) << c.name;
        EXPECT_EQ(receiver->Packets().size(), c.packets) << c.name;
    }
    EXPECT_EQ(kReceiverLinkAttempts, 26);
    EXPECT_EQ(kReceiverLinkPauseMs, 50u);
}
