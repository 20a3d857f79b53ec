#include "tools/zorv-emulator/FaultInjector.h"

#include <cstdio>

namespace emu {

void FaultInjector::DropRequests(int count) { dropRemaining_ = count; }
void FaultInjector::SendWrongCode(int count) { wrongCodeRemaining_ = count; }
void FaultInjector::ReportUnreachable(int count) { unreachableRemaining_ = count; }

void FaultInjector::FailWithStatus(uint8_t status, int passing) {
    failStatus_ = status;
    failPassing_ = passing < 0 ? 0 : passing;
}

void FaultInjector::DelayReplies(uint32_t ms) { delayMs_ = ms; }

void FaultInjector::UnplugAfter(int packets, int replugMs) {
    unplugRemaining_ = packets > 0 ? packets : kNoReplug;
    replugMs_ = replugMs;
}

void FaultInjector::Clear() { *this = FaultInjector(); }

bool FaultInjector::Take(int& remaining) {
    if (remaining == kUntilCleared) return true;
    if (remaining <= 0) return false;
    --remaining;
    return true;
}

FaultDecision FaultInjector::OnPacket(bool vendorRequest) {
    FaultDecision decision;
    if (unplugRemaining_ > 0 && --unplugRemaining_ == 0) {
        decision.unplugAfterwards = true;
        decision.replugAfterMs = replugMs_;
        unplugRemaining_ = kNoReplug;
    }
    if (!vendorRequest) return decision;

    decision.replyDelayMs = delayMs_;
    if (Take(dropRemaining_)) {
        decision.dropRequest = true;
        return decision;
    }
    if (failStatus_) {
        if (failPassing_ == 0) {
            decision.failStatus = failStatus_;
            failStatus_.reset();
            return decision;
        }
        --failPassing_;
    }
    if (Take(unreachableRemaining_)) {
        decision.receiverUnreachable = true;
        return decision;
    }
    decision.wrongCodeFirst = Take(wrongCodeRemaining_);
    return decision;
}

std::string FaultInjector::Describe() const {
    auto count = [](int n) { return n == kUntilCleared ? std::string("until cleared") : std::to_string(n); };
    std::string text;
    if (dropRemaining_ != 0) text += "noreply " + count(dropRemaining_) + "\n";
    if (wrongCodeRemaining_ != 0) text += "wrongcode " + count(wrongCodeRemaining_) + "\n";
    if (unreachableRemaining_ != 0) text += "aa " + count(unreachableRemaining_) + "\n";
    if (failStatus_) {
        char status[8];
        std::snprintf(status, sizeof status, "%02x", *failStatus_);
        text += std::string("status ") + status + " after " + std::to_string(failPassing_) + "\n";
    }
    if (delayMs_ != 0) text += "slow " + std::to_string(delayMs_) + " ms\n";
    if (unplugRemaining_ >= 0) {
        text += "unplug after " + std::to_string(unplugRemaining_) + " packets";
        text += replugMs_ >= 0 ? ", replug after " + std::to_string(replugMs_) + " ms\n" : "\n";
    }
    return text.empty() ? "none\n" : text;
}

}  // namespace emu
