#include "app/sharedlighting/SharedLightSteps.h"

#include "engines/lighting/LightingTables.h"

using namespace lighting;

namespace {
constexpr unsigned kBreathColourStep = 16;
constexpr unsigned kBlinkColourStep = 14;
constexpr uint32_t kBlinkUnitMs = 200;

const std::array<uint8_t, kSharedModeCount>& Column(bool keyboard) { return keyboard ? kKeyboardSharedEffects : kOtherSharedEffects; }
}  // namespace

std::optional<SharedMode> SharedModeOfEffect(uint8_t effect, bool keyboardColumn) {
    const auto& column = Column(keyboardColumn);
    for (int mode = 0; mode < kSharedModeCount; ++mode)
        if (column[mode] == effect) return static_cast<SharedMode>(mode);
    return std::nullopt;
}

uint8_t EffectOfSharedMode(SharedMode mode, bool keyboardColumn) {
    const auto index = static_cast<size_t>(mode);
    return Column(keyboardColumn)[index < kSharedModeCount ? index : 0];
}

uint8_t SharedStepInterval(uint8_t speed) { return kSharedStepIntervals[speed < kSharedStepIntervals.size() ? speed : 4]; }

LightRecord CSharedLightStepper::Step(const SharedLightSettings& settings, uint32_t now) {
    const Rgb own{settings.red.load(), settings.green.load(), settings.blue.load()};
    const uint8_t level = BrightnessLevel(settings.brightness.load());
    const bool multicolour = settings.multicolour.load() != 0;
    switch (static_cast<SharedMode>(settings.mode.load())) {
    case SharedMode::Breathing: {
        breathingPhase_ = StepPhase(settings.direction.load() != 0, kBreathCurve.size(), breathingPhase_, 1);
        Rgb colour = own;
        if (multicolour) {
            if (breathingPhase_ <= 1) breathingColour_ = StepPhase(true, kSpectrum.size(), breathingColour_, kBreathColourStep);
            colour = Spectrum(breathingColour_);
        }
        return LightRecord::Of(colour, uint8_t((unsigned(level) * kBreathCurve[breathingPhase_]) >> 8));
    }
    case SharedMode::Static: return LightRecord::Of(own, level);
    case SharedMode::Blink: {
        if (now - lastToggle_ >= uint32_t(SharedStepInterval(settings.speed.load())) * kBlinkUnitMs) {
            blinkOn_ = !blinkOn_;
            lastToggle_ = now;
            blinkColour_ = uint8_t(blinkColour_ + kBlinkColourStep >= kSpectrum.size() ? 0 : blinkColour_ + kBlinkColourStep);
        }
        if (!blinkOn_) return {};
        return LightRecord::Of(multicolour ? Spectrum(blinkColour_) : own, level);
    }
    case SharedMode::Spectrum:
        spectrumPhase_ = StepPhase(true, kSpectrum.size(), spectrumPhase_, 1);
        return LightRecord::Of(Spectrum(spectrumPhase_), level);
    case SharedMode::Off: return {};
    }
    return {};
}
