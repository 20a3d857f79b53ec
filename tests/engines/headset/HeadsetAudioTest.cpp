// The audio side against the library test double, loaded through the real dlopen path.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engines/headset/AudioValueText.h"
#include "engines/headset/HeadsetAudio.h"
#include "tests/engines/headset/ConfLibDouble.h"

namespace {

constexpr uint32_t kSpeakers = conflib::kKindSpeakers;
constexpr uint32_t kMic = conflib::kKindMicrophone;
constexpr const char* kFullFeatures = "131072,0,0,0,5,0,9";  // bit 0x20000 in field 0

std::vector<ConfDoubleCall> Calls() {
    std::vector<ConfDoubleCall> calls(confdouble_call_count());
    for (size_t i = 0; i < calls.size(); ++i) confdouble_call(i, &calls[i]);
    return calls;
}

std::vector<ConfDoubleCall> CallsOf(const std::string& property) {
    std::vector<ConfDoubleCall> out;
    for (const ConfDoubleCall& call : Calls())
        if (property == call.property) out.push_back(call);
    return out;
}

class HeadsetAudioTest : public ::testing::Test {
protected:
    void SetUp() override { confdouble_reset(); }

    // A headset with a usable speaker endpoint and a microphone that answers everything.
    void StandardHeadset() {
        confdouble_add_endpoint(0, kSpeakers, 1);
        confdouble_add_endpoint(1, kMic, 0);
        confdouble_set_answer(kMic, "GetSupportFeature", kFullFeatures, 0);
        confdouble_set_answer(kSpeakers, "GetSupportFeature", kFullFeatures, 0);
    }

    void Start() {
        audio_.Start(ZORV_CONFLIB_DOUBLE, [this](const std::string& text) { messages_.push_back(text); }, state_,
                     mutes_);
    }

