// Device events on the consumer-control collection, and the faults a host must survive.
#include <sys/stat.h>

#include "EmulatorFixture.h"
#include "platform/Time.h"

namespace {
constexpr uint8_t kInfo = 0x03, kWriteParams = 0x06, kReadParams = 0x05;

uint16_t EventCode(const std::vector<uint8_t>& report) {
    return static_cast<uint16_t>(report[1] | report[2] << 8);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

bool WaitFor(const std::function<bool()>& condition, uint32_t timeoutMs = 2000) {
    uint32_t start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(5);
    }
    return true;
}
}  // namespace

TEST_F(EmulatorTest, EveryClientReceivesEveryEventFollowedByItsRelease) {
    auto keyboard = StartKeyboard();
    RawHidClient probe(keyboard->SocketPath()), commands(keyboard->SocketPath()), events(keyboard->SocketPath());
    ASSERT_TRUE(WaitFor([&] { return keyboard->ClientCount() == 3; }));

    struct Case {
        const char* what;
        std::function<bool()> send;
        uint16_t code;
    } cases[] = {
        {"sync", [&] { return keyboard->SendEvent(0x0401); }, 0x0401},
        {"second sync", [&] { return keyboard->SendEvent(0x0402); }, 0x0402},
        {"key press", [&] { return keyboard->PressKey(17); }, 0x0511},
        {"key release", [&] { return keyboard->ReleaseKey(17); }, 0x0611},
        {"profile", [&] { return keyboard->SelectProfile(2); }, 0x1002},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.send());
        for (RawHidClient* client : {&probe, &commands, &events}) {
            auto press = client->ReceiveReport(3);
            auto release = client->ReceiveReport(3);
            ASSERT_TRUE(press && release);
            EXPECT_EQ(press->size(), 3u);
            EXPECT_EQ(EventCode(*press), c.code);
            EXPECT_EQ(EventCode(*release), 0);
        }
    }
    EXPECT_EQ(keyboard->Snapshot().memory.ActiveProfile(), 2);
}

TEST_F(EmulatorTest, EventsOutsideTheDeviceAreRefused) {
    auto keyboard = StartKeyboard();
    int n = keyboard->Layout().positionCount;
    EXPECT_FALSE(keyboard->PressKey(n));
    EXPECT_FALSE(keyboard->ReleaseKey(-1));
    EXPECT_FALSE(keyboard->SelectProfile(4));
    EXPECT_EQ(keyboard->Snapshot().memory.ActiveProfile(), 0);
    keyboard->Unplug();
    EXPECT_FALSE(keyboard->SendEvent(0x0401)) << "nobody hears an unplugged keyboard";
}

class FaultTest : public EmulatorTest {
protected:
    void SetUp() override {
        keyboard_ = StartKeyboard();
        client_ = std::make_unique<RawHidClient>(keyboard_->SocketPath());
        ASSERT_TRUE(client_->Connected());
    }
    // Writes one byte at offset 0x30 of the parameter area and returns the first reply, if any.
    std::optional<std::vector<uint8_t>> WriteMarker(uint8_t value, int timeoutMs = 300) {
        client_->Send(BuildRequest(kWriteParams, 1, 0x30, {value}));
        return client_->ReceiveReport(4, timeoutMs);
    }
    uint8_t Marker() { return keyboard_->Snapshot().memory.params[0x30]; }

    std::unique_ptr<EmulatedKeyboard> keyboard_;
    std::unique_ptr<RawHidClient> client_;
};

TEST_F(FaultTest, NoReplyLosesTheRequestsAndThenRecovers) {
    keyboard_->DropRequests(2);
    EXPECT_FALSE(WriteMarker(1));
    EXPECT_FALSE(WriteMarker(2));
    EXPECT_EQ(Marker(), 0) << "a lost request is not executed";
    auto reply = WriteMarker(3);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[7], 0);
    EXPECT_EQ(Marker(), 3);

    keyboard_->DropRequests(kUntilCleared);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(WriteMarker(4, 100));
    keyboard_->ClearFaults();
    EXPECT_TRUE(WriteMarker(5));
}

