#pragma once
// Limits how fast one sender's messages reach a window, so that a program that floods the bus costs
// the window a bounded share of its time and memory: every sender has a bucket of kBurst messages
// that refills at kPerSecond. What does not fit is refused at once (the sender learns it) and counted
// rather than logged line by line. Not thread-safe: used on the bus thread under the bus lock.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

class BusFloodGate {
public:
    // Well above what any documented sender needs (music lighting sends some tens a second).
    static constexpr double kPerSecond = 1000.0;
    static constexpr double kBurst = 2000.0;
    // Senders remembered at most; the idlest are forgotten first (a forgotten sender starts full).
    static constexpr size_t kMaxSenders = 256;

    struct Verdict {
        bool admitted = true;
        // Set on the first refusal of a burst: the caller logs it once.
        bool firstRefusal = false;
        // Set on the first admission after refusals: how many were refused meanwhile.
        uint64_t refusedBefore = 0;
    };

    Verdict Admit(const std::string& sender, uint64_t nowUsec);
    size_t SendersKnown() const { return senders_.size(); }

private:
    struct Bucket {
        double tokens = kBurst;
        uint64_t lastUsec = 0;
        uint64_t refused = 0;  // since the last admission
    };
    void ForgetIdlest();

    std::unordered_map<std::string, Bucket> senders_;
};

// What a refused sender is told, and the debug output says once per flood.
inline constexpr const char* kFloodReason = "more than 1000 messages a second from this sender";

// Monotonic clock for the gate.
uint64_t BusGateNowUsec();
