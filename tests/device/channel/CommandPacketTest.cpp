#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "device/channel/CommandPacket.h"

TEST(CommandPacket, RequestIsZeroFilledOrCutTo64Bytes) {
    struct Case {
        uint32_t length;
        uint32_t copied;
    };
    for (const Case c : {Case{0, 0}, Case{3, 3}, Case{64, 64}, Case{80, 64}}) {
        std::vector<uint8_t> request(c.length);
        std::iota(request.begin(), request.end(), uint8_t{1});
        const CommandPacket packet = CopyToPacket(request.data(), c.length);
        for (uint32_t i = 0; i < kPacketSize; ++i)
            EXPECT_EQ(packet[i], i < c.copied ? i + 1 : 0) << "length " << c.length << " byte " << i;
    }
}

TEST(CommandPacket, ChecksumIsTheSumOfBytes3To63LittleEndian) {
    const CommandPacket bare = BuildCommandPacket(0x01, 0, 0);
    EXPECT_EQ(bare[0], 0x04);
    EXPECT_EQ(bare[1], 0x01);
    EXPECT_EQ(bare[2], 0x00);

    // 0x06 + 56 + 0x19 + 0x01 + (1 + 2 + ... + 56) = 1684 = 0x0694
    std::vector<uint8_t> payload(56);
    std::iota(payload.begin(), payload.end(), uint8_t{1});
    const CommandPacket full = BuildCommandPacket(0x06, 56, 0x0119, payload.data(), payload.size());
    EXPECT_EQ(full[1], 0x94);
    EXPECT_EQ(full[2], 0x06);
    EXPECT_EQ(full[5], 0x19);
    EXPECT_EQ(full[6], 0x01);
    EXPECT_EQ(full[7], 0x00);
    EXPECT_EQ(full[8], 1);
    EXPECT_EQ(full[63], 56);
}

TEST(CommandPacket, PayloadLongerThan56BytesIsNotCopiedPastThePacket) {
    std::vector<uint8_t> payload(80, 0xAB);
    const CommandPacket packet = BuildCommandPacket(0x15, 56, 0, payload.data(), payload.size());
    EXPECT_EQ(packet[63], 0xAB);
    EXPECT_EQ(PacketChecksum(packet), (0x15 + 56 + 56 * 0xAB) & 0xFFFF);
}

TEST(CommandPacket, DumpLineGroupsBytesInFoursWithThreeThenTwoSpacesBetweenGroups) {
    uint8_t bytes[32];
    std::iota(bytes, bytes + 32, uint8_t{0xE0});
    EXPECT_EQ(FormatDumpLine(bytes),
              "e0 e1 e2 e3   e4 e5 e6 e7   e8 e9 ea eb   ec ed ee ef  "
              "f0 f1 f2 f3  f4 f5 f6 f7  f8 f9 fa fb  fc fd fe ff");
}
