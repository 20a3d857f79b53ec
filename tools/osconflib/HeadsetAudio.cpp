#include "tools/osconflib/HeadsetAudio.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

namespace osconflib {

namespace {

constexpr char kOwnerKey[] = "zorv.conflib.owner";
constexpr char kEqualiserPlugin[] = "mbeq_1197";
constexpr char kEqualiserLabel[] = "mbeq";
constexpr char kPitchPlugin[] = "pitch_scale_1193";
constexpr char kPitchLabel[] = "pitchScale";
constexpr char kEchoPlugin[] = "tape_delay_1211";
constexpr char kEchoLabel[] = "tapeDelay";
// Tape speed 1 inch/s, the dry voice at full level, then repeats after 0.25 to 1 s, each 6 dB lower.
constexpr char kEchoControls[] = "1,0,0.25,-6,0.5,-12,0.75,-18,1,-24";
constexpr char kVoiceBus[] = "zorv_voice_bus";
constexpr char kVoiceFilter[] = "zorv_voice_filter";
constexpr char kEchoFilter[] = "zorv_echo_filter";
constexpr char kVoiceSource[] = "zorv_headset_voice";
constexpr int32_t kMinGain = -30;
constexpr int32_t kMaxGain = 30;

// The equaliser's centre frequencies, and the bands of the multiband plugin they are spread over.
constexpr std::array<double, HeadsetAudio::kBands> kBandCentres = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
constexpr std::array<double, 15> kPluginBands = {50,   100,  156,  220,  311,  440,  622,  880,
                                                 1250, 1750, 2500, 3500, 5000, 10000, 20000};

// Pitch factors of voices 1..4: higher, deeper, a child's, a giant's.
constexpr std::array<double, 4> kVoicePitch = {1.5, 0.75, 1.9, 0.55};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (text.rfind("0x", 0) == 0) text.erase(0, 2);
    return text;
}

bool HasHeadsetIds(const std::map<std::string, std::string>& properties) {
    const auto vendor = properties.find("device.vendor.id");
    const auto product = properties.find("device.product.id");
    return vendor != properties.end() && product != properties.end() &&
           Lower(vendor->second) == HeadsetAudio::kVendorId && Lower(product->second) == HeadsetAudio::kProductId;
}

bool IsOwned(const DeviceInfo& device) { return device.properties.count(kOwnerKey) != 0; }

// Looked up where a server started in this session looks: LADSPA_PATH when set, else the usual
// folders. The server may still refuse a filter; a write then reports that.
bool PluginInstalled(const std::string& file) {
    std::vector<std::string> folders;
    if (const char* path = std::getenv("LADSPA_PATH")) {
        std::stringstream list(path);
        for (std::string folder; std::getline(list, folder, ':');)
            if (!folder.empty()) folders.push_back(folder);
    } else {
        folders = {"/usr/lib/ladspa", "/usr/local/lib/ladspa", "/usr/lib/x86_64-linux-gnu/ladspa", "/usr/lib64/ladspa",
                   "/usr/lib/aarch64-linux-gnu/ladspa"};
    }
    std::error_code error;
    for (const std::string& folder : folders)
        if (std::filesystem::exists(std::filesystem::path(folder) / (file + ".so"), error)) return true;
    return false;
}

pa_cvolume Uniform(uint8_t channels, pa_volume_t volume) {
    pa_cvolume result;
    pa_cvolume_set(&result, channels ? channels : 1, volume);
    return result;
}

pa_volume_t FromLinear(double level) {
    const double volume = std::round(level * PA_VOLUME_NORM);
    return static_cast<pa_volume_t>(std::clamp(volume, 0.0, static_cast<double>(PA_VOLUME_MAX)));
}

// Levels are the server's volume scale (1.0 = 100 %, what its mixers show), not amplitude.
double FromDecibels(float decibels) { return static_cast<double>(pa_sw_volume_from_dB(decibels)) / PA_VOLUME_NORM; }

// Level 0..1 (or more when boosted) of a volume, for the reader's text.
std::string VolumeText(pa_volume_t volume, bool decibels) {
    if (decibels) return DecibelText(pa_sw_volume_to_dB(volume));
    // Within one step of a whole percent: mixers that truncate ("61 %" is 39976, not 39977) agree.
    return LevelText(static_cast<double>(volume) / PA_VOLUME_NORM, 1.0 / PA_VOLUME_NORM);
}

// Quoted for a module argument that holds a property list: 'key="value" key="value"'.
std::string Properties(const std::string& description, const std::string& owner) {
    return "'device.description=\"" + description + "\" media.name=\"" + description + "\" " + owner + "'";
}

}  // namespace

