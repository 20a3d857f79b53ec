#pragma once
// Plays a WAV file into the analyser at the file's own pace (one hop of samples once it has been
// "played", sleeping in between), then silence, as a quiet desktop would give; looped, the file
// starts again without a gap, so its beats keep their period.
#include <condition_variable>
#include <mutex>
#include <thread>

#include "tools/audiocapture/SoundSource.h"
#include "tools/audiocapture/WavFile.h"

class CWavFileSource : public ISoundSource {
public:
    CWavFileSource(WavAudio audio, std::string path, bool loop);
    ~CWavFileSource() override { Close(); }

    bool Open(const SampleSink& sink, std::string& error) override;
    void Close() override;
    bool IsOpen() const override { return thread_.joinable(); }
    std::string Describe() const override { return "WAV file " + path_; }

private:
    void Run(SampleSink sink);

    const WavAudio audio_;
    const std::string path_;
    const bool loop_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};
