#include "engines/headset/HeadsetAudio.h"

#include <cstring>

#include "engines/headset/AudioValueText.h"

using conflib::kCaptureList;
using conflib::kPlaybackList;

namespace {

constexpr uint32_t kPlaybackKindOrder[] = {conflib::kKindSpeakers, conflib::kKindHeadsetOutput,
                                           conflib::kKindDigitalOutput, conflib::kKindHeadphones};
constexpr size_t kFeatureFieldsNeeded = 7;
constexpr int32_t kSurroundBlock[3] = {4, -1, 0};

struct DefaultProperty {
    const char* name;
    AudioSide side;
    ChannelArg channel;
};

std::vector<DefaultProperty> DefaultProperties() {
    using S = AudioSide;
    std::vector<DefaultProperty> rows = {
        {"VirtualSurroundEffectControl", S::Playback, ChannelArg::Surround()},
        {"Enable_ENC_LFX", S::Capture, ChannelArg::Zeroed()},
        {"VolumeControl", S::Capture, ChannelArg::One(-1)},
        {"Enable_EQ_GFX", S::Playback, ChannelArg::None()},
    };
    for (int band = 1; band <= 10; ++band)
        rows.push_back({nullptr, S::Playback, ChannelArg::None()});
    const DefaultProperty tail[] = {
        {"Enable_RFX_GFX", S::Playback, ChannelArg::None()},
        {"RFX_ENVIRONMENT", S::Playback, ChannelArg::None()},
        {"RFX_ROOMSIZE", S::Playback, ChannelArg::None()},
        {"MuteControl", S::Capture, ChannelArg::None()},
        {"VolumeScalarControl", S::Capture, ChannelArg::One(-1)},
        {"AAVolumeControl", S::Capture, ChannelArg::One(0)},
        {"AAMuteControl", S::Capture, ChannelArg::None()},
        {"AAVolumeScalarControl", S::Capture, ChannelArg::One(0)},
        {"Enable_MAGICVOICE", S::Capture, ChannelArg::None()},
        {"MagicVoice_Selection", S::Capture, ChannelArg::None()},
    };
    rows.insert(rows.end(), std::begin(tail), std::end(tail));
    return rows;
}

int32_t Percent(const std::string& text) { return static_cast<int32_t>(ValueTextToDouble(text) * 100.0); }

}  // namespace

CHeadsetAudio::CHeadsetAudio()
    : setValue_(conflib::kValueBufferSize),
      setChannel_(conflib::kValueBufferSize),
      captureValue_(conflib::kValueBufferSize),
      captureChannel_(conflib::kValueBufferSize),
      playbackValue_(conflib::kValueBufferSize) {}

CHeadsetAudio::~CHeadsetAudio() = default;

void CHeadsetAudio::Start(const std::string& libraryPath, const MessageSink& message, HeadsetSystemSetStages& state,
                          AudioMuteFlags& mutes) {
    if (started_) return;
    started_ = true;
    if (!library_.Load(libraryPath)) return;  // the audio side stays inactive, without a message
    if (library_.Init() != 0 && message) message(kConfLibInitFailedText);
    library_.CreateDeviceList();
    if (library_.DeviceCount(kPlaybackList) == 0) return;
    FindEndpoints();
    ProbeFeatures(capture_, message);
    ProbeFeatures(playback_, message);
    EnsureDefaults();
    ReadState(state, mutes);
}

void CHeadsetAudio::FindEndpoints() {
    endpointsSearched_ = true;
    const int32_t playbackCount = library_.DeviceCount(kPlaybackList);
    for (uint32_t kind : kPlaybackKindOrder) {
        bool found = false;
        for (int32_t i = 0; i < playbackCount && !found; ++i) {
            ConfLibDescriptor descriptor{};
            library_.DeviceById(kPlaybackList, i, descriptor);
            if (descriptor.word[3] == conflib::kFlagUsable && descriptor.word[1] == kind) {
                playback_.descriptor = descriptor;
                found = true;
            }
        }
        if (found) break;
    }
    const int32_t captureCount = library_.DeviceCount(kCaptureList);
    for (int32_t i = 0; i < captureCount; ++i) {
        ConfLibDescriptor descriptor{};
        library_.DeviceById(kCaptureList, i, descriptor);
        if (descriptor.word[1] == conflib::kKindMicrophone) {
            capture_.descriptor = descriptor;
            break;
        }
    }
}

