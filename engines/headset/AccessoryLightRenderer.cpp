#include "engines/headset/AccessoryLightRenderer.h"

#include <algorithm>

#include "engines/lighting/LightingTables.h"
#include "platform/DebugOutput.h"

using namespace lighting;

namespace {

constexpr std::array<uint8_t, 96> kAccessoryBreath = Mirrored(kAccessoryBreathRise);
constexpr uint32_t kDisconnectedPauseMs = 100;
constexpr uint32_t kPausedPollMs = 20;
// Nothing consumes the frames: the light-control switch has no wake-up of its own, so it is
// looked at this often.
constexpr uint32_t kIdleRecheckMs = 250;
constexpr uint32_t kUserFramePassMs = 20;
// Zone pairs of effect 7, by position.
constexpr std::array<std::array<uint8_t, 2>, 7> kZonePairs = {{{1, 14}, {2, 13}, {3, 12}, {4, 11}, {5, 10}, {6, 9}, {7, 8}}};

}  // namespace

CAccessoryLightRenderer::CAccessoryLightRenderer(WaveStyle style) : style_(style) {}

CAccessoryLightRenderer::~CAccessoryLightRenderer() { StopPreview(); }

void CAccessoryLightRenderer::RenderWave() {
    CriticalSectionLock lock(stateLock_);
    const size_t zones = frame_.Count();
    const uint8_t brightness = Level();
    if (MultiColour()) {
        effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
        const unsigned step = style_ == WaveStyle::Headset ? 16 : 7;
        unsigned i = (effectPhase_ + 1u) % 192u;
        for (size_t z = 0; z < zones; ++z, i = (i + step) % 192u) SetPoint(z, Spectrum(i), brightness);
    } else {
        const bool headset = style_ == WaveStyle::Headset;
        effectPhase_ = StepPhase(Direction(), 96, effectPhase_, headset ? 3 : 1);
        const unsigned step = headset ? 10 : 7;
        unsigned i = headset ? effectPhase_ % 96u : (effectPhase_ + 1u) % 96u;
        for (size_t z = 0; z < zones; ++z, i = (i + step) % 96u)
            SetPoint(z, StateColour(), Scale(brightness, kAccessoryBreath[i]));
    }
    MarkFrameChanged();
}

void CAccessoryLightRenderer::TriggerAllZones() {
    CriticalSectionLock lock(stateLock_);
    const size_t zones = std::min(frame_.Count(), kReactiveColumns);
    for (size_t z = 0; z < zones; ++z) {
        if (columnPattern_[z]) intensity_[z] = 255;
    }
}

void CAccessoryLightRenderer::RenderZonesFromLevels(bool pairs) {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
    if (++frameCounter_ % 3 == 0) {
        TriggerAllZones();
        if (pairs) {
            // Only the first eight levels travel.
            auto first = columnPattern_.begin(), last = columnPattern_.begin() + 8;
            if (Direction())
                std::rotate(first, last - 1, last);
            else
                std::rotate(first, first + 1, last);
        } else {
            RotateColumns(Direction());
        }
    }
    const Rgb colour = MultiColour() ? Spectrum(effectPhase_ + 12u) : StateColour();
    const uint8_t brightness = Level();
    const size_t zones = frame_.Count();
    if (pairs) {
        for (size_t s = 0; s < kZonePairs.size(); ++s) {
            const uint8_t level = Scale(brightness, StepReactive(s, 0));
            for (uint8_t zone : kZonePairs[s])
                if (zone < zones) SetPoint(zone, colour, level);
        }
    } else {
        for (size_t z = 0; z < zones && z < kReactiveColumns; ++z) SetPoint(z, colour, Scale(brightness, StepReactive(z, 0)));
    }
    MarkFrameChanged();
}

void CAccessoryLightRenderer::RenderRunningPairs() { RenderZonesFromLevels(true); }
void CAccessoryLightRenderer::RenderRunningZones() { RenderZonesFromLevels(false); }

void CAccessoryLightRenderer::SetUserFrames(const std::vector<LedEffectFrame>& frames) {
    {
        CriticalSectionLock lock(stateLock_);
        userFrames_ = frames;
        userIndex_ = 0;
        userStarted_ = false;
    }
    Wake();
}