FilterPlugins FilterPlugins::Installed() {
    FilterPlugins plugins;
    plugins.equaliser = PluginInstalled(kEqualiserPlugin);
    plugins.pitch = PluginInstalled(kPitchPlugin);
    plugins.echo = PluginInstalled(kEchoPlugin);
    return plugins;
}

HeadsetAudio::~HeadsetAudio() { UnInit(); }

int32_t HeadsetAudio::Init() {
    if (connected_) return kOk;
    std::string error;
    if (!server_.Connect(&error)) return kNotConnected;
    connected_ = true;
    plugins_ = FilterPlugins::Installed();
    RemoveOrphans();
    return kOk;
}

void HeadsetAudio::UnInit() {
    if (!connected_) return;
    RemoveEffects();
    server_.Disconnect();
    connected_ = false;
    playback_ = {};
    capture_ = {};
}

bool HeadsetAudio::Reconnected() {
    if (server_.Ready()) return true;
    // A hung server costs one time-out, and then one connection attempt every little while, not
    // one per call (the engine makes some thirty calls at start-up).
    if (server_.HungWithin(kReconnectInterval)) return false;
    // The server went away (a restart of the desktop's sound service): what was loaded went with it.
    std::string error;
    if (!server_.Connect(&error)) return false;
    loopbackModule_ = PA_INVALID_INDEX;
    eqModule_ = PA_INVALID_INDEX;
    eqSink_.clear();
    voiceModules_.clear();
    RemoveOrphans();
    // What the user had switched on comes back on the new server (where its devices are there).
    if (!monitorMuted_ && MonitoringPossible()) StartMonitoring();
    if (eqEnabled_ && plugins_.equaliser && playback_.present) RebuildEqualiser();
    if (capture_.present) RebuildVoiceChanger();
    return true;
}

int32_t HeadsetAudio::CreateDeviceList() {
    if (!connected_) return kNotConnected;
    if (!Reconnected()) return kServerFailed;
    std::vector<DeviceInfo> sinks, sources;
    std::vector<CardInfo> cards;
    ServerInfo info;
    if (!server_.Sinks(&sinks) || !server_.Sources(&sources) || !server_.Cards(&cards) || !server_.Server(&info))
        return kServerFailed;
    std::set<uint32_t> headsetCards;
    for (const CardInfo& card : cards)
        if (HasHeadsetIds(card.properties)) headsetCards.insert(card.index);

    auto choose = [&](const std::vector<DeviceInfo>& devices, const std::string& defaultName, const Endpoint& before,
                      uint32_t headsetKind, uint32_t defaultKind) {
        Endpoint chosen;
        auto take = [&](const DeviceInfo& device, bool byIds) {
            chosen.present = true;
            chosen.name = device.name;
            chosen.byUsbIds = byIds;
            chosen.kind = byIds ? headsetKind : defaultKind;
            chosen.channels = device.spec.channels;
            chosen.rate = device.spec.rate;
        };
        for (const DeviceInfo& device : devices)
            if (!IsOwned(device) && !device.isMonitor && (HasHeadsetIds(device.properties) || headsetCards.count(device.card))) {
                take(device, true);
                return chosen;
            }
        // Our own filters become the default while they run; the device behind them stays the endpoint.
        const DeviceInfo* fallback = nullptr;
        for (const DeviceInfo& device : devices) {
            if (IsOwned(device) || device.isMonitor) continue;
            if (device.name == defaultName) fallback = &device;
            else if (!fallback && before.present && device.name == before.name) fallback = &device;
        }
        if (fallback) take(*fallback, false);
        return chosen;
    };
    const Endpoint playback = choose(sinks, info.defaultSink, playback_, conflib::kKindHeadsetOutput, conflib::kKindSpeakers);
    const Endpoint capture = choose(sources, info.defaultSource, capture_, conflib::kKindMicrophone, conflib::kKindMicrophone);
    if (playback.name != playback_.name || capture.name != capture_.name) {
        // The filters and the loopback belong to the devices they were made for.
        RemoveEffects();
        monitorMuted_ = true;
    }
    playback_ = playback;
    capture_ = capture;
    ++generation_;
    return kOk;
}

