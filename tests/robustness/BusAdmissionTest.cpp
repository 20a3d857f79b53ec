// What reaches a window from other programs: only the documented messages with arguments in range,
// and from one sender no more than its share, however fast it sends.
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/bus/BusAdmission.h"
#include "platform/bus/BusFloodGate.h"
#include "platform/bus/KnownMessages.h"
#include "platform/bus/MessageBus.h"
#include "tests/platform/bus/PrivateSessionBus.h"
#include "tests/platform/bus/RecordingWindow.h"
#include "tests/robustness/BusFlood.h"

namespace {

TEST(BusAdmissionRanges, ArgumentsOutsideTheirRowAreRefused) {
    const struct {
        const char* name;
        uint64_t w;
        int64_t l;
        bool admitted;
    } cases[] = {
        {"Game_Kill", 0, 0, true},
        {"Game_Kill", 2, kMaxLightingEffectIndex, true},
        {"Game_Kill", 3, 0, false},
        {"Game_Start", 1, -1, false},
        {"Game_Death", 0, kMaxLightingEffectIndex + 1, false},
        {"Game_End", UINT64_MAX, INT64_MIN, false},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", 1, 0, true},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", 1, 2, false},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", 0, 1, false},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF16}", 1, 1, true},
        {"Zorv Wired Manager 1.0", 0, 1, true},
        {"Zorv Wired Manager 1.0", 7, 1, false},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBE19}", 5, 0x36a500000001, true},
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBE19}", 6, 0, false},
        // Rows without ranges take anything.
        {"{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", UINT64_MAX, INT64_MIN, true},
        {"UWM_MOUSEMOVE_USER_MSG", UINT64_MAX, INT64_MAX, true},
        // The name decides first.
        {"WM_HOOK_KEY_KBMACRO_MSG", 0, 0, false},
        {"game_kill", 0, 0, false},
    };
    for (const auto& c : cases) {
        const char* why = RefusalOfMessage(c.name, c.w, c.l);
        EXPECT_EQ(why == nullptr, c.admitted) << c.name << " " << c.w << " " << c.l << ": " << (why ? why : "");
    }
}

TEST(BusAdmissionRanges, OnlyDocumentedDataIdsAreAdmitted) {
    for (const auto& known : kKnownCopyData) EXPECT_EQ(RefusalOfCopyData(known.dataId, known.size), nullptr);
    EXPECT_STREQ(RefusalOfCopyData(3, 4), "not a documented data id");
    EXPECT_STREQ(RefusalOfCopyData(UINT64_MAX, 0), "not a documented data id");
    EXPECT_NE(RefusalOfCopyData(1, kMaxCopyDataBytes + 1), nullptr);
}

TEST(BusFloodGate, OneSenderGetsItsBurstThenItsRate) {
    BusFloodGate gate;
    const uint64_t t0 = 1'000'000;
    int admitted = 0;
    for (int i = 0; i < 5000; ++i) admitted += gate.Admit(":1.5", t0).admitted;
    EXPECT_EQ(admitted, static_cast<int>(BusFloodGate::kBurst));

    // The first refusal is reported, the rest only counted; the next admission tells how many.
    BusFloodGate::Verdict refused = gate.Admit(":1.5", t0);
    EXPECT_FALSE(refused.admitted);
    EXPECT_FALSE(refused.firstRefusal);
    // Another sender is not touched by the first one's flood.
    EXPECT_TRUE(gate.Admit(":1.6", t0).admitted);

    // Half a second later, half a second's worth comes back.
    admitted = 0;
    BusFloodGate::Verdict first = gate.Admit(":1.5", t0 + 500'000);
    EXPECT_TRUE(first.admitted);
    EXPECT_EQ(first.refusedBefore, 5000u - static_cast<uint64_t>(BusFloodGate::kBurst) + 1);
    admitted = 1;
    for (int i = 0; i < 1000; ++i) admitted += gate.Admit(":1.5", t0 + 500'000).admitted;
    EXPECT_EQ(admitted, static_cast<int>(BusFloodGate::kPerSecond / 2));
}

TEST(BusFloodGate, RemembersABoundedNumberOfSenders) {
    BusFloodGate gate;
    for (int i = 0; i < 10000; ++i) gate.Admit(":1." + std::to_string(i), 1000 + i);
    EXPECT_LE(gate.SendersKnown(), BusFloodGate::kMaxSenders);
}

class WindowFloodTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!daemon_.Started()) GTEST_SKIP() << "needs dbus-daemon for a private session bus";
        ASSERT_EQ(receiver_.Start(), BusStatus::Ok);
        ASSERT_EQ(sender_.Start(), BusStatus::Ok);
    }
    PrivateSessionBus daemon_;
    CMessageBus receiver_;
    CMessageBus sender_;
};

