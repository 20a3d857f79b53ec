#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "device/hid/EmulatorBackend.h"
#include "device/hid/EmulatorHello.h"
#include "device/hid/HidInterface.h"
#include "tests/device/hid/TestDescriptors.h"
#include "tests/device/hid/TestEmulatorServer.h"
#include "tests/device/hid/TestTempDir.h"

namespace fs = std::filesystem;

namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

std::string HelloFor(const std::vector<uint8_t>& descriptor, int pid = 0x5062) {
    return "{\"vid\":31329,\"pid\":" + std::to_string(pid) +
           ",\"version\":261,\"interface\":1,\"name\":\"T5K1\",\"descriptor\":\"" + Hex(descriptor) + "\"}";
}

class EmulatorBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Short names: a Unix socket path holds at most 107 characters.
        static int serial = 0;
        dir_ = TestTempDir("emu" + std::to_string(++serial));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        setenv("ZORV_HID_EMULATOR_DIR", dir_.c_str(), 1);
        ASSERT_LT(SocketPath("receiver.sock").size(), sizeof(sockaddr_un::sun_path)) << "build folder too deep";
    }
    void TearDown() override {
        unsetenv("ZORV_HID_EMULATOR_DIR");
        fs::remove_all(dir_);
    }

    std::string SocketPath(const std::string& name) const { return (dir_ / name).string(); }

    static std::vector<std::string> EmulatedPaths() {
        CHidInterface record;
        record.EnumeratePaths();
        std::vector<std::string> paths;
        while (const char* path = record.NextPath()) {
            if (std::string(path).rfind("emu:", 0) == 0) paths.push_back(path);
        }
        return paths;
    }

    fs::path dir_;
};

TEST_F(EmulatorBackendTest, EnumeratesOnePathPerTopLevelCollection) {
    TestEmulatorServer receiver(SocketPath("a-receiver.sock"), HelloFor(testdesc::Receiver()));
    TestEmulatorServer mouse(SocketPath("b-mouse.sock"), HelloFor(testdesc::kBootMouse, 0x5085));
    ASSERT_TRUE(receiver.Bound());
    std::ofstream(SocketPath("c-not-a-socket.sock")) << "x";
    TestEmulatorServer otherName(SocketPath("d-ignored.socket"), HelloFor(testdesc::kBootMouse));

    const std::string prefix = "emu:" + receiver.Path() + "#vid_7a61&pid_5062&mi_01";
    const std::vector<std::string> expected = {
        prefix + "&col01", prefix + "&col02", prefix + "&col03", prefix + "&col04",
        "emu:" + mouse.Path() + "#vid_7a61&pid_5085&mi_01",
    };
    EXPECT_EQ(EmulatedPaths(), expected);
}

TEST_F(EmulatorBackendTest, RepeatedScansReuseTheHelloUntilTheSocketChanges) {
    auto server = std::make_unique<TestEmulatorServer>(SocketPath("kb.sock"), HelloFor(testdesc::kBootMouse));
    ASSERT_EQ(EmulatedPaths().size(), 1u);
    for (int i = 0; i < 5; ++i) EmulatedPaths();
    // Each scan builds a fresh record, but the backend's cache outlives them.
    EXPECT_EQ(server->Accepted(), 1);

    server.reset();  // unplugged: the socket file is gone
    EXPECT_TRUE(EmulatedPaths().empty());
    TestEmulatorServer replugged(SocketPath("kb.sock"), HelloFor(testdesc::kBootMouse, 0x5086));
    const std::vector<std::string> paths = EmulatedPaths();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(ParsePid(paths[0]), 0x5086);
}

