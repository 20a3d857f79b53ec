// The wave effects: colour or brightness travelling over columns, rows, the point order and the
// matrix rings.
#include "engines/lighting/KeyboardCurves.h"
#include "engines/lighting/KeyboardLightRenderer.h"

using namespace lighting;
using geometry::ForEachCell;
using geometry::ForEachListed;

void CKeyboardLightRenderer::RenderWaveColumns() {
    CriticalSectionLock lock(stateLock_);
    const bool multi = MultiColour();
    effectPhase_ = StepPhase(Direction(), multi ? 192 : 96, effectPhase_, 1);
    ForEachCell(kColumnMap, [&](size_t c, size_t, uint8_t point) {
        if (multi) {
            ShowPoint(point, Spectrum(effectPhase_ + 1 + 7 * c), Level());
        } else {
            ShowPoint(point, StateColour(), Scale(Level(), kWaveCurve[(effectPhase_ + 1 + 7 * c) % 96]));
        }
    });
}

void CKeyboardLightRenderer::RenderWaveColumnsFast() {
    CriticalSectionLock lock(stateLock_);
    const bool multi = MultiColour();
    effectPhase_ = StepPhase(Direction(), multi ? 192 : 96, effectPhase_, 1);
    ForEachCell(kColumnMap, [&](size_t c, size_t, uint8_t point) {
        if (multi) {
            ShowPoint(point, Spectrum(effectPhase_ + 2 * c), Level());
        } else {
            ShowPoint(point, StateColour(), Scale(Level(), kPulseCurve[(effectPhase_ + c) % 96]));
        }
    });
}

void CKeyboardLightRenderer::RenderWaveRows() {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
    ForEachCell(kColumnMap, [&](size_t, size_t r, uint8_t point) {
        ShowPoint(point, Spectrum(effectPhase_ + 1 + 24 * r), Level());
    });
}

void CKeyboardLightRenderer::RenderWaveOrder() {
    CriticalSectionLock lock(stateLock_);
    if (MultiColour()) {
        effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
        unsigned index = effectPhase_;
        ForEachListed(*kGeometry5062.pointList, [&](uint8_t point) {
            ShowPoint(point, Spectrum(index), Level());
            index = (index + 5) % 192;
        });
        return;
    }
    effectPhase_ = StepPhase(Direction(), 96, effectPhase_, 1);
    unsigned index = effectPhase_ % 96;
    ForEachListed(*geometry_->pointList, [&](uint8_t point) {
        ShowPoint(point, StateColour(), Scale(Level(), kWaveCurve[index]));
        index = (index + 5) % 96;
    });
}

void CKeyboardLightRenderer::RenderWaveMatrix() {
    CriticalSectionLock lock(stateLock_);
    effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
    unsigned colourIndex = effectPhase_;
    for (const auto& row : *geometry_->matrixMap) {
        colourIndex = (colourIndex + 7) % 192;
        for (uint8_t entry : row) {
            const uint8_t point = FindKeyByLight(entry);
            if (point < kNoPoint) ShowPoint(point, Spectrum(colourIndex), Level());
        }
    }
}
