#pragma once
// The soak mode: for a given time the keyboard misbehaves at random, one fault episode after
// another, each followed by a quiet spell in which it behaves and asks the host to talk to it (a
// sync event). An episode counts as recovered when the host gets a clean answer in that spell.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/Event.h"

namespace emu {

class EmulatedKeyboard;

struct SoakOptions {
    uint32_t seconds = 60;
    uint32_t seed = 1;
    // Longest wait, after an episode, for the host to come back.
    uint32_t recoveryWaitMs = 15000;
};

struct SoakFigures {
    uint64_t episodes = 0;
    std::map<std::string, uint64_t> faults;  // by kind
    uint64_t recovered = 0;
    uint64_t notRecovered = 0;
    bool finished = false;
};

class SoakDriver {
public:
    SoakDriver(EmulatedKeyboard& keyboard, SoakOptions options);
    ~SoakDriver();
    SoakDriver(const SoakDriver&) = delete;
    SoakDriver& operator=(const SoakDriver&) = delete;

    void Start();
    // Ends the current episode (faults cleared) and the thread.
    void Stop();
    SoakFigures Figures() const;

private:
    void Run();
    // Sets one random fault; returns its kind.
    std::string InjectOne();
    // Waits for a clean answer after `since`; false when stopped or the wait runs out.
    bool WaitForHost(uint64_t since);
    uint32_t Random(uint32_t low, uint32_t high);  // both ends included

    EmulatedKeyboard& keyboard_;
    const SoakOptions options_;
    uint64_t state_;
    Event stop_{true, false};
    std::thread thread_;
    mutable std::mutex figuresLock_;
    SoakFigures figures_;
};

// "soak: 40 episodes, 40 recovered, 0 not recovered; faults: noreply 7, ..." (one line).
std::string FormatSoakFigures(const SoakFigures& figures);

}  // namespace emu
