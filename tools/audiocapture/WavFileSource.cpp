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
    const auto hopTime = std::chrono::nanoseconds(1'000'000'000LL * int64_t(hop) / audio_.sampleRate);
    const std::vector<float> silence(hop, 0.f);
    size_t position = 0;
    auto due = Clock::now();
    std::unique_lock<std::mutex> hold(lock_);
    while (!stop_) {
        hold.unlock();
        if (position < audio_.samples.size()) {
            const size_t count = std::min(hop, audio_.samples.size() - position);
            sink({audio_.samples.data() + position, count});
            if (count < hop) sink({silence.data(), hop - count});
            position += count;
            if (loop_ && position >= audio_.samples.size()) position = 0;
        } else {
            sink(silence);
        }
        due += hopTime;
        hold.lock();
        // Sleeps until the next hop is due; Close wakes it at once.
        wake_.wait_until(hold, due, [this] { return stop_; });
    }
}
