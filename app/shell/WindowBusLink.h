#pragma once
// Puts a toolkit window on the session bus: admitted bus messages, sends, data copies and
// broadcasts become messages in the window's queue, handled on the UI thread.
#include <atomic>
#include <cstdint>
#include <vector>

#include "toolkit/UIDefs.h"
#include "platform/bus/MessageBus.h"

// One bus call waiting in the window queue (message AppMsg::kBusDelivery, lParam points to it).
struct BusDelivery {
    bool isCopyData = false;
    DuiLib::UINT msg = 0;  // registered value of the name (messages only)
    DuiLib::WPARAM wParam = 0;
    DuiLib::LPARAM lParam = 0;
    BusCopyData copyData;
    BusReply reply;  // empty for posted messages and broadcasts
};

class CWindowBusLink : public IBusWindow {
public:
    explicit CWindowBusLink(CMessageBus& bus) : bus_(bus) {}
    ~CWindowBusLink() override;
    CWindowBusLink(const CWindowBusLink&) = delete;
    CWindowBusLink& operator=(const CWindowBusLink&) = delete;

    // Registers the window by handle, title and class, and listens to broadcasts.
    bool Attach(DuiLib::HWND hwnd, const std::string& title, const std::string& className);
    // Once it returns no bus call reaches the window any more.
    void Detach();

    void OnBusMessage(const BusMessage& message) override;
    void OnBusSend(const BusMessage& message, BusReply reply) override;
    void OnBusCopyData(const BusCopyData& data, BusReply reply) override;

private:
    void Deliver(BusDelivery* delivery);

    CMessageBus& bus_;
    std::atomic<DuiLib::HWND> hwnd_{0};
    int broadcastSubscription_ = -1;
};
