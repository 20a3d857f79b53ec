#pragma once
// The headset's audio side through the audio configuration library: the start-up (load, init,
// endpoint choice, feature probe, defaults), the read of the audio state and the property writes
// the engine's operations make. All calls run on the UI thread.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engines/headset/ConfLibLoader.h"
#include "store/ProfileRecords.h"

inline constexpr const char* kConfLibInitFailedText = "ConfLibInit called failed!";
inline constexpr const char* kFeatureProbeFailedText = "UpdateAPOAvailable failed!";
// Feature word A bit that says the capture endpoint has the voice changer.
inline constexpr uint32_t kFeatureMagicVoice = 0x20000;

struct AudioEndpoint {
    ConfLibDescriptor descriptor{};
    uint32_t featureA = 0, featureB = 0, featureC = 0;
    uint32_t Kind() const { return descriptor.word[1]; }
};

enum class AudioSide { Capture, Playback };

// How a property call passes its channel buffer.
struct ChannelArg {
    enum class Form { None, One, Block, Zeroed } form = Form::None;
    int32_t channel = 0;
    static ChannelArg None() { return {}; }
    static ChannelArg One(int32_t channel) { return {Form::One, channel}; }
    static ChannelArg Surround() { return {Form::Block, 0}; }  // {4, −1, 0}
    static ChannelArg Zeroed() { return {Form::Zeroed, 0}; }
};

struct AudioMuteFlags {
    int32_t microphone = 0;
    int32_t monitor = 0;
};

class CHeadsetAudio {
public:
    // Message boxes of the start-up ("ConfLibInit called failed!", "UpdateAPOAvailable failed!").
    using MessageSink = std::function<void(const std::string& text)>;

    CHeadsetAudio();
    ~CHeadsetAudio();
    CHeadsetAudio(const CHeadsetAudio&) = delete;
    CHeadsetAudio& operator=(const CHeadsetAudio&) = delete;

    // The whole start-up, once: a second call does nothing. Reads the audio state into state and
    // mutes when the endpoints were found. Without the library nothing else happens.
    void Start(const std::string& libraryPath, const MessageSink& message, HeadsetSystemSetStages& state,
               AudioMuteFlags& mutes);
    bool Started() const { return started_; }
    bool LibraryLoaded() const { return library_.Loaded(); }
    // Endpoints were looked for (the playback list was not empty).
    bool EndpointsSearched() const { return endpointsSearched_; }
    const AudioEndpoint& Endpoint(AudioSide side) const { return side == AudioSide::Capture ? capture_ : playback_; }

    // Reads the audio state; a failed read leaves its field as it was.
    void ReadState(HeadsetSystemSetStages& state, AudioMuteFlags& mutes);

    // Property writes and reads; true when the library answered 0. Without the library: false.
    bool WriteInt(AudioSide side, const std::string& property, int32_t value, ChannelArg channel = ChannelArg::None());
    bool WriteFloat(AudioSide side, const std::string& property, float value, ChannelArg channel);
    bool Read(AudioSide side, const std::string& property, std::string& text, ChannelArg channel = ChannelArg::None());

private:
    void FindEndpoints();
    void ProbeFeatures(AudioEndpoint& endpoint, const MessageSink& message);
    void EnsureDefaults();
    int32_t Call(AudioSide side, const std::string& property, void** value, ChannelArg channel, int32_t direction,
                 std::vector<uint8_t>& channelBuffer);

    CConfLibrary library_;
    bool started_ = false;
    bool endpointsSearched_ = false;
    AudioEndpoint capture_;
    AudioEndpoint playback_;
    // Value and channel buffers of writes, of capture reads, and the value buffer of playback reads.
    std::vector<uint8_t> setValue_, setChannel_, captureValue_, captureChannel_, playbackValue_;
};

// The process's audio side: loaded once, its endpoints serve every headset page.
CHeadsetAudio& SharedHeadsetAudio();
