#pragma once
// A connection to the desktop's sound server over the PulseAudio client API (PipeWire's Pulse
// server answers it too), on a mainloop thread of its own. Every operation waits for the server's
// answer, at most a bounded time, so a caller is never stuck on a hung server.
#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace osconflib {

struct DeviceInfo {  // a sink or a source
    uint32_t index = PA_INVALID_INDEX;
    std::string name;
    std::string description;
    uint32_t card = PA_INVALID_INDEX;
    uint32_t ownerModule = PA_INVALID_INDEX;
    bool isMonitor = false;  // a sink's monitor source
    bool mute = false;
    pa_cvolume volume{};
    pa_sample_spec spec{};
    std::map<std::string, std::string> properties;
};

struct StreamInfo {  // a sink input or a source output
    uint32_t index = PA_INVALID_INDEX;
    uint32_t ownerModule = PA_INVALID_INDEX;
    uint32_t device = PA_INVALID_INDEX;  // the sink or source it is attached to
    bool mute = false;
    pa_cvolume volume{};
};

struct ModuleInfo {
    uint32_t index = PA_INVALID_INDEX;
    std::string name;
    std::string argument;
};

struct CardInfo {
    uint32_t index = PA_INVALID_INDEX;
    std::map<std::string, std::string> properties;
};

struct ServerInfo {
    std::string defaultSink;
    std::string defaultSource;
    std::string serverName;
};

class PulseConnection {
public:
    static constexpr int kConnectTimeoutMs = 3000;
    static constexpr int kOperationTimeoutMs = 3000;

    PulseConnection() = default;
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Connects to the server the environment names (PULSE_SERVER) or the user's default one.
    bool Connect(std::string* error);
    void Disconnect();
    // Connected, and no request has timed out since.
    bool Ready();
    // The last connection or request timed out less than `interval` ago.
    bool HungWithin(std::chrono::milliseconds interval) const;

    bool Server(ServerInfo* info);
    bool Sinks(std::vector<DeviceInfo>* sinks);
    bool Sources(std::vector<DeviceInfo>* sources);
    bool Cards(std::vector<CardInfo>* cards);
    bool Modules(std::vector<ModuleInfo>* modules);
    bool SinkInputs(std::vector<StreamInfo>* inputs);
    bool SourceOutputs(std::vector<StreamInfo>* outputs);

    bool LoadModule(const std::string& name, const std::string& argument, uint32_t* index);
    bool UnloadModule(uint32_t index);
    bool SetSourceVolume(const std::string& source, const pa_cvolume& volume);
    bool SetSourceMute(const std::string& source, bool mute);
    bool SetSinkInputVolume(uint32_t input, const pa_cvolume& volume);
    bool SetSinkInputMute(uint32_t input, bool mute);
    bool SetDefaultSink(const std::string& sink);
    bool SetDefaultSource(const std::string& source);
    bool MoveSinkInput(uint32_t input, const std::string& sink);
    bool MoveSourceOutput(uint32_t output, const std::string& source);

private:
    friend class MainloopLock;
    struct Pending;
    // A timer that marks `pending` expired and wakes the waiter (mainloop locked).
    pa_time_event* StartDeadline(Pending* pending, int timeoutMs);
    // Waits (mainloop locked) until the operation ends, the context fails or the time is up.
    bool Await(pa_operation* operation, Pending& pending);
    template <typename Info, typename Record, typename Start, typename Convert>
    bool List(std::vector<Record>* out, Start start, Convert convert);
    template <typename Start>
    bool Simple(Start start);

    pa_threaded_mainloop* loop_ = nullptr;
    void MarkHung();

    pa_context* context_ = nullptr;
    bool hung_ = false;
    std::chrono::steady_clock::time_point hungSince_{};
};

}  // namespace osconflib
