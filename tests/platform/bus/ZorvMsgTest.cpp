// zorv-msg end to end: the real program against a private session bus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/bus/MessageBus.h"
#include "tests/platform/bus/ChildProcess.h"
#include "tests/platform/bus/PrivateSessionBus.h"
#include "tests/platform/bus/RecordingWindow.h"

namespace {

std::vector<std::string> Msg(std::vector<std::string> args) {
    args.insert(args.begin(), ZORV_MSG_PATH);
    return args;
}

ProcessResult RunMsg(std::vector<std::string> args) { return RunProcess(Msg(std::move(args))); }

class ZorvMsgTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(daemon_.Started()); }

    // zorv-msg listen, once it has registered its window.
    std::unique_ptr<BackgroundProcess> Listen(std::vector<std::string> options) {
        options.insert(options.begin(), "listen");
        auto listener = std::make_unique<BackgroundProcess>(Msg(options));
        EXPECT_NE(listener->WaitForLine("listening handle=0x"), "") << listener->Output();
        return listener;
    }

    PrivateSessionBus daemon_;
};

TEST_F(ZorvMsgTest, ListenPrintsWhatPostSendCopyDataAndBroadcastDeliver) {
    auto listener = Listen({"--title", "ZuzaZoro", "--class", "ServiceTool", "--answer", "7", "--count", "6"});

    EXPECT_EQ(RunMsg({"post", "--title", "ZuzaZoro", "UWM_MOUSEMOVE_USER_MSG", "1", "-5"}).exitCode, 0);
    ProcessResult sent = RunMsg({"send", "--class", "ServiceTool", "Game_Kill", "0x2", "3"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_EQ(sent.out, "7\n");
    ProcessResult copied = RunMsg({"copydata", "--title", "ZuzaZoro", "--id", "5", "--sender", "0x1f", "--hex", "0102ff"});
    EXPECT_EQ(copied.exitCode, 0) << copied.err;
    EXPECT_EQ(copied.out, "7\n");
    EXPECT_EQ(RunMsg({"copydata", "--title", "ZuzaZoro", "--id", "10", "--text", "hi"}).exitCode, 0);

    std::string file = TempFolder() + "zorv-msg-test-" + std::to_string(getpid()) + ".bin";
    ASSERT_TRUE(WriteFileAtomic(file, std::string("\x00\x05", 2)));
    EXPECT_EQ(RunMsg({"copydata", "--title", "ZuzaZoro", "--id", "2", "--file", file}).exitCode, 0);
    std::remove(file.c_str());

    EXPECT_EQ(RunMsg({"broadcast", "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}", "1", "0"}).exitCode, 0);

    ASSERT_EQ(listener->Wait(), 0);
    const std::string expected[] = {
        "message UWM_MOUSEMOVE_USER_MSG wparam=1 lparam=-5",
        "send Game_Kill wparam=2 lparam=3 -> 7",
        "copydata sender=0x1f id=5 size=3 data=0102ff",
        "copydata sender=0x0 id=10 size=2 data=6869",
        "copydata sender=0x0 id=2 size=2 data=0005",
        "broadcast {4695579F-999A-41d4-9FAF-EFFCE93EBF16} wparam=1 lparam=0",
    };
    for (const auto& line : expected) EXPECT_NE(listener->Output().find(line + "\n"), std::string::npos) << line;
}

TEST_F(ZorvMsgTest, ListenActsAsZuzaZoroForThisLibrary) {
    auto listener = Listen({"--title", "ZuzaZoro", "--count", "1"});
    CMessageBus bus;
    ASSERT_EQ(bus.Start(), BusStatus::Ok);
    uint64_t handle = bus.FindWindow("", "ZuzaZoro");
    ASSERT_NE(handle, 0u);
    std::vector<uint8_t> report(1024, 0);
    report[0] = 2;
    BusAnswer answer = bus.CopyDataTo(BusTarget::ByHandle(handle), 0x33, 5, report);
    EXPECT_EQ(answer.status, BusStatus::Ok);
    ASSERT_EQ(listener->Wait(), 0);
    EXPECT_NE(listener->Output().find("copydata sender=0x33 id=5 size=1024 data=0200"), std::string::npos);
}

TEST_F(ZorvMsgTest, FindPrintsTheHandleOfTheListener) {
    auto listener = Listen({"--title", "ZuzaZoro", "--class", "ServiceTool"});
    std::string line = listener->Output().substr(0, listener->Output().find('\n'));
    std::string handle = line.substr(line.find("0x"), line.find(' ', line.find("0x")) - line.find("0x"));
    ProcessResult found = RunMsg({"find", "--class", "ServiceTool", "--title", "ZuzaZoro"});
    EXPECT_EQ(found.exitCode, 0);
    EXPECT_EQ(found.out, handle + "\n");
    EXPECT_EQ(RunMsg({"post", "--handle", handle, "Game_End"}).exitCode, 0);
    // A second listener cannot take the same title.
    ProcessResult second = RunMsg({"listen", "--title", "ZuzaZoro"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("belongs to another window"), std::string::npos) << second.err;
    listener->Terminate();
    EXPECT_EQ(listener->Wait(), 0);
}

TEST_F(ZorvMsgTest, FailuresExitWithOne) {
    auto listener = Listen({"--title", "ZuzaZoro"});
    struct Case {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"post", "--title", "Nobody", "Game_Start"}, "no such window: title \"Nobody\""},
        {{"send", "--handle", "0x404", "Game_Start"}, "no such window"},
        {{"copydata", "--class", "Nobody", "--id", "5", "--text", "x"}, "no such window"},
        {{"find", "--title", "Nobody"}, "no such window"},
        {{"send", "--title", "ZuzaZoro", "NotAMessage"}, "refused by the window"},
        {{"copydata", "--title", "ZuzaZoro", "--id", "5", "--file", "/nonexistent/file"}, "cannot read"},
    };
    for (const auto& c : cases) {
        ProcessResult result = RunMsg(c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args[0] << " " << result.err;
        EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    }
    listener->Terminate();
    EXPECT_EQ(listener->Wait(), 0);
    EXPECT_EQ(listener->Output().find("NotAMessage"), std::string::npos);
}

TEST(ZorvMsgWithoutBus, NoSessionBusExitsWithOne) {
    NoSessionBus none;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"post", "--title", "ZuzaZoro", "Game_Start"}, {"broadcast", "Game_Start"}, {"listen"}}) {
        ProcessResult result = RunMsg(args);
        EXPECT_EQ(result.exitCode, 1) << args[0];
        EXPECT_NE(result.err.find("no session bus"), std::string::npos) << result.err;
    }
}

TEST(ZorvMsgUsage, BadUsageExitsWithTwoAndListNeedsNoBus) {
    NoSessionBus none;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"shout"}, {"post", "Game_Start"}, {"post", "--title", "T", "Game_Start", "12x"}}) {
        ProcessResult result = RunMsg(args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_NE(result.err.find("usage:"), std::string::npos);
    }
    ProcessResult list = RunMsg({"list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_NE(list.out.find("{4695579F-999A-41d4-9FAF-EFFCE93EBF18}  (UWM_DEVICE_LIST_REQUEST)"), std::string::npos);
    EXPECT_NE(list.out.find("WM_HOOK_KEY_KBMACRO_MSG  [in-process only]"), std::string::npos);
    EXPECT_NE(list.out.find("  5  1024 bytes"), std::string::npos) << list.out;
}

}  // namespace
