// Music lighting: the audio input, the seven styles of effect 26 and the audio colour of effect 27.
#include <algorithm>
#include <cstring>

#include "engines/lighting/KeyboardLightRenderer.h"
#include "engines/lighting/LightingTables.h"

using namespace lighting;
using geometry::ForEachCell;

namespace {

constexpr size_t kBands = 25;
using Bands = std::array<int32_t, kBands>;

// The level-to-height curve of the styles: 600 for silence, 0 at level 2000. 64-bit, so that no
// band value can overflow it.
constexpr int64_t Height(int32_t v) { return 600 - int64_t(v) * 600 / 2000; }
constexpr int64_t HeightClamped(int32_t v) {
    const int64_t t = Height(v);
    return t < 0 ? 500 : t;
}

// Group values over consecutive bands (from band 0): group sums divided by the divisor, or by
// the group's size when the divisor is 0.
template <size_t N>
std::array<int32_t, N> GroupValues(const Bands& bands, const std::array<size_t, N>& sizes, int64_t divisor) {
    std::array<int32_t, N> values{};
    size_t band = 0;
    for (size_t g = 0; g < N; ++g) {
        int64_t sum = 0;
        for (size_t i = 0; i < sizes[g]; ++i) sum += bands[band++];
        values[g] = int32_t(sum / (divisor ? divisor : int64_t(sizes[g])));
    }
    return values;
}

constexpr std::array<size_t, 6> kStyle5Groups = {2, 3, 3, 4, 5, 7};
constexpr std::array<size_t, 6> kStyle6Groups = {1, 3, 4, 4, 5, 7};

uint8_t CellPoint(int column, int row) {
    if (column < 0 || column >= int(kMapColumns) || row < 0 || row >= int(kMapRows)) return kNoPoint;
    return kColumnMap[size_t(column)][size_t(row)];
}

}  // namespace

struct CKeyboardLightRenderer::MusicColours {
    Rgb background;
    Rgb foreground;
    bool sevenColour;
    uint8_t level;
    // The foreground at a colour index: the spectrum with the seven-colour flag.
    Rgb Foreground(unsigned colourIndex) const { return sevenColour ? Spectrum(colourIndex) : foreground; }
};

CKeyboardLightRenderer::MusicColours CKeyboardLightRenderer::AudioColours() const {
    const auto words = GetAudioLight();
    MusicColours colours{};
    colours.background = {uint8_t(words[0] >> 8), uint8_t(words[0] >> 16), uint8_t(words[0] >> 24)};
    colours.foreground = {uint8_t(words[1]), uint8_t(words[1] >> 8), uint8_t(words[1] >> 16)};
    colours.sevenColour = uint8_t(words[1] >> 24) != 0;
    colours.level = Level();
    return colours;
}

std::array<int32_t, 25> CKeyboardLightRenderer::TakeBands(bool clearInput) {
    Bands bands{};
    std::memcpy(bands.data(), spectrumInput_.data(), sizeof(bands));
    if (clearInput) spectrumInput_.fill(0);
    return bands;
}

bool CKeyboardLightRenderer::Holds(int column, int row) const {
    const uint8_t point = CellPoint(column, row);
    return point < kNoPoint && intensity_[point] >= 10;
}

void CKeyboardLightRenderer::MusicShow(size_t point, bool lit, Rgb foreground, const MusicColours& colours) {
    if (lit) {
        intensity_[point] = 255;
        ShowPoint(point, foreground, Scale(colours.level, 255));
    } else if (intensity_[point] < 10) {
        ShowPoint(point, colours.background, colours.level);
    } else {
        ShowPoint(point, foreground, Scale(colours.level, intensity_[point]));
    }
}

// ---- input ----

