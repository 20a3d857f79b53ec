// zorv-emulator: an emulated Zorv keyboard on a Unix socket, and its remote control.
#include <signal.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Event.h"
#include "tools/zorv-emulator/ControlCommand.h"
#include "tools/zorv-emulator/ControlSocket.h"
#include "tools/zorv-emulator/EmulatedKeyboard.h"
#include "tools/zorv-emulator/EmulatedMouse.h"
#include "tools/zorv-emulator/EmulatorPaths.h"
#include "tools/zorv-emulator/HeadsetRun.h"
#include "tools/zorv-emulator/SoakDriver.h"

using namespace emu;

namespace {
void PrintUsage(FILE* out) {
    std::fprintf(out,
                 "usage: zorv-emulator run [--product 0x5062|0x5085|0x5086|0x6001|0x6002|0x1630|0x6110] [--name NAME] [--dir DIR] [--state FILE]\n"
                 "                         [--soak SECONDS [--seed N]]\n"
                 "       zorv-emulator ctl [--name NAME] [--dir DIR] COMMAND...\n"
                 "\n"
                 "run   serves an emulated keyboard at DIR/NAME.sock until SIGINT or SIGTERM\n"
                 "      (0x6001 a mouse on its cable, 0x6002 the mouse through its receiver, 0x1630 the headset,\n"
                 "      0x6110 the mouse pad: no ctl, no soak)\n"
                 "ctl   talks to the running emulator through DIR/NAME.ctl\n"
                 "\n"
                 "NAME defaults to %s; DIR to $ZORV_HID_EMULATOR_DIR, else $XDG_RUNTIME_DIR/zorv-hid,\n"
                 "else /tmp/zorv-hid-<uid>. --state keeps the keyboard's memory in FILE across runs.\n"
                 "--soak makes the keyboard misbehave at random for SECONDS (no reply, wrong code, status\n"
                 "0xFF/0xFE, slow replies, unplug mid-command, garbage reports), each fault followed by a\n"
                 "spell of good behaviour; then it behaves and prints a line \"soak: ...\" with the figures.\n"
                 "\n"
                 "ctl commands:\n%s",
                 kDefaultEmulatorName, ControlCommandUsage().c_str());
}

int BadArguments(const std::string& message) {
    std::fprintf(stderr, "zorv-emulator: %s\n(zorv-emulator --help lists the commands)\n", message.c_str());
    return kExitBadArguments;
}

struct CommonOptions {
    std::string name = kDefaultEmulatorName;
    std::string dir;
    std::string product;
    std::string state;
    std::string soak;
    std::string seed;
};

// Takes the leading --options; the rest (ctl's command) stays in rest.
bool ParseOptions(const std::vector<std::string>& args, bool forRun, CommonOptions& options,
                  std::vector<std::string>& rest, std::string& error) {
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string* target = nullptr;
        if (arg == "--name") target = &options.name;
        else if (arg == "--dir") target = &options.dir;
        else if (forRun && arg == "--product") target = &options.product;
        else if (forRun && arg == "--state") target = &options.state;
        else if (forRun && arg == "--soak") target = &options.soak;
        else if (forRun && arg == "--seed") target = &options.seed;
        else if (arg.rfind("--", 0) == 0) {
            error = "unknown option " + arg;
            return false;
        } else break;
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = arg + " needs a value";
            return false;
        }
        *target = args[++i];
    }
    rest.assign(args.begin() + static_cast<long>(i), args.end());
    if (!IsValidEmulatorName(options.name)) {
        error = "invalid name \"" + options.name + "\" (letters, digits, '.', '_', '-')";
        return false;
    }
    return true;
}

// Serves an emulated mouse until SIGINT or SIGTERM (signals already blocked by the caller).
int RunMouse(const CommonOptions& common, uint16_t productId, const sigset_t& stopSignals) {
    MouseOptions options;
    options.productId = productId;
    if (common.name != kDefaultEmulatorName) options.name = common.name;
    options.dir = common.dir;
    options.statePath = common.state;
    EmulatedMouse mouse(options);
    std::string error;
    if (!mouse.Start(error)) {
        std::fprintf(stderr, "zorv-emulator: %s\n", error.c_str());
        return kExitFailed;
    }
    std::printf("%s (%04x:%04x) plugged in at %s\n", MouseProductName(productId), kZorvVendorId, productId,
                mouse.SocketPath().c_str());
    std::fflush(stdout);
    while (sigwaitinfo(&stopSignals, nullptr) < 0) {
    }
    mouse.Stop();
    std::printf("stopped\n");
    return kExitOk;
}

