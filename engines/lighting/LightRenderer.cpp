#include "engines/lighting/LightRenderer.h"

#include <algorithm>

#include "engines/lighting/LightingTables.h"
#include "platform/Time.h"

using namespace lighting;

CLightRenderer::CLightRenderer() : clock_([] { return GetTickCount(); }) {}

void CLightRenderer::SetLightCount(size_t count) {
    CriticalSectionLock area(areaLock_);
    CriticalSectionLock state(stateLock_);
    frame_.Resize(count);
    areaLights_.assign(count, LightListEntry{});
}

void CLightRenderer::SetClock(TickSource clock) {
    CriticalSectionLock state(stateLock_);
    clock_ = clock ? std::move(clock) : TickSource([] { return GetTickCount(); });
}

void CLightRenderer::SetLightState(const std::array<uint32_t, 4>& words) {
    for (size_t i = 0; i < 16; ++i) SetStateByte(i, uint8_t(words[i / 4] >> (8 * (i % 4))));
}

void CLightRenderer::SetLightState(const LightInfoRecord& record) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&record);
    std::array<uint32_t, 4> words{};
    for (size_t i = 0; i < sizeof(record); ++i) words[i / 4] |= uint32_t(bytes[i]) << (8 * (i % 4));
    SetLightState(words);
}

std::array<uint32_t, 4> CLightRenderer::GetLightState() const {
    std::array<uint32_t, 4> words{};
    for (size_t i = 0; i < 16; ++i) words[i / 4] |= uint32_t(StateByte(i)) << (8 * (i % 4));
    return words;
}

void CLightRenderer::SetAudioLight(const std::array<uint32_t, 3>& words) {
    for (size_t i = 0; i < 3; ++i) audioLight_[i].store(words[i], std::memory_order_relaxed);
}

std::array<uint32_t, 3> CLightRenderer::GetAudioLight() const {
    return {audioLight_[0].load(std::memory_order_relaxed), audioLight_[1].load(std::memory_order_relaxed),
            audioLight_[2].load(std::memory_order_relaxed)};
}

void CLightRenderer::SetLightValue(int index, uint32_t record) {
    if (index < 0) return;
    frame_.Set(size_t(index), record);
    MarkFrameChanged();
}

void CLightRenderer::SetFrameConsumer(FrameConsumer consumer, bool consuming) {
    std::atomic<bool>& flag = consumer == FrameConsumer::Picture ? pictureConsumer_ : sharedConsumer_;
    if (flag.exchange(consuming) != consuming) Wake();
}

bool CLightRenderer::IsFrameConsumed(FrameConsumer consumer) const {
    return (consumer == FrameConsumer::Picture ? pictureConsumer_ : sharedConsumer_).load();
}

uint32_t CLightRenderer::GetLightValue(int index) const { return index >= 0 ? frame_.Get(size_t(index)) : 0; }

uint8_t CLightRenderer::Level() const { return BrightnessLevel(StateByte(kStateBrightness)); }

Rgb CLightRenderer::StateColour() const {
    return {StateByte(kStateRed), StateByte(kStateGreen), StateByte(kStateBlue)};
}

void CLightRenderer::RenderBreathOver(const Rgb* colours, unsigned tableSize, unsigned indexStep) {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = StepPhase(Direction(), 128, effectPhase_, 1);
    if (effectPhase_ == 0) {
        const unsigned next = colourIndex_ + indexStep;
        colourIndex_ = next >= tableSize ? 0 : uint8_t(next);
    }
    const Rgb colour = MultiColour() ? colours[colourIndex_ % tableSize] : StateColour();
    FillAll(LightRecord::Of(colour, Scale(kBreathCurve[effectPhase_ % 128], Level())));
}

void CLightRenderer::RenderBreathCycle() { RenderBreathOver(kSpectrum.data(), kSpectrum.size(), 16); }

void CLightRenderer::RenderBreathFourColours() { RenderBreathOver(kFourColours.data(), kFourColours.size(), 1); }

void CLightRenderer::RenderStatic() { FillAll(LightRecord::Of(StateColour(), Level())); }

void CLightRenderer::RenderSpectrum() {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
    FillAll(LightRecord::Of(Spectrum(effectPhase_), Level()));
}

bool CLightRenderer::AdvanceBlinkClock(uint32_t periodMs) {
    const uint32_t now = Now();
    if (now - lastBlinkToggle_ < periodMs) return false;
    blinkOn_ = blinkOn_ ? 0 : 1;
    lastBlinkToggle_ = now;
    return true;
}