int32_t HeadsetAudio::Count(int32_t list, int32_t* count) const {
    if (!count) return kBadArgument;
    *count = 0;
    if (list != conflib::kPlaybackList && list != conflib::kCaptureList) return kBadArgument;
    if (!connected_) return kNotConnected;
    const Endpoint& endpoint = list == conflib::kPlaybackList ? playback_ : capture_;
    *count = endpoint.present ? 1 : 0;
    return kOk;
}

int32_t HeadsetAudio::Describe(int32_t list, int32_t index, ConfLibDescriptor* descriptor) const {
    if (!descriptor || (list != conflib::kPlaybackList && list != conflib::kCaptureList)) return kBadArgument;
    if (!connected_) return kNotConnected;
    const Endpoint& endpoint = list == conflib::kPlaybackList ? playback_ : capture_;
    if (index != 0 || !endpoint.present) return kBadArgument;
    descriptor->word[0] = static_cast<uint32_t>(list);
    descriptor->word[1] = endpoint.kind;
    descriptor->word[2] = generation_;
    descriptor->word[3] = conflib::kFlagUsable;
    return kOk;
}

int32_t HeadsetAudio::Control(const ConfLibDescriptor& descriptor, Property property, void** value, void** channel,
                              int32_t direction) {
    if (direction != conflib::kRead && direction != conflib::kWrite) return kBadArgument;
    if (!value || !*value) return kBadArgument;
    if (!connected_) return kNotConnected;
    if (!Reconnected()) return kServerFailed;
    const uint32_t list = descriptor.word[0];
    if (list > 1 || descriptor.word[2] != generation_ || generation_ == 0) return kBadArgument;
    const Endpoint& endpoint = list == conflib::kPlaybackList ? playback_ : capture_;
    if (!endpoint.present || descriptor.word[1] != endpoint.kind) return kBadArgument;
    const Side side = osconflib::Describe(property).side;
    if ((side == Side::Capture && list != conflib::kCaptureList) || (side == Side::Playback && list != conflib::kPlaybackList))
        return kBadArgument;
    const ChannelArgument channelArgument = DecodeChannel(channel, property);
    if (direction == conflib::kRead) {
        std::string text;
        const int32_t result = Read(property, endpoint, channelArgument, &text);
        if (result == kOk || result == kNotRealised) PutText(*value, conflib::kValueBufferSize, text);
        return result;
    }
    const std::optional<WrittenValue> written = DecodeWrite(value, property);
    if (!written) return kBadArgument;
    return Write(property, endpoint, channelArgument, *written);
}

int32_t HeadsetAudio::FindDevice(const std::string& name, bool source, DeviceInfo* info) {
    std::vector<DeviceInfo> devices;
    if (!(source ? server_.Sources(&devices) : server_.Sinks(&devices))) return kServerFailed;
    for (DeviceInfo& device : devices)
        if (device.name == name) {
            *info = std::move(device);
            return kOk;
        }
    return kNoEndpoint;
}

std::string HeadsetAudio::FeatureText(const Endpoint& endpoint) const {
    uint32_t features = 0;
    if (capture_.present) features |= 0x1;             // microphone level and mute
    if (MonitoringPossible()) features |= 0x2;         // microphone monitoring
    if (playback_.present && plugins_.equaliser) features |= 0x4;  // equaliser
    if (capture_.present && plugins_.echo) features |= 0x8;        // microphone echo
    if (capture_.present && plugins_.pitch) features |= 0x20000;   // voice changer
    std::ostringstream text;
    text << features << ',' << (endpoint.byUsbIds ? 1 : 0) << ',' << endpoint.channels << ',' << endpoint.rate << ','
         << (features & 0x4 ? kBands : 0) << ',' << (features & 0x20000 ? kVoicePitch.size() : 0) << ',' << 0;
    return text.str();
}

