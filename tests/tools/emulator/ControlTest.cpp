// The control socket and the zorv-emulator command line.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <json/reader.h>

#include "EmulatorFixture.h"
#include "platform/Event.h"
#include "platform/Files.h"
#include "platform/Time.h"
#include "tools/zorv-emulator/ControlCommand.h"
#include "tools/zorv-emulator/ControlSocket.h"

using namespace emu;

extern char** environ;

namespace {
struct ProcessResult {
    int exitCode = -1;
    std::string output;  // stdout and stderr
};

// Runs the emulator executable to its end.
ProcessResult RunEmulator(const std::vector<std::string>& args, const std::string& outputFile) {
    std::vector<std::string> all = {ZORV_EMULATOR_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid;
    ProcessResult result;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ReadWholeFile(outputFile, result.output);
    return result;
}

bool WaitForFile(const std::string& path, uint32_t timeoutMs = 3000) {
    uint32_t start = GetTickCount();
    struct stat info {};
    while (stat(path.c_str(), &info) != 0) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}
}  // namespace

TEST(ControlCommandParsing, AcceptsTheDocumentedFormsAndRefusesTheRest) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        ControlVerb verb;
        int64_t first, second;
    } cases[] = {
        {{"event", "0x0401"}, true, ControlVerb::Event, 0x401, 0},
        {{"event", "1025"}, true, ControlVerb::Event, 0x401, 0},
        {{"key", "press", "12"}, true, ControlVerb::KeyPress, 12, 0},
        {{"key", "release", "0x0c"}, true, ControlVerb::KeyRelease, 12, 0},
        {{"profile", "2"}, true, ControlVerb::Profile, 2, 0},
        {{"fault", "noreply"}, true, ControlVerb::FaultNoReply, kUntilCleared, 0},
        {{"fault", "noreply", "3"}, true, ControlVerb::FaultNoReply, 3, 0},
        {{"fault", "wrongcode"}, true, ControlVerb::FaultWrongCode, 1, 0},
        {{"fault", "aa", "2"}, true, ControlVerb::FaultAa, 2, 0},
        {{"fault", "status", "ff"}, true, ControlVerb::FaultStatus, 0xFF, 0},
        {{"fault", "status", "fe", "5"}, true, ControlVerb::FaultStatus, 0xFE, 5},
        {{"fault", "slow", "40"}, true, ControlVerb::FaultSlow, 40, 0},
        {{"fault", "unplug-after", "3"}, true, ControlVerb::FaultUnplugAfter, 3, kNoReplug},
        {{"fault", "unplug-after", "3", "500"}, true, ControlVerb::FaultUnplugAfter, 3, 500},
        {{"fault", "clear"}, true, ControlVerb::FaultClear, 0, 0},
        {{"log"}, true, ControlVerb::Log, 0, 0},
        {{"log", "--clear"}, true, ControlVerb::LogClear, 0, 0},
        {{"quit"}, true, ControlVerb::Quit, 0, 0},
        {{}, false, {}, 0, 0},
        {{"event"}, false, {}, 0, 0},
        {{"event", "0x10000"}, false, {}, 0, 0},
        {{"event", "12abc"}, false, {}, 0, 0},
        {{"event", "-1"}, false, {}, 0, 0},
        {{"key", "hold", "1"}, false, {}, 0, 0},
        {{"fault", "status", "fd"}, false, {}, 0, 0},
        {{"fault", "noreply", "0"}, false, {}, 0, 0},
        {{"fault", "slow"}, false, {}, 0, 0},
        {{"memory", "extra"}, false, {}, 0, 0},
        {{"reboot"}, false, {}, 0, 0},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        SCOPED_TRACE(joined);
        std::string error;
        auto command = ParseControlCommand(c.args, error);
        ASSERT_EQ(command.has_value(), c.ok) << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(command->verb, c.verb);
        EXPECT_EQ(command->first, c.first);
        EXPECT_EQ(command->second, c.second);
    }
}

class ControlSocketTest : public EmulatorTest {
protected:
    void SetUp() override {
        keyboard_ = StartKeyboard();
        control_ = std::make_unique<ControlServer>(*keyboard_, keyboard_->ControlPath(), [this] { quit_.Set(); });
        std::string error;
        ASSERT_TRUE(control_->Start(error)) << error;
    }
    void TearDown() override { control_->Stop(); }
    ControlResult Ctl(const std::vector<std::string>& args) { return RunControlClient(keyboard_->ControlPath(), args); }

    std::unique_ptr<EmulatedKeyboard> keyboard_;
    std::unique_ptr<ControlServer> control_;
    Event quit_{true, false};
};

