#pragma once
// After switching a device over to its receiver, the link takes a moment to come up.
#include <cstdint>

class CCommandChannel;

inline constexpr int kReceiverLinkAttempts = 26;
inline constexpr uint32_t kReceiverLinkPauseMs = 50;

// Asks QueryReceiverLink up to `attempts` times, `pauseMs` apart, logging each failed attempt.
// 1 as soon as the link is up, 0 when every attempt failed.
int PollReceiverLink(CCommandChannel& channel, int attempts = kReceiverLinkAttempts,
                     uint32_t pauseMs = kReceiverLinkPauseMs);
