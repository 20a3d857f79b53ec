#include "tests/platform/bus/RecordingWindow.h"

#include <chrono>

RecordingWindow::RecordingWindow(int64_t answer, Answering answering) : answer_(answer), answering_(answering) {
    uiThread_.Start(this, [this](const WorkerArgs& args) {
        while (WorkerKeepRunning(args)) {
            std::deque<BusReply> batch;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                batch.swap(toAnswer_);
            }
            for (const BusReply& reply : batch) reply.Answer(answer_);
        }
    });
}

RecordingWindow::~RecordingWindow() { uiThread_.Stop(1000); }

void RecordingWindow::SetOnMessage(std::function<void(const BusMessage&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    onMessage_ = std::move(hook);
}

void RecordingWindow::Record(Received event, BusReply reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
    if (answering_ == Answering::FromUiThread) toAnswer_.push_back(std::move(reply));
    if (answering_ == Answering::Never) held_.push_back(std::move(reply));
    changed_.notify_all();
}

void RecordingWindow::OnBusMessage(const BusMessage& message) {
    std::function<void(const BusMessage&)> hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hook = onMessage_;
    }
    if (hook) hook(message);
    Record({"message", message, {}}, {});
}

void RecordingWindow::OnBusSend(const BusMessage& message, BusReply reply) {
    Record({"send", message, {}}, std::move(reply));
}

void RecordingWindow::OnBusCopyData(const BusCopyData& data, BusReply reply) {
    Record({"copydata", {}, data}, std::move(reply));
}

bool RecordingWindow::WaitForCount(size_t count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return events_.size() >= count; });
}

std::vector<Received> RecordingWindow::Events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::vector<BusReply> RecordingWindow::HeldReplies() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return held_;
}
