// Device events through the event record reach the engine on the UI thread.
#include <sys/syscall.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <atomic>
#include <fstream>

#include "device/hid/HidTransport.h"
#include "platform/DebugOutput.h"
#include "tests/engines/keyboard/KeyboardEngineFixture.h"

using namespace kbtest;

namespace {

// The emulator's interfaces under the scheme "counted": every read is counted, and the thread
// that reads is remembered, so that a test can see how often a listener wakes up.
class CountingBackend : public IHidBackend {
public:
    std::string Scheme() const override { return "counted"; }
    void Enumerate(std::vector<std::string>&) override {}
    std::shared_ptr<IHidTransport> Open(const std::string& path, bool read, bool write) override {
        for (const auto& backend : HidBackends()) {
            if (backend->Scheme() != "emu") continue;
            auto inner = backend->Open("emu" + path.substr(path.find(':')), read, write);
            return inner ? std::make_shared<Transport>(std::move(inner), *this) : nullptr;
        }
        return nullptr;
    }
    std::atomic<int> reads{0};
    std::atomic<pid_t> reader{0};

private:
    class Transport : public IHidTransport {
    public:
        Transport(std::shared_ptr<IHidTransport> inner, CountingBackend& owner) : inner_(std::move(inner)), owner_(owner) {}
        const HidInterfaceInfo& Info() const override { return inner_->Info(); }
        int Collection() const override { return inner_->Collection(); }
        HidIoResult Read(uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs,
                         Event& abort) override {
            owner_.reader.store(static_cast<pid_t>(syscall(SYS_gettid)));
            owner_.reads.fetch_add(1);
            return inner_->Read(buffer, length, transferred, timeoutMs, abort);
        }
        HidIoResult Write(const uint8_t* buffer, uint32_t length, uint32_t& transferred, uint32_t timeoutMs,
                          Event& abort) override {
            return inner_->Write(buffer, length, transferred, timeoutMs, abort);
        }

    private:
        std::shared_ptr<IHidTransport> inner_;
        CountingBackend& owner_;
    };
};

// How many times a thread of this process went to sleep of its own accord.
long SleepsOf(pid_t thread) {
    std::ifstream status("/proc/self/task/" + std::to_string(thread) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(line.find(':') + 1));
    return -1;
}

std::array<uint32_t, 4> EffectWords(uint8_t effect) {
    LightInfoRecord light;
    light.SelectItem = effect;
    light.Light = 4;
    light.Speed = 2;
    const auto w = light.ToWords();
    return {w.w0, w.w1, w.w2, w.w3};
}

}  // namespace

TEST_F(KeyboardEngineTest, EventsBecomeWorkOnTheUiThread) {
    Connect();
    engine_->OnConnected();
    ASSERT_EQ(engine_->AttachEventRecord(EventPath(), 1), 1);
    const std::thread::id ui = std::this_thread::get_id();

    ASSERT_TRUE(keyboard_->SendEvent(0x0401));
    ASSERT_TRUE(PumpUntil([&] { return entry_.Started(kTimerReloadLighting); }));
    ASSERT_TRUE(keyboard_->SendEvent(0x0402));
    ASSERT_TRUE(PumpUntil([&] { return entry_.Started(kTimerSecondSync); }));
    for (const StartedTimer& timer : entry_.timers) {
        EXPECT_EQ(timer.thread, ui);
        EXPECT_EQ(timer.ms, 50u);
    }

    ASSERT_TRUE(keyboard_->SendEvent(0x1002));
    EXPECT_TRUE(PumpUntil([&] { return engine_->WorkingProfile() == 2; }));

    // Key reactions of effect 7 remember the last key state.
    LightInfoRecord glow = engine_->Profile().GetLightInfo();
    glow.SelectItem = 7;
    const auto w = glow.ToWords();
    engine_->SetLightState({w.w0, w.w1, w.w2, w.w3});
    const int key = 64;
    const int position = engine_->KeyToPosition().at(key);
    ASSERT_TRUE(keyboard_->PressKey(position));
    EXPECT_TRUE(PumpUntil([&] { return engine_->KeyboardRenderer().ReactionState(key) == 1; }));
    ASSERT_TRUE(keyboard_->ReleaseKey(position));
    EXPECT_TRUE(PumpUntil([&] { return engine_->KeyboardRenderer().ReactionState(key) == 2; }));
}

