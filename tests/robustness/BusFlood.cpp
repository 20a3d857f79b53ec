#include "tests/robustness/BusFlood.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <chrono>

namespace robustness {
namespace {
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}
}  // namespace

BusFlooder::BusFlooder(std::string busName, std::string name, uint64_t wParam, int64_t lParam)
    : busName_(std::move(busName)), name_(std::move(name)), wParam_(wParam), lParam_(lParam) {}

BusFlooder::~BusFlooder() {
    if (thread_.joinable()) thread_.join();
}

void BusFlooder::Start(int perSecond, int seconds) {
    thread_ = std::thread([this, perSecond, seconds] {
        sd_bus* bus = nullptr;
        if (sd_bus_open_user(&bus) < 0) {
            figures_.sendErrors = 1;
            return;
        }
        // Batches every millisecond-ish, paced against the clock so the rate holds on average.
        const Clock::time_point start = Clock::now();
        const uint64_t total = static_cast<uint64_t>(perSecond) * static_cast<uint64_t>(seconds);
        while (figures_.sent < total) {
            const double elapsed = MsSince(start) / 1000.0;
            const auto due = std::min<uint64_t>(total, static_cast<uint64_t>(elapsed * perSecond) + 1);
            while (figures_.sent < due) {
                sd_bus_message* m = nullptr;
                int r = sd_bus_message_new_method_call(bus, &m, busName_.c_str(), "/org/zorv/Win", "org.zorv.Win1",
                                                       "Message");
                if (r >= 0) r = sd_bus_message_set_expect_reply(m, 0);
                if (r >= 0) r = sd_bus_message_append(m, "stx", name_.c_str(), wParam_, lParam_);
                if (r >= 0) r = sd_bus_send(bus, m, nullptr);
                sd_bus_message_unref(m);
                if (r < 0) ++figures_.sendErrors;
                ++figures_.sent;
            }
            sd_bus_flush(bus);
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        sd_bus_flush(bus);
        figures_.seconds = MsSince(start) / 1000.0;
        sd_bus_flush_close_unref(bus);
    });
}

FloodFigures BusFlooder::Join() {
    if (thread_.joinable()) thread_.join();
    return figures_;
}

double ProbeFigures::Percentile(double p) const {
    if (answerMs.empty()) return -1;
    std::vector<double> sorted = answerMs;
    std::sort(sorted.begin(), sorted.end());
    const size_t index = std::min(sorted.size() - 1, static_cast<size_t>(p / 100.0 * (sorted.size() - 1) + 0.5));
    return sorted[index];
}

double ProbeFigures::Max() const {
    return answerMs.empty() ? -1 : *std::max_element(answerMs.begin(), answerMs.end());
}

AnswerProbe::AnswerProbe(std::string busName, std::string name) : busName_(std::move(busName)), name_(std::move(name)) {}

AnswerProbe::~AnswerProbe() { Stop(); }

void AnswerProbe::Start(int periodMs) {
    thread_ = std::thread([this, periodMs] {
        sd_bus* bus = nullptr;
        if (sd_bus_open_user(&bus) < 0) return;
        sd_bus_set_method_call_timeout(bus, 5'000'000);
        while (!stop_.load()) {
            const Clock::time_point start = Clock::now();
            sd_bus_error error = SD_BUS_ERROR_NULL;
            sd_bus_message* reply = nullptr;
            const int r = sd_bus_call_method(bus, busName_.c_str(), "/org/zorv/Win", "org.zorv.Win1", "Send", &error,
                                             &reply, "stx", name_.c_str(), uint64_t{0}, int64_t{0});
            if (r >= 0)
                figures_.answerMs.push_back(MsSince(start));
            else
                ++figures_.unanswered;
            sd_bus_message_unref(reply);
            sd_bus_error_free(&error);
            std::this_thread::sleep_for(std::chrono::milliseconds(periodMs));
        }
        sd_bus_flush_close_unref(bus);
    });
}

ProbeFigures AnswerProbe::Stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
    return figures_;
}

}  // namespace robustness
