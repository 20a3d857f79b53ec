#pragma once
// Captures what the desktop plays: the monitor of the sound server's default output, through the
// PulseAudio API (PipeWire's Pulse server serves it too). When the default output changes, the
// capture moves to the new output's monitor. Samples arrive on the server connection's thread,
// which sleeps in poll between fragments.
#include <atomic>
#include <mutex>
#include <string>

#include "tools/audiocapture/SoundSource.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_server_info;

class CPulseMonitorSource : public ISoundSource {
public:
    static constexpr unsigned kSampleRate = 44100;

    CPulseMonitorSource() = default;
    ~CPulseMonitorSource() override { Close(); }

    bool Open(const SampleSink& sink, std::string& error) override;
    void Close() override;
    bool IsOpen() const override { return loop_ != nullptr; }
    void Maintain() override;
    std::string Describe() const override;

private:
    static void OnContextState(pa_context* context, void* self);
    static void OnServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void OnSubscription(pa_context* context, int type, uint32_t index, void* self);
    static void OnRead(pa_stream* stream, size_t bytes, void* self);
    // On the connection's thread, with the loop locked.
    void FollowDefaultOutput(const std::string& sinkName);
    void DropStream();

    SampleSink sink_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    mutable std::mutex nameLock_;
    std::string monitor_;  // the source being captured
    std::atomic<bool> failed_{false};
};