void CLightRenderer::RenderBlinkOver(const Rgb* colours, unsigned tableSize, unsigned indexStep) {
    CriticalSectionLock lock(stateLock_);
    if (AdvanceBlinkClock(BlinkPeriodMs(StateByte(kStateSpeed)))) {
        const unsigned next = colourIndex_ + indexStep;
        colourIndex_ = next >= tableSize ? 0 : uint8_t(next);
    }
    if (!blinkOn_) {
        RenderOff();
        return;
    }
    const Rgb colour = MultiColour() ? colours[colourIndex_ % tableSize] : StateColour();
    FillAll(LightRecord::Of(colour, Level()));
}

void CLightRenderer::RenderBlink() { RenderBlinkOver(kSpectrum.data(), kSpectrum.size(), 16); }

void CLightRenderer::RenderBlinkFourColours() { RenderBlinkOver(kFourColours.data(), kFourColours.size(), 1); }

void CLightRenderer::RenderOff() { frame_.Clear(); }

int CLightRenderer::PushFrame(ILightFrameSink& sink, const FramePushContext& context) {
    if (!LightingEnabled()) return 1;
    for (size_t i = 0; context.showOnPage && i < frame_.Count(); ++i) {
        if (!sink.LightButtonExists(i) || !sink.LightButtonVisible(i)) continue;
        const LightRecord record = frame_.Record(i);
        sink.ShowLightButton(i, ButtonColour(record), record.factor, true);
    }
    if (context.throughReceiver || !context.toDevice) return 1;
    const DeviceLightFrame out = BuildPointFrame(frame_);
    return sink.StreamLightFrame(out.bytes.data(), out.length);
}

namespace {

// How much StepReactive takes off an intensity, by the band it lies in.
uint8_t ReactiveDrop(uint8_t value, unsigned style) {
    if (value == 0) return 0;
    if (style == 26) {
        if (value & 0x90) return 45;
        if (value & 0x60) return 35;
        return 1;
    }
    if (value >= 128) return 40;
    if (value >= 64) return 30;
    if (value >= 32) return style == 0 ? 15 : 10;
    if (value >= 17) return 8;
    return style == 0 ? 4 : 1;
}

}  // namespace

uint8_t CLightRenderer::StepReactive(size_t key, unsigned style) {
    CriticalSectionLock lock(stateLock_);
    if (key >= kReactivePoints) return 0;
    // Saturates at 0: a fading key that wrapped to 255 would flash back to full light.
    uint8_t& value = intensity_[key];
    const uint8_t drop = ReactiveDrop(value, style);
    value = value > drop ? uint8_t(value - drop) : 0;
    return value;
}

void CLightRenderer::TriggerReactive() {
    CriticalSectionLock lock(stateLock_);
    for (size_t column = 0; column <= 8; ++column) {
        if (columnPattern_[column]) intensity_[column] = 255;
    }
}

void CLightRenderer::RotateColumns(bool direction) {
    CriticalSectionLock lock(stateLock_);
    if (direction) {
        std::rotate(columnPattern_.rbegin(), columnPattern_.rbegin() + 1, columnPattern_.rend());
    } else {
        std::rotate(columnPattern_.begin(), columnPattern_.begin() + 1, columnPattern_.end());
    }
}

void CLightRenderer::ClearReactive() {
    CriticalSectionLock lock(stateLock_);
    intensity_.fill(0);
    columnPattern_.fill(0);
}

uint8_t CLightRenderer::Intensity(size_t point) const {
    CriticalSectionLock lock(stateLock_);
    return point < kReactivePoints ? intensity_[point] : 0;
}

void CLightRenderer::SetIntensity(size_t point, uint8_t value) {
    CriticalSectionLock lock(stateLock_);
    if (point < kReactivePoints) intensity_[point] = value;
}

uint8_t CLightRenderer::ColumnPattern(size_t column) const {
    CriticalSectionLock lock(stateLock_);
    return column < kReactiveColumns ? columnPattern_[column] : 0;
}

void CLightRenderer::SetColumnPattern(size_t column, uint8_t value) {
    CriticalSectionLock lock(stateLock_);
    if (column < kReactiveColumns) columnPattern_[column] = value;
}

void CLightRenderer::SetAreaLights(const std::vector<LightListEntry>& entries) {
    {
        CriticalSectionLock lock(areaLock_);
        areaLights_ = entries;
        areaLights_.resize(frame_.Count());
    }
    Wake();
}

std::vector<LightListEntry> CLightRenderer::AreaLights() const {
    CriticalSectionLock lock(areaLock_);
    return areaLights_;
}

uint8_t CLightRenderer::EffectPhase() const {
    CriticalSectionLock lock(stateLock_);
    return effectPhase_;
}

uint8_t CLightRenderer::ColourIndex() const {
    CriticalSectionLock lock(stateLock_);
    return colourIndex_;
}

bool CLightRenderer::BlinkOn() const {
    CriticalSectionLock lock(stateLock_);
    return blinkOn_ != 0;
}
