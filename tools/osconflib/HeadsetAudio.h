#pragma once
// The headset's audio settings realised on the sound server: the microphone is the headset's
// source, monitoring a loopback from it to the headset's sink, the equaliser a filter sink in front
// of the headset's sink and the voice changer a filter on the microphone, published as a source of
// its own. Everything this object loads on the server carries its process id, so that modules a
// crashed process left behind are found and removed by the next one.
#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/audio/ConfLibAbi.h"
#include "tools/osconflib/PropertyCodec.h"
#include "tools/osconflib/PulseConnection.h"

namespace osconflib {

// The LADSPA plugins the filters use, and where the server is expected to find them.
struct FilterPlugins {
    bool equaliser = false;
    bool pitch = false;
    bool echo = false;
    static FilterPlugins Installed();
};

class HeadsetAudio {
public:
    // The headset's USB ids as the sound server's device properties spell them.
    static constexpr char kVendorId[] = "0c76";
    static constexpr char kProductId[] = "1630";
    static constexpr int kBands = 10;

    HeadsetAudio() = default;
    ~HeadsetAudio();
    HeadsetAudio(const HeadsetAudio&) = delete;
    HeadsetAudio& operator=(const HeadsetAudio&) = delete;

    int32_t Init();
    void UnInit();
    int32_t CreateDeviceList();
    int32_t Count(int32_t list, int32_t* count) const;
    int32_t Describe(int32_t list, int32_t index, ConfLibDescriptor* descriptor) const;
    int32_t Control(const ConfLibDescriptor& descriptor, Property property, void** value, void** channel,
                    int32_t direction);

private:
    struct Endpoint {
        bool present = false;
        std::string name;  // sink or source name on the server
        uint32_t kind = 0;
        bool byUsbIds = false;
        uint32_t channels = 0;
        uint32_t rate = 0;
    };

    int32_t Read(Property property, const Endpoint& endpoint, const ChannelArgument& channel, std::string* text);
    int32_t Write(Property property, const Endpoint& endpoint, const ChannelArgument& channel,
                  const WrittenValue& value);

    // Connects again when the server was restarted; false when there is none.
    bool Reconnected();
    std::string FeatureText(const Endpoint& endpoint) const;
    // kOk, kNoEndpoint when the server has no device of that name, or kServerFailed.
    int32_t FindDevice(const std::string& name, bool source, DeviceInfo* info);

    // Microphone.
    int32_t ReadSourceVolume(const Endpoint& mic, const ChannelArgument& channel, bool decibels, std::string* text);
    int32_t WriteSourceVolume(const Endpoint& mic, const ChannelArgument& channel, double linear);
    // Monitoring.
    bool MonitoringPossible() const;
    bool FindLoopbackInput(StreamInfo* input);
    int32_t StartMonitoring();
    void StopMonitoring();
    int32_t ApplyMonitoringLevel();
    // Equaliser.
    int32_t RebuildEqualiser();
    void RemoveEqualiser();
    std::string EqualiserControls() const;
    // Voice changer.
    // The microphone's filters (voice changer, echo) as they are switched; none: removed.
    int32_t RebuildVoiceChanger();
    void RemoveVoiceChanger();

    void RemoveEffects();
    void RemoveOrphans();
    std::string OwnerMark() const;
    void Unload(uint32_t* index);
    // Streams of others that play to (or record from) `from` go to `to`; the default follows when
    // it was `from`.
    void MoveStreams(bool recording, const std::string& from, const std::string& to);

    static constexpr std::chrono::milliseconds kReconnectInterval{2000};

    PulseConnection server_;
    bool connected_ = false;
    uint32_t generation_ = 0;  // descriptors of an older device list are refused
    Endpoint playback_;
    Endpoint capture_;
    FilterPlugins plugins_;

    // Kept values: what was written, also where the server cannot realise it.
    std::map<Property, int32_t> stored_;

    bool monitorMuted_ = true;
    double monitorLevel_ = 0.5;
    uint32_t loopbackModule_ = PA_INVALID_INDEX;

    bool eqEnabled_ = false;
    std::array<int32_t, kBands> eqGains_{};
    uint32_t eqModule_ = PA_INVALID_INDEX;
    std::string eqSink_;
    bool eqAlternate_ = false;  // a rebuilt equaliser takes the other name until the old one is gone

    bool voiceEnabled_ = false;
    int32_t voice_ = 0;  // 0..3
    bool echoEnabled_ = false;
    std::vector<uint32_t> voiceModules_;  // in load order
};

}  // namespace osconflib