void CHeadsetAudio::ProbeFeatures(AudioEndpoint& endpoint, const MessageSink& message) {
    if (endpoint.Kind() < 1) return;
    std::vector<uint8_t> answer(conflib::kFeatureBufferSize, 0);
    void* value = answer.data();
    if (library_.Property(endpoint.descriptor, PropertyName("GetSupportFeature").c_str(), &value, nullptr,
                          conflib::kRead) != 0)
        return;
    const std::string text = ValueText(reinterpret_cast<const char16_t*>(answer.data()), answer.size() / 2);
    const std::vector<std::string> fields = SplitFeatureText(text);
    if (fields.size() < kFeatureFieldsNeeded) {
        if (message) message(kFeatureProbeFailedText);
        return;
    }
    endpoint.featureA = static_cast<uint32_t>(ValueTextToInt(fields[0]));
    endpoint.featureB = static_cast<uint32_t>(ValueTextToInt(fields[4]));
    endpoint.featureC = static_cast<uint32_t>(ValueTextToInt(fields[6]));
}

void CHeadsetAudio::EnsureDefaults() {
    int band = 0;
    for (const DefaultProperty& row : DefaultProperties()) {
        const std::string name = row.name ? row.name : "EQ_Slider" + std::to_string(++band);
        std::string text;
        if (!Read(row.side, name, text, row.channel)) WriteInt(row.side, name, 0, row.channel);
    }
}

void CHeadsetAudio::ReadState(HeadsetSystemSetStages& state, AudioMuteFlags& mutes) {
    if (!library_.Loaded()) return;
    const AudioSide C = AudioSide::Capture;
    std::string text;
    if (Read(C, "MuteControl", text)) {
        mutes.microphone = ValueTextToInt(text);
        state.MicInSelect = mutes.microphone == 0 ? 1 : 0;
    }
    if (Read(C, "VolumeScalarControl", text, ChannelArg::One(-1))) state.MicInValue = Percent(text);
    if (Read(C, "GetAAMaxVol", text)) {
        if (Read(C, "AAMuteControl", text)) {
            mutes.monitor = ValueTextToInt(text);
            state.MicMoniterSelect = mutes.monitor == 0 ? 1 : 0;
        }
        if (Read(C, "AAVolumeScalarControl", text, ChannelArg::One(0))) state.MicMoniterValue = Percent(text);
    }
    // Only a capture endpoint that has the voice changer is asked for it.
    if ((capture_.featureA & kFeatureMagicVoice) && Read(C, "Enable_MAGICVOICE", text))
        state.MagicEnable = ValueTextToInt(text);
    if (Read(C, "MagicVoice_Selection", text)) {
        const int32_t voice = ValueTextToInt(text);
        if (voice >= 0 && voice <= 3) state.MagicType = voice + 1;
    }
}

int32_t CHeadsetAudio::Call(AudioSide side, const std::string& property, void** value, ChannelArg channel,
                            int32_t direction, std::vector<uint8_t>& channelBuffer) {
    std::fill(channelBuffer.begin(), channelBuffer.end(), 0);
    void* channelPointer = channelBuffer.data();
    switch (channel.form) {
    case ChannelArg::Form::None: break;
    case ChannelArg::Form::One: std::memcpy(channelBuffer.data(), &channel.channel, sizeof channel.channel); break;
    case ChannelArg::Form::Block: std::memcpy(channelBuffer.data(), kSurroundBlock, sizeof kSurroundBlock); break;
    case ChannelArg::Form::Zeroed: break;
    }
    void** channelArgument = channel.form == ChannelArg::Form::None ? nullptr : &channelPointer;
    const std::u16string name = PropertyName(property);
    return library_.Property(Endpoint(side).descriptor, name.c_str(), value, channelArgument, direction);
}

bool CHeadsetAudio::WriteInt(AudioSide side, const std::string& property, int32_t value, ChannelArg channel) {
    if (!library_.Loaded()) return false;
    std::fill(setValue_.begin(), setValue_.end(), 0);
    std::memcpy(setValue_.data(), &value, sizeof value);
    void* pointer = setValue_.data();
    return Call(side, property, &pointer, channel, conflib::kWrite, setChannel_) == 0;
}

bool CHeadsetAudio::WriteFloat(AudioSide side, const std::string& property, float value, ChannelArg channel) {
    if (!library_.Loaded()) return false;
    std::fill(setValue_.begin(), setValue_.end(), 0);
    std::memcpy(setValue_.data(), &value, sizeof value);
    void* pointer = setValue_.data();
    return Call(side, property, &pointer, channel, conflib::kWrite, setChannel_) == 0;
}

bool CHeadsetAudio::Read(AudioSide side, const std::string& property, std::string& text, ChannelArg channel) {
    text.clear();
    if (!library_.Loaded()) return false;
    std::vector<uint8_t>& value = side == AudioSide::Capture ? captureValue_ : playbackValue_;
    std::fill(value.begin(), value.end(), 0);
    void* pointer = value.data();
    if (Call(side, property, &pointer, channel, conflib::kRead, captureChannel_) != 0) return false;
    text = ValueText(reinterpret_cast<const char16_t*>(value.data()), value.size() / 2);
    return true;
}

CHeadsetAudio& SharedHeadsetAudio() {
    static CHeadsetAudio audio;
    return audio;
}