void CKeyboardLightRenderer::FeedAudioSpectrum(std::span<const uint8_t> bands, int count) {
    (void)count;  // capped at 500 by the sender; it changes nothing here
    CriticalSectionLock lock(stateLock_);
    spectrumInput_.fill(0);
    std::copy_n(bands.begin(), std::min(bands.size(), spectrumInput_.size()), spectrumInput_.begin());
    if (CurrentEffect() != 26 || (GetAudioLight()[0] & 0xFF) != 2) return;

    int64_t sum = 0;
    for (int32_t v : TakeBands(true)) {
        const int64_t scaled = int64_t(v) * 600 / 2000;
        sum += scaled > 600 ? 500 : 600 - scaled;
    }
    const int64_t average = sum / int64_t(kBands);
    bool seed = false;
    {
        CriticalSectionLock shared(shared_->lock);
        shared_->spectrumRunningSum += 25 - average * 25 / 600;
        if (shared_->spectrumRunningSum >= 71) {
            shared_->spectrumRunningSum = 0;
            seed = true;
        }
    }
    if (seed) ReactColumn(51, 1);
}

void CKeyboardLightRenderer::FeedAudioPeaks(std::span<const uint32_t> values, int count) {
    (void)count;  // capped at 6 by the sender; it changes nothing here
    CriticalSectionLock lock(stateLock_);
    colourInput_.fill(0);
    std::copy_n(values.begin(), std::min(values.size(), colourInput_.size()), colourInput_.begin());
}

void CKeyboardLightRenderer::ClearAudioState() {
    CriticalSectionLock lock(stateLock_);
    for (size_t i = 0; i < 3; ++i) musicWork_[i].fill(0);
    musicWork_[3].fill(1);
}

// ---- effect 26 and 27 ----

void CKeyboardLightRenderer::RenderMusic() {
    CriticalSectionLock lock(stateLock_);
    const uint8_t mode = GetAudioLight()[0] & 0xFF;
    switch (mode) {
        case 0: MusicStyle0(); break;
        case 1: MusicStyle1(); break;
        case 2: MusicStyle2(); break;
        case 3: MusicStyle3(); break;
        case 4: MusicStyle4(); break;
        case 5: MusicStyle5(); break;
        case 6: MusicStyle6(); break;
        default: return;
    }
    if (mode == 2) return;  // draws every point itself
    // Keys that the style's map does not reach show the background, as unlit keys do; they would
    // otherwise keep the last picture of the effect before, lit in silence.
    std::array<bool, kPoints> drawn{};
    if (mode == 3) {
        for (const auto& row : *kGeometry5062.matrixMap)
            for (uint8_t entry : row)
                if (const uint8_t p = FindKeyByLight(entry); p < kNoPoint) drawn[p] = true;
    } else {
        ForEachCell(kColumnMap, [&](size_t, size_t, uint8_t point) { drawn[point] = true; });
    }
    const MusicColours colours = AudioColours();
    for (size_t p = 0; p < kPoints; ++p)
        if (!drawn[p]) ShowPoint(p, colours.background, colours.level);
}

void CKeyboardLightRenderer::RenderAudioColour() {
    CriticalSectionLock lock(stateLock_);
    const Rgb colour{uint8_t(colourInput_[0]), uint8_t(colourInput_[1]), uint8_t(colourInput_[2])};
    FillAll(LightRecord::Of(colour, Level()));
}

// Column bars: louder bands light more rows from the bottom.
void CKeyboardLightRenderer::MusicStyle0() {
    CriticalSectionLock lock(stateLock_);
    const MusicColours colours = AudioColours();
    effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
    if (++style0Calls_ >= 31) {
        style0Calls_ = 0;
        bandOffset_ = StepPhase(Direction(), kBands, bandOffset_, 1);
    }
    const Bands bands = TakeBands(true);
    unsigned ci = effectPhase_;
    for (int c = 0; c < int(kMapColumns); ++c) {
        ci = (ci + 10) % 192;
        const int64_t firstLit = (700 - int64_t(bands[size_t(c)]) * 600 / 2000) * 6 / 600;
        for (int r = 0; r < int(kMapRows); ++r) {
            const uint8_t p = CellPoint(c, r);
            if (p >= kNoPoint) continue;
            if (r == 0 || !Holds(c, r - 1)) MusicDecay(p);
            MusicShow(p, r >= firstLit, colours.Foreground(ci), colours);
        }
    }
}