TEST_F(KeyboardEngineTest, ListenersStopWithinTheirTimeOut) {
    Connect();
    ASSERT_EQ(engine_->AttachEventRecord(EventPath(), 1), 1);
    ASSERT_EQ(engine_->ReattachEventRecord(EventPath(), 1), 1);
    DebugCapture debug;
    QElapsedTimer clock;
    clock.start();
    engine_->DetachEventRecord(1);
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_TRUE(debug.Contains("线程退出：：对象处于激发状态\n"));
    EXPECT_TRUE(debug.Contains(kListenerExitLine));
    EXPECT_FALSE(engine_->EventChannel().PrimaryRecord().IsOpen());
}

TEST_F(KeyboardEngineTest, ProfileEventsAreIgnoredWhileDisconnected) {
    Connect();
    engine_->OnConnected();
    ASSERT_EQ(engine_->AttachEventRecord(EventPath(), 1), 1);
    engine_->CommandChannel().SetConnected(false);
    ASSERT_TRUE(keyboard_->SendEvent(0x1003));
    ASSERT_TRUE(keyboard_->SendEvent(0x0401));
    ASSERT_TRUE(PumpUntil([&] { return entry_.Started(kTimerReloadLighting); }));
    EXPECT_NE(engine_->WorkingProfile(), 3);
}

// A listener sleeps in its read while the keyboard is quiet; while frames stream (and the keyboard
// answers each of them on the same interface) it takes what came in at a pace instead of waking for
// every answer; a keyboard that is gone does not make it spin. Events still arrive in every state.
TEST_F(KeyboardEngineTest, ListenersWakeOnlyForWhatTheyRead) {
    auto counting = std::make_shared<CountingBackend>();
    RegisterHidBackend(counting);
    Connect();
    engine_->OnConnected();
    const std::string path = "counted" + EventPath().substr(EventPath().find(':'));
    ASSERT_EQ(engine_->AttachEventRecord(path, 1), 1);
    ASSERT_TRUE(PumpUntil([&] { return counting->reads.load() > 0; }));
    const pid_t listener = counting->reader.load();
    ASSERT_GT(SleepsOf(listener), -1);
    const struct {
        const char* state;
        uint8_t effect;
        long mostSleeps;  // over the 500 ms looked at
        int leastReads, mostReads;
    } cases[] = {
        {"quiet, static effect", 6, 5, 0, 2},
        // About 1200 answers a second stream past; a listener woken by each sleeps hundreds of
        // times, one that takes them at its pace reads about 50 times.
        {"streaming effect 26", 26, 100, 10, 100},
    };
    uint8_t profile = 2;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        engine_->SetLightState(EffectWords(c.effect));
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // the listener saw the change
        const long before = SleepsOf(listener);
        const int readsBefore = counting->reads.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const long sleeps = SleepsOf(listener) - before;
        const int reads = counting->reads.load() - readsBefore;
        std::printf("%s: listener slept %ld times and read %d times in 500 ms\n", c.state, sleeps, reads);
        EXPECT_LE(sleeps, c.mostSleeps);
        EXPECT_GE(reads, c.leastReads);
        EXPECT_LE(reads, c.mostReads);
        ASSERT_TRUE(keyboard_->SendEvent(0x1000 + profile));
        EXPECT_TRUE(PumpUntil([&] { return engine_->WorkingProfile() == profile; }));
        ++profile;
    }
    engine_->SetLightState(EffectWords(6));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // Gone: every read fails at once, and the listener waits longer and longer between tries.
    ASSERT_TRUE(keyboard_->Unplug());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int readsBefore = counting->reads.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_LE(counting->reads.load() - readsBefore, 8);
    DebugCapture debug;
    engine_->DetachEventRecord(1);
    EXPECT_TRUE(debug.Contains("线程退出：：对象处于激发状态\n"));
    UnregisterHidBackend("counted");
}
