#pragma once
// A command channel whose primary record is open on a fake keyboard's command collection and
// whose secondary record is open on a fake receiver.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "FakeHid.h"
#include "device/channel/CommandChannel.h"

// (device offset, chunk length) of every packet, in order.
inline std::vector<std::pair<int, int>> OffsetsAndLengths(const std::vector<FakePacket>& packets) {
    std::vector<std::pair<int, int>> result;
    for (const FakePacket& p : packets) result.emplace_back(p[5] | (p[6] << 8), p[4]);
    return result;
}

inline bool ChecksumHolds(const FakePacket& p) {
    unsigned sum = 0;
    for (int i = 3; i < 64; ++i) sum += p[i];
    return p[0] == 0x04 && p[1] == (sum & 0xFF) && p[2] == ((sum >> 8) & 0xFF);
}

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyboard = MakeFakeKeyboard("kb");
        receiver = MakeFakeKeyboard("receiver", 0x5063);
        backend->Add(keyboard);
        backend->Add(receiver);
        ReopenRecords();
        channel.SetConnected(true);
        channel.SetConnectionMode(1);
    }

    // Fresh records: replies left unread by an earlier exchange are gone.
    void ReopenRecords() {
        ASSERT_EQ(channel.PrimaryRecord().Open(keyboard->PathOf(4), 1, 1, 1, 0), 1);
        ASSERT_EQ(channel.SecondaryRecord().Open(receiver->PathOf(4), 1, 1, 1, 0), 1);
    }

    ScopedFakeBackend backend;
    std::shared_ptr<FakeHidDevice> keyboard;
    std::shared_ptr<FakeHidDevice> receiver;
    CCommandChannel channel;
};