void CKeyboardLightRenderer::MusicStyle5() {
    CriticalSectionLock lock(stateLock_);
    const MusicColours colours = AudioColours();
    const auto groups = GroupValues(TakeBands(true), kStyle5Groups, 3);
    effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
    bandOffset_ = StepPhase(Direction(), 8, bandOffset_, 1);
    for (int r = 0; r < int(kMapRows); ++r) {
        const int64_t tv = HeightClamped(groups[size_t(5 - r)]);
        unsigned ci = effectPhase_;
        for (int c = 0; c < int(kMapColumns); ++c) {
            ci = (ci + 3) % 192;
            const uint8_t p = CellPoint(c, r);
            if (p >= kNoPoint) continue;
            if (c >= 21 || !Holds(c + 1, r)) MusicDecay(p);
            MusicShow(p, !(c > 23 - (tv + 100) * 23 / 600), colours.Foreground(ci), colours);
        }
    }
}

// Never selected: audio modes above 6 draw nothing new.
void CKeyboardLightRenderer::MusicStyle7() {}

// Mirrored rows: bars grow from the middle towards both sides.
void CKeyboardLightRenderer::MusicStyle1() {
    CriticalSectionLock lock(stateLock_);
    const MusicColours colours = AudioColours();
    const Bands bands = TakeBands(true);
    effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
    bandOffset_ = StepPhase(Direction(), kBands, bandOffset_, 1);
    unsigned b = bandOffset_ % kBands;
    for (int r = 0; r < int(kMapRows); ++r) {
        b = b + 3 > 24 ? b - 22 : b + 3;
        const int64_t tl = HeightClamped(bands[b % kBands]);
        const int64_t tr = HeightClamped(bands[size_t(1 + 2 * r)]);
        unsigned ci = effectPhase_;
        for (int c = 0; c < int(kMapColumns); ++c) {
            ci = (ci + 7) % 192;
            const uint8_t p = CellPoint(c, r);
            if (p >= kNoPoint) continue;
            bool lit;
            if (c <= 8) {
                if (c == 0 || !Holds(c - 1, r)) MusicDecay(p);
                lit = !(c < (tl + 100) * 12 / 600);
            } else {
                if (c >= 21 || !Holds(c + 1, r)) MusicDecay(p);
                lit = !(c - 9 > 12 - (tr + 100) * 12 / 600);
            }
            MusicShow(p, lit, colours.Foreground(ci), colours);
        }
    }
}

// Matrix pulse: the rings light from the centre as the average level rises.
void CKeyboardLightRenderer::MusicStyle3() {
    CriticalSectionLock lock(stateLock_);
    const MusicColours colours = AudioColours();
    int64_t sum = 0;
    for (int32_t v : TakeBands(true)) sum += HeightClamped(v);
    const int64_t k = std::clamp<int64_t>(sum / int64_t(kBands) * 20 / 600, 0, 255);
    effectPhase_ = StepPhase(Direction(), 192, effectPhase_, unsigned(k));
    unsigned ci = effectPhase_;
    const MatrixGrid& matrix = *kGeometry5062.matrixMap;
    for (int i = 0; i < int(matrix.size()); ++i) {
        ci = (ci + 9) % 192;
        for (uint8_t entry : matrix[size_t(i)]) {
            const uint8_t p = FindKeyByLight(entry);
            if (p >= kNoPoint) continue;
            Rgb colour = frame_.Record(p).Colour();
            if (i < 20 - k) {
                intensity_[p] = 255;
                colour = Spectrum(ci);
            } else {
                StepReactive(p, 0);
            }
            ShowPoint(p, colour, Scale(colours.level, intensity_[p]));
        }
    }
}

