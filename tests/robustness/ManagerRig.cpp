#include "tests/robustness/ManagerRig.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/platform/bus/PrivateSessionBus.h"
#include "tests/support/ChildProcess.h"

namespace fs = std::filesystem;

namespace robustness {
namespace {
// ZORV_RIG_BIN_DIR runs a copy of the programs, so that a long run is not disturbed by a rebuild.
const std::string kBin = std::getenv("ZORV_RIG_BIN_DIR") ? std::getenv("ZORV_RIG_BIN_DIR") : ZORV_BIN_DIR;

void Stop(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}
}  // namespace

using testsupport::OnPath;

std::string MissingPrerequisite(bool needsDisplay, bool needsXdotool) {
    if (!OnPath("dbus-daemon")) return "needs dbus-daemon for a private session bus";
    if (needsDisplay && !std::getenv("DISPLAY")) return "needs an X display (CI runs the suite under xvfb-run)";
    if (needsXdotool && !OnPath("xdotool")) return "needs xdotool to click in the window";
    return {};
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ProcessFigures FiguresOf(pid_t pid) {
    ProcessFigures figures;
    std::istringstream status(ReadFile("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) figures.residentKb = std::atol(line.c_str() + 6);
        if (line.rfind("Threads:", 0) == 0) figures.threads = std::atoi(line.c_str() + 8);
    }
    std::error_code ec;
    int files = 0;
    for (auto it = fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec);
         !ec && it != fs::directory_iterator(); it.increment(ec))
        ++files;
    if (!ec) figures.openFiles = files;
    return figures;
}

long LongModeValue(const char* variable, long normal) {
    const char* value = std::getenv(variable);
    if (!value || !*value) return normal;
    const long parsed = std::atol(value);
    return parsed > 0 ? parsed : normal;
}

bool ManagerRig::Open(const std::string& prefix) {
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";  // short: socket paths live here
    if (!mkdtemp(pattern.data())) {
        error_ = "no temporary folder";
        return false;
    }
    dir_ = pattern;
    for (const char* sub : {"runtime", "hid", "data", "config"}) fs::create_directories(dir_ / sub);
    chmod((dir_ / "runtime").c_str(), 0700);
    bus_ = std::make_unique<PrivateSessionBus>();
    if (!bus_->Started()) {
        error_ = "dbus-daemon did not start";
        return false;
    }
    setenv("XDG_RUNTIME_DIR", (dir_ / "runtime").c_str(), 1);
    setenv("ZORV_HID_EMULATOR_DIR", (dir_ / "hid").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    setenv("ZORV_DEBUG", "1", 1);
    return true;
}

ManagerRig::ManagerRig() = default;

ManagerRig::~ManagerRig() {
    Stop(manager_);
    Stop(emulator_);
    bus_.reset();
    if (!dir_.empty() && !std::getenv("ZORV_KEEP_RIG")) fs::remove_all(dir_);
}

fs::path ManagerRig::DataFolder() const { return dir_ / "data" / "Zorv Wired Manager 1.0"; }

bool ManagerRig::StartEmulator(const std::vector<std::string>& extraArgs) {
    std::vector<std::string> argv = {kBin + "/zorv-emulator", "run", "--product", "0x5062", "--name", kKeyboardName};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    emulator_ = testsupport::Spawn(argv, EmulatorLog());
    const fs::path socket = dir_ / "hid" / (std::string(kKeyboardName) + ".sock");
    if (!WaitUntil([&] { return fs::exists(socket); }, 8000)) {
        error_ = "the emulator did not start: " + ReadFile(EmulatorLog());
        return false;
    }
    return true;
}

bool ManagerRig::StartManager(const std::string& platform) {
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    ++starts_;
    manager_ = testsupport::Spawn({kBin + "/zorv-wired-manager"}, ManagerLog());
    return manager_ > 0;
}

bool ManagerRig::WaitForLog(const std::string& fragment, int timeoutMs) const {
    return WaitUntil([&] { return ReadFile(ManagerLog()).find(fragment) != std::string::npos; }, timeoutMs);
}

void ManagerRig::KillManager() { Stop(manager_); }
void ManagerRig::KillEmulator() { Stop(emulator_); }

bool ManagerRig::ManagerRunning() const { return manager_ > 0 && waitpid(manager_, nullptr, WNOHANG) == 0; }

ToolResult ManagerRig::Run(const std::vector<std::string>& argv, int timeoutMs) {
    const fs::path out = dir_ / "tool.out";
    const int code = testsupport::WaitExit(testsupport::Spawn(argv, out), timeoutMs);
    return {code, ReadFile(out)};
}

ToolResult ManagerRig::Ctl(const std::vector<std::string>& words) {
    std::vector<std::string> argv = {kBin + "/zorv-emulator", "ctl", "--name", kKeyboardName};
    argv.insert(argv.end(), words.begin(), words.end());
    return Run(argv);
}

}  // namespace robustness
