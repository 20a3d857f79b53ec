#include "engines/lighting/KeyboardLightRenderer.h"

#include <algorithm>

#include "engines/lighting/KeyboardEffectTable.h"
#include "engines/lighting/LightingTables.h"
#include "platform/DebugOutput.h"
#include "platform/Time.h"

using namespace lighting;

CKeyboardLightRenderer::CKeyboardLightRenderer(uint16_t productId, CKeyboardLightingShared* shared)
    : geometry_(&GeometryForProduct(productId)),
      shared_(shared ? shared : &CKeyboardLightingShared::ProcessWide()),
      defaultRandom_(std::random_device{}()) {
    random_ = [this] { return uint32_t(defaultRandom_()); };
    SetLightCount(kPoints);
}

CKeyboardLightRenderer::~CKeyboardLightRenderer() { StopLightingThread(); }

void CKeyboardLightRenderer::SetProductId(uint16_t productId) {
    CriticalSectionLock lock(stateLock_);
    geometry_ = &GeometryForProduct(productId);
}

void CKeyboardLightRenderer::SetRandomSource(RandomSource source) {
    CriticalSectionLock lock(stateLock_);
    random_ = source ? std::move(source) : RandomSource([this] { return uint32_t(defaultRandom_()); });
}

void CKeyboardLightRenderer::SetKeyMaps(const std::map<int, int>& keyToPosition,
                                        const std::map<int, int>& keyToLight, size_t deviceKeyCount) {
    CriticalSectionLock lock(stateLock_);
    keyToPosition_ = keyToPosition;
    keyToLight_ = keyToLight;
    deviceKeyCount_ = deviceKeyCount;
}

// ---- lighting thread ----

void CKeyboardLightRenderer::StartLightingThread(LightingThreadLink link) {
    {
        CriticalSectionLock lock(stateLock_);
        tickStart_ = Now();
        ticks_ = 0;
    }
    thread_.Start(this, [this, link = std::move(link)](const WorkerArgs& args) {
        RunLightingThread(args, link);
        streaming_.store(false);
        DebugOutput(kLightingThreadExitLine);
    }, kLightingThreadStopMs);
}

// The thread sleeps until its next due moment: the next render step of the current effect and
// speed, the next streamed frame, a change of settings or consumers (the wake event), or a stop.
// With nobody consuming the frames it computes none and sleeps until woken.
void CKeyboardLightRenderer::RunLightingThread(const WorkerArgs& args, const LightingThreadLink& link) {
    constexpr uint32_t kDisconnectedPauseMs = 100;
    // The stream-paused flag has no wake-up of its own; it is looked at this often while set.
    constexpr uint32_t kPausedPollMs = 20;
    bool idle = false;
    uint32_t idleSince = 0;
    uint32_t nextStream = Now();
    for (;;) {
        if (!link.connected || !link.connected()) {
            streaming_.store(false, std::memory_order_relaxed);
            if (!WorkerSleep(args, WakeEvent(), kDisconnectedPauseMs)) return;
            continue;
        }
        if (link.streamPaused && link.streamPaused()) {
            streaming_.store(false, std::memory_order_relaxed);
            if (!WorkerSleep(args, WakeEvent(), kPausedPollMs)) return;
            continue;
        }
        const bool streams = link.stream && link.streamTarget && link.streamTarget() && StreamsCurrentEffect();
        streaming_.store(streams, std::memory_order_relaxed);
        const bool consumed = streams || IsFrameConsumed(FrameConsumer::Picture) ||
                              IsFrameConsumed(FrameConsumer::SharedLighting);
        uint32_t now = Now();
        if (!consumed) {
            if (!idle) idleSince = now;
            idle = true;
            if (!WorkerSleep(args, WakeEvent(), INFINITE)) return;
            continue;
        }
        if (idle) {
            idle = false;
            CatchUp(now - idleSince, now);
            nextStream = now;
        }
        CountTicksBefore(now);
        LightingPass(now);
        if (streams && int32_t(now - nextStream) >= 0) {
            // A late frame does not make the following ones come faster.
            nextStream = int32_t(now - nextStream) >= int32_t(kStreamIntervalMs) ? now + kStreamIntervalMs
                                                                                 : nextStream + kStreamIntervalMs;
            if (link.stream(DeviceFrame()) != 1) {
                streaming_.store(false, std::memory_order_relaxed);  // nothing streams in the pause
                if (!WorkerPause(args, kFailedPushPauseMs)) return;
                nextStream = Now();
            }
        }
        now = Now();
        uint32_t delay = NextPassDelay(now);
        if (streams) delay = std::min(delay, int32_t(nextStream - now) > 0 ? nextStream - now : 0u);
        if (!WorkerSleep(args, WakeEvent(), delay)) return;
    }
}

WorkerStopOutcome CKeyboardLightRenderer::StopLightingThread() { return thread_.Stop(kLightingThreadStopMs); }

