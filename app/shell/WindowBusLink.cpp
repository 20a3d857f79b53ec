#include "app/shell/WindowBusLink.h"

#include "app/shell/AppMessages.h"
#include "toolkit/WindowMessages.h"
#include "platform/DebugOutput.h"

CWindowBusLink::~CWindowBusLink() { Detach(); }

bool CWindowBusLink::Attach(DuiLib::HWND hwnd, const std::string& title, const std::string& className) {
    if (hwnd == 0 || !bus_.Running()) return false;
    hwnd_ = hwnd;
    const WindowRegistration registration = bus_.RegisterWindow(hwnd, title, className, this);
    if (registration.status != BusStatus::Ok) {
        DebugOutput(std::string("main window: not on the bus: ") + BusStatusText(registration.status));
        hwnd_ = 0;
        return false;
    }
    broadcastSubscription_ = bus_.SubscribeBroadcasts([this](const BusMessage& message) { OnBusMessage(message); });
    return true;
}

void CWindowBusLink::Detach() {
    const DuiLib::HWND hwnd = hwnd_.exchange(0);
    if (broadcastSubscription_ >= 0) bus_.UnsubscribeBroadcasts(broadcastSubscription_);
    broadcastSubscription_ = -1;
    if (hwnd) bus_.UnregisterWindow(hwnd);
}

void CWindowBusLink::Deliver(BusDelivery* delivery) {
    const DuiLib::HWND hwnd = hwnd_.load();
    // A delivery that can never be handled is freed; its reply, if any, then answers 0.
    auto drop = [delivery] { delete delivery; };
    if (!hwnd || !DuiLib::PostMessage(hwnd, AppMsg::kBusDelivery, 0, reinterpret_cast<DuiLib::LPARAM>(delivery), drop))
        delete delivery;
}

void CWindowBusLink::OnBusMessage(const BusMessage& message) {
    auto* delivery = new BusDelivery;
    delivery->msg = DuiLib::RegisterWindowMessage(message.name);
    delivery->wParam = message.wParam;
    delivery->lParam = message.lParam;
    Deliver(delivery);
}

void CWindowBusLink::OnBusSend(const BusMessage& message, BusReply reply) {
    auto* delivery = new BusDelivery;
    delivery->msg = DuiLib::RegisterWindowMessage(message.name);
    delivery->wParam = message.wParam;
    delivery->lParam = message.lParam;
    delivery->reply = std::move(reply);
    Deliver(delivery);
}

void CWindowBusLink::OnBusCopyData(const BusCopyData& data, BusReply reply) {
    auto* delivery = new BusDelivery;
    delivery->isCopyData = true;
    delivery->copyData = data;
    delivery->reply = std::move(reply);
    Deliver(delivery);
}