void CAccessoryLightRenderer::StepUserFrames() {
    CriticalSectionLock lock(stateLock_);
    if (userFrames_.empty()) {
        frame_.Clear();
        MarkFrameChanged();
        return;
    }
    const uint32_t now = Now();
    if (!userStarted_) {
        userStarted_ = true;
        userShownAt_ = now;
    } else if (now - userShownAt_ >= static_cast<uint32_t>(std::max<int32_t>(userFrames_[userIndex_].Time, 1))) {
        userIndex_ = (userIndex_ + 1) % userFrames_.size();
        userShownAt_ = now;
    }
    const LedEffectFrame& entry = userFrames_[userIndex_ % userFrames_.size()];
    const Rgb colour{entry.red, entry.green, entry.blue};
    frame_.Fill(LightRecord::Of(entry.LEDREGMode == 8 ? Rgb{} : colour, BrightnessLevel(entry.LEDBrightness)));
    MarkFrameChanged();
}

void CAccessoryLightRenderer::EnterEffect(uint8_t effect) {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = 0;
    frameCounter_ = 0;
    userStarted_ = false;
    userIndex_ = 0;
    if (effect == 6 || effect == 7) {
        // One lit level travels along the zones.
        ClearReactive();
        columnPattern_[0] = 1;
    }
    Wake();
}

bool CAccessoryLightRenderer::AnimatesEveryPass() const {
    const uint8_t effect = StateByte(kStateEffect);
    return effect == 5 || effect >= 9;
}

uint32_t CAccessoryLightRenderer::FrameSteps() const {
    const uint8_t speed = StateByte(kStateSpeed);
    return kAccessoryFrameSteps[speed < kAccessoryFrameSteps.size() ? speed : kAccessoryFrameSteps.size() - 1];
}

void CAccessoryLightRenderer::RenderCurrentEffect() {
    switch (StateByte(kStateEffect)) {
    case 0: RenderWave(); break;
    case 1: RenderSpectrum(); break;
    case 2: RenderBreathCycle(); break;
    case 3: RenderStatic(); break;
    case 4: RenderBlink(); break;
    case 6: RenderRunningZones(); break;
    case 7: RenderRunningPairs(); break;
    case 8: RenderOff(); break;
    default: StepUserFrames(); return;
    }
    MarkFrameChanged();
}

void CAccessoryLightRenderer::StartPreview(PreviewLink link) {
    thread_.Start(this, [this, link = std::move(link)](const WorkerArgs& args) {
        RunPreview(args, link);
        DebugOutput(kPreviewThreadExitLine);
    }, kPreviewThreadStopMs);
}

void CAccessoryLightRenderer::StopPreview() {
    if (thread_.Running()) thread_.Stop(kPreviewThreadStopMs);
}

// Sleeps until the next frame of the current effect and speed is due, a setting or a consumer
// changes (the wake event), or a stop; computes no frame that nobody takes.
void CAccessoryLightRenderer::RunPreview(const WorkerArgs& args, const PreviewLink& link) {
    for (;;) {
        if (!link.connected || !link.connected()) {
            if (!WorkerSleep(args, WakeEvent(), kDisconnectedPauseMs)) return;
            continue;
        }
        if (link.paused && link.paused()) {
            if (!WorkerSleep(args, WakeEvent(), kPausedPollMs)) return;
            continue;
        }
        const bool streams = link.streaming && link.streaming();
        if (!streams && !IsFrameConsumed(FrameConsumer::Picture) && !IsFrameConsumed(FrameConsumer::SharedLighting)) {
            if (!WorkerSleep(args, WakeEvent(), kIdleRecheckMs)) return;
            continue;
        }
        RenderCurrentEffect();
        framesRendered_.fetch_add(1);
        if (streams && link.stream) link.stream();
        const uint32_t due = AnimatesEveryPass() ? kUserFramePassMs : FrameSteps() * kPassMs;
        if (!WorkerSleep(args, WakeEvent(), due)) return;
    }
}