// A window that is slow to answer gathers no more than a bounded number of waiting calls, nor more
// than a bounded number of data-copy bytes.
TEST_F(WindowFloodTest, CallsWaitingForAnAnswerAreBounded) {
    const std::vector<uint8_t> mebibyte(1024 * 1024, 0x5A);
    const struct Case {
        const char* what;
        int calls;
        int held;  // the window's bound
        std::function<int(sd_bus_message*)> write;
    } cases[] = {
        {"Send", 400, 256,
         [](sd_bus_message* m) { return sd_bus_message_append(m, "stx", "Game_Kill", uint64_t{0}, int64_t{1}); }},
        {"CopyData", 30, 16,
         [&](sd_bus_message* m) {
             const int r = sd_bus_message_append(m, "tt", uint64_t{0}, uint64_t{1});
             return r < 0 ? r : sd_bus_message_append_array(m, 'y', mebibyte.data(), mebibyte.size());
         }},
    };
    uint64_t handle = 0x70;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto window = std::make_unique<RecordingWindow>(0, RecordingWindow::Answering::Never);
        ++handle;
        ASSERT_EQ(receiver_.RegisterWindow(handle, "Sluggish", "", window.get()).status, BusStatus::Ok);
        sd_bus* bus = nullptr;
        ASSERT_GE(sd_bus_open_user(&bus), 0);
        struct Tally {
            int refused = 0;
            int answered = 0;
            int replies = 0;
        } tally;
        auto onReply = [](sd_bus_message* reply, void* userdata, sd_bus_error*) -> int {
            auto* t = static_cast<Tally*>(userdata);
            ++t->replies;
            if (sd_bus_message_is_method_error(reply, "org.zorv.Error.NotAdmitted"))
                ++t->refused;
            else if (!sd_bus_message_get_error(reply))
                ++t->answered;
            return 0;
        };
        const std::string destination = BusTarget::ByTitle("Sluggish").BusName();
        auto pump = [&](const std::function<bool()>& done) {
            for (int i = 0; i < 1000 && !done(); ++i) {
                while (sd_bus_process(bus, nullptr) > 0) {}
                sd_bus_wait(bus, 10'000);
            }
        };
        for (int i = 0; i < c.calls; ++i) {
            sd_bus_message* m = nullptr;
            ASSERT_GE(sd_bus_message_new_method_call(bus, &m, destination.c_str(), "/org/zorv/Win", "org.zorv.Win1",
                                                     c.what),
                      0);
            ASSERT_GE(c.write(m), 0);
            ASSERT_GE(sd_bus_call_async(bus, nullptr, m, onReply, &tally, 30'000'000), 0);
            sd_bus_message_unref(m);
        }
        pump([&] { return tally.refused >= c.calls - c.held; });
        EXPECT_EQ(tally.refused, c.calls - c.held);
        EXPECT_EQ(tally.answered, 0);
        EXPECT_EQ(window->Events().size(), static_cast<size_t>(c.held));

        // When the window goes, none of the held callers is left waiting.
        receiver_.UnregisterWindow(handle);
        window.reset();
        pump([&] { return tally.replies >= c.calls; });
        EXPECT_EQ(tally.replies, c.calls);
        sd_bus_flush_close_unref(bus);
    }
}

// A flood from one program leaves the window's share for everyone else.
TEST_F(WindowFloodTest, AFloodingSenderDoesNotShutOutOthers) {
    RecordingWindow window;
    ASSERT_EQ(receiver_.RegisterWindow(0x72, "Busy", "", &window).status, BusStatus::Ok);
    const std::string destination = BusTarget::ByTitle("Busy").BusName();
    robustness::BusFlooder flooder(destination, "UWM_MOUSEMOVE_USER_MSG", 0, 0);
    flooder.Start(20000, 1);
    const std::optional<int64_t> answered = sender_.SendMessageTo(BusTarget::ByTitle("Busy"), "Game_End", 1, 2, 5000);
    const robustness::FloodFigures flood = flooder.Join();
    EXPECT_EQ(answered, std::optional<int64_t>(0));
    ASSERT_TRUE(window.WaitForCount(1));
    // The flooder got its burst and its rate, not all 20000.
    EXPECT_LT(window.Events().size(), 20000u);
    EXPECT_EQ(flood.sent, 20000u);
    // The window goes before the bus does: once this returns, the bus no longer calls it.
    receiver_.UnregisterWindow(0x72);
}

}  // namespace
