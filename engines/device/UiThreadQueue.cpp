#include "engines/device/UiThreadQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace {
const QEvent::Type kDrainEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
}  // namespace

class CUiThreadQueue::Context : public QObject {
public:
    explicit Context(CUiThreadQueue& owner) : owner_(owner) {}

protected:
    bool event(QEvent* e) override {
        // The wake-up was made by a worker; taking the queue lock first orders this thread after
        // it before the event is looked at.
        { std::lock_guard<std::mutex> guard(owner_.lock_); }
        if (e->type() != kDrainEvent) return QObject::event(e);
        owner_.Drain();
        return true;
    }

private:
    CUiThreadQueue& owner_;
};

CUiThreadQueue::CUiThreadQueue() : context_(std::make_unique<Context>(*this)) {}

// Deleting the context discards the wake-ups still queued for it.
CUiThreadQueue::~CUiThreadQueue() = default;

void CUiThreadQueue::Post(std::function<void()> work) {
    auto* wake = new QEvent(kDrainEvent);  // made before the hand-over, freed by Qt after it
    {
        std::lock_guard<std::mutex> guard(lock_);
        pending_.push_back(std::move(work));
    }
    QCoreApplication::postEvent(context_.get(), wake);
}

void CUiThreadQueue::Drain() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (pending_.empty()) return;
            work = std::move(pending_.front());
            pending_.pop_front();
        }
        work();
    }
}
