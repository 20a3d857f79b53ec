// The user-made effect player (effects without a renderer of their own) and the per-point area
// overlays laid over every frame. Their counters and clocks are program-wide (shared_).
#include <algorithm>

#include "engines/lighting/KeyboardCurves.h"
#include "engines/lighting/KeyboardEffectTable.h"
#include "engines/lighting/KeyboardLightRenderer.h"

using namespace lighting;

void CKeyboardLightRenderer::PlayUserEffect(uint32_t now) {
    CriticalSectionLock lock(stateLock_);
    LedEffectFrame frame;
    {
        CriticalSectionLock effect(EffectLock());
        if (userFrameIndex_ >= userFrames_.size()) userFrameIndex_ = 0;
        if (userFrames_.empty()) {
            RenderOff();
            return;
        }
        frame = userFrames_[userFrameIndex_];
    }

    bool nextFrame = false;
    {
        CriticalSectionLock sharedLock(shared_->lock);
        UserEffectPlayerState& player = shared_->player;
        if (!player.started) {
            player.started = true;
            player.lastChange = now;
        }
        player.frame = frame;
        ++player.passCounter;

        const uint8_t level = BrightnessLevel(frame.LEDBrightness);
        const uint32_t wait = PassWait(frame.LEDSpeed);
        const Rgb colour{frame.red, frame.green, frame.blue};
        const bool multi = frame.LEDMultiColor != 0;
        auto waited = [&](uint32_t passes) {
            if (player.passCounter < passes) return false;
            player.passCounter = 0;
            return true;
        };
        switch (frame.LEDREGMode) {
            case 0:  // breathing
                if (waited(wait)) player.step = uint8_t((player.step + 1) % 128);
                FillAll(LightRecord::Of(multi ? Spectrum(0) : colour, Scale(kBreathCurve[player.step % 128], level)));
                break;
            case 1:  // static
                if (waited(wait)) player.step = player.step >= 8 ? 0 : uint8_t(player.step + 1);
                FillAll(LightRecord::Of(colour, level));
                break;
            case 2:  // blinking, on the engine's blink clock
                player.step = uint8_t((player.step + 1) % 128);
                waited(wait);
                if (AdvanceBlinkClock(BlinkPeriodMs(StateByte(kStateSpeed)))) {
                    colourIndex_ = player.step + 14 >= 192 ? 0 : uint8_t(player.step + 14);
                }
                if (blinkOn_) {
                    FillAll(LightRecord::Of(multi ? Spectrum(colourIndex_) : colour, level));
                } else {
                    RenderOff();
                }
                break;
            case 4: {  // colour wave
                if (waited(wait)) player.step = uint8_t((player.step + 1) % 192);
                unsigned d = frame.LEDDirection ? (player.step == 0 ? 191 : 192 - player.step)
                                                : (player.step + 1u) % 192;
                for (size_t j = 0; j < frame_.Count(); ++j) {
                    if (multi) {
                        SetPoint(j, Spectrum(d), level);
                        d = (d + 12) % 192;
                    } else {
                        d = (d + 12) % 96;
                        SetPoint(j, colour, Scale(level, kWaveCurve[d]));
                    }
                }
                break;
            }
            case 5:  // spectrum colour
                if (waited(SpeedTicks(1, frame.LEDSpeed))) player.step = uint8_t((player.step + 1) % 192);
                FillAll(LightRecord::Of(Spectrum(player.step), level));
                break;
            default:
                break;
        }
        if (player.passCounter >= 255) player.passCounter = 0;
        if (int64_t(now - player.lastChange) > int64_t(frame.Time)) {
            player.lastChange = now;
            nextFrame = true;
        }
    }
    if (nextFrame) {
        CriticalSectionLock effect(EffectLock());
        userFrameIndex_ = userFrameIndex_ + 1 >= userFrames_.size() ? 0 : userFrameIndex_ + 1;
    }
}

void CKeyboardLightRenderer::RunAreaOverlays(uint32_t now) {
    CriticalSectionLock area(areaLock_);
    CriticalSectionLock sharedLock(shared_->lock);
    AreaOverlayState& state = shared_->overlays;
    const size_t count = std::min({areaLights_.size(), frame_.Count(), state.breathPhase.size()});
    for (size_t i = 0; i < count; ++i) {
        const LightListEntry& entry = areaLights_[i];
        const uint8_t level = BrightnessLevel(entry.LEDBrightness);
        const Rgb own{entry.red, entry.green, entry.blue};
        auto colourAt = [&](unsigned index) { return entry.LEDMultiColor ? Spectrum(index) : own; };

        // Every entry keeps its blink clock running, whatever its mode.
        if (now - state.lastToggle[i] >= BlinkPeriodMs(entry.LEDSpeed)) {
            state.blinkOn[i] = state.blinkOn[i] ? 0 : 1;
            state.lastToggle[i] = now;
            const unsigned next = state.blinkColourIndex[i] + 14u;
            state.blinkColourIndex[i] = next > 191 ? 0 : uint8_t(next);
        }

        switch (entry.LEDREGMode) {
            case 0: {  // breathing
                if (!entry.present) break;
                const unsigned next = state.breathPhase[i] + entry.LEDSpeed + 4u;
                if (next >= 128) {
                    state.breathPhase[i] = 0;
                    state.colourIndex[i] = uint8_t(std::min(191, state.colourIndex[i] + 1));
                } else {
                    state.breathPhase[i] = uint8_t(next);
                }
                SetPoint(i, colourAt(state.colourIndex[i]), Scale(kBreathCurve[state.breathPhase[i]], level));
                break;
            }
            case 1:  // static
                SetPoint(i, colourAt(state.colourIndex[i]), level);
                break;
            case 3:  // spectrum cycle
                if (!entry.present) break;
                if (++state.passCounter[i] >= PassWait(entry.LEDSpeed)) {
                    state.passCounter[i] = 0;
                    state.colourIndex[i] = state.colourIndex[i] >= 191 ? 0 : uint8_t(state.colourIndex[i] + 1);
                }
                SetPoint(i, Spectrum(state.colourIndex[i]), level);
                break;
            case 2:  // blinking
                if (state.blinkOn[i]) {
                    SetPoint(i, colourAt(state.blinkColourIndex[i]), level);
                } else {
                    frame_.Set(i, 0);
                }
                break;
            case 4:  // off
                frame_.Set(i, 0);
                break;
            default:
                break;
        }
    }
}
