#include "tools/audiocapture/PulseMonitorSource.h"

#include <pulse/pulseaudio.h>

#include <cstdio>

#include "tools/audiocapture/SpectrumAnalyser.h"

namespace {
constexpr pa_sample_spec kSpec = {PA_SAMPLE_FLOAT32LE, CPulseMonitorSource::kSampleRate, 1};
}

bool CPulseMonitorSource::Open(const SampleSink& sink, std::string& error) {
    if (IsOpen()) return true;
    sink_ = sink;
    failed_ = false;
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) {
        error = "no sound server loop";
        return false;
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "VavozAzazoz");
    pa_context_set_state_callback(context_, &CPulseMonitorSource::OnContextState, this);
    pa_threaded_mainloop_lock(loop_);
    bool ready = false;
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 && pa_threaded_mainloop_start(loop_) >= 0) {
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context_);
            if (state == PA_CONTEXT_READY) {
                ready = true;
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(state)) break;
            pa_threaded_mainloop_wait(loop_);
        }
    }
    if (!ready) {
        error = std::string("no sound server: ") + pa_strerror(pa_context_errno(context_));
        pa_threaded_mainloop_unlock(loop_);
        Close();
        return false;
    }
    pa_context_set_subscribe_callback(context_, reinterpret_cast<pa_context_subscribe_cb_t>(&CPulseMonitorSource::OnSubscription), this);
    if (pa_operation* op = pa_context_subscribe(context_, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr)) pa_operation_unref(op);
    if (pa_operation* op = pa_context_get_server_info(context_, &CPulseMonitorSource::OnServerInfo, this)) pa_operation_unref(op);
    pa_threaded_mainloop_unlock(loop_);
    return true;
}

void CPulseMonitorSource::Close() {
    if (!loop_) return;
    pa_threaded_mainloop_lock(loop_);
    DropStream();
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
    std::lock_guard<std::mutex> hold(nameLock_);
    monitor_.clear();
}

void CPulseMonitorSource::Maintain() {
    // A server that went away (restart, log-out of the audio session) is connected to again.
    if (!failed_.load() || !loop_) return;
    std::fprintf(stderr, "VavozAzazoz: sound server connection lost, reconnecting\n");
    const SampleSink sink = sink_;
    Close();
    std::string error;
    if (!Open(sink, error)) std::fprintf(stderr, "VavozAzazoz: %s\n", error.c_str());
}

std::string CPulseMonitorSource::Describe() const {
    std::lock_guard<std::mutex> hold(nameLock_);
    return monitor_.empty() ? std::string("sound server (no output yet)") : "monitor " + monitor_;
}

void CPulseMonitorSource::OnContextState(pa_context* context, void* self) {
    auto* source = static_cast<CPulseMonitorSource*>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) source->failed_ = true;
    pa_threaded_mainloop_signal(source->loop_, 0);
}

void CPulseMonitorSource::OnSubscription(pa_context* context, int type, uint32_t, void* self) {
    const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (facility != PA_SUBSCRIPTION_EVENT_SERVER) return;
    // The default output may have changed: ask which one it is now.
    if (pa_operation* op = pa_context_get_server_info(context, &CPulseMonitorSource::OnServerInfo, self)) pa_operation_unref(op);
}

void CPulseMonitorSource::OnServerInfo(pa_context*, const pa_server_info* info, void* self) {
    if (!info || !info->default_sink_name) return;
    static_cast<CPulseMonitorSource*>(self)->FollowDefaultOutput(info->default_sink_name);
}

void CPulseMonitorSource::FollowDefaultOutput(const std::string& sinkName) {
    const std::string monitor = sinkName + ".monitor";
    {
        std::lock_guard<std::mutex> hold(nameLock_);
        if (stream_ && monitor == monitor_) return;
    }
    DropStream();
    stream_ = pa_stream_new(context_, "music lighting", &kSpec, nullptr);
    if (!stream_) return;
    pa_stream_set_read_callback(stream_, &CPulseMonitorSource::OnRead, this);
    // Fragments of one hop keep the delay from the desktop's sound to the light short.
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.fragsize = uint32_t(CSpectrumAnalyser::kHop * sizeof(float));
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(stream_, monitor.c_str(), &attr, flags) < 0) {
        std::fprintf(stderr, "VavozAzazoz: cannot capture %s: %s\n", monitor.c_str(), pa_strerror(pa_context_errno(context_)));
        DropStream();
        return;
    }
    std::fprintf(stderr, "VavozAzazoz: capturing %s\n", monitor.c_str());
    std::lock_guard<std::mutex> hold(nameLock_);
    monitor_ = monitor;
}

void CPulseMonitorSource::DropStream() {
    if (!stream_) return;
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void CPulseMonitorSource::OnRead(pa_stream* stream, size_t, void* self) {
    auto* source = static_cast<CPulseMonitorSource*>(self);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0) {
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) return;
        // data is null for a hole in the stream: it counts as silence we skip.
        if (data && source->sink_) source->sink_({static_cast<const float*>(data), bytes / sizeof(float)});
        pa_stream_drop(stream);
    }
}
