#pragma once
// A window sink that records what arrives and answers sends from its own "UI thread", as the
// window layer does.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/WorkerThread.h"
#include "platform/bus/BusTypes.h"

struct Received {
    std::string kind;  // "message", "send", "copydata"
    BusMessage message;
    BusCopyData data;
};

class RecordingWindow : public IBusWindow {
public:
    enum class Answering { FromUiThread, Never, DropReply };

    explicit RecordingWindow(int64_t answer = 0, Answering answering = Answering::FromUiThread);
    ~RecordingWindow() override;

    void OnBusMessage(const BusMessage& message) override;
    void OnBusSend(const BusMessage& message, BusReply reply) override;
    void OnBusCopyData(const BusCopyData& data, BusReply reply) override;

    // Runs inside OnBusMessage, on the bus thread (to try what a sink may do there).
    void SetOnMessage(std::function<void(const BusMessage&)> hook);

    bool WaitForCount(size_t count, int timeoutMs = 3000);
    std::vector<Received> Events() const;
    // Replies held back by Answering::Never.
    std::vector<BusReply> HeldReplies() const;

private:
    void Record(Received event, BusReply reply);

    const int64_t answer_;
    const Answering answering_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Received> events_;
    std::deque<BusReply> toAnswer_;
    std::vector<BusReply> held_;
    std::function<void(const BusMessage&)> onMessage_;
    WorkerThread uiThread_;
};