int32_t HeadsetAudio::Read(Property property, const Endpoint& endpoint, const ChannelArgument& channel,
                           std::string* text) {
    auto stored = [&] {
        *text = IntegerText(stored_[property]);
        return kNotRealised;
    };
    switch (property) {
    case Property::GetSupportFeature:
        *text = FeatureText(endpoint);
        return kOk;
    case Property::MuteControl: {
        DeviceInfo mic;
        if (const int32_t found = FindDevice(endpoint.name, true, &mic); found != kOk) return found;
        *text = IntegerText(mic.mute ? 1 : 0);
        return kOk;
    }
    case Property::VolumeScalarControl:
    case Property::VolumeControl:
        return ReadSourceVolume(endpoint, channel, property == Property::VolumeControl, text);
    case Property::GetAAMaxVol:
        if (!MonitoringPossible()) return kNotRealised;
        *text = IntegerText(100);
        return kOk;
    case Property::AAMuteControl: {
        StreamInfo input;
        const bool running = FindLoopbackInput(&input);
        *text = IntegerText(running && !input.mute ? 0 : 1);
        return MonitoringPossible() ? kOk : kNotRealised;
    }
    case Property::AAVolumeScalarControl:
    case Property::AAVolumeControl: {
        if (channel.channel != -1 && channel.channel != 0) return kBadArgument;
        StreamInfo input;
        const pa_volume_t volume = FindLoopbackInput(&input) ? pa_cvolume_max(&input.volume) : FromLinear(monitorLevel_);
        *text = VolumeText(volume, property == Property::AAVolumeControl);
        return MonitoringPossible() ? kOk : kNotRealised;
    }
    case Property::EnableMagicVoice:
        if (!plugins_.pitch) return stored();
        *text = IntegerText(voiceEnabled_ && !voiceModules_.empty() ? 1 : 0);
        return kOk;
    case Property::MagicVoiceSelection:
        if (!plugins_.pitch) return stored();
        *text = IntegerText(voice_);
        return kOk;
    case Property::EnableMicEcho:
        if (!plugins_.echo) return stored();
        *text = IntegerText(echoEnabled_ && !voiceModules_.empty() ? 1 : 0);
        return kOk;
    case Property::EnableEqualiser:
        if (!plugins_.equaliser) return stored();
        *text = IntegerText(eqModule_ != PA_INVALID_INDEX ? 1 : 0);
        return kOk;
    default:
        if (IsEqSlider(property)) {
            *text = IntegerText(eqGains_[EqBand(property)]);
            return plugins_.equaliser ? kOk : kNotRealised;
        }
        // Noise reduction, room effect and surround: nothing on the server realises them.
        return stored();
    }
}

