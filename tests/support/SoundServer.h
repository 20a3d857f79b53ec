#pragma once
// A PulseAudio server of a test's own: its socket, home and log in the test's folder, found by the
// test's children through PULSE_SERVER, so nothing reaches a user's sound server.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace testsupport {

class SoundServer {
public:
    // Waits until the condition holds or the time is up; tests with windows pump events meanwhile.
    using WaitUntil = std::function<bool(const std::function<bool()>&, int timeoutMs)>;

    SoundServer() = default;
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;
    ~SoundServer() { Stop(); }

    // Starts the server with the modules given (each "module-name arguments") and makes
    // `defaultSink` the default when it is not empty; an empty reason when it runs, else why not.
    std::string Start(const std::filesystem::path& folder, const std::filesystem::path& runtimeDir,
                      const std::vector<std::string>& modules, const std::string& defaultSink = {},
                      WaitUntil waitUntil = Sleeping) {
        folder_ = folder;
        owner_ = getpid();
        if (const char* runtime = getenv("XDG_RUNTIME_DIR")) savedRuntimeDir_ = runtime;
        setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
        const auto home = folder / "home";
        std::filesystem::create_directories(home);
        std::filesystem::create_directories(runtimeDir);
        const auto socket = runtimeDir / "pulse-native";
        // Children (the programs under test, the sound tools) find the server through the environment.
        setenv("PULSE_SERVER", ("unix:" + socket.string()).c_str(), 1);
        if (const char* h = getenv("HOME"); h && savedHome_.empty()) savedHome_ = h;
        setenv("HOME", home.c_str(), 1);
        std::vector<std::string> argv = {"pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1", "--disable-shm=yes"};
        for (const std::string& module : modules) argv.push_back("--load=" + module);
        argv.push_back("--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket.string());
        server_ = Spawn(argv, folder / "pulse.log");
        if (!waitUntil([&] { return Tool({"pactl", "info"}, 2000) == 0; }, 8000)) {
            std::ifstream in(folder / "pulse.log");
            std::stringstream log;
            log << in.rdbuf();
            return "no PulseAudio server could be started here (is pulseaudio installed?): " + log.str().substr(0, 300);
        }
        if (!defaultSink.empty() && Tool({"pactl", "set-default-sink", defaultSink}) != 0)
            return "the output " + defaultSink + " cannot be made the default";
        return {};
    }

    // Only the process that started the server stops it (a forked child of a test leaves it alone).
    void Stop() {
        if (owner_ != getpid()) return;
        if (server_ > 0) {
            kill(server_, SIGTERM);
            if (WaitExit(server_, 3000) == -1) waitpid(server_, nullptr, WNOHANG);
            server_ = -1;
            unsetenv("PULSE_SERVER");
        }
        if (!savedHome_.empty()) setenv("HOME", savedHome_.c_str(), 1);
        if (!savedRuntimeDir_.empty()) setenv("XDG_RUNTIME_DIR", savedRuntimeDir_.c_str(), 1);
        savedHome_.clear();
        savedRuntimeDir_.clear();
    }

    // Runs a sound tool (pactl, paplay) against the server; its exit code, its output in `output`.
    int Tool(const std::vector<std::string>& argv, int timeoutMs = 10000, std::string* output = nullptr) const {
        const auto log = folder_ / "sound-tool.log";
        const int status = WaitExit(Spawn(argv, log), timeoutMs);
        if (output) {
            std::ifstream in(log);
            std::stringstream text;
            text << in.rdbuf();
            *output = text.str();
        }
        return status;
    }

    // The output of a sound tool, empty when it failed.
    std::string Query(const std::vector<std::string>& argv) const {
        std::string output;
        return Tool(argv, 10000, &output) == 0 ? output : std::string();
    }

    pid_t Pid() const { return server_; }

    static bool Sleeping(const std::function<bool()>& condition, int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

private:
    std::filesystem::path folder_;
    pid_t server_ = -1;
    pid_t owner_ = -1;
    std::string savedHome_;
    std::string savedRuntimeDir_;
};

// The percentages of a sound tool's volume line ("front-left: 24248 /  37% / ..."), in order.
inline std::vector<int> Percents(const std::string& text) {
    std::vector<int> percents;
    const std::regex percent(R"((\d+)%)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), percent); it != std::sregex_iterator(); ++it)
        percents.push_back(std::stoi((*it)[1]));
    return percents;
}

}  // namespace testsupport
