#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <list>
#include <thread>

#include "platform/DebugOutput.h"
#include "platform/Time.h"
#include "platform/bus/KnownMessages.h"
#include "platform/bus/MessageBus.h"
#include "tests/platform/bus/PrivateSessionBus.h"
#include "tests/platform/bus/RecordingWindow.h"

namespace {

constexpr const char* kGameKill = "Game_Kill";
constexpr const char* kLightNotify = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
constexpr const char* kAnyArguments = "UWM_MOUSEMOVE_USER_MSG";

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    uint32_t start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > static_cast<uint32_t>(timeoutMs)) return false;
        Sleep(5);
    }
    return true;
}

// A call made the way any outside program could make it, without our library.
struct RawResult {
    std::string errorName;  // empty on success
    int64_t answer = 0;
};

RawResult RawCall(const std::string& destination, const char* interface, const char* member,
                  const std::function<int(sd_bus_message*)>& write, const char* answerSignature = nullptr) {
    RawResult result;
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return {"no bus"};
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int r = sd_bus_message_new_method_call(bus, &call, destination.c_str(), "/org/zorv/Win", interface, member);
    if (r >= 0) r = write(call);
    if (r >= 0) r = sd_bus_call(bus, call, 2000000, &error, &reply);
    if (r < 0) result.errorName = error.name ? error.name : std::strerror(-r);
    if (r >= 0 && answerSignature) sd_bus_message_read(reply, answerSignature, &result.answer);
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    sd_bus_flush_close_unref(bus);
    return result;
}

void RawSignal(const char* signature, const std::function<int(sd_bus_message*)>& write) {
    sd_bus* bus = nullptr;
    ASSERT_GE(sd_bus_open_user(&bus), 0);
    sd_bus_message* signal = nullptr;
    ASSERT_GE(sd_bus_message_new_signal(bus, &signal, "/org/zorv/Broadcast", "org.zorv.Broadcast1", "Message"), 0);
    ASSERT_GE(write(signal), 0) << signature;
    ASSERT_GE(sd_bus_send(bus, signal, nullptr), 0);
    sd_bus_message_unref(signal);
    sd_bus_flush_close_unref(bus);
}

class MessageBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(daemon_.Started());
        ASSERT_EQ(receiver_.Start(), BusStatus::Ok);
        ASSERT_EQ(sender_.Start(), BusStatus::Ok);
    }

    RecordingWindow& AddWindow(uint64_t handle, const std::string& title, const std::string& className,
                               int64_t answer = 0,
                               RecordingWindow::Answering answering = RecordingWindow::Answering::FromUiThread) {
        RecordingWindow& window = windows_.emplace_back(answer, answering);
        WindowRegistration registration = receiver_.RegisterWindow(handle, title, className, &window);
        EXPECT_EQ(registration.status, BusStatus::Ok);
        EXPECT_EQ(registration.titleOwned, !title.empty());
        EXPECT_EQ(registration.classOwned, !className.empty());
        return window;
    }

    // A post that is admitted, sent after others: once it arrives, the earlier ones were handled.
    void PostMarkerAndWait(RecordingWindow& window, const BusTarget& target, size_t expectedCount) {
        ASSERT_EQ(sender_.PostMessageTo(target, "Game_End", 2, 99), BusStatus::Ok);
        ASSERT_TRUE(window.WaitForCount(expectedCount));
        EXPECT_EQ(window.Events().back().message.name, "Game_End");
    }

    PrivateSessionBus daemon_;
    // Outlive the buses below, which stop (and stop calling them) first.
    std::list<RecordingWindow> windows_;
    CMessageBus receiver_;  // this program
    CMessageBus sender_;    // another program
};

const BusTarget kTargets[] = {
    BusTarget::ByHandle(0x51),
    BusTarget::ByTitle("ZuzaZoro"),
    BusTarget::ByClass("Zorv Wired Manager 1.0AudioRecord"),
};