int32_t HeadsetAudio::Write(Property property, const Endpoint& endpoint, const ChannelArgument& channel,
                            const WrittenValue& value) {
    const int32_t integer = value.integer;
    const bool isSwitch = property == Property::MuteControl || property == Property::AAMuteControl ||
                          property == Property::EnableMagicVoice || property == Property::EnableEqualiser ||
                          property == Property::EnableMicEcho || property == Property::EnableNoiseReduction ||
                          property == Property::EnableRoomEffect;
    if (isSwitch && integer != 0 && integer != 1) return kBadArgument;
    switch (property) {
    case Property::MuteControl:
        return server_.SetSourceMute(endpoint.name, integer != 0) ? kOk : kServerFailed;
    case Property::VolumeScalarControl:
        if (value.real < 0.0f || value.real > 1.0f) return kBadArgument;
        return WriteSourceVolume(endpoint, channel, value.real);
    case Property::VolumeControl:
        if (value.real > 0.0f) return kBadArgument;
        return WriteSourceVolume(endpoint, channel, FromDecibels(value.real));
    case Property::AAMuteControl:
        if (!MonitoringPossible()) return kNotRealised;
        monitorMuted_ = integer != 0;
        if (monitorMuted_) {
            StopMonitoring();
            return kOk;
        }
        return StartMonitoring();
    case Property::AAVolumeScalarControl:
    case Property::AAVolumeControl: {
        if (channel.channel != -1 && channel.channel != 0) return kBadArgument;
        const double level = property == Property::AAVolumeControl
                                 ? (value.real > 0.0f ? -1.0 : FromDecibels(value.real))
                                 : value.real;
        if (level < 0.0 || level > 1.0) return kBadArgument;
        monitorLevel_ = level;
        if (!MonitoringPossible()) return kNotRealised;
        return ApplyMonitoringLevel();
    }
    case Property::EnableMagicVoice:
    case Property::EnableMicEcho: {
        bool& enabled = property == Property::EnableMicEcho ? echoEnabled_ : voiceEnabled_;
        const bool changed = enabled != (integer != 0);
        enabled = integer != 0;
        stored_[property] = integer;
        if (!(property == Property::EnableMicEcho ? plugins_.echo : plugins_.pitch)) return kNotRealised;
        // The engine switches echo off with every change of the voice changer: no rebuild for that.
        const bool wanted = (voiceEnabled_ && plugins_.pitch) || (echoEnabled_ && plugins_.echo);
        return changed || wanted == voiceModules_.empty() ? RebuildVoiceChanger() : kOk;
    }
    case Property::MagicVoiceSelection:
        if (integer < 0 || integer >= static_cast<int32_t>(kVoicePitch.size())) return kBadArgument;
        voice_ = integer;
        stored_[property] = integer;
        if (!plugins_.pitch) return kNotRealised;
        return voiceEnabled_ ? RebuildVoiceChanger() : kOk;
    case Property::EnableEqualiser:
        eqEnabled_ = integer != 0;
        stored_[property] = integer;
        if (!plugins_.equaliser) return kNotRealised;
        if (!eqEnabled_) {
            RemoveEqualiser();
            return kOk;
        }
        return RebuildEqualiser();
    default:
        break;
    }
    if (IsEqSlider(property)) {
        if (integer < kMinGain || integer > kMaxGain) return kBadArgument;
        const bool changed = eqGains_[EqBand(property)] != integer;
        eqGains_[EqBand(property)] = integer;
        if (!plugins_.equaliser) return kNotRealised;
        return eqEnabled_ && (changed || eqModule_ == PA_INVALID_INDEX) ? RebuildEqualiser() : kOk;
    }
    stored_[property] = integer;
    return kNotRealised;
}

int32_t HeadsetAudio::ReadSourceVolume(const Endpoint& mic, const ChannelArgument& channel, bool decibels,
                                       std::string* text) {
    DeviceInfo source;
    if (const int32_t found = FindDevice(mic.name, true, &source); found != kOk) return found;
    pa_volume_t volume;
    if (channel.channel == -1) volume = pa_cvolume_max(&source.volume);
    else if (channel.channel >= 0 && channel.channel < source.volume.channels) volume = source.volume.values[channel.channel];
    else return kBadArgument;
    *text = VolumeText(volume, decibels);
    return kOk;
}

int32_t HeadsetAudio::WriteSourceVolume(const Endpoint& mic, const ChannelArgument& channel, double linear) {
    DeviceInfo source;
    if (const int32_t found = FindDevice(mic.name, true, &source); found != kOk) return found;
    pa_cvolume volume = source.volume;
    const pa_volume_t level = FromLinear(linear);
    if (channel.channel == -1) pa_cvolume_set(&volume, source.volume.channels, level);
    else if (channel.channel >= 0 && channel.channel < source.volume.channels) volume.values[channel.channel] = level;
    else return kBadArgument;
    return server_.SetSourceVolume(mic.name, volume) ? kOk : kServerFailed;
}

bool HeadsetAudio::MonitoringPossible() const { return capture_.present && playback_.present; }

