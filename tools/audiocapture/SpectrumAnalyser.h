#pragma once
// Turns a stream of mono samples into capture frames: every hop of new samples, the 500 spectrum
// values of the last window and the six peak values (style colour at the current level, level,
// loudest bin and its value). Not thread-safe: one source thread pushes.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

#include "app/music/CaptureProtocol.h"

struct kiss_fftr_state;

struct CaptureFrame {
    std::array<uint32_t, capture::kSpectrumValues> spectrum{};
    std::array<uint32_t, capture::kPeakValues> peaks{};
    bool operator==(const CaptureFrame&) const = default;
};

class CSpectrumAnalyser {
public:
    static constexpr size_t kWindow = 1024;
    // A whole window: 43 frames a second at 44.1 kHz, one every 23 ms, about as often as the
    // keyboard can show a new picture (a lit key fades in 24 ms); each frame wakes the program and
    // goes over the bus, so this halves its CPU against half a window, for 12 ms more delay.
    static constexpr size_t kHop = 1024;

    using FrameSink = std::function<void(const CaptureFrame&)>;
    explicit CSpectrumAnalyser(FrameSink sink);
    ~CSpectrumAnalyser();
    CSpectrumAnalyser(const CSpectrumAnalyser&) = delete;
    CSpectrumAnalyser& operator=(const CSpectrumAnalyser&) = delete;

    void Push(std::span<const float> samples);
    // Forgets the samples and the level envelope (control code 3).
    void Reset();
    // Style colour, components 0 to 9 (larger ones count as 9); any thread.
    void SetStyleColour(uint32_t red, uint32_t green, uint32_t blue);

private:
    void Analyse();

    FrameSink sink_;
    kiss_fftr_state* fft_ = nullptr;
    std::array<float, kWindow> window_{};
    // 20 log10 of the magnitude that a full-scale sine gives in its bin: the spectrum's 0 dB.
    float fullScaleDb_ = 0;
    float floorPower_ = 0;
    // The newest samples, oldest first; once full, each frame moves the newest part to the front.
    std::array<float, kWindow> history_{};
    size_t filled_ = 0;
    float envelope_ = 0;
    std::atomic<uint32_t> styleColour_{0x090000};  // 0x00BBGGRR, components 0..9
    std::array<float, kWindow> input_{};
    std::array<std::array<float, 2>, kWindow / 2 + 1> output_{};
};

// The spectrum value of one bin magnitude (relative to a full-scale sine), and of its level in dB.
uint32_t SpectrumValueOf(float relativeMagnitude);
uint32_t SpectrumValueOfDb(float db);
