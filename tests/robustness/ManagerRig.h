#pragma once
// The manager executable with its own session bus, folders and (optionally) an emulated keyboard,
// for the robustness checks: start it, drive it, kill it, look at its files and its process.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class PrivateSessionBus;

namespace robustness {

// Why the rig cannot run here, or "" when it can. `needsXdotool`: the check clicks in the window.
std::string MissingPrerequisite(bool needsDisplay, bool needsXdotool);

bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
std::string ReadFile(const std::filesystem::path& file);

// Under AddressSanitizer freed memory waits in a quarantine and the manager's resident size grows
// whatever it does, so memory growth is judged only in the other builds.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kResidentSizeIsMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kResidentSizeIsMeaningful = false;
#else
inline constexpr bool kResidentSizeIsMeaningful = true;
#endif
#else
inline constexpr bool kResidentSizeIsMeaningful = true;
#endif

// What /proc says about a process.
struct ProcessFigures {
    long residentKb = -1;
    int threads = -1;
    int openFiles = -1;
};
ProcessFigures FiguresOf(pid_t pid);

// A count from the environment, for the long modes (ZORV_KILL_TRIALS=1000 and the like).
long LongModeValue(const char* variable, long normal);

struct ToolResult {
    int exitCode = -1;
    std::string output;
};

class ManagerRig {
public:
    static constexpr const char* kKeyboardName = "robust-kb";
    static constexpr const char* kWindowTitle = "Zorv Wired Manager 1.0";

    ManagerRig();
    ~ManagerRig();
    ManagerRig(const ManagerRig&) = delete;
    ManagerRig& operator=(const ManagerRig&) = delete;

    // Makes the folders and the session bus; false (why in Error()) when that fails.
    bool Open(const std::string& prefix);

    bool StartEmulator(const std::vector<std::string>& extraArgs = {});
    // Starts the manager; `platform` is the Qt platform ("offscreen", or "xcb" to click in it).
    bool StartManager(const std::string& platform);
    bool WaitForLog(const std::string& fragment, int timeoutMs) const;
    // SIGKILL, then reaped.
    void KillManager();
    void KillEmulator();
    bool ManagerRunning() const;

    ToolResult Ctl(const std::vector<std::string>& words);
    ToolResult Run(const std::vector<std::string>& argv, int timeoutMs = 10000);

    pid_t ManagerPid() const { return manager_; }
    pid_t EmulatorPid() const { return emulator_; }
    const std::filesystem::path& Dir() const { return dir_; }
    std::filesystem::path ManagerLog() const { return dir_ / ("manager" + std::to_string(starts_) + ".log"); }
    std::filesystem::path EmulatorLog() const { return dir_ / "emulator.log"; }
    // The user data folder of the program ("<XDG_DATA_HOME>/Zorv Wired Manager 1.0").
    std::filesystem::path DataFolder() const;
    const std::string& Error() const { return error_; }

private:
    std::filesystem::path dir_;
    std::unique_ptr<PrivateSessionBus> bus_;
    pid_t manager_ = -1;
    pid_t emulator_ = -1;
    int starts_ = 0;
    std::string error_;
};

}  // namespace robustness