// Falling drops: a column's drop starts at its band's height once the last one has faded.
void CKeyboardLightRenderer::MusicStyle4() {
    CriticalSectionLock lock(stateLock_);
    const MusicColours colours = AudioColours();
    const Bands bands = TakeBands(true);
    auto& latches = musicWork_[0];
    effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
    if (++style4Calls_ > 10) {
        style4Calls_ = 0;
        bandOffset_ = StepPhase(Direction(), kBands, bandOffset_, 0);
    }
    unsigned b = bandOffset_ % kBands;
    for (int c = 0; c < int(kMapColumns); ++c) {
        b = b + 1 > 24 ? b - 24 : b + 1;
        const int64_t firstLit = (700 - int64_t(bands[b]) * 600 / 2000) * 6 / 600;
        const uint8_t bottom = CellPoint(c, 5);
        if (bottom >= kNoPoint) continue;
        for (int r = 0; r < int(kMapRows); ++r) {
            if (latches[size_t(c)] && intensity_[bottom] < 10) latches[size_t(c)] = 0;
            const uint8_t p = CellPoint(c, r);
            if (p >= kNoPoint) continue;
            const uint8_t above = CellPoint(c, r - 1);
            if (r == 0 || above >= kNoPoint || intensity_[above] < 5) MusicDecay(p);
            if (intensity_[p] < 10) {
                ShowPoint(p, colours.background, colours.level);
            } else {
                ShowPoint(p, colours.Foreground(colourIndexes_[p]), Scale(colours.level, intensity_[p]));
            }
            if (r >= firstLit && !latches[size_t(c)]) {
                intensity_[p] = 255;
                latches[size_t(c)] = 1;
            }
        }
    }
}

// Never selected: audio modes above 6 draw nothing new.
void CKeyboardLightRenderer::MusicStyle8() {}

// Alternating row bars: odd rows grow from the left, even rows from the right.
void CKeyboardLightRenderer::MusicStyle6() {
    CriticalSectionLock lock(stateLock_);
    const MusicColours colours = AudioColours();
    const auto groups = GroupValues(TakeBands(true), kStyle6Groups, 0);
    effectPhase_ = StepPhase(Direction(), 192, effectPhase_, 1);
    bandOffset_ = StepPhase(Direction(), kBands, bandOffset_, 1);
    unsigned ci = effectPhase_;
    for (int r = 0; r < int(kMapRows); ++r) {
        const int64_t length = HeightClamped(groups[size_t(r)]) * 23 / 600;
        for (int c = 0; c < int(kMapColumns); ++c) {
            const uint8_t p = CellPoint(c, r);
            if (p >= kNoPoint) continue;
            bool lit;
            if (r % 2 == 1) {
                if (c >= 21 || !Holds(c + 1, r)) MusicDecay(p);
                lit = !(c > 23 - length);
            } else {
                if (c <= 1 || !Holds(c - 1, r)) MusicDecay(p);
                lit = !(c < length);
            }
            if (colours.sevenColour && (lit || intensity_[p] >= 10)) ci = (ci + 2) % 192;
            MusicShow(p, lit, colours.Foreground(ci), colours);
        }
    }
}

// Spreading fronts, seeded by the spectrum input.
void CKeyboardLightRenderer::MusicStyle2() {
    CriticalSectionLock lock(stateLock_);
    const MusicColours colours = AudioColours();
    MarkColumnKeys();
    ShiftColumns();
    for (size_t p = 0; p < kPoints; ++p) {
        StepReactive(p, CurrentEffect());
        colourIndexes_[p] = colourIndexes_[p] + 9 >= 192 ? 0 : uint8_t(colourIndexes_[p] + 9);
        if (intensity_[p] < 10) {
            ShowPoint(p, colours.background, colours.level);
        } else {
            ShowPoint(p, colours.Foreground(colourIndexes_[p]), Scale(colours.level, intensity_[p]));
        }
    }
}
