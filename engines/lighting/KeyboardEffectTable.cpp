#include "engines/lighting/KeyboardEffectTable.h"

#include "engines/lighting/KeyboardLightRenderer.h"

namespace lighting {

namespace {

using K = CKeyboardLightRenderer;

// Indexed by effect number; entries without a renderer belong to the user effect player.
const std::array<EffectEntry, 36> kEffectTable = {{
    {0, nullptr},                           // 0
    {1, &K::RenderWaveColumns},             // 1
    {2, &K::RenderWaveColumnsFast},         // 2
    {3, &K::RenderWaveOrder},               // 3
    {4, &K::RenderSpectrum},                // 4
    {5, &K::RenderBreathCycle},             // 5
    {6, &K::RenderStatic},                  // 6
    {7, &K::RenderKeyGlow},                 // 7
    {8, &K::RenderColumnReaction},          // 8
    {9, &K::RenderColumnReaction9},         // 9
    {10, &K::RenderRandomBursts},           // 10
    {11, &K::RenderSpectrumKeys},           // 11
    {1, &K::RenderWaveRows},                // 12
    {13, &K::RenderSideWave},               // 13
    {14, &K::RenderMode14},                 // 14
    {15, &K::RenderBreathKeys},             // 15
    {16, &K::RenderSideRipple},             // 16
    {17, &K::RenderPresetColour},           // 17
    {18, &K::RenderWaveMatrix},             // 18
    {0, nullptr},                           // 19
    {20, &K::RenderCustom},                 // 20
    {21, &K::RenderColumnGradient},         // 21
    {22, &K::RenderTwinkle},                // 22
    {23, &K::RenderKeyPressFade},           // 23
    {24, &K::RenderKeyPressFade},           // 24
    {25, &K::RenderReactive},               // 25
    {26, &K::RenderMusic},                  // 26: row 26 is the fixed two ticks
    {27, &K::RenderAudioColour},            // 27
    {28, &K::RenderSnake},                  // 28
    {29, &K::RenderOff},                    // 29
    {30, &K::RenderBlink},                  // 30
    {0, nullptr},                           // 31
    {32, &K::RenderSweep},                  // 32
    {33, &K::RenderKeyGlow},                // 33
    {5, &K::RenderBreathFourColours},       // 34
    {30, &K::RenderBlinkFourColours},       // 35
}};

}  // namespace

const EffectEntry* FindEffect(uint8_t effect) {
    if (effect >= kEffectTable.size() || !kEffectTable[effect].render) return nullptr;
    return &kEffectTable[effect];
}

}  // namespace lighting
