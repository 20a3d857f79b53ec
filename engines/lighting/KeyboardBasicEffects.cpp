// The keyboard's effects that run on the renderer's own clock: breath, static, preset colours,
// per-key spectrum, custom colours, sweep, gradient, bursts, snake, breathing keys and twinkle.
#include <algorithm>

#include "engines/lighting/KeyboardCurves.h"
#include "engines/lighting/KeyboardLightRenderer.h"

using namespace lighting;
using geometry::ForEachCell;
using geometry::ForEachListed;

void CKeyboardLightRenderer::RenderBreathCycle() {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = effectPhase_ + 1 >= 128 ? 0 : uint8_t(effectPhase_ + 1);
    const uint8_t factor = Scale(kBreathCurve[effectPhase_], Level());
    ForEachCell(kColumnMap, [&](size_t c, size_t, uint8_t point) {
        ShowPoint(point, MultiColour() ? Spectrum(7 * c) : StateColour(), factor);
    });
}

void CKeyboardLightRenderer::RenderStatic() {
    CriticalSectionLock lock(stateLock_);
    if (!MultiColour()) {
        FillAll(LightRecord::Of(StateColour(), Level()));
        return;
    }
    const MatrixGrid& matrix = *kGeometry5062.matrixMap;
    for (size_t j = 0; j < matrix.size(); ++j) {
        for (uint8_t point : matrix[j]) {
            if (point < kNoPoint) ShowPoint(point, Spectrum(134 - 11 * j), Level());
        }
    }
}

void CKeyboardLightRenderer::RenderPresetColour() {
    CriticalSectionLock lock(stateLock_);
    static constexpr uint8_t kPresetIndexes[] = {174, 25, 70, 95};
    const uint8_t mode = StateByte(kStateAuxMode);
    FillAll(LightRecord::Of(Spectrum(kPresetIndexes[mode <= 3 ? mode : 0]), Level()));
    effectPhase_ = 0;
}

void CKeyboardLightRenderer::RenderSpectrumKeys() {
    CriticalSectionLock lock(stateLock_);
    for (size_t p = 0; p < kPoints; ++p) {
        colourIndexes_[p] = colourIndexes_[p] >= 191 ? 0 : uint8_t(colourIndexes_[p] + 1);
        ShowPoint(p, Spectrum(colourIndexes_[p]), Level());
    }
}

void CKeyboardLightRenderer::EnterDefault() {
    CriticalSectionLock lock(stateLock_);
    for (size_t i = 0; i < kPoints; ++i) colourIndexes_[i] = uint8_t((33 * (i + 1)) % 192);
}

void CKeyboardLightRenderer::RenderCustom() {
    const uint8_t level = Level();
    for (size_t p = 0; p < frame_.Count(); ++p) {
        LightRecord record = frame_.Record(p);
        record.factor = level;
        frame_.SetRecord(p, record);
    }
}

void CKeyboardLightRenderer::RenderSweep() {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = StepPhase(Direction(), kSweepMap.size(), effectPhase_, 1);
    for (uint8_t point : kSweepMap[effectPhase_ % kSweepMap.size()]) {
        if (point >= kNoPoint) continue;
        intensity_[point] = 255;
        colourIndexes_[point] = 0;
    }
    for (size_t p = 0; p < kPoints; ++p) {
        // Clamped: a value left by another effect that is not a multiple of 5 must not wrap.
        intensity_[p] = intensity_[p] > 5 ? uint8_t(intensity_[p] - 5) : 0;
        colourIndexes_[p] = uint8_t(std::min(191, colourIndexes_[p] + 3));
        if (MultiColour()) {
            ShowPoint(p, Spectrum(colourIndexes_[p]), Level());
        } else {
            ShowPoint(p, StateColour(), Scale(Level(), intensity_[p]));
        }
    }
}

