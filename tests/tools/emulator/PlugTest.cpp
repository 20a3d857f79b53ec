// Plugging and unplugging: the socket file is the device's presence.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "EmulatorFixture.h"

namespace {
bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}
}  // namespace

TEST_F(EmulatorTest, UnplugClosesEveryClientAndRemovesTheSocketFile) {
    auto keyboard = StartKeyboard();
    const std::string path = keyboard->SocketPath();
    RawHidClient a(path), b(path);
    ASSERT_TRUE(a.Connected() && b.Connected());

    EXPECT_TRUE(keyboard->Unplug());
    EXPECT_FALSE(keyboard->Plugged());
    EXPECT_FALSE(Exists(path));
    EXPECT_TRUE(a.WaitClosed());
    EXPECT_TRUE(b.WaitClosed());
    EXPECT_FALSE(RawHidClient(path).Connected());
    EXPECT_FALSE(keyboard->Unplug()) << "already out";

    std::string error;
    ASSERT_TRUE(keyboard->Replug(error)) << error;
    EXPECT_TRUE(Exists(path));
    RawHidClient c(path);
    ASSERT_TRUE(c.Connected());
    EXPECT_FALSE(c.Hello().empty());
    EXPECT_TRUE(c.Request(0x03, 34));
}

TEST_F(EmulatorTest, StopRemovesTheSocketFile) {
    auto keyboard = StartKeyboard();
    RawHidClient client(keyboard->SocketPath());
    keyboard->Stop();
    EXPECT_FALSE(Exists(keyboard->SocketPath()));
    EXPECT_TRUE(client.WaitClosed());
}

TEST_F(EmulatorTest, DirectoryIsPrivate) {
    auto keyboard = StartKeyboard();
    struct stat info {};
    ASSERT_EQ(stat(keyboard->Directory().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(keyboard->ControlPath().substr(keyboard->ControlPath().size() - 4), ".ctl");
}

TEST_F(EmulatorTest, AStaleSocketIsReplacedButALiveOneIsNot) {
    std::string dir = dir_.File("hid");
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    // A socket file nobody listens on, as a crashed emulator leaves it.
    int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string stale = dir + "/kbd.sock";
    std::memcpy(address.sun_path, stale.c_str(), stale.size() + 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);

    auto keyboard = StartKeyboard();
    EXPECT_TRUE(keyboard->Plugged());
    EXPECT_TRUE(RawHidClient(stale).Connected());

    EmulatorOptions same;
    same.name = "kbd";
    same.dir = dir;
    EmulatedKeyboard second(same);
    std::string error;
    EXPECT_FALSE(second.Start(error));
    EXPECT_NE(error.find("already serves"), std::string::npos) << error;
    EXPECT_TRUE(RawHidClient(stale).Connected()) << "the first keeps its socket";
}

TEST_F(EmulatorTest, UnknownProductOrNameDoesNotStart) {
    struct Case {
        uint16_t product;
        std::string name;
        const char* fragment;
    } cases[] = {{0x1234, "kbd", "not emulated"}, {0x5062, "../evil", "invalid emulator name"}};
    for (const Case& c : cases) {
        EmulatorOptions options;
        options.productId = c.product;
        options.name = c.name;
        options.dir = dir_.File("hid");
        EmulatedKeyboard keyboard(options);
        std::string error;
        EXPECT_FALSE(keyboard.Start(error));
        EXPECT_NE(error.find(c.fragment), std::string::npos) << error;
        EXPECT_FALSE(keyboard.SendEvent(0x0401));
    }
}
