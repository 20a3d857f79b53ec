#include "platform/bus/BusCore.h"
#include "platform/bus/BusTypes.h"

struct BusReply::State {
    State(std::shared_ptr<BusCore> owner, sd_bus_message* message, std::shared_ptr<WaitingCalls> counter, size_t bytes)
        : core(std::move(owner)), call(message), waiting(std::move(counter)), payload(bytes) {
        if (waiting) {
            ++waiting->calls;
            waiting->bytes += payload;
        }
    }
    ~State() {
        CriticalSectionLock hold(core->lock);
        SendLocked(0);
        sd_bus_message_unref(call);
        if (waiting) {
            --waiting->calls;
            waiting->bytes -= payload;
        }
    }
    void SendLocked(int64_t result) {
        if (answered) return;
        answered = true;
        // Fails harmlessly when the window's connection has been closed meanwhile.
        sd_bus_reply_method_return(call, "x", result);
        core->Wake();
    }

    std::shared_ptr<BusCore> core;
    sd_bus_message* call;
    bool answered = false;  // under core->lock
    std::shared_ptr<WaitingCalls> waiting;  // the window's count of calls not yet let go
    size_t payload;
};

BusReply MakeBusReply(std::shared_ptr<BusCore> core, sd_bus_message* call, std::shared_ptr<WaitingCalls> waiting,
                      size_t payloadBytes) {
    return BusReply(std::make_shared<BusReply::State>(std::move(core), sd_bus_message_ref(call), std::move(waiting),
                                                      payloadBytes));
}

void BusReply::Answer(int64_t result) const {
    if (!state_) return;
    CriticalSectionLock hold(state_->core->lock);
    state_->SendLocked(result);
}

bool BusReply::Answered() const {
    if (!state_) return true;
    CriticalSectionLock hold(state_->core->lock);
    return state_->answered;
}
