// The evdev backend's decoding and grab choice on recorded event streams and in-memory devices;
// the backend itself against uinput nodes where the machine lets us create them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "input/EvdevDecoder.h"
#include "input/InputBackend.h"

namespace {

input_event Ev(uint16_t type, uint16_t code, int32_t value, long ms = 0) {
    input_event e{};
    e.input_event_sec = ms / 1000;
    e.input_event_usec = (ms % 1000) * 1000;
    e.type = type;
    e.code = code;
    e.value = value;
    return e;
}

// Recorded from a keyboard: A held long enough to repeat, then Shift+B; scan code events (EV_MSC)
// and reports (EV_SYN) between them.
const std::vector<input_event> kTypingStream = {
    Ev(EV_MSC, MSC_SCAN, 0x70004, 0), Ev(EV_KEY, KEY_A, 1, 0),       Ev(EV_SYN, SYN_REPORT, 0, 0),
    Ev(EV_KEY, KEY_A, 2, 500),        Ev(EV_SYN, SYN_REPORT, 0, 500), Ev(EV_KEY, KEY_A, 2, 533),
    Ev(EV_MSC, MSC_SCAN, 0x70004, 610), Ev(EV_KEY, KEY_A, 0, 610),   Ev(EV_SYN, SYN_REPORT, 0, 610),
    Ev(EV_KEY, KEY_LEFTSHIFT, 1, 700), Ev(EV_KEY, KEY_B, 1, 720),     Ev(EV_KEY, KEY_B, 0, 790),
    Ev(EV_KEY, KEY_LEFTSHIFT, 0, 800), Ev(EV_LED, LED_CAPSL, 1, 810),
};

// Recorded from a mouse: motion, a left click, the side buttons, a wheel step.
const std::vector<input_event> kPointerStream = {
    Ev(EV_REL, REL_X, 5, 0),       Ev(EV_SYN, SYN_REPORT, 0, 0), Ev(EV_KEY, BTN_LEFT, 1, 10),
    Ev(EV_KEY, BTN_LEFT, 0, 90),   Ev(EV_KEY, BTN_SIDE, 1, 200), Ev(EV_KEY, BTN_SIDE, 0, 260),
    Ev(EV_KEY, BTN_EXTRA, 1, 300), Ev(EV_KEY, BTN_EXTRA, 0, 340), Ev(EV_REL, REL_WHEEL, -1, 400),
    Ev(EV_KEY, BTN_TOUCH, 1, 500),
};

TEST(EvdevDecoder, KeysOfARecordedStream) {
    CEvdevDecoder decoder;
    std::vector<std::string> got;
    for (const input_event& e : kTypingStream) {
        const DecodedInput decoded = decoder.Decode(e);
        if (const auto* key = std::get_if<CapturedKey>(&decoded))
            got.push_back(std::to_string(key->linuxKey) + (key->down ? (key->repeat ? " repeat" : " down") : " up") + " @" +
                          std::to_string(key->timeMs));
        EXPECT_FALSE(std::holds_alternative<CapturedButton>(decoded));
    }
    const std::vector<std::string> expected{
        "30 down @0",  "30 repeat @500", "30 repeat @533", "30 up @610",
        "42 down @700", "48 down @720",  "48 up @790",     "42 up @800",
    };
    EXPECT_EQ(got, expected);
}

TEST(EvdevDecoder, ButtonsOfARecordedStreamAtThePointer) {
    CEvdevDecoder decoder([] { return DuiLib::POINT{640, 360}; });
    std::vector<std::string> got;
    for (const input_event& e : kPointerStream) {
        const DecodedInput decoded = decoder.Decode(e);
        if (const auto* button = std::get_if<CapturedButton>(&decoded)) {
            got.push_back(std::to_string(static_cast<int>(button->button)) + (button->down ? " down" : " up"));
            EXPECT_EQ(button->pt.x, 640);
            EXPECT_EQ(button->pt.y, 360);
        }
        EXPECT_FALSE(std::holds_alternative<CapturedKey>(decoded)) << e.code;
    }
    const std::vector<std::string> expected{"0 down", "0 up", "3 down", "3 up", "4 down", "4 up"};
    EXPECT_EQ(got, expected);
}

struct NodeCase {
    const char* name;
    std::vector<std::pair<unsigned, unsigned>> codes;
    bool keyboard;
    bool pointer;
};

TEST(EvdevDecoder, OnlyKeyboardsAreGrabbed) {
    const NodeCase cases[] = {
        {"full keyboard", {{EV_KEY, KEY_A}, {EV_KEY, KEY_Z}, {EV_KEY, KEY_SPACE}, {EV_KEY, KEY_LEFTSHIFT}}, true, false},
        {"mouse", {{EV_KEY, BTN_LEFT}, {EV_KEY, BTN_RIGHT}, {EV_REL, REL_X}}, false, true},
        {"power button", {{EV_KEY, KEY_POWER}}, false, false},
        {"consumer keys", {{EV_KEY, KEY_VOLUMEUP}, {EV_KEY, KEY_MUTE}}, false, false},
        {"keyboard with touchpad", {{EV_KEY, KEY_A}, {EV_KEY, KEY_Z}, {EV_KEY, KEY_SPACE}, {EV_KEY, BTN_LEFT}}, true, true},
    };
    for (const NodeCase& c : cases) {
        libevdev* device = libevdev_new();
        for (const auto& [type, code] : c.codes) libevdev_enable_event_code(device, type, code, nullptr);
        EXPECT_EQ(IsKeyboardNode(device), c.keyboard) << c.name;
        EXPECT_EQ(IsPointerNode(device), c.pointer) << c.name;
        libevdev_free(device);
    }
}

class Sink : public IInputSink {
public:
    void OnKey(const CapturedKey& key) override {
        std::lock_guard<std::mutex> guard(lock);
        keys.push_back(key);
    }
    void OnButton(const CapturedButton&) override {}
    size_t Count() {
        std::lock_guard<std::mutex> guard(lock);
        return keys.size();
    }
    std::mutex lock;
    std::vector<CapturedKey> keys;
};

// A keyboard made with uinput: its events reach the backend, and while the backend grabs it no
// other reader of the node sees them.
TEST(EvdevBackend, UinputKeyboardIsReadAndGrabbed) {
    const int uinputFd = open("/dev/uinput", O_RDWR | O_CLOEXEC);
    if (uinputFd < 0) GTEST_SKIP() << "/dev/uinput cannot be opened here (" << strerror(errno) << "); the backend is covered by the recorded streams";
    libevdev* prototype = libevdev_new();
    libevdev_set_name(prototype, "zorv test keyboard");
    for (unsigned code : {KEY_A, KEY_Z, KEY_SPACE, KEY_B}) libevdev_enable_event_code(prototype, EV_KEY, code, nullptr);
    libevdev_uinput* uinput = nullptr;
    ASSERT_EQ(libevdev_uinput_create_from_device(prototype, uinputFd, &uinput), 0);
    const char* node = libevdev_uinput_get_devnode(uinput);
    ASSERT_NE(node, nullptr);
    const std::string path(node);
    const std::string folder = path.substr(0, path.rfind('/'));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // udev makes the node readable

    Sink sink;
    auto backend = MakeEvdevInputBackend({}, folder);
    std::string error;
    if (!backend->Open(sink, error)) {
        libevdev_uinput_destroy(uinput);
        libevdev_free(prototype);
        close(uinputFd);
        GTEST_SKIP() << "the uinput node is not readable by this user: " << error;
    }
    ASSERT_TRUE(backend->SetKeyGrab(true, error)) << error;
    const int other = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    libevdev_uinput_write_event(uinput, EV_KEY, KEY_B, 1);
    libevdev_uinput_write_event(uinput, EV_SYN, SYN_REPORT, 0);
    libevdev_uinput_write_event(uinput, EV_KEY, KEY_B, 0);
    libevdev_uinput_write_event(uinput, EV_SYN, SYN_REPORT, 0);
    for (int i = 0; i < 100 && sink.Count() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GE(sink.Count(), 2u);
    EXPECT_EQ(sink.keys[0].linuxKey, KEY_B);
    if (other >= 0) {
        input_event e{};
        EXPECT_LT(read(other, &e, sizeof e), 0) << "a grabbed keyboard's key reached another reader";
        close(other);
    }
    backend->Close();
    libevdev_uinput_destroy(uinput);
    libevdev_free(prototype);
    close(uinputFd);
}

}  // namespace