TEST(MessageBusWithoutBus, EveryOperationReportsNoBus) {
    NoSessionBus none;
    CMessageBus bus;
    RecordingWindow window;
    EXPECT_EQ(bus.Start(), BusStatus::NoBus);
    EXPECT_FALSE(bus.Running());
    EXPECT_EQ(bus.RegisterWindow(0x51, "ZuzaZoro", "", &window).status, BusStatus::NoBus);
    EXPECT_EQ(bus.PostMessageTo(BusTarget::ByHandle(0x51), kGameKill, 0, 0), BusStatus::NoBus);
    BusStatus status = BusStatus::Ok;
    EXPECT_FALSE(bus.SendMessageTo(BusTarget::ByHandle(0x51), kGameKill, 0, 0, 100, &status));
    EXPECT_EQ(status, BusStatus::NoBus);
    EXPECT_EQ(bus.Broadcast(kLightNotify, 1, 1), BusStatus::NoBus);
    EXPECT_EQ(bus.FindWindow("", "ZuzaZoro"), 0u);
}

TEST_F(MessageBusTest, PostSendAndCopyDataReachTheWindowByEveryTarget) {
    RecordingWindow& window = AddWindow(0x51, "ZuzaZoro", "Zorv Wired Manager 1.0AudioRecord", 42);
    const std::vector<uint8_t> bytes = {0x00, 0x01, 0xFE, 0xFF};
    size_t expected = 0;
    for (const BusTarget& target : kTargets) {
        SCOPED_TRACE(target.Describe());
        // A registered message without ranges carries any arguments unchanged.
        ASSERT_EQ(sender_.PostMessageTo(target, kAnyArguments, UINT64_MAX, INT64_MIN), BusStatus::Ok);
        EXPECT_EQ(sender_.SendMessageTo(target, kAnyArguments, 2, -7), std::optional<int64_t>(42));
        BusAnswer copied = sender_.CopyDataTo(target, 0x77, 5, bytes);
        EXPECT_EQ(copied.status, BusStatus::Ok);
        EXPECT_EQ(copied.value, 42);
        expected += 3;
        ASSERT_TRUE(window.WaitForCount(expected));
        auto events = window.Events();
        const Received& posted = events[expected - 3];
        EXPECT_EQ(posted.kind, "message");
        EXPECT_EQ(posted.message.name, kAnyArguments);
        EXPECT_EQ(posted.message.wParam, UINT64_MAX);
        EXPECT_EQ(posted.message.lParam, INT64_MIN);
        const Received& sent = events[expected - 2];
        EXPECT_EQ(sent.kind, "send");
        EXPECT_EQ(sent.message.wParam, 2u);
        EXPECT_EQ(sent.message.lParam, -7);
        const Received& data = events[expected - 1];
        EXPECT_EQ(data.kind, "copydata");
        EXPECT_EQ(data.data.senderHandle, 0x77u);
        EXPECT_EQ(data.data.dataId, 5u);
        EXPECT_EQ(data.data.bytes, bytes);
    }
}

TEST_F(MessageBusTest, PostsArriveInTheOrderTheyWereSent) {
    RecordingWindow& window = AddWindow(0x52, "ZuzaZoro", "");
    for (int64_t i = 0; i < 200; ++i)
        ASSERT_EQ(sender_.PostMessageTo(BusTarget::ByTitle("ZuzaZoro"), kGameKill, 0, i), BusStatus::Ok);
    ASSERT_TRUE(window.WaitForCount(200));
    auto events = window.Events();
    for (int64_t i = 0; i < 200; ++i) EXPECT_EQ(events[i].message.lParam, i);
}

TEST_F(MessageBusTest, FullSizeDeviceListAndEmptyPayloadsArrive) {
    RecordingWindow& window = AddWindow(0x53, "ZuzaZoro", "", 1);
    std::vector<uint8_t> report(1024, 0);
    report[0] = 2, report[4] = 3, report[12] = 2, report[16] = 3;
    EXPECT_EQ(sender_.CopyDataTo(BusTarget::ByTitle("ZuzaZoro"), 0x99, 5, report).status, BusStatus::Ok);
    EXPECT_EQ(sender_.CopyDataTo(BusTarget::ByTitle("ZuzaZoro"), 0x99, 10, {}).status, BusStatus::Ok);
    std::vector<uint8_t> limit(kMaxCopyDataBytes, 0xAB);
    EXPECT_EQ(sender_.CopyDataTo(BusTarget::ByTitle("ZuzaZoro"), 0x99, 1, limit).status, BusStatus::Ok);
    ASSERT_TRUE(window.WaitForCount(3));
    auto events = window.Events();
    EXPECT_EQ(events[0].data.bytes, report);
    EXPECT_TRUE(events[1].data.bytes.empty());
    EXPECT_EQ(events[2].data.bytes.size(), kMaxCopyDataBytes);
}