TEST_F(FaultTest, WrongCodeIsFollowedByTheRightReply) {
    keyboard_->SendWrongCode(1);
    auto wrong = WriteMarker(7);
    auto right = client_->ReceiveReport(4, 300);
    ASSERT_TRUE(wrong && right);
    EXPECT_NE((*wrong)[3], kWriteParams);
    EXPECT_NE((*wrong)[3], 0xAA);
    EXPECT_EQ((*right)[3], kWriteParams);
    EXPECT_EQ(Marker(), 7) << "the request itself was carried out";
    auto next = client_->Request(kInfo, 34);
    ASSERT_TRUE(next);
    EXPECT_EQ((*next)[3], kInfo) << "one fault, one request";
}

TEST_F(FaultTest, ReceiverOutOfReachAnswersAAOnly) {
    keyboard_->ReportUnreachable(1);
    auto reply = WriteMarker(9);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[3], 0xAA);
    EXPECT_FALSE(client_->ReceiveReport(4, 150)) << "no second reply";
    EXPECT_EQ(Marker(), 0);
}

TEST_F(FaultTest, StatusFaultHitsTheChunkAfterTheGoodOnes) {
    for (uint8_t status : {uint8_t{0xFF}, uint8_t{0xFE}}) {
        SCOPED_TRACE(int(status));
        keyboard_->FailWithStatus(status, 2);
        std::vector<uint8_t> statuses;
        for (uint8_t i = 1; i <= 4; ++i) {
            auto reply = client_->Request(kReadParams, 1, i);
            ASSERT_TRUE(reply);
            statuses.push_back((*reply)[7]);
        }
        EXPECT_EQ(statuses, (std::vector<uint8_t>{0, 0, status, 0}));
    }
}

TEST_F(FaultTest, SlowRepliesComeLateButInOrder) {
    keyboard_->DelayReplies(300);
    client_->Send(BuildRequest(kReadParams, 1, 1));
    client_->Send(BuildRequest(kInfo, 34));
    EXPECT_FALSE(client_->ReceiveReport(4, 100)) << "not before the delay";
    auto first = client_->ReceiveReport(4, 2000);
    auto second = client_->ReceiveReport(4, 2000);
    ASSERT_TRUE(first && second);
    EXPECT_EQ((*first)[3], kReadParams);
    EXPECT_EQ((*second)[3], kInfo);
    keyboard_->DelayReplies(0);
    EXPECT_TRUE(client_->Request(kInfo, 34));
}

TEST_F(FaultTest, UnplugMidCommandAndReplugLater) {
    keyboard_->UnplugAfter(2, 200);
    EXPECT_TRUE(client_->Request(kInfo, 34));
    EXPECT_TRUE(client_->Request(kInfo, 34)) << "the second packet is still answered";
    EXPECT_TRUE(client_->WaitClosed());
    EXPECT_FALSE(Exists(keyboard_->SocketPath()));
    EXPECT_FALSE(client_->Send(BuildRequest(kInfo, 34)));
    ASSERT_TRUE(WaitFor([&] { return Exists(keyboard_->SocketPath()); }));
    RawHidClient again(keyboard_->SocketPath());
    ASSERT_TRUE(again.Connected());
    EXPECT_FALSE(again.Hello().empty());
    EXPECT_TRUE(again.Request(kInfo, 34));
}

TEST_F(FaultTest, DescribeListsWhatIsArmed) {
    EXPECT_EQ(keyboard_->DescribeFaults(), "none\n");
    keyboard_->DropRequests(kUntilCleared);
    keyboard_->FailWithStatus(0xFE, 3);
    std::string text = keyboard_->DescribeFaults();
    EXPECT_NE(text.find("noreply until cleared"), std::string::npos) << text;
    EXPECT_NE(text.find("status fe after 3"), std::string::npos) << text;
}
