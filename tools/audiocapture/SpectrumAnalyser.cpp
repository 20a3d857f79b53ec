#include "tools/audiocapture/SpectrumAnalyser.h"

#include <kissfft/kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace capture;

namespace {
// Per hop of 1024 samples (about 23 ms at 44.1 kHz) the level falls to this part of itself, so a
// beat fades in about 150 ms.
constexpr float kEnvelopeRelease = 0.72f;
// The level runs from silence at -60 dB RMS to 1 at 0 dB.
constexpr float kLevelFloorDb = -60.f;

uint32_t ScaleComponent(uint32_t component, float level) {
    const uint32_t full = std::min(component, kMaxStyleComponent) * 255u / kMaxStyleComponent;
    return static_cast<uint32_t>(std::lround(float(full) * level));
}
}  // namespace

uint32_t SpectrumValueOfDb(float db) {
    const float units = (db - float(kSpectrumFloorDb)) * float(kSpectrumUnitsPerDb);
    if (!(units > 0.f)) return 0;
    return units >= float(kMaxSpectrumValue) ? kMaxSpectrumValue : static_cast<uint32_t>(units);
}

uint32_t SpectrumValueOf(float relativeMagnitude) {
    if (!(relativeMagnitude > 0.f)) return 0;
    return SpectrumValueOfDb(20.f * std::log10(relativeMagnitude));
}

CSpectrumAnalyser::CSpectrumAnalyser(FrameSink sink)
    : sink_(std::move(sink)), fft_(kiss_fftr_alloc(kWindow, 0, nullptr, nullptr)) {
    float windowSum = 0;
    for (size_t i = 0; i < kWindow; ++i) {
        window_[i] = 0.5f - 0.5f * std::cos(2.f * std::numbers::pi_v<float> * float(i) / float(kWindow));
        windowSum += window_[i];
    }
    // A full-scale sine of amplitude 1 gives a bin magnitude of windowSum / 2.
    fullScaleDb_ = 20.f * std::log10(windowSum / 2.f);
    // Bins whose power lies below the spectrum's floor are 0 without a logarithm (silence).
    floorPower_ = std::pow(10.f, (fullScaleDb_ + float(kSpectrumFloorDb)) / 10.f);
}

CSpectrumAnalyser::~CSpectrumAnalyser() { kiss_fftr_free(fft_); }

void CSpectrumAnalyser::SetStyleColour(uint32_t red, uint32_t green, uint32_t blue) {
    auto clamp = [](uint32_t c) { return std::min(c, kMaxStyleComponent); };
    styleColour_ = clamp(red) | clamp(green) << 8 | clamp(blue) << 16;
}

void CSpectrumAnalyser::Reset() {
    filled_ = 0;
    envelope_ = 0;
}

void CSpectrumAnalyser::Push(std::span<const float> samples) {
    while (!samples.empty()) {
        const size_t take = std::min(samples.size(), kWindow - filled_);
        std::copy_n(samples.begin(), take, history_.begin() + std::ptrdiff_t(filled_));
        filled_ += take;
        samples = samples.subspan(take);
        if (filled_ == kWindow) {
            Analyse();
            // The newest kWindow - kHop samples stay for the next window.
            std::copy(history_.begin() + kHop, history_.end(), history_.begin());
            filled_ = kWindow - kHop;
        }
    }
}

void CSpectrumAnalyser::Analyse() {
    double hopEnergy = 0;
    for (size_t i = 0; i < kWindow; ++i) input_[i] = history_[i] * window_[i];
    for (size_t i = kWindow - kHop; i < kWindow; ++i) hopEnergy += double(history_[i]) * history_[i];
    kiss_fftr(fft_, input_.data(), reinterpret_cast<kiss_fft_cpx*>(output_.data()));

    CaptureFrame frame;
    uint32_t loudest = 0;
    size_t loudestBin = 0;
    for (size_t bin = 1; bin <= kSpectrumValues; ++bin) {
        const float re = output_[bin][0], im = output_[bin][1];
        const float power = re * re + im * im;
        const uint32_t value = power > floorPower_ ? SpectrumValueOfDb(10.f * std::log10(power) - fullScaleDb_) : 0;
        frame.spectrum[bin - 1] = value;
        if (value > loudest) loudest = value, loudestBin = bin - 1;
    }

    const double rms = std::sqrt(hopEnergy / double(kHop));
    float level = 0;
    if (rms > 0) level = std::clamp((20.f * float(std::log10(rms)) - kLevelFloorDb) / -kLevelFloorDb, 0.f, 1.f);
    envelope_ = std::max(level, envelope_ * kEnvelopeRelease);
    if (envelope_ < 1.f / 255.f) envelope_ = 0;

    const uint32_t colour = styleColour_.load();
    frame.peaks[kPeakRed] = ScaleComponent(colour & 0xFF, envelope_);
    frame.peaks[kPeakGreen] = ScaleComponent(colour >> 8 & 0xFF, envelope_);
    frame.peaks[kPeakBlue] = ScaleComponent(colour >> 16 & 0xFF, envelope_);
    frame.peaks[kPeakLevel] = static_cast<uint32_t>(std::lround(envelope_ * 255.f));
    frame.peaks[kPeakBin] = static_cast<uint32_t>(loudestBin);
    frame.peaks[kPeakBinValue] = loudest;
    if (sink_) sink_(frame);
}