void CKeyboardLightRenderer::RenderColumnGradient() {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = effectPhase_ >= 127 ? 0 : uint8_t(effectPhase_ + 1);
    ForEachCell(*kGeometry5086.secondColumnMap, [&](size_t c, size_t r, uint8_t point) {
        const Rgb colour = MultiColour() ? Spectrum(18 * r) : StateColour();
        ShowPoint(point, colour, Scale(kColumnGradient[c], Level()));
    });
}

void CKeyboardLightRenderer::RenderRandomBursts() {
    CriticalSectionLock lock(stateLock_);
    const PointList& walk = *kGeometry5062.pointList;
    for (int burst = 0; burst < 6; ++burst) {
        const uint8_t entry = kRandomOrder[random_() % kRandomOrder.size()];
        const uint8_t point = walk[entry % walk.size()];
        if (point >= kNoPoint) continue;
        intensity_[point] = 255;
        colourIndexes_[point] = RandomColourIndex();
    }
    for (size_t p = 0; p < kPoints; ++p) DecayAndShow(p, 10);
}

void CKeyboardLightRenderer::RenderSnake() {
    CriticalSectionLock lock(stateLock_);
    constexpr uint8_t kEnd = 170;  // the position past the path
    uint8_t& position = effectPhase_;
    if (Direction()) {
        if (position < kEnd) {
            if (kSnakeOrder[position] < kNoPoint) intensity_[kSnakeOrder[position]] = 254;
            ++position;
        } else {
            position = 0;
        }
    } else if (position == 0) {
        position = kEnd;
    } else {
        if (position > kEnd) position = kEnd;
        if (position < kEnd && kSnakeOrder[position] < kNoPoint) intensity_[kSnakeOrder[position]] = 254;
        --position;
    }
    ForEachListed(*kGeometry5062.pointList, [&](uint8_t point) { DecayAndShow(point, 28); });
}

void CKeyboardLightRenderer::EnterBreathKeys() {
    CriticalSectionLock lock(stateLock_);
    ForEachCell(kColumnMap, [&](size_t c, size_t r, uint8_t point) {
        intensity_[point] = kStartTable[c][r];
        colourIndexes_[point] = uint8_t(7 * c);
    });
}

namespace {

// Effects 15 and 22: a phase per point that runs through the pulse curve and restarts with a
// new random colour.
template <typename RandomIndex>
uint8_t StepPulse(uint8_t& phase, uint8_t& colourIndex, unsigned step, RandomIndex randomIndex) {
    const unsigned next = phase + step;
    if (next >= 192) {
        phase = 0;
        colourIndex = randomIndex();
    } else {
        phase = uint8_t(next);
    }
    return kPulseCurve[phase];
}

}  // namespace

void CKeyboardLightRenderer::RenderBreathKeys() {
    CriticalSectionLock lock(stateLock_);
    ForEachListed(*kGeometry5062.pointList, [&](uint8_t point) {
        const uint8_t pulse = StepPulse(intensity_[point], colourIndexes_[point], 2, [this] { return RandomColourIndex(); });
        ShowPoint(point, PointColour(point), Scale(Level(), pulse));
    });
}

void CKeyboardLightRenderer::EnterTwinkle() {
    CriticalSectionLock lock(stateLock_);
    for (size_t c = 0; c < kMapColumns; ++c) {
        int a = 192 - 8 * int(c);
        for (size_t r = 0; r < kDiagonalMap[c].size(); ++r) {
            a = a - 35 >= 0 ? a - 35 : (a - 98) & 0xFF;
            const uint8_t point = kDiagonalMap[c][r];
            if (point >= kNoPoint) continue;
            twinklePhases_[point] = uint8_t(a);
            colourIndexes_[point] = uint8_t(7 * c);
        }
    }
}

void CKeyboardLightRenderer::RenderTwinkle() {
    CriticalSectionLock lock(stateLock_);
    ForEachListed(*kGeometry5062.pointList, [&](uint8_t point) {
        const uint8_t pulse = StepPulse(twinklePhases_[point], colourIndexes_[point], 1, [this] { return RandomColourIndex(); });
        ShowPoint(point, PointColour(point), Scale(Level(), pulse));
    });
}
