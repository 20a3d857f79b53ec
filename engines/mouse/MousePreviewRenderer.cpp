#include "engines/mouse/MousePreviewRenderer.h"

#include "engines/lighting/LightingTables.h"
#include "engines/mouse/MouseTables.h"

using namespace lighting;

namespace {
// 48 rising values, then the same falling: the mouse's breathing curve.
constexpr std::array<uint8_t, 48> kMouseBreathRise = {
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
constexpr std::array<uint8_t, 96> kMouseBreath = Mirrored(kMouseBreathRise);

// Zones of the nine wave positions; 255 is none.
constexpr std::array<std::array<uint8_t, 3>, 9> kWaveZones = {{
    {0, 18, 18}, {1, 255, 17}, {2, 255, 16}, {3, 255, 15}, {4, 255, 14},
    {5, 255, 13}, {6, 255, 12}, {7, 9, 11}, {8, 9, 10},
}};
constexpr unsigned kWaveSpacing = 10;
}  // namespace

CMousePreviewRenderer::Look CMousePreviewRenderer::PageLook() const {
    return {StateByte(kStateEffect), StateByte(kStateBrightness), StateByte(kStateSpeed), Direction(), MultiColour(),
            StateColour()};
}

void CMousePreviewRenderer::RenderBreathing(const Look& look) {
    CriticalSectionLock lock(stateLock_);
    const unsigned positions = look.multiColour ? 192 : 96;
    phase_ = StepPhase(look.direction, positions, phase_ % positions, 1);
    const uint8_t level = BrightnessLevel(look.brightness);
    unsigned i = (phase_ + 1u) % positions;
    for (size_t zone = 0; zone < frame_.Count(); ++zone) {
        if (look.multiColour)
            SetPoint(zone, Spectrum(i), level);
        else
            SetPoint(zone, look.colour, Scale(level, kMouseBreath[i]));
        i = (i + 7) % positions;
    }
    MarkFrameChanged();
}

// A wave of the breathing curve that runs over the nine positions, each lighting its zones.
void CMousePreviewRenderer::RenderWave(const Look& look) {
    CriticalSectionLock lock(stateLock_);
    phase_ = StepPhase(look.direction, 192, phase_ % 192, 1);
    const uint8_t level = BrightnessLevel(look.brightness);
    const Rgb colour = look.multiColour ? Spectrum(phase_ + 12u) : look.colour;
    for (size_t s = 0; s < kWaveZones.size(); ++s) {
        const uint8_t positionLevel = kMouseBreath[(phase_ + s * kWaveSpacing) % kMouseBreath.size()];
        for (uint8_t zone : kWaveZones[s]) {
            if (zone != 255 && zone < frame_.Count()) SetPoint(zone, colour, Scale(level, positionLevel));
        }
    }
    MarkFrameChanged();
}

// The stock effects the mouse shares with the other devices.
void CMousePreviewRenderer::RenderStock(uint8_t effect) {
    switch (effect) {
        case 0: RenderBreathing(PageLook()); return;
        case 1: RenderSpectrum(); break;
        case 2: RenderBreathCycle(); break;
        case 3: RenderStatic(); break;
        case 4: RenderBlink(); break;
        case 5: RenderWave(PageLook()); return;
        case 6: RenderBreathFourColours(); break;
        case 7: RenderBlinkFourColours(); break;
        default: RenderOff(); break;
    }
    MarkFrameChanged();
}

void CMousePreviewRenderer::RenderUserEntry(const LedEffectFrame& entry) {
    Look look{entry.LEDREGMode, entry.LEDBrightness, entry.LEDSpeed, entry.LEDDirection != 0, entry.LEDMultiColor != 0,
              Rgb{entry.red, entry.green, entry.blue}};
    switch (entry.LEDREGMode) {
        case 0: RenderBreathing(look); return;
        case 5: RenderWave(look); return;
        case 1: {  // static
            CriticalSectionLock lock(stateLock_);
            FillAll(LightRecord::Of(look.colour, BrightnessLevel(look.brightness)));
            break;
        }
        default: {  // colour cycle
            CriticalSectionLock lock(stateLock_);
            phase_ = StepPhase(look.direction, 192, phase_ % 192, 1);
            FillAll(LightRecord::Of(Spectrum(phase_), BrightnessLevel(look.brightness)));
            break;
        }
    }
    MarkFrameChanged();
}

void CMousePreviewRenderer::SetUserEffect(const std::vector<LedEffectFrame>& entries) {
    CriticalSectionLock lock(EffectLock());
    userEntries_ = entries;
    userIndex_ = 0;
    userStarted_ = false;
    Wake();
}

void CMousePreviewRenderer::Restart() {
    {
        CriticalSectionLock lock(stateLock_);
        phase_ = 0;
    }
    CriticalSectionLock lock(EffectLock());
    userIndex_ = 0;
    userStarted_ = false;
    Wake();
}

uint32_t CMousePreviewRenderer::RenderNext() {
    const uint8_t effect = StateByte(kStateEffect);
    if (effect < 9) {
        RenderStock(effect);
        return MousePreviewInterval(StateByte(kStateSpeed)) * kMousePreviewStepMs;
    }
    LedEffectFrame entry;
    {
        CriticalSectionLock lock(EffectLock());
        if (userEntries_.empty()) {
            CriticalSectionLock state(stateLock_);
            RenderOff();
            MarkFrameChanged();
            return 0;  // nothing animates until the list changes
        }
        const uint32_t now = Now();
        if (!userStarted_) {
            userStarted_ = true;
            userEntryStart_ = now;
        } else if (int64_t(now - userEntryStart_) >= int64_t(userEntries_[userIndex_].Time)) {
            userIndex_ = (userIndex_ + 1) % userEntries_.size();
            userEntryStart_ = now;
        }
        entry = userEntries_[userIndex_];
    }
    RenderUserEntry(entry);
    return MousePreviewInterval(entry.LEDSpeed) * kMousePreviewStepMs;
}