void CKeyboardLightRenderer::LightingPass(uint32_t now) {
    if (sharedLighting_.load()) return;
    {
        CriticalSectionLock lock(stateLock_);
        if (now - tickStart_ >= 2) {
            tickStart_ = now;
            ++ticks_;
        }
        const EffectEntry* entry = FindEffect(CurrentEffect());
        if (!entry) {
            PlayUserEffect(now);
        } else if (ticks_ >= SpeedTicks(entry->speedRow, StateByte(kStateSpeed))) {
            (this->*entry->render)();
            ticks_ = 0;
        }
    }
    // Outside the state lock: the UI thread takes the area lock before the state lock.
    RunAreaOverlays(now);
    // A pass that leaves the frame as it was (a static colour, music without input) gives the
    // picture nothing new to show.
    bool changed = markedFrame_.size() != frame_.Count();
    markedFrame_.resize(frame_.Count());
    for (size_t i = 0; i < markedFrame_.size(); ++i) {
        const uint32_t word = frame_.Get(i);
        changed = changed || word != markedFrame_[i];
        markedFrame_[i] = word;
    }
    if (changed) MarkFrameChanged();
}

void CKeyboardLightRenderer::CountTicksBefore(uint32_t now) {
    CriticalSectionLock lock(stateLock_);
    // Bounded: a due moment is never more than a few ticks away.
    for (int i = 0; i < 256 && int32_t(now - tickStart_) > 2; ++i) {
        tickStart_ += 2;
        ++ticks_;
    }
}

bool CKeyboardLightRenderer::AreaOverlaysAnimate() const {
    CriticalSectionLock area(areaLock_);
    return std::any_of(areaLights_.begin(), areaLights_.end(), [](const LightListEntry& e) {
        return e.LEDREGMode == 2 || ((e.LEDREGMode == 0 || e.LEDREGMode == 3) && e.present);
    });
}

uint32_t CKeyboardLightRenderer::NextPassDelay(uint32_t now) {
    if (sharedLighting_.load()) return INFINITE;
    // Breathing, blinking and spectrum overlays step on every pass.
    if (AreaOverlaysAnimate()) return 1;
    CriticalSectionLock lock(stateLock_);
    const EffectEntry* entry = FindEffect(CurrentEffect());
    if (!entry) return 1;  // the user effect player counts passes
    const uint32_t wait = SpeedTicks(entry->speedRow, StateByte(kStateSpeed));
    if (wait == 0) return 1;
    if (ticks_ >= wait) return 0;
    const uint32_t due = tickStart_ + 2 * (wait - ticks_);
    return int32_t(due - now) > 0 ? due - now : 0;
}

void CKeyboardLightRenderer::CatchUp(uint32_t elapsedMs, uint32_t now) {
    CriticalSectionLock lock(stateLock_);
    const EffectEntry* entry = FindEffect(CurrentEffect());
    if (entry && !sharedLighting_.load()) {
        const uint32_t wait = SpeedTicks(entry->speedRow, StateByte(kStateSpeed));
        const uint32_t steps = (elapsedMs / (wait ? 2 * wait : 1)) % kCatchUpCycle;
        for (uint32_t i = 0; i < steps; ++i) (this->*entry->render)();
    }
    tickStart_ = now;
    ticks_ = 0;
}

bool CKeyboardLightRenderer::StreamsCurrentEffect() const {
    const uint8_t effect = CurrentEffect();
    return effect == 26 || effect == 27;
}

DeviceLightFrame CKeyboardLightRenderer::DeviceFrame() const {
    CriticalSectionLock lock(stateLock_);
    return BuildKeyFrame(frame_, keyToLight_, deviceKeyCount_, deviceKeyCount_ * 3, true);
}

// ---- effect changes ----

void CKeyboardLightRenderer::ResetEffectState() {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = 0;
    stepCounter_ = 0;
    intensity_.fill(0);
    colourIndexes_.fill(0);
    reactionStates_.fill(0);
    for (auto& set : columns_) set.fill(0);
    ClearAudioState();
}

void CKeyboardLightRenderer::EnterEffect(uint8_t effect) {
    CriticalSectionLock lock(stateLock_);
    ResetEffectState();
    switch (effect) {
        case 13: EnterSideWave(); break;
        case 15: EnterBreathKeys(); break;
        case 16: EnterSideRipple(); break;
        case 22: EnterTwinkle(); break;
        default: EnterDefault(); break;  // effect 20 loads its custom colours in the engine first
    }
}

void CKeyboardLightRenderer::RestartEffectPhase() {
    CriticalSectionLock area(areaLock_);
    CriticalSectionLock state(stateLock_);
    if (CurrentEffect() == 32) colourIndexes_.fill(0);
    effectPhase_ = 0;
}

void CKeyboardLightRenderer::SetUserEffectFrames(const std::vector<LedEffectFrame>& frames) {
    CriticalSectionLock lock(EffectLock());
    userFrames_ = frames;
    userFrameIndex_ = 0;
}

// ---- frame push ----

