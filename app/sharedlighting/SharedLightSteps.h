#pragma once
// The colour of shared lighting, one step at a time: the settings copied from the device the user
// shared from, and the phases of the shared-lighting thread.
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

#include "engines/lighting/LightRecord.h"

enum class SharedMode : uint8_t { Breathing = 0, Static = 1, Blink = 2, Spectrum = 3, Off = 4 };
inline constexpr int kSharedModeCount = 5;

// Effect codes of each shared mode, by family column.
inline constexpr std::array<uint8_t, kSharedModeCount> kKeyboardSharedEffects = {5, 6, 30, 4, 29};
inline constexpr std::array<uint8_t, kSharedModeCount> kOtherSharedEffects = {2, 3, 4, 1, 8};
// Counter steps (of about 2 ms) between two computed colours, by speed 0 to 4.
inline constexpr std::array<uint8_t, 5> kSharedStepIntervals = {28, 23, 18, 13, 7};

// The shared mode of an effect in one column; nothing when the effect cannot be shared.
std::optional<SharedMode> SharedModeOfEffect(uint8_t effect, bool keyboardColumn);
uint8_t EffectOfSharedMode(SharedMode mode, bool keyboardColumn);
// Step interval of a speed byte (anything above 4 counts as 4).
uint8_t SharedStepInterval(uint8_t speed);

// Written by the UI thread byte by byte, read by the shared-lighting thread without a lock.
struct SharedLightSettings {
    std::atomic<uint8_t> mode{0};
    std::atomic<uint8_t> brightness{0};
    std::atomic<uint8_t> speed{0};
    std::atomic<uint8_t> direction{0};
    std::atomic<uint8_t> multicolour{0};
    std::atomic<uint8_t> red{0};
    std::atomic<uint8_t> green{0};
    std::atomic<uint8_t> blue{0};
};

// The renderer state; only the shared-lighting thread (or a test) touches it.
class CSharedLightStepper {
public:
    // One step of the settings' mode at time now (ms): the colour and level to send.
    LightRecord Step(const SharedLightSettings& settings, uint32_t now);

    uint8_t SpectrumPhase() const { return spectrumPhase_; }
    uint8_t BreathingPhase() const { return breathingPhase_; }
    uint8_t BreathingColourIndex() const { return breathingColour_; }
    uint8_t BlinkColourIndex() const { return blinkColour_; }
    bool BlinkOn() const { return blinkOn_; }

private:
    uint8_t spectrumPhase_ = 0;
    uint8_t breathingPhase_ = 0;
    uint8_t breathingColour_ = 0;
    uint8_t blinkColour_ = 0;
    bool blinkOn_ = false;
    uint32_t lastToggle_ = 0;
};