int Run(const std::vector<std::string>& args) {
    CommonOptions common;
    std::vector<std::string> rest;
    std::string error;
    if (!ParseOptions(args, true, common, rest, error)) return BadArguments(error);
    if (!rest.empty()) return BadArguments("unexpected argument " + rest[0]);
    EmulatorOptions options;
    options.name = common.name;
    options.dir = common.dir;
    options.statePath = common.state;
    // The headset (0x1630) and the mouse pad (0x6110).
    if (const AccessoryModel* accessory = AccessoryOfProductOption(common.product)) {
        if (!common.state.empty() || !common.soak.empty()) return BadArguments("--state and --soak are for the keyboards");
        return RunAccessory(*accessory, common.name, common.dir);
    }
    if (!common.product.empty()) {
        auto id = ParseNumber(common.product);
        if (!id || *id > 0xFFFF ||
            (!FindProductModel(static_cast<uint16_t>(*id)) && !MouseProductName(static_cast<uint16_t>(*id))))
            return BadArguments("--product must be 0x5062, 0x5085, 0x5086, 0x6001, 0x6002, 0x1630 or 0x6110, not " + common.product);
        options.productId = static_cast<uint16_t>(*id);
    }

    std::optional<SoakOptions> soak;
    if (!common.soak.empty()) {
        auto seconds = ParseNumber(common.soak);
        if (!seconds || *seconds <= 0 || *seconds > 7 * 24 * 3600)
            return BadArguments("--soak must be a number of seconds, not " + common.soak);
        soak = SoakOptions{};
        soak->seconds = static_cast<uint32_t>(*seconds);
        if (!common.seed.empty()) {
            auto seed = ParseNumber(common.seed);
            if (!seed || *seed < 0 || *seed > UINT32_MAX) return BadArguments("--seed must be a number, not " + common.seed);
            soak->seed = static_cast<uint32_t>(*seed);
        }
    } else if (!common.seed.empty()) {
        return BadArguments("--seed goes with --soak");
    }

    // Signals are taken synchronously below; the workers started next inherit the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    if (MouseProductName(options.productId)) {
        if (soak) return BadArguments("--soak is for the keyboards");
        return RunMouse(common, options.productId, stopSignals);
    }

    EmulatedKeyboard keyboard(options);
    if (!keyboard.Start(error)) {
        std::fprintf(stderr, "zorv-emulator: %s\n", error.c_str());
        return kExitFailed;
    }
    Event quit(true, false);
    ControlServer control(keyboard, keyboard.ControlPath(), [&quit] { quit.Set(); });
    if (!control.Start(error)) {
        std::fprintf(stderr, "zorv-emulator: %s\n", error.c_str());
        keyboard.Stop();
        return kExitFailed;
    }
    if (!options.statePath.empty()) std::printf("%s\n", keyboard.StateLoadOutcome().message.c_str());
    std::printf("%s (%04x:%04x) plugged in at %s\ncontrol socket %s\n", ProductDisplayName(*keyboard.Model()).c_str(),
                kZorvVendorId, options.productId, keyboard.SocketPath().c_str(), control.Path().c_str());
    std::fflush(stdout);

    std::unique_ptr<SoakDriver> soakDriver;
    if (soak) {
        soakDriver = std::make_unique<SoakDriver>(keyboard, *soak);
        soakDriver->Start();
        std::printf("soak for %u s, seed %u\n", soak->seconds, soak->seed);
        std::fflush(stdout);
    }
    bool soakReported = false;
    auto reportSoak = [&] {
        if (!soakDriver || soakReported) return;
        soakReported = true;
        std::printf("%s\n", FormatSoakFigures(soakDriver->Figures()).c_str());
        std::fflush(stdout);
    };

    timespec tick{0, 100 * 1000 * 1000};
    while (quit.Wait(0) != WaitResult::Signaled) {
        if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) break;
        if (soakDriver && soakDriver->Figures().finished) reportSoak();
    }
    if (soakDriver) soakDriver->Stop();
    reportSoak();
    control.Stop();
    keyboard.Stop();
    std::printf("stopped\n");
    return kExitOk;
}

int Control(const std::vector<std::string>& args) {
    CommonOptions common;
    std::vector<std::string> command;
    std::string error;
    if (!ParseOptions(args, false, common, command, error)) return BadArguments(error);
    if (!ParseControlCommand(command, error)) return BadArguments(error);
    std::string dir = common.dir.empty() ? DefaultEmulatorDir() : common.dir;
    ControlResult result = RunControlClient(ControlSocketPath(dir, common.name), command);
    std::fputs(result.output.c_str(), result.exitCode == kExitOk ? stdout : stderr);
    return result.exitCode;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(stderr);
        return kExitBadArguments;
    }
    const std::string mode = args[0];
    args.erase(args.begin());
    if (mode == "--help" || mode == "-h" || mode == "help") {
        PrintUsage(stdout);
        return kExitOk;
    }
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return kExitOk;
        }
    }
    if (mode == "run") return Run(args);
    if (mode == "ctl") return Control(args);
    return BadArguments("unknown mode " + mode);
}
