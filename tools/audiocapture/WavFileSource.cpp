#include "tools/audiocapture/WavFileSource.h"

#include <chrono>
#include <vector>

#include "tools/audiocapture/SpectrumAnalyser.h"

CWavFileSource::CWavFileSource(WavAudio audio, std::string path, bool loop)
    : audio_(std::move(audio)), path_(std::move(path)), loop_(loop) {}

bool CWavFileSource::Open(const SampleSink& sink, std::string& error) {
    if (IsOpen()) return true;
    if (audio_.sampleRate == 0) {
        error = "no samples";
        return false;
    }
    stop_ = false;
    thread_ = std::thread([this, sink] { Run(sink); });
    return true;
}

void CWavFileSource::Close() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void CWavFileSource::Run(SampleSink sink) {
    using Clock = std::chrono::steady_clock;
    const size_t hop = CSpectrumAnalyser::kHop;
    const int64_t rate = audio_.sampleRate;
    const auto start = Clock::now();
    std::vector<float> block(hop);
    size_t position = 0;
    uint64_t delivered = 0;  // samples handed on since the start
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        // A block goes out once its last sample would have been played, as a sound card's would.
        const auto due = start + std::chrono::nanoseconds(int64_t(delivered + hop) * 1'000'000'000LL / rate);
        // Close wakes it at once.
        if (wake_.wait_until(hold, due, [this] { return stop_; })) return;
        hold.unlock();
        for (float& sample : block) {
            if (loop_ && position == audio_.samples.size()) position = 0;  // no gap between rounds
            sample = position < audio_.samples.size() ? audio_.samples[position++] : 0.f;
        }
        sink(block);
        delivered += hop;
        hold.lock();
    }
}