    CHeadsetAudio audio_;
    HeadsetSystemSetStages state_;
    AudioMuteFlags mutes_;
    std::vector<std::string> messages_;
};

TEST_F(HeadsetAudioTest, MissingLibraryLeavesTheAudioSideInactiveWithoutAMessage) {
    audio_.Start("/nonexistent/SDK/libosConfLib.so", [this](const std::string& t) { messages_.push_back(t); },
                 state_, mutes_);
    EXPECT_TRUE(audio_.Started());
    EXPECT_FALSE(audio_.LibraryLoaded());
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(audio_.WriteInt(AudioSide::Capture, "MuteControl", 1));
    EXPECT_EQ(confdouble_call_count(), 0u);
}

TEST_F(HeadsetAudioTest, InitFailureShowsItsMessageAndStartUpGoesOn) {
    StandardHeadset();
    confdouble_set_init_result(5);
    Start();
    ASSERT_EQ(messages_, std::vector<std::string>{"ConfLibInit called failed!"});
    EXPECT_EQ(audio_.Endpoint(AudioSide::Playback).Kind(), kSpeakers);
    EXPECT_FALSE(CallsOf("Enable_EQ_GFX").empty());  // defaults were still ensured
}

TEST_F(HeadsetAudioTest, EmptyPlaybackListEndsTheStartUpButOperationsStillCallTheLibrary) {
    confdouble_add_endpoint(1, kMic, 0);
    Start();
    EXPECT_FALSE(audio_.EndpointsSearched());
    EXPECT_EQ(confdouble_call_count(), 0u);  // no probe, no defaults, no state read
    EXPECT_EQ(audio_.Endpoint(AudioSide::Capture).Kind(), 0u);
    EXPECT_TRUE(audio_.WriteInt(AudioSide::Capture, "MuteControl", 1));
    ASSERT_EQ(CallsOf("MuteControl").size(), 1u);
    EXPECT_EQ(CallsOf("MuteControl")[0].kind, 0u);  // the empty descriptor
}

TEST_F(HeadsetAudioTest, PlaybackEndpointIsChosenByKindOrderAmongFlaggedOnes) {
    struct Case {
        std::vector<std::pair<uint32_t, uint32_t>> playback;  // kind, flag
        uint32_t chosenKind;
        uint32_t chosenIndex;
    };
    const Case cases[] = {
        {{{12, 1}, {1, 1}}, 1, 1},          // kind 1 wins although it comes later
        {{{1, 0}, {12, 1}, {4, 1}}, 12, 1},  // an unflagged kind 1 does not count
        {{{4, 1}, {7, 1}}, 7, 1},
        {{{4, 1}}, 4, 0},
        {{{9, 1}, {2, 1}}, 0, 0},           // none of the kinds: not found
    };
    for (const Case& c : cases) {
        confdouble_reset();
        for (auto [kind, flag] : c.playback) confdouble_add_endpoint(0, kind, flag);
        confdouble_add_endpoint(1, 3, 1);
        confdouble_add_endpoint(1, kMic, 0);
        CHeadsetAudio audio;
        HeadsetSystemSetStages state;
        AudioMuteFlags mutes;
        audio.Start(ZORV_CONFLIB_DOUBLE, nullptr, state, mutes);
        const ConfLibDescriptor& chosen = audio.Endpoint(AudioSide::Playback).descriptor;
        EXPECT_EQ(chosen.word[1], c.chosenKind);
        if (c.chosenKind) {
            EXPECT_EQ(chosen.word[0], c.chosenIndex);
        }
        // The capture endpoint is the first microphone, whatever its flag.
        EXPECT_EQ(audio.Endpoint(AudioSide::Capture).descriptor.word[0], 1u);
    }
}

TEST_F(HeadsetAudioTest, ShortFeatureAnswerShowsItsMessageAndTheVoiceChangerStateIsNeverRead) {
    confdouble_add_endpoint(0, kSpeakers, 1);
    confdouble_add_endpoint(1, kMic, 0);
    confdouble_set_answer(kMic, "GetSupportFeature", "131072,,1,2", 0);  // three fields once empty ones go
    confdouble_set_answer(kMic, "Enable_MAGICVOICE", "1", 0);
    state_.MagicEnable = 0;
    Start();
    EXPECT_EQ(messages_, std::vector<std::string>{"UpdateAPOAvailable failed!"});
    EXPECT_EQ(audio_.Endpoint(AudioSide::Capture).featureA, 0u);
    EXPECT_EQ(state_.MagicEnable, 0);
    // Read once to ensure its default, never for the state.
    EXPECT_EQ(CallsOf("Enable_MAGICVOICE").size(), 1u);
}

TEST_F(HeadsetAudioTest, FeatureWordsComeFromFieldsZeroFourAndSix) {
    StandardHeadset();
    Start();
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(audio_.Endpoint(AudioSide::Capture).featureA, 131072u);
    EXPECT_EQ(audio_.Endpoint(AudioSide::Capture).featureB, 5u);
    EXPECT_EQ(audio_.Endpoint(AudioSide::Capture).featureC, 9u);
}

TEST_F(HeadsetAudioTest, DefaultsAreWrittenOnlyWhereTheReadFailsInOrderWithTheirChannels) {
    StandardHeadset();
    confdouble_set_answer(kSpeakers, "Enable_EQ_GFX", "1", 0);
    confdouble_set_answer(kMic, "MuteControl", "0", 0);
    Start();
    std::vector<std::string> written;
    for (const ConfDoubleCall& call : Calls())
        if (call.direction == 1) written.push_back(call.property);
    const std::vector<std::string> expected = {
        "VirtualSurroundEffectControl", "Enable_ENC_LFX", "VolumeControl", "EQ_Slider1", "EQ_Slider2",
        "EQ_Slider3", "EQ_Slider4", "EQ_Slider5", "EQ_Slider6", "EQ_Slider7", "EQ_Slider8", "EQ_Slider9",
        "EQ_Slider10", "Enable_RFX_GFX", "RFX_ENVIRONMENT", "RFX_ROOMSIZE", "VolumeScalarControl",
        "AAVolumeControl", "AAMuteControl", "AAVolumeScalarControl", "Enable_MAGICVOICE", "MagicVoice_Selection"};
    EXPECT_EQ(written, expected);
    const ConfDoubleCall surround = CallsOf("VirtualSurroundEffectControl").back();
    EXPECT_EQ(surround.kind, kSpeakers);
    EXPECT_EQ(surround.hasChannel, 1);
    EXPECT_EQ(std::vector<int32_t>(surround.channel, surround.channel + 3), (std::vector<int32_t>{4, -1, 0}));
    EXPECT_EQ(CallsOf("VolumeControl").back().channel[0], -1);
    EXPECT_EQ(CallsOf("AAVolumeControl").back().channel[0], 0);
    EXPECT_EQ(CallsOf("AAVolumeControl").back().hasChannel, 1);
    EXPECT_EQ(CallsOf("Enable_ENC_LFX").back().hasChannel, 1);  // a zeroed channel buffer
    EXPECT_EQ(CallsOf("Enable_ENC_LFX").back().channel[0], 0);
    EXPECT_EQ(CallsOf("AAMuteControl").back().hasChannel, 0);
}

TEST_F(HeadsetAudioTest, StateIsReadFromTheCaptureEndpoint) {
    StandardHeadset();
    confdouble_set_answer(kMic, "MuteControl", "1", 0);
    confdouble_set_answer(kMic, "VolumeScalarControl", "0.370000", 0);
    confdouble_set_answer(kMic, "GetAAMaxVol", "100", 0);
    confdouble_set_answer(kMic, "AAMuteControl", "0", 0);
    confdouble_set_answer(kMic, "AAVolumeScalarControl", "0.55", 0);
    confdouble_set_answer(kMic, "Enable_MAGICVOICE", "1", 0);
    confdouble_set_answer(kMic, "MagicVoice_Selection", "2", 0);
    Start();
    EXPECT_EQ(mutes_.microphone, 1);
    EXPECT_EQ(state_.MicInSelect, 0);
    EXPECT_EQ(state_.MicInValue, 37);
    EXPECT_EQ(state_.MicMoniterSelect, 1);
    EXPECT_EQ(state_.MicMoniterValue, 55);
    EXPECT_EQ(state_.MagicEnable, 1);
    EXPECT_EQ(state_.MagicType, 3);
}

TEST_F(HeadsetAudioTest, ReadAnswersThatDoNotFitLeaveTheStateAlone) {
    struct Case {
        const char* voiceAnswer;
        int32_t voiceResult;
        bool aaPresent;
        int32_t expectedType;
        int32_t expectedMonitor;
    };
    const Case cases[] = {
        {"7", 0, true, 2, 55},    // a voice out of 0..3 keeps the value
        {"-1", 0, true, 2, 55},
        {"1", 5, true, 2, 55},    // a failed read keeps it too
        {"0", 0, false, 1, 12},   // no monitoring: its values keep theirs
    };
    for (const Case& c : cases) {
        confdouble_reset();
        StandardHeadset();
        confdouble_set_answer(kMic, "MagicVoice_Selection", c.voiceAnswer, c.voiceResult);
        if (c.aaPresent) confdouble_set_answer(kMic, "GetAAMaxVol", "100", 0);
        confdouble_set_answer(kMic, "AAVolumeScalarControl", "0.55", 0);
        CHeadsetAudio audio;
        HeadsetSystemSetStages state;
        state.MagicType = 2;
        state.MicMoniterValue = 12;
        AudioMuteFlags mutes;
        audio.Start(ZORV_CONFLIB_DOUBLE, nullptr, state, mutes);
        EXPECT_EQ(state.MagicType, c.expectedType) << c.voiceAnswer;
        EXPECT_EQ(state.MicMoniterValue, c.expectedMonitor) << c.voiceAnswer;
    }
}

TEST(AudioValueTextTest, TextsAreReadWithinTheirBuffer) {
    const char16_t unterminated[] = {u'4', u'2', u'7'};
    EXPECT_EQ(ValueText(unterminated, 2), "42");
    EXPECT_EQ(ValueText(nullptr, 5), "");
    EXPECT_EQ(ValueTextToInt("12abc"), 12);
    EXPECT_EQ(ValueTextToInt("junk"), 0);
    EXPECT_EQ(ValueTextToInt("99999999999"), INT32_MAX);
    EXPECT_EQ(ValueTextToDouble("0.37"), 0.37);
    EXPECT_EQ(ValueTextToDouble("nan"), 0.0);
    EXPECT_EQ(ValueTextToDouble("1e999"), 0.0);
    EXPECT_EQ(SplitFeatureText(",a,,b,"), (std::vector<std::string>{"a", "b"}));
}

}  // namespace
