#pragma once
// Faults a test or a demo asks for, turned into one decision per received packet. Not
// thread-safe; its owner locks.
#include <cstdint>
#include <optional>
#include <string>

namespace emu {

inline constexpr int kUntilCleared = -1;
inline constexpr int kNoReplug = -1;

struct FaultDecision {
    bool dropRequest = false;         // lost on the way: neither executed nor answered
    std::optional<uint8_t> failStatus;  // answered with this status, not executed
    bool receiverUnreachable = false;   // answered with code 0xAA only, not executed
    bool wrongCodeFirst = false;        // a reply with another code goes ahead of the right one
    uint32_t replyDelayMs = 0;
    bool unplugAfterwards = false;      // the device drops off the bus after this packet
    int replugAfterMs = kNoReplug;
};

class FaultInjector {
public:
    void DropRequests(int count);  // kUntilCleared for all of them
    void SendWrongCode(int count);
    void ReportUnreachable(int count);
    // The request after `passing` good ones is answered with the status (0xFF or 0xFE).
    void FailWithStatus(uint8_t status, int passing);
    void DelayReplies(uint32_t ms);
    // After `packets` (>= 1) more received packets the device unplugs; for 0 the owner unplugs itself.
    void UnplugAfter(int packets, int replugMs);
    void Clear();

    // vendorRequest: a command packet of the vendor collection; other packets only count for the
    // unplug countdown.
    FaultDecision OnPacket(bool vendorRequest);
    std::string Describe() const;

private:
    static bool Take(int& remaining);

    int dropRemaining_ = 0;
    int wrongCodeRemaining_ = 0;
    int unreachableRemaining_ = 0;
    std::optional<uint8_t> failStatus_;
    int failPassing_ = 0;
    uint32_t delayMs_ = 0;
    int unplugRemaining_ = kNoReplug;  // negative: not armed
    int replugMs_ = kNoReplug;
};

}  // namespace emu