TEST_F(MessageBusTest, SendTimesOutWhenTheWindowNeverAnswersAndAnswersZeroWhenItDropsTheReply) {
    RecordingWindow& silent = AddWindow(0x54, "Silent", "", 5, RecordingWindow::Answering::Never);
    AddWindow(0x55, "Dropper", "", 5, RecordingWindow::Answering::DropReply);
    BusStatus status = BusStatus::Ok;
    EXPECT_FALSE(sender_.SendMessageTo(BusTarget::ByTitle("Silent"), kGameKill, 0, 0, 200, &status));
    EXPECT_EQ(status, BusStatus::Timeout);
    // Answering after the sender gave up goes nowhere and harms nothing.
    for (const BusReply& reply : silent.HeldReplies()) reply.Answer(9);
    EXPECT_EQ(sender_.SendMessageTo(BusTarget::ByTitle("Dropper"), kGameKill, 0, 0, 2000), std::optional<int64_t>(0));
}

TEST_F(MessageBusTest, MissingWindowsAndBadTargetsAreReported) {
    DebugCapture log;
    BusStatus status = BusStatus::Ok;
    EXPECT_FALSE(sender_.SendMessageTo(BusTarget::ByTitle("Nobody"), kGameKill, 0, 0, 1000, &status));
    EXPECT_EQ(status, BusStatus::NoSuchWindow);
    EXPECT_EQ(sender_.CopyDataTo(BusTarget::ByHandle(0x404), 0, 5, {}).status, BusStatus::NoSuchWindow);
    EXPECT_EQ(sender_.PostMessageTo(BusTarget::ByHandle(0), kGameKill, 0, 0), BusStatus::InvalidArgument);
    EXPECT_EQ(sender_.PostMessageTo(BusTarget::ByTitle(""), kGameKill, 0, 0), BusStatus::InvalidArgument);
    EXPECT_EQ(sender_.PostMessageTo(BusTarget::ByTitle("x"), "\xFF", 0, 0), BusStatus::InvalidArgument);
    std::vector<uint8_t> tooBig(kMaxCopyDataBytes + 1);
    EXPECT_EQ(sender_.CopyDataTo(BusTarget::ByHandle(0x404), 0, 1, tooBig).status, BusStatus::InvalidArgument);
    // A post to nobody is not waited for, but its failure is logged.
    EXPECT_EQ(sender_.PostMessageTo(BusTarget::ByTitle("Nobody"), kGameKill, 0, 0), BusStatus::Ok);
    EXPECT_TRUE(WaitUntil([&] { return log.Contains("bus: posted message not delivered"); })) << log.Text();
}

TEST_F(MessageBusTest, UnknownAndInProcessMessagesAreDroppedAndLogged) {
    DebugCapture log;
    RecordingWindow& window = AddWindow(0x56, "ZuzaZoro", "");
    const BusTarget target = BusTarget::ByTitle("ZuzaZoro");
    ASSERT_EQ(sender_.PostMessageTo(target, "NotAMessage", 1, 2), BusStatus::Ok);
    ASSERT_EQ(sender_.PostMessageTo(target, "WM_HOOK_KEY_KBMACRO_MSG", 256, 0x7fff0000), BusStatus::Ok);
    BusStatus status = BusStatus::Ok;
    EXPECT_FALSE(sender_.SendMessageTo(target, "game_kill", 0, 0, 1000, &status));
    EXPECT_EQ(status, BusStatus::Refused);
    PostMarkerAndWait(window, target, 1);
    EXPECT_EQ(window.Events().size(), 1u);
    EXPECT_TRUE(log.Contains("bus: dropped Message \"NotAMessage\" for window handle 0x56")) << log.Text();
    EXPECT_TRUE(log.Contains("\"WM_HOOK_KEY_KBMACRO_MSG\" for window handle 0x56 from")) << log.Text();
    EXPECT_TRUE(log.Contains("carries an in-process record pointer"));
    EXPECT_TRUE(log.Contains("bus: dropped Send \"game_kill\""));
}

