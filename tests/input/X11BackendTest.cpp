// The X11 backend on the session's X server: keys and buttons injected with XTest reach the sink
// from the backend's thread, with and without the key grab, and the grab can be switched while the
// thread runs. Skips without an X server with XInput 2.2.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "input/InputBackend.h"

// Last: Xlib defines names the other headers use.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

constexpr unsigned kXKeycodeOffset = 8;

class Sink : public IInputSink {
public:
    void OnKey(const CapturedKey& key) override {
        std::lock_guard<std::mutex> guard(lock_);
        keys_.push_back(key);
    }
    void OnButton(const CapturedButton& button) override {
        std::lock_guard<std::mutex> guard(lock_);
        buttons_.push_back(button);
    }
    std::vector<CapturedKey> Keys() {
        std::lock_guard<std::mutex> guard(lock_);
        return keys_;
    }
    std::vector<CapturedButton> Buttons() {
        std::lock_guard<std::mutex> guard(lock_);
        return buttons_;
    }
    bool WaitKeys(size_t count) {
        for (int i = 0; i < 300; ++i) {
            if (Keys().size() >= count) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    std::mutex lock_;
    std::vector<CapturedKey> keys_;
    std::vector<CapturedButton> buttons_;
};

class X11BackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) GTEST_SKIP() << "no X display (run under xvfb-run)";
        injector_ = XOpenDisplay(nullptr);
        if (!injector_) GTEST_SKIP() << "the X display cannot be opened";
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(injector_, &event, &error, &major, &minor)) GTEST_SKIP() << "the X server has no XTest";
        backend_ = MakeX11InputBackend();
        std::string reason;
        if (!backend_->Open(sink_, reason)) GTEST_SKIP() << "the X11 backend cannot capture here: " << reason;
    }
    void TearDown() override {
        if (backend_) backend_->Close();
        if (injector_) XCloseDisplay(injector_);
    }
    void Tap(unsigned linuxKey) {
        XTestFakeKeyEvent(injector_, linuxKey + kXKeycodeOffset, True, CurrentTime);
        XTestFakeKeyEvent(injector_, linuxKey + kXKeycodeOffset, False, CurrentTime);
        XSync(injector_, False);
    }

    Display* injector_ = nullptr;
    Sink sink_;
    std::unique_ptr<IInputBackend> backend_;
};

TEST_F(X11BackendTest, KeysArriveWithAndWithoutTheGrab) {
    Tap(KEY_Q);
    ASSERT_TRUE(sink_.WaitKeys(2));
    std::string error;
    ASSERT_TRUE(backend_->SetKeyGrab(true, error));
    Tap(KEY_W);
    Tap(KEY_CAPSLOCK);
    ASSERT_TRUE(sink_.WaitKeys(6));
    ASSERT_TRUE(backend_->SetKeyGrab(false, error));
    Tap(KEY_CAPSLOCK);  // back as it was
    Tap(KEY_E);
    ASSERT_TRUE(sink_.WaitKeys(10));
    std::vector<std::string> got;
    for (const CapturedKey& key : sink_.Keys()) got.push_back(std::to_string(key.linuxKey) + (key.down ? "+" : "-"));
    const std::vector<std::string> expected{"16+", "16-", "17+", "17-", "58+", "58-", "58+", "58-", "18+", "18-"};
    EXPECT_EQ(got, expected);
}

TEST_F(X11BackendTest, ButtonsArriveWithThePointerPosition) {
    XTestFakeMotionEvent(injector_, -1, 321, 123, CurrentTime);
    XTestFakeButtonEvent(injector_, 3, True, CurrentTime);
    XTestFakeButtonEvent(injector_, 3, False, CurrentTime);
    XTestFakeButtonEvent(injector_, 8, True, CurrentTime);
    XTestFakeButtonEvent(injector_, 8, False, CurrentTime);
    XSync(injector_, False);
    for (int i = 0; i < 300 && sink_.Buttons().size() < 4; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::vector<CapturedButton> buttons = sink_.Buttons();
    ASSERT_EQ(buttons.size(), 4u);
    EXPECT_EQ(buttons[0].button, MouseButton::Right);
    EXPECT_TRUE(buttons[0].down);
    EXPECT_EQ(buttons[0].pt.x, 321);
    EXPECT_EQ(buttons[0].pt.y, 123);
    EXPECT_EQ(buttons[2].button, MouseButton::Back);
    EXPECT_FALSE(buttons[3].down);
}

// The grab switched on and off from this thread while the backend's thread drains events.
TEST_F(X11BackendTest, GrabSwitchesWhileEventsFlow) {
    std::string error;
    for (int i = 0; i < 5; ++i) {
        Tap(KEY_A);
        ASSERT_TRUE(backend_->SetKeyGrab(i % 2 == 0, error));
    }
    ASSERT_TRUE(backend_->SetKeyGrab(false, error));
    Tap(KEY_B);
    ASSERT_TRUE(sink_.WaitKeys(2));
    backend_->Close();
    backend_.reset();
}

}  // namespace