DeviceLightFrame CKeyboardLightRenderer::CustomColourFrame() const {
    CriticalSectionLock lock(stateLock_);
    return BuildKeyFrame(frame_, keyToLight_, kPoints, 3 * keyToLight_.size(), false);
}

int CKeyboardLightRenderer::PushFrame(ILightFrameSink& sink, const FramePushContext& context) {
    if (!LightingEnabled()) return 1;
    for (size_t i = 0; context.showOnPage && i < frame_.Count(); ++i) {
        if (!sink.LightButtonExists(i)) continue;
        if (sink.LightButtonVisible(i) && context.functionPage == 1) {
            const LightRecord record = frame_.Record(i);
            sink.ShowLightButton(i, ButtonColour(record), record.factor, true);
        } else {
            sink.ShowLightButton(i, 0, 0, false);
        }
    }
    if (context.throughReceiver || !context.toDevice || !StreamsCurrentEffect()) return 1;
    const DeviceLightFrame out = DeviceFrame();
    return sink.StreamLightFrame(out.bytes.data(), out.length);
}

// ---- shared helpers of the renderers ----

Rgb CKeyboardLightRenderer::PointColour(size_t point) const {
    return MultiColour() ? Spectrum(colourIndexes_[point % kPoints]) : StateColour();
}

void CKeyboardLightRenderer::ShowByIntensity(size_t point) {
    ShowPoint(point, PointColour(point), Scale(Level(), intensity_[point % kPoints]));
}

uint8_t CKeyboardLightRenderer::RandomColourIndex() { return uint8_t(random_() % 192); }

void CKeyboardLightRenderer::LightPoint(size_t point) {
    if (point >= kPoints) return;
    intensity_[point] = 255;
    if (MultiColour()) colourIndexes_[point] = RandomColourIndex();
}

void CKeyboardLightRenderer::DecayAndShow(size_t point, unsigned style) {
    if (point >= kPoints) return;
    StepReactive(point, style);
    ShowByIntensity(point);
}

bool CKeyboardLightRenderer::FindCell(size_t point, CellRef& cell) {
    for (size_t c = 0; c < kMapColumns; ++c) {
        for (size_t r = 0; r < kMapRows; ++r) {
            if (kColumnMap[c][r] == point) {
                cell = {int(c), int(r)};
                return true;
            }
        }
    }
    return false;
}

uint8_t CKeyboardLightRenderer::FindKeyByLight(unsigned point) const {
    CriticalSectionLock lock(stateLock_);
    return point < 256 && geometry_->inPointList[point] ? uint8_t(point) : kNoPoint;
}

// ---- inspection ----

uint8_t CKeyboardLightRenderer::PointColourIndex(size_t point) const {
    CriticalSectionLock lock(stateLock_);
    return point < kPoints ? colourIndexes_[point] : 0;
}

void CKeyboardLightRenderer::SetPointColourIndex(size_t point, uint8_t value) {
    CriticalSectionLock lock(stateLock_);
    if (point < kPoints) colourIndexes_[point] = value;
}

uint8_t CKeyboardLightRenderer::TwinklePhase(size_t point) const {
    CriticalSectionLock lock(stateLock_);
    return point < kPoints ? twinklePhases_[point] : 0;
}

uint8_t CKeyboardLightRenderer::ReactionState(size_t point) const {
    CriticalSectionLock lock(stateLock_);
    return point < kPoints ? reactionStates_[point] : 0;
}

uint8_t CKeyboardLightRenderer::HeldFlag(size_t point) const {
    CriticalSectionLock lock(stateLock_);
    return point < kPoints ? heldFlags_[point] : 0;
}

uint8_t CKeyboardLightRenderer::ColumnBits(ColumnSet set, size_t column) const {
    CriticalSectionLock lock(stateLock_);
    return column < kMapColumns ? columns_[set][column] : 0;
}

void CKeyboardLightRenderer::SetColumnBits(ColumnSet set, size_t column, uint8_t bits) {
    CriticalSectionLock lock(stateLock_);
    if (column < kMapColumns) columns_[set][column] = bits;
}

uint8_t CKeyboardLightRenderer::StepCounter() const {
    CriticalSectionLock lock(stateLock_);
    return stepCounter_;
}

uint8_t CKeyboardLightRenderer::BandOffset() const {
    CriticalSectionLock lock(stateLock_);
    return bandOffset_;
}

void CKeyboardLightRenderer::SetEffectPhase(uint8_t phase) {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = phase;
}

size_t CKeyboardLightRenderer::UserFrameIndex() const {
    CriticalSectionLock lock(EffectLock());
    return userFrameIndex_;
}

std::array<uint8_t, kSpectrumInputBytes> CKeyboardLightRenderer::SpectrumInput() const {
    CriticalSectionLock lock(stateLock_);
    return spectrumInput_;
}

std::array<uint32_t, kColourInputValues> CKeyboardLightRenderer::ColourInput() const {
    CriticalSectionLock lock(stateLock_);
    return colourInput_;
}