TEST_F(EmulatorBackendTest, ReadsKeepOnlyReportsOfTheOpenedCollection) {
    TestEmulatorServer server(SocketPath("recv.sock"), HelloFor(testdesc::Receiver()));
    const std::string vendorPath = "emu:" + server.Path() + "#vid_7a61&pid_5062&mi_01&col04";
    CHidInterface record;
    ASSERT_EQ(record.Open(vendorPath, 1, 1, 1, 0), 1);
    EXPECT_EQ(record.Capabilities.UsagePage, 0xFF1C);
    EXPECT_EQ(record.Attributes.VersionNumber, 261);
    server.WaitForClients(1);

    server.SendInput({0x03, 0xE9, 0x00});  // consumer collection: not ours
    std::vector<uint8_t> reply(64, 0);
    reply[0] = 0x04;
    reply[1] = 0x06;
    server.SendInput(reply);
    uint8_t buffer[64] = {};
    uint32_t read = 0;
    ASSERT_EQ(record.ReadReport(buffer, sizeof buffer, &read, 2000), 1);
    EXPECT_EQ(read, 64u);
    EXPECT_EQ(buffer[0], 0x04);
    EXPECT_EQ(buffer[1], 0x06);

    std::vector<uint8_t> request(64, 0);
    request[0] = 0x04;
    request[1] = 0x01;
    uint32_t written = 0;
    ASSERT_EQ(record.WriteReport(request.data(), 64, &written, 1000), 1);
    EXPECT_EQ(written, 64u);
    for (int i = 0; i < 2000 && server.Received().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(server.Received(), std::vector<std::vector<uint8_t>>{request});
}

TEST_F(EmulatorBackendTest, PeerClosingMidReadFailsTransfersAtOnce) {
    TestEmulatorServer server(SocketPath("gone.sock"), HelloFor(testdesc::kConsumerControl));
    CHidInterface record;
    ASSERT_EQ(record.Open("emu:" + server.Path() + "#vid_7a61&pid_5062&mi_01", 1, 1, 1, 0), 1);
    server.WaitForClients(1);
    std::atomic<int> result{-1};
    std::thread reader([&] {
        uint8_t buffer[8];
        result = record.ReadReport(buffer, sizeof buffer, nullptr, INFINITE);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    server.DisconnectClients();
    reader.join();
    EXPECT_EQ(result, 0);
    uint8_t buffer[8] = {0x03};
    EXPECT_EQ(record.ReadReport(buffer, sizeof buffer, nullptr, INFINITE), 0);
    EXPECT_EQ(record.WriteReport(buffer, sizeof buffer, nullptr, INFINITE), 0);
    EXPECT_TRUE(record.IsOpen());  // the owner closes it
}

TEST_F(EmulatorBackendTest, CloseWakesAReadOnAnEmulatedDevice) {
    TestEmulatorServer server(SocketPath("quiet.sock"), HelloFor(testdesc::kConsumerControl));
    CHidInterface record;
    ASSERT_EQ(record.Open("emu:" + server.Path() + "#vid_7a61&pid_5062&mi_01", 1, 1, 1, 0), 1);
    std::atomic<int> result{-1};
    std::thread reader([&] {
        result = record.ReadReport(record.InputReport.data(), static_cast<uint32_t>(record.InputReport.size()),
                                   nullptr, INFINITE);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    record.Close();
    reader.join();
    EXPECT_EQ(result, 0);
}

TEST_F(EmulatorBackendTest, ProbeSucceedsWhileTheSocketAccepts) {
    auto server = std::make_unique<TestEmulatorServer>(SocketPath("probe.sock"), HelloFor(testdesc::Receiver()));
    const std::string path = "emu:" + server->Path() + "#vid_7a61&pid_5062&mi_01&col03";
    CHidInterface record;
    ASSERT_EQ(record.Open(path, 0, 0, 0, 0), 1);
    EXPECT_EQ(record.Capabilities.UsagePage, 0x0C);
    uint8_t buffer[4] = {0x03};
    EXPECT_EQ(record.ReadReport(buffer, sizeof buffer, nullptr, 10), 0);  // a probe moves no reports
    EXPECT_EQ(record.Open("emu:" + server->Path() + "#vid_7a61&pid_5062&mi_01&col05", 0, 0, 0, 0), 0);
    server.reset();
    EXPECT_EQ(record.Open(path, 0, 0, 0, 0), 0);
}

TEST_F(EmulatorBackendTest, ABrokenHelloHidesTheDevice) {
    TestEmulatorServer server(SocketPath("broken.sock"), "{\"vid\":\"x\"}");
    EXPECT_TRUE(EmulatedPaths().empty());
    CHidInterface record;
    EXPECT_EQ(record.Open("emu:" + server.Path() + "#vid_7a61&pid_5062&mi_01", 1, 1, 1, 0), 0);
}

TEST(EmulatorHello, ParsesValidAndRefusesInvalidHellos) {
    struct HelloCase {
        const char* text;
        bool ok;
    };
    const HelloCase cases[] = {
        {R"({"vid":31329,"pid":20578,"version":261,"interface":1,"name":"T5K1","descriptor":"05 01 09 06"})", true},
        {R"({"vid":1,"pid":2,"descriptor":"A1"})", true},
        {R"({"pid":2,"descriptor":"a1"})", false},
        {R"({"vid":65536,"pid":2,"descriptor":"a1"})", false},
        {R"({"vid":-1,"pid":2,"descriptor":"a1"})", false},
        {R"({"vid":1,"pid":2,"descriptor":"a"})", false},
        {R"({"vid":1,"pid":2,"descriptor":"zz"})", false},
        {R"({"vid":1,"pid":2,"descriptor":7})", false},
        {R"({"vid":1,"pid":2,"name":5,"descriptor":"a1"})", false},
        {R"([1,2])", false},
        {"not json", false},
        {"", false},
    };
    // A hello nested deeper than the JSON reader's limit is refused, not thrown.
    const std::string deep = R"({"vid":1,"pid":2,"descriptor":"a1","x":)" + std::string(5000, '[');
    EmulatorHello deepHello;
    std::string deepError;
    EXPECT_FALSE(ParseEmulatorHello(deep, deepHello, deepError));
    EXPECT_EQ(deepError, "hello is not a JSON object");
    for (const HelloCase& c : cases) {
        SCOPED_TRACE(c.text);
        EmulatorHello hello;
        std::string error;
        EXPECT_EQ(ParseEmulatorHello(c.text, hello, error), c.ok);
        EXPECT_EQ(error.empty(), c.ok);
    }
    EmulatorHello hello;
    std::string error;
    ASSERT_TRUE(ParseEmulatorHello(cases[0].text, hello, error));
    EXPECT_EQ(hello.info.vendorId, 0x7A61);
    EXPECT_EQ(hello.info.productId, 0x5062);
    EXPECT_EQ(hello.info.version, 0x0105);
    EXPECT_EQ(hello.info.interfaceNumber, 1);
    EXPECT_EQ(hello.name, "T5K1");
    EXPECT_EQ(hello.info.reportDescriptor, (std::vector<uint8_t>{0x05, 0x01, 0x09, 0x06}));
}

TEST(EmulatorDirectory, FollowsTheEnvironment) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedRuntime = runtime ? runtime : "";
    setenv("ZORV_HID_EMULATOR_DIR", "/x/emu", 1);
    EXPECT_EQ(EmulatorDirectory(), "/x/emu");
    unsetenv("ZORV_HID_EMULATOR_DIR");
    setenv("XDG_RUNTIME_DIR", "/run/user/5", 1);
    EXPECT_EQ(EmulatorDirectory(), "/run/user/5/zorv-hid");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(EmulatorDirectory(), "/tmp/zorv-hid-" + std::to_string(getuid()));
    if (runtime) setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}

}  // namespace
