#include "toolkit/WindowMessages.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <QEvent>
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <unistd.h>

#include "toolkit/WindowBase.h"
#include "platform/Event.h"

namespace DuiLib {
namespace detail {

struct PostedCall;
int& DispatchDepth();

namespace {

struct WindowSlot {
    CWindowWnd* window = nullptr;  // UI thread only
    QueueContext* context = nullptr;
    Event closing{true, false};
    // Calls wait here, under our own lock, so that the hand-over between threads is one that
    // the race checkers see; Qt only carries the wake-up.
    std::mutex pendingLock;
    std::deque<std::shared_ptr<PostedCall>> pending;
};

const QEvent::Type kDrainEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

// Runs on the UI thread when the window still exists; otherwise onDropped runs.
struct PostedCall {
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::function<void(CWindowWnd*, PostedCall&)> run;
    std::function<void()> onDropped;
    bool delivered = false;

    ~PostedCall() {
        if (!delivered && onDropped) onDropped();
    }
};

// The object posted wake-ups go to; lives on the UI thread as long as the window.
class QueueContext : public QObject {
public:
    std::weak_ptr<WindowSlot> slot;

protected:
    bool event(QEvent* e) override {
        // The wake-up was made by the posting thread; taking the queue lock first orders this
        // thread after it before the event is looked at.
        if (std::shared_ptr<WindowSlot> owner = slot.lock()) std::lock_guard<std::mutex> guard(owner->pendingLock);
        if (e->type() != kDrainEvent) return QObject::event(e);
        Drain(slot);
        return true;
    }

private:
    // Static on a copy of the slot: a handled call may delete this context.
    static void Drain(std::weak_ptr<WindowSlot> weak) {
        for (;;) {
            std::shared_ptr<WindowSlot> owner = weak.lock();
            if (!owner) return;
            std::shared_ptr<PostedCall> call;
            {
                std::lock_guard<std::mutex> guard(owner->pendingLock);
                if (owner->pending.empty()) return;
                call = std::move(owner->pending.front());
                owner->pending.pop_front();
            }
            CWindowWnd* window = owner->window;
            if (!window || owner->closing.Wait(0) == WaitResult::Signaled) continue;
            call->delivered = true;
            ++DispatchDepth();  // the window may go away inside its handler
            call->run(window, *call);
            --DispatchDepth();
        }
    }
};

namespace {

struct Registry {
    std::mutex lock;
    std::map<HWND, std::shared_ptr<WindowSlot>> windows;
    std::map<std::string, UINT> messages;
    UINT nextMessage = kRegisteredMessageBase;
    uint32_t nextHandle = 1;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::shared_ptr<WindowSlot> FindSlot(HWND hwnd) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.windows.find(hwnd);
    return it == r.windows.end() ? nullptr : it->second;
}

// Takes the call only when the window accepts it.
bool Queue(HWND hwnd, std::shared_ptr<PostedCall>& call) {
    auto* wake = new QEvent(kDrainEvent);  // made before the hand-over, freed by Qt after it
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.windows.find(hwnd);
    if (it == r.windows.end() || it->second->closing.Wait(0) == WaitResult::Signaled) {
        delete wake;
        return false;
    }
    {
        std::lock_guard<std::mutex> pendingGuard(it->second->pendingLock);
        it->second->pending.push_back(std::move(call));
    }
    // Under the registry lock: the context cannot be deleted meanwhile.
    QCoreApplication::postEvent(it->second->context, wake);
    return true;
}

}  // namespace

HWND RegisterWindow(CWindowWnd* window, QueueContext* context) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    const HWND hwnd = (static_cast<uint64_t>(static_cast<uint32_t>(getpid())) << 32) | r.nextHandle++;
    auto slot = std::make_shared<WindowSlot>();
    slot->window = window;
    slot->context = context;
    context->slot = slot;
    r.windows[hwnd] = slot;
    return hwnd;
}

void BeginDestroyWindow(HWND hwnd) {
    std::shared_ptr<WindowSlot> slot;
    {
        Registry& r = TheRegistry();
        std::lock_guard<std::mutex> guard(r.lock);
        auto it = r.windows.find(hwnd);
        if (it == r.windows.end()) return;
        slot = it->second;
        r.windows.erase(it);
    }
    slot->window = nullptr;
    slot->closing.Set();  // wakes every worker blocked in SendMessage
    std::deque<std::shared_ptr<PostedCall>> dropped;
    {
        std::lock_guard<std::mutex> guard(slot->pendingLock);
        dropped.swap(slot->pending);
    }
    // dropped goes out of scope here: each call's onDropped runs.
}

}  // namespace detail

UINT RegisterWindowMessage(const std::string& name) {
    if (name.empty()) return 0;
    auto& r = detail::TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto [it, inserted] = r.messages.try_emplace(name, r.nextMessage);
    if (inserted) ++r.nextMessage;
    return it->second;
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return PostMessage(hwnd, msg, wParam, lParam, {}); }

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, std::function<void()> onDropped) {
    auto call = std::make_shared<detail::PostedCall>();
    call->msg = msg;
    call->wParam = wParam;
    call->lParam = lParam;
    call->run = [](CWindowWnd* window, detail::PostedCall& c) { window->HandleMessage(c.msg, c.wParam, c.lParam); };
    call->onDropped = std::move(onDropped);
    if (detail::Queue(hwnd, call)) return true;
    call->delivered = true;  // refused at once: the caller still owns what it wanted to send
    return false;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto slot = detail::FindSlot(hwnd);
    if (!slot) return 0;
    if (QThread::currentThread() == slot->context->thread()) {
        CWindowWnd* window = slot->window;
        return window ? window->HandleMessage(msg, wParam, lParam) : 0;
    }
    struct Reply {
        Event done{true, false};
        std::atomic<LRESULT> result{0};
    };
    auto reply = std::make_shared<Reply>();
    auto call = std::make_shared<detail::PostedCall>();
    call->msg = msg;
    call->wParam = wParam;
    call->lParam = lParam;
    call->run = [reply](CWindowWnd* window, detail::PostedCall& c) {
        reply->result.store(window->HandleMessage(c.msg, c.wParam, c.lParam));
        reply->done.Set();
    };
    if (!detail::Queue(hwnd, call)) return 0;
    Event* waits[2] = {&reply->done, &slot->closing};
    const int which = Event::WaitAny(waits, 2, INFINITE);
    return which == 0 ? reply->result.load() : 0;
}

bool IsWindow(HWND hwnd) {
    auto slot = detail::FindSlot(hwnd);
    return slot && slot->closing.Wait(0) != WaitResult::Signaled;
}

CWindowWnd* FromHandle(HWND hwnd) {
    auto slot = detail::FindSlot(hwnd);
    return slot ? slot->window : nullptr;
}

}  // namespace DuiLib

namespace DuiLib::detail {
QueueContext* NewQueueContext() { return new QueueContext(); }

void DeleteQueueContext(QueueContext* context, bool later) {
    if (later) context->deleteLater();
    else delete context;
}
}  // namespace DuiLib::detail