TEST_F(MessageBusTest, MalformedCallsAreDroppedAndLogged) {
    DebugCapture log;
    RecordingWindow& window = AddWindow(0x57, "ZuzaZoro", "");
    const std::string destination = BusTarget::ByTitle("ZuzaZoro").BusName();
    struct Case {
        const char* member;
        std::function<int(sd_bus_message*)> write;
        const char* logged;
    } cases[] = {
        {"Message", [](sd_bus_message* m) { return sd_bus_message_append(m, "s", "Game_Kill"); },
         "bus: dropped call Message(s) for window handle 0x57"},
        {"Send", [](sd_bus_message* m) { return sd_bus_message_append(m, "sxt", "Game_Kill", int64_t{1}, uint64_t{2}); },
         "bus: dropped call Send(sxt)"},
        {"CopyData", [](sd_bus_message* m) { return sd_bus_message_append(m, "ts", uint64_t{5}, "bytes"); },
         "bus: dropped call CopyData(ts)"},
        {"CopyData", [](sd_bus_message*) { return 0; }, "bus: dropped call CopyData()"},
        {"Explode", [](sd_bus_message*) { return 0; }, "bus: dropped call Explode for window handle 0x57"},
    };
    for (const auto& c : cases) {
        RawResult result = RawCall(destination, "org.zorv.Win1", c.member, c.write);
        EXPECT_FALSE(result.errorName.empty()) << c.member;
        EXPECT_TRUE(log.Contains(c.logged)) << c.logged << "\n" << log.Text();
    }
    // The same calls well formed, made the raw way, do arrive.
    RawResult sent = RawCall(
        destination, "org.zorv.Win1", "Send",
        [](sd_bus_message* m) { return sd_bus_message_append(m, "stx", "Game_Kill", uint64_t{0}, int64_t{4}); }, "x");
    EXPECT_EQ(sent.errorName, "");
    std::vector<uint8_t> oversized(kMaxCopyDataBytes + 1, 1);
    RawResult refused = RawCall(destination, "org.zorv.Win1", "CopyData", [&](sd_bus_message* m) {
        int r = sd_bus_message_append(m, "tt", uint64_t{0}, uint64_t{1});
        return r < 0 ? r : sd_bus_message_append_array(m, 'y', oversized.data(), oversized.size());
    });
    EXPECT_EQ(refused.errorName, "org.zorv.Error.NotAdmitted");
    EXPECT_TRUE(log.Contains("bus: dropped CopyData id 1 (1048577 bytes)")) << log.Text();
    ASSERT_TRUE(window.WaitForCount(1));
    EXPECT_EQ(window.Events().size(), 1u);
    EXPECT_EQ(window.Events()[0].kind, "send");
}

TEST_F(MessageBusTest, WindowPropertiesNameTheWindow) {
    AddWindow(0x58, "ZuzaZoro", "ServiceTool");
    auto property = [](const char* name) {
        sd_bus* bus = nullptr;
        sd_bus_open_user(&bus);
        char* value = nullptr;
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_get_property_string(bus, BusTarget::ByClass("ServiceTool").BusName().c_str(), "/org/zorv/Win",
                                   "org.zorv.Win1", name, &error, &value);
        std::string text = value ? value : "";
        free(value);
        sd_bus_error_free(&error);
        sd_bus_flush_close_unref(bus);
        return text;
    };
    EXPECT_EQ(property("Title"), "ZuzaZoro");
    EXPECT_EQ(property("ClassName"), "ServiceTool");
}

TEST_F(MessageBusTest, BroadcastsReachEverySubscriberUntilUnsubscribed) {
    std::atomic<int> receiverCount{0}, senderCount{0};
    std::atomic<int64_t> lastLParam{-1};
    int receiverId = receiver_.SubscribeBroadcasts([&](const BusMessage& message) {
        if (message.name == kLightNotify && message.wParam == 1) lastLParam.store(message.lParam);
        receiverCount.fetch_add(1);
    });
    // The broadcasting program hears its own broadcast, as every top-level window does.
    sender_.SubscribeBroadcasts([&](const BusMessage&) { senderCount.fetch_add(1); });
    ASSERT_EQ(sender_.Broadcast(kLightNotify, 1, 0), BusStatus::Ok);
    EXPECT_TRUE(WaitUntil([&] { return receiverCount.load() == 1 && senderCount.load() == 1; }));
    EXPECT_EQ(lastLParam.load(), 0);

    receiver_.UnsubscribeBroadcasts(receiverId);
    ASSERT_EQ(sender_.Broadcast(kLightNotify, 1, 1), BusStatus::Ok);
    EXPECT_TRUE(WaitUntil([&] { return senderCount.load() == 2; }));
    EXPECT_EQ(receiverCount.load(), 1);
}

