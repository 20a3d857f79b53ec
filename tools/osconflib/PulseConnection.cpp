#include "tools/osconflib/PulseConnection.h"

#include <functional>

namespace osconflib {

class MainloopLock {
public:
    explicit MainloopLock(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
    ~MainloopLock() { pa_threaded_mainloop_unlock(loop_); }
    MainloopLock(const MainloopLock&) = delete;
    MainloopLock& operator=(const MainloopLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

struct PulseConnection::Pending {
    pa_threaded_mainloop* loop = nullptr;
    bool done = false;
    bool ok = false;
    bool expired = false;
    uint32_t index = PA_INVALID_INDEX;
    std::function<void(const void*)> each;
};

namespace {

void Wake(pa_threaded_mainloop* loop) { pa_threaded_mainloop_signal(loop, 0); }

void OnContextState(pa_context*, void* userdata) { Wake(static_cast<pa_threaded_mainloop*>(userdata)); }

void OnOperationState(pa_operation*, void* userdata) { Wake(static_cast<pa_threaded_mainloop*>(userdata)); }

std::map<std::string, std::string> ReadProperties(const pa_proplist* list) {
    std::map<std::string, std::string> properties;
    if (!list) return properties;
    void* state = nullptr;
    while (const char* key = pa_proplist_iterate(list, &state)) {
        const char* value = pa_proplist_gets(list, key);
        if (value) properties[key] = value;
    }
    return properties;
}

}  // namespace

PulseConnection::~PulseConnection() { Disconnect(); }

bool PulseConnection::Connect(std::string* error) {
    Disconnect();
    hung_ = false;
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) {
        if (error) *error = "no mainloop";
        return false;
    }
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Zorv Wired Manager headset audio");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "org.zorv.WiredManager.osConfLib");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Zorv Wired Manager", properties);
    pa_proplist_free(properties);
    if (!context_ || pa_threaded_mainloop_start(loop_) < 0) {
        if (error) *error = "no client context";
        Disconnect();
        return false;
    }
    bool ready = false;
    {
        MainloopLock lock(loop_);
        pa_context_set_state_callback(context_, OnContextState, loop_);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
            Pending timer;
            timer.loop = loop_;
            pa_time_event* deadline = StartDeadline(&timer, kConnectTimeoutMs);
            for (;;) {
                const pa_context_state_t state = pa_context_get_state(context_);
                if (state == PA_CONTEXT_READY) {
                    ready = true;
                    break;
                }
                if (!PA_CONTEXT_IS_GOOD(state) || timer.expired) break;
                pa_threaded_mainloop_wait(loop_);
            }
            if (deadline) pa_threaded_mainloop_get_api(loop_)->time_free(deadline);
            if (!ready && timer.expired) MarkHung();
        }
        if (!ready && error) *error = pa_strerror(pa_context_errno(context_));
    }
    if (!ready) Disconnect();
    return ready;
}

void PulseConnection::MarkHung() {
    hung_ = true;
    hungSince_ = std::chrono::steady_clock::now();
}

bool PulseConnection::HungWithin(std::chrono::milliseconds interval) const {
    return hung_ && std::chrono::steady_clock::now() - hungSince_ < interval;
}

void PulseConnection::Disconnect() {
    if (loop_) pa_threaded_mainloop_stop(loop_);
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (loop_) {
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
    }
}

bool PulseConnection::Ready() {
    if (!loop_ || !context_) return false;
    MainloopLock lock(loop_);
    return !hung_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

pa_time_event* PulseConnection::StartDeadline(Pending* pending, int timeoutMs) {
    return pa_context_rttime_new(
        context_, pa_rtclock_now() + static_cast<pa_usec_t>(timeoutMs) * PA_USEC_PER_MSEC,
        [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
            auto* waiting = static_cast<Pending*>(userdata);
            waiting->expired = true;
            Wake(waiting->loop);
        },
        pending);
}

bool PulseConnection::Await(pa_operation* operation, Pending& pending) {
    if (!operation) return false;
    pa_operation_set_state_callback(operation, OnOperationState, loop_);
    pa_time_event* deadline = StartDeadline(&pending, kOperationTimeoutMs);
    while (!pending.done && !pending.expired && pa_operation_get_state(operation) == PA_OPERATION_RUNNING &&
           pa_context_get_state(context_) == PA_CONTEXT_READY)
        pa_threaded_mainloop_wait(loop_);
    // Cancelled, the operation's callbacks cannot run any more, so `pending` may go.
    if (!pending.done) pa_operation_cancel(operation);
    if (pending.expired && !pending.done) MarkHung();
    pa_operation_set_state_callback(operation, nullptr, nullptr);
    pa_operation_unref(operation);
    if (deadline) pa_threaded_mainloop_get_api(loop_)->time_free(deadline);
    return pending.done && pending.ok;
}

template <typename Info, typename Record, typename Start, typename Convert>
bool PulseConnection::List(std::vector<Record>* out, Start start, Convert convert) {
    if (!out || !loop_ || !context_) return false;
    out->clear();
    MainloopLock lock(loop_);
    if (hung_ || pa_context_get_state(context_) != PA_CONTEXT_READY) return false;
    Pending pending;
    pending.loop = loop_;
    pending.each = [&](const void* info) { out->push_back(convert(*static_cast<const Info*>(info))); };
    auto callback = [](pa_context*, const Info* info, int eol, void* userdata) {
        auto* waiting = static_cast<Pending*>(userdata);
        if (eol == 0 && info) {
            waiting->each(info);
            return;
        }
        waiting->ok = eol > 0;
        waiting->done = true;
        Wake(waiting->loop);
    };
    return Await(start(context_, callback, &pending), pending);
}

template <typename Start>
bool PulseConnection::Simple(Start start) {
    if (!loop_ || !context_) return false;
    MainloopLock lock(loop_);
    if (hung_ || pa_context_get_state(context_) != PA_CONTEXT_READY) return false;
    Pending pending;
    pending.loop = loop_;
    auto callback = [](pa_context*, int success, void* userdata) {
        auto* waiting = static_cast<Pending*>(userdata);
        waiting->ok = success != 0;
        waiting->done = true;
        Wake(waiting->loop);
    };
    return Await(start(context_, callback, &pending), pending);
}

namespace {

DeviceInfo FromSink(const pa_sink_info& sink) {
    DeviceInfo info;
    info.index = sink.index;
    info.name = sink.name ? sink.name : "";
    info.description = sink.description ? sink.description : "";
    info.card = sink.card;
    info.ownerModule = sink.owner_module;
    info.mute = sink.mute != 0;
    info.volume = sink.volume;
    info.spec = sink.sample_spec;
    info.properties = ReadProperties(sink.proplist);
    return info;
}

DeviceInfo FromSource(const pa_source_info& source) {
    DeviceInfo info;
    info.index = source.index;
    info.name = source.name ? source.name : "";
    info.description = source.description ? source.description : "";
    info.card = source.card;
    info.ownerModule = source.owner_module;
    info.isMonitor = source.monitor_of_sink != PA_INVALID_INDEX;
    info.mute = source.mute != 0;
    info.volume = source.volume;
    info.spec = source.sample_spec;
    info.properties = ReadProperties(source.proplist);
    return info;
}

}  // namespace

bool PulseConnection::Server(ServerInfo* info) {
    if (!info || !loop_ || !context_) return false;
    MainloopLock lock(loop_);
    if (hung_ || pa_context_get_state(context_) != PA_CONTEXT_READY) return false;
    Pending pending;
    pending.loop = loop_;
    pending.each = [&](const void* raw) {
        const auto* server = static_cast<const pa_server_info*>(raw);
        info->defaultSink = server->default_sink_name ? server->default_sink_name : "";
        info->defaultSource = server->default_source_name ? server->default_source_name : "";
        info->serverName = server->server_name ? server->server_name : "";
    };
    auto callback = [](pa_context*, const pa_server_info* server, void* userdata) {
        auto* waiting = static_cast<Pending*>(userdata);
        if (server) waiting->each(server);
        waiting->ok = server != nullptr;
        waiting->done = true;
        Wake(waiting->loop);
    };
    return Await(pa_context_get_server_info(context_, callback, &pending), pending);
}

bool PulseConnection::Sinks(std::vector<DeviceInfo>* sinks) {
    return List<pa_sink_info>(sinks, pa_context_get_sink_info_list, FromSink);
}

bool PulseConnection::Sources(std::vector<DeviceInfo>* sources) {
    return List<pa_source_info>(sources, pa_context_get_source_info_list, FromSource);
}

bool PulseConnection::Cards(std::vector<CardInfo>* cards) {
    return List<pa_card_info>(cards, pa_context_get_card_info_list, [](const pa_card_info& card) {
        return CardInfo{card.index, ReadProperties(card.proplist)};
    });
}

bool PulseConnection::Modules(std::vector<ModuleInfo>* modules) {
    return List<pa_module_info>(modules, pa_context_get_module_info_list, [](const pa_module_info& module) {
        return ModuleInfo{module.index, module.name ? module.name : "", module.argument ? module.argument : ""};
    });
}

bool PulseConnection::SinkInputs(std::vector<StreamInfo>* inputs) {
    return List<pa_sink_input_info>(inputs, pa_context_get_sink_input_info_list, [](const pa_sink_input_info& input) {
        return StreamInfo{input.index, input.owner_module, input.sink, input.mute != 0, input.volume};
    });
}

bool PulseConnection::SourceOutputs(std::vector<StreamInfo>* outputs) {
    return List<pa_source_output_info>(outputs, pa_context_get_source_output_info_list,
                                       [](const pa_source_output_info& output) {
                                           return StreamInfo{output.index, output.owner_module, output.source,
                                                             output.mute != 0, output.volume};
                                       });
}

bool PulseConnection::LoadModule(const std::string& name, const std::string& argument, uint32_t* index) {
    if (!loop_ || !context_) return false;
    MainloopLock lock(loop_);
    if (hung_ || pa_context_get_state(context_) != PA_CONTEXT_READY) return false;
    Pending pending;
    pending.loop = loop_;
    auto callback = [](pa_context*, uint32_t loaded, void* userdata) {
        auto* waiting = static_cast<Pending*>(userdata);
        waiting->index = loaded;
        waiting->ok = loaded != PA_INVALID_INDEX;
        waiting->done = true;
        Wake(waiting->loop);
    };
    const bool ok = Await(pa_context_load_module(context_, name.c_str(), argument.c_str(), callback, &pending), pending);
    if (index) *index = ok ? pending.index : PA_INVALID_INDEX;
    return ok;
}

bool PulseConnection::UnloadModule(uint32_t index) {
    return Simple([&](pa_context* c, pa_context_success_cb_t cb, void* u) { return pa_context_unload_module(c, index, cb, u); });
}

bool PulseConnection::SetSourceVolume(const std::string& source, const pa_cvolume& volume) {
    return Simple([&](pa_context* c, pa_context_success_cb_t cb, void* u) {
        return pa_context_set_source_volume_by_name(c, source.c_str(), &volume, cb, u);
    });
}

bool PulseConnection::SetSourceMute(const std::string& source, bool mute) {
    return Simple([&](pa_context* c, pa_context_success_cb_t cb, void* u) {
        return pa_context_set_source_mute_by_name(c, source.c_str(), mute, cb, u);
    });
}

bool PulseConnection::SetSinkInputVolume(uint32_t input, const pa_cvolume& volume) {
    return Simple([&](pa_context* c, pa_context_success_cb_t cb, void* u) {
        return pa_context_set_sink_input_volume(c, input, &volume, cb, u);
    });
}

bool PulseConnection::SetSinkInputMute(uint32_t input, bool mute) {
    return Simple([&](pa_context* c, pa_context_success_cb_t cb, void* u) {
        return pa_context_set_sink_input_mute(c, input, mute, cb, u);
    });
}

bool PulseConnection::SetDefaultSink(const std::string& sink) {
    return Simple([&](pa_context* c, pa_context_success_cb_t cb, void* u) {
        return pa_context_set_default_sink(c, sink.c_str(), cb, u);
    });
}

bool PulseConnection::SetDefaultSource(const std::string& source) {
    return Simple([&](pa_context* c, pa_context_success_cb_t cb, void* u) {
        return pa_context_set_default_source(c, source.c_str(), cb, u);
    });
}

bool PulseConnection::MoveSinkInput(uint32_t input, const std::string& sink) {
    return Simple([&](pa_context* c, pa_context_success_cb_t cb, void* u) {
        return pa_context_move_sink_input_by_name(c, input, sink.c_str(), cb, u);
    });
}

bool PulseConnection::MoveSourceOutput(uint32_t output, const std::string& source) {
    return Simple([&](pa_context* c, pa_context_success_cb_t cb, void* u) {
        return pa_context_move_source_output_by_name(c, output, source.c_str(), cb, u);
    });
}

}  // namespace osconflib
