#include "platform/bus/BusFloodGate.h"

#include <time.h>

#include <algorithm>

uint64_t BusGateNowUsec() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

BusFloodGate::Verdict BusFloodGate::Admit(const std::string& sender, uint64_t nowUsec) {
    auto it = senders_.find(sender);
    if (it == senders_.end()) {
        if (senders_.size() >= kMaxSenders) ForgetIdlest();
        it = senders_.emplace(sender, Bucket{kBurst, nowUsec, 0}).first;
    }
    Bucket& bucket = it->second;
    if (nowUsec > bucket.lastUsec) {
        const double refill = static_cast<double>(nowUsec - bucket.lastUsec) * kPerSecond / 1e6;
        bucket.tokens = std::min(kBurst, bucket.tokens + refill);
        bucket.lastUsec = nowUsec;
    }
    Verdict verdict;
    if (bucket.tokens < 1.0) {
        verdict.admitted = false;
        verdict.firstRefusal = bucket.refused == 0;
        ++bucket.refused;
        return verdict;
    }
    bucket.tokens -= 1.0;
    verdict.refusedBefore = bucket.refused;
    bucket.refused = 0;
    return verdict;
}

void BusFloodGate::ForgetIdlest() {
    auto idlest = std::min_element(senders_.begin(), senders_.end(),
                                   [](const auto& a, const auto& b) { return a.second.lastUsec < b.second.lastUsec; });
    if (idlest != senders_.end()) senders_.erase(idlest);
}