bool HeadsetAudio::FindLoopbackInput(StreamInfo* input) {
    if (loopbackModule_ == PA_INVALID_INDEX) return false;
    // The server makes the loopback's stream a moment after the module on some servers (PipeWire).
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::vector<StreamInfo> inputs;
        if (!server_.SinkInputs(&inputs)) return false;
        for (const StreamInfo& candidate : inputs)
            if (candidate.ownerModule == loopbackModule_) {
                *input = candidate;
                return true;
            }
        std::vector<ModuleInfo> modules;
        if (!server_.Modules(&modules)) return false;
        const bool loaded = std::any_of(modules.begin(), modules.end(),
                                        [&](const ModuleInfo& module) { return module.index == loopbackModule_; });
        if (!loaded) {
            loopbackModule_ = PA_INVALID_INDEX;  // unloaded by someone else, or its device went
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int32_t HeadsetAudio::StartMonitoring() {
    if (loopbackModule_ == PA_INVALID_INDEX) {
        const std::string stream = Properties("Microphone monitoring", OwnerMark());
        const std::string argument = "source=" + capture_.name + " sink=" + playback_.name +
                                     " latency_msec=20 source_dont_move=true sink_dont_move=true"
                                     " sink_input_properties=" + stream + " source_output_properties=" + stream;
        if (!server_.LoadModule("module-loopback", argument, &loopbackModule_)) return kServerFailed;
    }
    StreamInfo input;
    if (!FindLoopbackInput(&input)) {
        Unload(&loopbackModule_);
        return kServerFailed;
    }
    const int32_t result = ApplyMonitoringLevel();
    if (result != kOk) return result;
    return server_.SetSinkInputMute(input.index, false) ? kOk : kServerFailed;
}

void HeadsetAudio::StopMonitoring() { Unload(&loopbackModule_); }

int32_t HeadsetAudio::ApplyMonitoringLevel() {
    StreamInfo input;
    if (!FindLoopbackInput(&input)) return kOk;  // taken when monitoring starts
    return server_.SetSinkInputVolume(input.index, Uniform(input.volume.channels, FromLinear(monitorLevel_))) ? kOk
                                                                                                           : kServerFailed;
}

std::string HeadsetAudio::EqualiserControls() const {
    // Each plugin band takes the gain interpolated between the two nearest centres (log frequency).
    std::ostringstream controls;
    for (size_t b = 0; b < kPluginBands.size(); ++b) {
        const double f = std::log2(kPluginBands[b]);
        double gain;
        if (f <= std::log2(kBandCentres.front())) gain = eqGains_.front();
        else if (f >= std::log2(kBandCentres.back())) gain = eqGains_.back();
        else {
            size_t i = 0;
            while (std::log2(kBandCentres[i + 1]) < f) ++i;
            const double low = std::log2(kBandCentres[i]), high = std::log2(kBandCentres[i + 1]);
            const double t = (f - low) / (high - low);
            gain = eqGains_[i] + t * (eqGains_[i + 1] - eqGains_[i]);
        }
        controls << (b ? "," : "") << std::round(gain * 10.0) / 10.0;
    }
    return controls.str();
}

int32_t HeadsetAudio::RebuildEqualiser() {
    const std::string sink = eqAlternate_ ? "zorv_headset_eq_b" : "zorv_headset_eq";
    const std::string argument = "sink_name=" + sink + " sink_properties=" + Properties("Headset (equaliser)", OwnerMark()) +
                                 " master=" + playback_.name + " plugin=" + kEqualiserPlugin + " label=" + kEqualiserLabel +
                                 " control=" + EqualiserControls();
    uint32_t module = PA_INVALID_INDEX;
    if (!server_.LoadModule("module-ladspa-sink", argument, &module)) return kServerFailed;
    // The new filter takes the streams before the old one goes, so playback goes on.
    MoveStreams(false, eqModule_ != PA_INVALID_INDEX ? eqSink_ : playback_.name, sink);
    Unload(&eqModule_);
    eqModule_ = module;
    eqSink_ = sink;
    eqAlternate_ = !eqAlternate_;
    return kOk;
}

void HeadsetAudio::RemoveEqualiser() {
    if (eqModule_ == PA_INVALID_INDEX) return;
    MoveStreams(false, eqSink_, playback_.name);
    Unload(&eqModule_);
    eqSink_.clear();
}

int32_t HeadsetAudio::RebuildVoiceChanger() {
    RemoveVoiceChanger();
    struct Stage {
        const char* sink;
        const char* description;
        const char* plugin;
        const char* label;
        std::string controls;
    };
    std::vector<Stage> stages;
    if (voiceEnabled_ && plugins_.pitch) {
        char pitch[32];
        std::snprintf(pitch, sizeof pitch, "%.2f", kVoicePitch[voice_]);
        stages.push_back({kVoiceFilter, "Voice changer", kPitchPlugin, kPitchLabel, pitch});
    }
    if (echoEnabled_ && plugins_.echo) stages.push_back({kEchoFilter, "Microphone echo", kEchoPlugin, kEchoLabel, kEchoControls});
    if (stages.empty()) return kOk;

    const std::string owner = OwnerMark();
    const std::string format = " rate=" + std::to_string(capture_.rate ? capture_.rate : 48000) +
                               " channels=" + std::to_string(capture_.channels ? capture_.channels : 1);
    // Microphone -> loopback -> filters -> a bus -> a source of its own that applications record.
    std::vector<std::pair<std::string, std::string>> modules = {
        {"module-null-sink", std::string("sink_name=") + kVoiceBus + " sink_properties=" + Properties("Voice changer bus", owner) + format}};
    for (size_t i = stages.size(); i-- > 0;) {
        const std::string master = i + 1 < stages.size() ? stages[i + 1].sink : kVoiceBus;
        modules.push_back({"module-ladspa-sink", std::string("sink_name=") + stages[i].sink + " sink_properties=" +
                                                     Properties(stages[i].description, owner) + " master=" + master +
                                                     " plugin=" + stages[i].plugin + " label=" + stages[i].label +
                                                     " control=" + stages[i].controls});
    }
    modules.push_back({"module-remap-source", std::string("source_name=") + kVoiceSource + " master=" + kVoiceBus +
                                                  ".monitor source_properties=" + Properties("Headset microphone (voice changer)", owner)});
    modules.push_back({"module-loopback", "source=" + capture_.name + " sink=" + stages.front().sink +
                                              " latency_msec=20 source_dont_move=true sink_dont_move=true sink_input_properties=" +
                                              Properties("Voice changer input", owner) + " source_output_properties=" +
                                              Properties("Voice changer input", owner)});
    for (const auto& [module, argument] : modules) {
        uint32_t index = PA_INVALID_INDEX;
        if (!server_.LoadModule(module, argument, &index)) {
            RemoveVoiceChanger();
            return kServerFailed;
        }
        voiceModules_.push_back(index);
    }
    MoveStreams(true, capture_.name, kVoiceSource);
    return kOk;
}

void HeadsetAudio::RemoveVoiceChanger() {
    if (voiceModules_.empty()) return;
    MoveStreams(true, kVoiceSource, capture_.name);
    while (!voiceModules_.empty()) {
        Unload(&voiceModules_.back());
        voiceModules_.pop_back();
    }
}

void HeadsetAudio::RemoveEffects() {
    RemoveVoiceChanger();
    RemoveEqualiser();
    StopMonitoring();
}

std::string HeadsetAudio::OwnerMark() const { return std::string(kOwnerKey) + "=\"" + std::to_string(getpid()) + "\""; }

void HeadsetAudio::RemoveOrphans() {
    std::vector<ModuleInfo> modules;
    if (!server_.Modules(&modules)) return;
    const std::string marker = std::string(kOwnerKey) + "=\"";
    for (const ModuleInfo& module : modules) {
        const size_t at = module.argument.find(marker);
        if (at == std::string::npos) continue;
        const long pid = std::strtol(module.argument.c_str() + at + marker.size(), nullptr, 10);
        const bool ownerGone = pid <= 0 || pid == getpid() || (kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH);
        if (ownerGone) server_.UnloadModule(module.index);
    }
}

void HeadsetAudio::Unload(uint32_t* index) {
    if (*index == PA_INVALID_INDEX) return;
    server_.UnloadModule(*index);
    *index = PA_INVALID_INDEX;
}

void HeadsetAudio::MoveStreams(bool recording, const std::string& from, const std::string& to) {
    std::set<uint32_t> ours(voiceModules_.begin(), voiceModules_.end());
    ours.insert({loopbackModule_, eqModule_});
    DeviceInfo device;
    std::vector<StreamInfo> streams;
    if (FindDevice(from, recording, &device) == kOk && (recording ? server_.SourceOutputs(&streams) : server_.SinkInputs(&streams)))
        for (const StreamInfo& stream : streams)
            if (stream.device == device.index && (stream.ownerModule == PA_INVALID_INDEX || !ours.count(stream.ownerModule))) {
                if (recording) server_.MoveSourceOutput(stream.index, to);
                else server_.MoveSinkInput(stream.index, to);
            }
    ServerInfo info;
    if (!server_.Server(&info)) return;
    const std::string& current = recording ? info.defaultSource : info.defaultSink;
    if (current != from && !current.empty()) return;
    if (recording) server_.SetDefaultSource(to);
    else server_.SetDefaultSink(to);
}

}  // namespace osconflib