TEST_F(MessageBusTest, UnknownAndMalformedBroadcastsAreDroppedAndLogged) {
    DebugCapture log;
    std::atomic<int> count{0};
    std::atomic<bool> sawOnlyKnown{true};
    receiver_.SubscribeBroadcasts([&](const BusMessage& message) {
        if (message.name != "Zorv Wired Manager 1.0") sawOnlyKnown.store(false);
        count.fetch_add(1);
    });
    ASSERT_EQ(sender_.Broadcast("NotAMessage", 0, 0), BusStatus::Ok);
    RawSignal("s", [](sd_bus_message* m) { return sd_bus_message_append(m, "s", "Zorv Wired Manager 1.0"); });
    RawSignal("stt", [](sd_bus_message* m) {
        return sd_bus_message_append(m, "stt", "Zorv Wired Manager 1.0", uint64_t{0}, uint64_t{1});
    });
    ASSERT_EQ(sender_.Broadcast("Zorv Wired Manager 1.0", 0, 1), BusStatus::Ok);
    EXPECT_TRUE(WaitUntil([&] { return count.load() == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return log.Contains("bus: dropped broadcast (stt)"); })) << log.Text();
    EXPECT_TRUE(log.Contains("bus: dropped broadcast \"NotAMessage\" from")) << log.Text();
    EXPECT_TRUE(log.Contains("bus: dropped broadcast (s) from")) << log.Text();
    EXPECT_TRUE(sawOnlyKnown.load());
}

TEST_F(MessageBusTest, TwoWindowsInOneProcessEachGetTheirOwnMessages) {
    RecordingWindow& alpha = AddWindow(0xA1, "Alpha", "ClassA", 1);
    RecordingWindow& beta = AddWindow(0xB2, "Beta", "ClassB", 2);
    EXPECT_EQ(sender_.FindWindow("", "Alpha"), 0xA1u);
    EXPECT_EQ(sender_.FindWindow("ClassB", ""), 0xB2u);
    EXPECT_EQ(sender_.SendMessageTo(BusTarget::ByClass("ClassA"), kGameKill, 0, 0), std::optional<int64_t>(1));
    EXPECT_EQ(sender_.SendMessageTo(BusTarget::ByTitle("Beta"), kGameKill, 0, 0), std::optional<int64_t>(2));
    ASSERT_EQ(sender_.PostMessageTo(BusTarget::ByHandle(0xA1), "Game_Start", 0, 10), BusStatus::Ok);
    ASSERT_EQ(sender_.PostMessageTo(BusTarget::ByHandle(0xB2), "Game_Start", 0, 20), BusStatus::Ok);
    // A window of this process may address its neighbour too.
    EXPECT_EQ(receiver_.SendMessageTo(BusTarget::ByTitle("Alpha"), kGameKill, 0, 0), std::optional<int64_t>(1));
    ASSERT_TRUE(alpha.WaitForCount(3));
    ASSERT_TRUE(beta.WaitForCount(2));
    EXPECT_EQ(alpha.Events()[1].message.lParam, 10);
    EXPECT_EQ(beta.Events()[1].message.lParam, 20);
    EXPECT_EQ(beta.Events().size(), 2u);
}

