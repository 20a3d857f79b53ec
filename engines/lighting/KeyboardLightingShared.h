#pragma once
// State that the user effect player, the area overlays and the music input keep for the whole
// program: every keyboard engine steps the same counters. Tests give a renderer its own copy.
#include <array>
#include <cstdint>

#include "platform/CriticalSection.h"
#include "store/ProfileRecords.h"

struct UserEffectPlayerState {
    uint8_t passCounter = 0;
    uint8_t step = 0;
    LedEffectFrame frame{};
    uint32_t lastChange = 0;
    bool started = false;  // the clock is taken when the player first runs
};

// One slot per lighting point, for every point of the area-light list.
struct AreaOverlayState {
    std::array<uint8_t, 170> breathPhase{};
    std::array<uint8_t, 170> colourIndex{};
    std::array<uint8_t, 170> passCounter{};
    std::array<uint8_t, 170> blinkOn{};
    std::array<uint8_t, 170> blinkColourIndex{};
    std::array<uint32_t, 170> lastToggle{};
};

struct CKeyboardLightingShared {
    static CKeyboardLightingShared& ProcessWide();

    CriticalSection lock;  // every field below
    UserEffectPlayerState player;
    AreaOverlayState overlays;
    int64_t spectrumRunningSum = 0;
};
