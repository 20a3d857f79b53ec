#pragma once
// Sends capture frames to the linked main window as data copies 1 and 2 without waiting for the
// answers: both are written at once on the calling thread (the sound source's) over a bus
// connection of its own; data copy 1 asks for no answer, the answer to data copy 2 (handled after
// data copy 1 by the main window) is read at a later frame. Nothing here blocks. While two frames
// are still unanswered, or the bus cannot take a frame now, the new frame is dropped rather than
// queued: a main window that falls behind gets the newest frames, not a backlog of old ones, and
// its other callers are not crowded out.
//
// A frame equal to the last one sent goes out again only once a second, so silence costs one frame
// a second instead of every hop. The main window's differences are the same either way (equal
// frames give zero bands); the repeat keeps telling it that the program is alive.
#include <systemd/sd-bus.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "app/music/CaptureProtocol.h"
#include "tools/audiocapture/SpectrumAnalyser.h"


class CFrameSender {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kRepeatInterval{1000};
    static constexpr int kMaxUnanswered = 2;
    static constexpr uint64_t kAnswerTimeoutUs = 1'000'000;

    CFrameSender() = default;
    ~CFrameSender();
    CFrameSender(const CFrameSender&) = delete;
    CFrameSender& operator=(const CFrameSender&) = delete;

    // Opens the connection; false with the reason when there is no session bus.
    bool Connect(std::string& error);
    // From now on the frames go to mainWindow, sent as from captureWindow; the next frame goes out
    // even when it equals the last one. Any thread.
    void Retarget(uint64_t mainWindow, uint64_t captureWindow);

    enum class Outcome { Sent, Repeat, NoTarget, Busy, Dropped };
    // One thread at a time (the sound source's).
    Outcome Send(const CaptureFrame& frame, Clock::time_point now = Clock::now());

private:
    bool Post(uint64_t dataId, const uint8_t* bytes, size_t size, bool answered);
    static int OnAnswer(sd_bus_message* reply, void* self, sd_bus_error* error);

    std::mutex lock_;  // everything below; only ever contended by Retarget
    sd_bus* bus_ = nullptr;
    std::string destination_;  // the main window's bus name; empty while not linked
    uint64_t captureWindow_ = 0;
    bool haveLast_ = false;
    CaptureFrame last_{};
    Clock::time_point lastSent_{};
    bool lastFailed_ = false;  // logged once per run of failures
    int unanswered_ = 0;       // frames whose data copy 2 has not been answered (or timed out)
    std::array<uint8_t, capture::kSpectrumBytes> spectrumBytes_{};
    std::array<uint8_t, capture::kPeakBytes> peakBytes_{};
};