TEST_F(ControlSocketTest, CommandsDriveTheRunningKeyboard) {
    RawHidClient client(keyboard_->SocketPath());
    ASSERT_TRUE(client.Connected());

    EXPECT_EQ(Ctl({"key", "press", "5"}).exitCode, kExitOk);
    auto press = client.ReceiveReport(3);
    ASSERT_TRUE(press);
    EXPECT_EQ((*press)[1], 0x05);
    EXPECT_EQ((*press)[2], 0x05);

    EXPECT_EQ(Ctl({"fault", "noreply", "1"}).exitCode, kExitOk);
    EXPECT_FALSE(client.Request(0x03, 34));
    EXPECT_TRUE(client.Request(0x03, 34));

    ControlResult log = Ctl({"log"});
    EXPECT_EQ(log.exitCode, kExitOk);
    EXPECT_NE(log.output.find("#1 "), std::string::npos) << log.output;
    EXPECT_NE(log.output.find(" 04"), std::string::npos) << log.output;
    EXPECT_EQ(Ctl({"log", "--clear"}).exitCode, kExitOk);
    EXPECT_EQ(Ctl({"log"}).output, "");

    ControlResult memory = Ctl({"memory"});
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    ASSERT_TRUE(reader->parse(memory.output.data(), memory.output.data() + memory.output.size(), &root, nullptr));
    EXPECT_EQ(root["ProductId"].asInt(), 0x5062);
    EXPECT_EQ(root["KeyTable"].asString().size(), keyboard_->Layout().positionCount * 6u);

    EXPECT_EQ(Ctl({"frames"}).output.substr(0, 9), "frames 0\n");
    EXPECT_EQ(Ctl({"unplug"}).exitCode, kExitOk);
    EXPECT_TRUE(client.WaitClosed());
    EXPECT_EQ(Ctl({"event", "0x0401"}).exitCode, kExitFailed) << "unplugged";
    EXPECT_EQ(Ctl({"replug"}).exitCode, kExitOk);
    EXPECT_TRUE(keyboard_->Plugged());
}

TEST_F(ControlSocketTest, ArgumentsTheKeyboardCannotTakeAreRefused) {
    int n = keyboard_->Layout().positionCount;
    EXPECT_EQ(Ctl({"key", "press", std::to_string(n)}).exitCode, kExitBadArguments);
    EXPECT_EQ(Ctl({"profile", "9"}).exitCode, kExitBadArguments);
    EXPECT_EQ(Ctl({"nonsense"}).exitCode, kExitBadArguments);
}

TEST_F(ControlSocketTest, QuitAnswersAndTellsTheOwner) {
    ControlResult result = Ctl({"quit"});
    EXPECT_EQ(result.exitCode, kExitOk);
    EXPECT_EQ(quit_.Wait(2000), WaitResult::Signaled);
}

TEST_F(EmulatorTest, NoEmulatorMeansExitOneNamingTheSocket) {
    std::string path = dir_.File("nobody.ctl");
    ControlResult result = RunControlClient(path, {"memory"});
    EXPECT_EQ(result.exitCode, kExitFailed);
    EXPECT_NE(result.output.find(path), std::string::npos) << result.output;
}

TEST_F(EmulatorTest, CommandLineExitCodes) {
    std::string out = dir_.File("out.txt");
    std::string dir = dir_.File("cli");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* fragment;
    } cases[] = {
        {{"--help"}, 0, "ctl commands"},
        {{}, 2, "usage"},
        {{"fly"}, 2, "unknown mode"},
        {{"run", "--product", "0x1234", "--dir", dir}, 2, "--product"},
        {{"run", "--bogus"}, 2, "unknown option"},
        {{"ctl", "--dir", dir, "event"}, 2, "missing CODE"},
        {{"ctl", "--dir", dir, "--name", "a/b", "memory"}, 2, "invalid name"},
        {{"ctl", "--dir", dir, "memory"}, 1, "zorv-keyboard.ctl"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fragment);
        ProcessResult result = RunEmulator(c.args, out);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.output;
        EXPECT_NE(result.output.find(c.fragment), std::string::npos) << result.output;
    }
}

TEST_F(EmulatorTest, RunServesUntilQuit) {
    std::string dir = dir_.File("cli");
    std::string out = dir_.File("run.txt");
    std::string state = dir_.File("state.json");
    std::vector<std::string> all = {ZORV_EMULATOR_EXE, "run", "--product", "0x5086", "--name", "demo",
                                    "--dir",          dir,   "--state",   state};
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    ASSERT_TRUE(WaitForFile(dir + "/demo.ctl"));
    {
        RawHidClient client(dir + "/demo.sock");
        ASSERT_TRUE(client.Connected());
        EXPECT_NE(client.Hello().find("\"pid\":20614"), std::string::npos) << client.Hello();
        EXPECT_TRUE(client.WriteChunked(0x06, {0x00, 0x33}, 0));
    }
    ProcessResult quit = RunEmulator({"ctl", "--dir", dir, "--name", "demo", "quit"}, dir_.File("quit.txt"));
    EXPECT_EQ(quit.exitCode, 0) << quit.output;
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string printed;
    ReadWholeFile(out, printed);
    EXPECT_NE(printed.find(dir + "/demo.sock"), std::string::npos) << printed;
    struct stat info {};
    EXPECT_NE(stat((dir + "/demo.sock").c_str(), &info), 0) << "unplugged on the way out";
    std::string saved;
    ASSERT_TRUE(ReadWholeFile(state, saved));
    EXPECT_NE(saved.find("0033"), std::string::npos);
}