TEST_F(MessageBusTest, FindWindowNeedsClassAndTitleOfTheSameWindow) {
    AddWindow(0xA1, "Zorv Wired Manager 1.0AUDIORECORD", "Zorv Wired Manager 1.0AudioRecord");
    AddWindow(0xB2, "ZuzaZoro", "ServiceTool");
    struct Case {
        const char* className;
        const char* title;
        uint64_t expected;
    } cases[] = {
        {"Zorv Wired Manager 1.0AudioRecord", "Zorv Wired Manager 1.0AUDIORECORD", 0xA1},
        {"ServiceTool", "ZuzaZoro", 0xB2},
        {"", "ZuzaZoro", 0xB2},
        {"Zorv Wired Manager 1.0AudioRecord", "", 0xA1},
        {"ServiceTool", "Zorv Wired Manager 1.0AUDIORECORD", 0},  // names of two different windows
        {"Nope", "ZuzaZoro", 0},
        {"", "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sender_.FindWindow(c.className, c.title), c.expected) << c.className << " / " << c.title;
}

TEST_F(MessageBusTest, UnregisterReleasesTheNamesAtOnce) {
    RecordingWindow& window = AddWindow(0x61, "ZuzaZoro", "ServiceTool");
    ASSERT_EQ(sender_.FindWindow("ServiceTool", "ZuzaZoro"), 0x61u);
    EXPECT_TRUE(receiver_.UnregisterWindow(0x61));
    EXPECT_FALSE(receiver_.UnregisterWindow(0x61));
    EXPECT_EQ(sender_.FindWindow("", "ZuzaZoro"), 0u);
    EXPECT_EQ(sender_.FindWindow("ServiceTool", ""), 0u);
    EXPECT_FALSE(sender_.WindowExists(BusTarget::ByHandle(0x61)));
    BusStatus status = BusStatus::Ok;
    EXPECT_FALSE(sender_.SendMessageTo(BusTarget::ByHandle(0x61), kGameKill, 0, 0, 1000, &status));
    EXPECT_EQ(status, BusStatus::NoSuchWindow);
    EXPECT_TRUE(window.Events().empty());

    // Another program can take the names now.
    RecordingWindow other;
    WindowRegistration again = sender_.RegisterWindow(0x62, "ZuzaZoro", "ServiceTool", &other);
    EXPECT_EQ(again.status, BusStatus::Ok);
    EXPECT_TRUE(again.titleOwned);
    EXPECT_TRUE(again.classOwned);
    EXPECT_TRUE(sender_.UnregisterWindow(0x62));
}

TEST_F(MessageBusTest, TakenNamesAreReported) {
    DebugCapture log;
    AddWindow(0x71, "ZuzaZoro", "ServiceTool");
    RecordingWindow other;
    WindowRegistration second = sender_.RegisterWindow(0x72, "ZuzaZoro", "OtherClass", &other);
    EXPECT_EQ(second.status, BusStatus::Ok);
    EXPECT_FALSE(second.titleOwned);
    EXPECT_TRUE(second.classOwned);
    EXPECT_TRUE(log.Contains("title name org.zorv.Win.t_5a757a615a6f726f not claimed: taken by another window"))
        << log.Text();
    // The title still leads to the first window.
    EXPECT_EQ(sender_.FindWindow("", "ZuzaZoro"), 0x71u);
    RecordingWindow third;
    EXPECT_EQ(sender_.RegisterWindow(0x71, "", "", &third).status, BusStatus::NameTaken);
    EXPECT_EQ(receiver_.RegisterWindow(0x71, "", "", &third).status, BusStatus::NameTaken);
    EXPECT_EQ(receiver_.RegisterWindow(0, "x", "", &third).status, BusStatus::InvalidArgument);
    EXPECT_EQ(receiver_.RegisterWindow(0x73, "\xC0\x80", "", &third).status, BusStatus::InvalidArgument);
    EXPECT_TRUE(sender_.UnregisterWindow(0x72));
}

TEST_F(MessageBusTest, SinksMayPostAndUnregisterButNotBlock) {
    DebugCapture log;
    RecordingWindow& window = AddWindow(0x81, "ZuzaZoro", "");
    RecordingWindow& neighbour = AddWindow(0x82, "Neighbour", "");
    std::atomic<int> blockingStatus{-1};
    std::atomic<int> postStatus{-1};
    window.SetOnMessage([&](const BusMessage& message) {
        if (message.lParam == 1) {
            BusStatus status = BusStatus::Ok;
            receiver_.SendMessageTo(BusTarget::ByTitle("Neighbour"), kGameKill, 0, 0, 1000, &status);
            blockingStatus.store(static_cast<int>(status));
            postStatus.store(static_cast<int>(receiver_.PostMessageTo(BusTarget::ByTitle("Neighbour"), kGameKill, 0, 5)));
        } else if (message.lParam == 2) {
            receiver_.UnregisterWindow(0x81);
        }
    });
    ASSERT_EQ(sender_.PostMessageTo(BusTarget::ByHandle(0x81), kGameKill, 0, 1), BusStatus::Ok);
    ASSERT_TRUE(neighbour.WaitForCount(1));
    EXPECT_EQ(blockingStatus.load(), static_cast<int>(BusStatus::WrongThread));
    EXPECT_EQ(postStatus.load(), static_cast<int>(BusStatus::Ok));
    EXPECT_TRUE(log.Contains("bus: blocking call Send refused on the bus thread"));

    ASSERT_EQ(sender_.PostMessageTo(BusTarget::ByHandle(0x81), kGameKill, 0, 2), BusStatus::Ok);
    EXPECT_TRUE(WaitUntil([&] { return !sender_.WindowExists(BusTarget::ByHandle(0x81)); }));
    EXPECT_EQ(window.Events().size(), 2u);
    // The rest of the process goes on.
    EXPECT_EQ(sender_.SendMessageTo(BusTarget::ByTitle("Neighbour"), kGameKill, 0, 0), std::optional<int64_t>(0));
}

TEST_F(MessageBusTest, StopEndsWaitingCallsAndOutstandingReplies) {
    RecordingWindow& silent = AddWindow(0x91, "Silent", "", 0, RecordingWindow::Answering::Never);
    std::atomic<int> status{-1};
    std::atomic<uint32_t> waited{0};
    std::thread caller([&] {
        uint32_t start = GetTickCount();
        BusStatus result = BusStatus::Ok;
        sender_.SendMessageTo(BusTarget::ByTitle("Silent"), kGameKill, 0, 0, 30000, &result);
        waited.store(GetTickCount() - start);
        status.store(static_cast<int>(result));
    });
    ASSERT_TRUE(silent.WaitForCount(1));
    sender_.Stop();
    caller.join();
    EXPECT_EQ(status.load(), static_cast<int>(BusStatus::NoBus));
    EXPECT_LT(waited.load(), 10000u);
    EXPECT_FALSE(sender_.Running());
    EXPECT_EQ(sender_.PostMessageTo(BusTarget::ByTitle("Silent"), kGameKill, 0, 0), BusStatus::NoBus);

    // The receiving side stops with a reply still held; answering it later is harmless.
    receiver_.Stop();
    for (const BusReply& reply : silent.HeldReplies()) reply.Answer(1);
    // And both start again.
    EXPECT_EQ(receiver_.Start(), BusStatus::Ok);
    EXPECT_EQ(sender_.Start(), BusStatus::Ok);
    RecordingWindow& again = AddWindow(0x92, "Again", "", 3);
    EXPECT_EQ(sender_.SendMessageTo(BusTarget::ByTitle("Again"), kGameKill, 0, 0), std::optional<int64_t>(3));
    EXPECT_EQ(again.Events().size(), 1u);
}

TEST_F(MessageBusTest, LosingTheBusFailsCallsInsteadOfHanging) {
    DebugCapture log;
    AddWindow(0xD1, "ZuzaZoro", "", 1, RecordingWindow::Answering::Never);
    daemon_.Kill();
    EXPECT_TRUE(WaitUntil([&] {
        return sender_.PostMessageTo(BusTarget::ByTitle("ZuzaZoro"), kGameKill, 0, 0) == BusStatus::NoBus;
    }));
    uint32_t start = GetTickCount();
    BusStatus status = BusStatus::Ok;
    EXPECT_FALSE(sender_.SendMessageTo(BusTarget::ByTitle("ZuzaZoro"), kGameKill, 0, 0, 20000, &status));
    EXPECT_EQ(status, BusStatus::NoBus);
    EXPECT_LT(GetTickCount() - start, 1000u);
    // Each connection notices the lost daemon on its own; a broadcast queued just before that may
    // still leave, so the receiver is asked until it has noticed too.
    EXPECT_TRUE(WaitUntil([&] { return receiver_.Broadcast(kLightNotify, 1, 1) == BusStatus::NoBus; }));
    EXPECT_TRUE(WaitUntil([&] { return log.Contains("bus: connection of window handle 0xd1 lost"); })) << log.Text();
    EXPECT_TRUE(receiver_.UnregisterWindow(0xD1));
    receiver_.Stop();
    sender_.Stop();
}

TEST_F(MessageBusTest, CallsFromManyThreadsAllGetTheirAnswers) {
    AddWindow(0xC1, "Busy", "", 11);
    constexpr int kThreads = 6, kCalls = 40;
    std::atomic<int> answered{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < kThreads; ++t)
        callers.emplace_back([&] {
            for (int i = 0; i < kCalls; ++i)
                if (sender_.SendMessageTo(BusTarget::ByTitle("Busy"), kGameKill, 0, i) == std::optional<int64_t>(11))
                    answered.fetch_add(1);
        });
    for (auto& caller : callers) caller.join();
    EXPECT_EQ(answered.load(), kThreads * kCalls);
}

}  // namespace
