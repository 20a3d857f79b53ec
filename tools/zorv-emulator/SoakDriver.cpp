#include "tools/zorv-emulator/SoakDriver.h"

#include <vector>

#include "platform/DebugOutput.h"
#include "platform/Time.h"
#include "tools/zorv-emulator/EmulatedKeyboard.h"
#include "tools/zorv-emulator/KeyboardDescriptor.h"

namespace emu {

namespace {
constexpr uint16_t kSyncEvent = kEventSync;
constexpr uint32_t kPollMs = 50;
}  // namespace

SoakDriver::SoakDriver(EmulatedKeyboard& keyboard, SoakOptions options)
    : keyboard_(keyboard), options_(options), state_(options.seed * 0x9E3779B97F4A7C15ull + 1) {}

SoakDriver::~SoakDriver() { Stop(); }

void SoakDriver::Start() { thread_ = std::thread([this] { Run(); }); }

void SoakDriver::Stop() {
    stop_.Set();
    if (thread_.joinable()) thread_.join();
}

SoakFigures SoakDriver::Figures() const {
    std::lock_guard<std::mutex> hold(figuresLock_);
    return figures_;
}

uint32_t SoakDriver::Random(uint32_t low, uint32_t high) {
    // xorshift64*: small, and the same seed gives the same soak.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    const uint64_t value = state_ * 0x2545F4914F6CDD1Dull;
    return low + static_cast<uint32_t>((value >> 32) % (uint64_t{high} - low + 1));
}

std::string SoakDriver::InjectOne() {
    switch (Random(0, 7)) {
        case 0:
            keyboard_.DropRequests(static_cast<int>(Random(1, 4)));
            return "noreply";
        case 1:
            keyboard_.SendWrongCode(static_cast<int>(Random(1, 3)));
            return "wrongcode";
        case 2:
            keyboard_.FailWithStatus(0xFF, static_cast<int>(Random(0, 3)));
            return "status-ff";
        case 3:
            keyboard_.FailWithStatus(0xFE, static_cast<int>(Random(0, 3)));
            return "status-fe";
        case 4:
            keyboard_.DelayReplies(Random(50, 1500));
            return "slow";
        case 5:
            // Mid-command: after a few more packets, so it happens while the host is talking.
            keyboard_.UnplugAfter(static_cast<int>(Random(1, 6)), static_cast<int>(Random(100, 1500)));
            return "unplug";
        case 6: {
            // Event reports of any length and content, and now and then another report id.
            const uint32_t reports = Random(1, 20);
            for (uint32_t i = 0; i < reports; ++i) {
                std::vector<uint8_t> bytes(Random(1, 64));
                for (uint8_t& b : bytes) b = static_cast<uint8_t>(Random(0, 255));
                const uint32_t pick = Random(0, 9);
                bytes[0] = pick < 7 ? kEventReportId : static_cast<uint8_t>(pick == 7 ? 0 : Random(5, 255));
                keyboard_.SendRawReport(bytes);
            }
            return "garbage";
        }
        default:
            keyboard_.ReportUnreachable(static_cast<int>(Random(1, 3)));
            return "aa";
    }
}

bool SoakDriver::WaitForHost(uint64_t since) {
    uint32_t waited = 0;
    uint32_t nextNudge = 0;
    while (waited < options_.recoveryWaitMs) {
        if (keyboard_.RequestsAnswered() > since) return true;
        if (waited >= nextNudge) {
            // The host reads the device again on a sync event, as after a change on the device.
            keyboard_.SendEvent(kSyncEvent);
            nextNudge = waited + 1000;
        }
        if (stop_.Wait(kPollMs) == WaitResult::Signaled) return false;
        waited += kPollMs;
    }
    return false;
}

void SoakDriver::Run() {
    const uint32_t start = GetTickCount();
    const uint64_t limitMs = uint64_t{options_.seconds} * 1000;
    while (GetTickCount() - start < limitMs) {
        const std::string kind = InjectOne();
        {
            std::lock_guard<std::mutex> hold(figuresLock_);
            ++figures_.episodes;
            ++figures_.faults[kind];
        }
        // The fault has its time; nudged so that the host runs into it.
        keyboard_.SendEvent(kSyncEvent);
        if (stop_.Wait(Random(300, 2500)) == WaitResult::Signaled) break;
        keyboard_.ClearFaults();
        std::string error;
        if (!keyboard_.Plugged()) {
            // Unplugged for good by the fault: the person plugs it in again.
            if (stop_.Wait(Random(100, 1000)) == WaitResult::Signaled) break;
            if (!keyboard_.Plugged()) keyboard_.Replug(error);
        }
        const bool back = WaitForHost(keyboard_.RequestsAnswered());
        if (stop_.Wait(0) == WaitResult::Signaled) break;
        std::lock_guard<std::mutex> hold(figuresLock_);
        ++(back ? figures_.recovered : figures_.notRecovered);
        if (!back) DebugOutput("zorv-emulator: soak: the host did not come back after a " + kind + " episode");
    }
    keyboard_.ClearFaults();
    std::string error;
    if (!keyboard_.Plugged()) keyboard_.Replug(error);
    std::lock_guard<std::mutex> hold(figuresLock_);
    figures_.finished = true;
}

std::string FormatSoakFigures(const SoakFigures& figures) {
    std::string text = "soak: " + std::to_string(figures.episodes) + " episodes, " +
                       std::to_string(figures.recovered) + " recovered, " + std::to_string(figures.notRecovered) +
                       " not recovered; faults:";
    for (const auto& [kind, count] : figures.faults) text += " " + kind + " " + std::to_string(count);
    return text;
}

}  // namespace emu
