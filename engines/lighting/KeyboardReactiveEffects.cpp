// Effects driven by key presses and by column fronts: the fronts, the key reactions and the
// renderers of effects 7, 8, 9, 13, 14, 16, 23, 24, 25 and 33.
#include <algorithm>

#include "engines/lighting/KeyboardLightRenderer.h"
#include "engines/lighting/LightingTables.h"

using namespace lighting;
using geometry::ForEachCell;
using geometry::ForEachListed;

namespace {

// The 13 cells around a pressed key in effect 33, in the order they are visited, with how much a
// press raises and a release lowers each of them. Entry 0 is the key's own cell.
struct NeighbourCell {
    int dc, dr;
    uint8_t raise, lower;
};
constexpr NeighbourCell kNeighbourhood[] = {
    {0, 0, 0, 0},     {0, -1, 150, 15}, {0, 1, 150, 15}, {0, -2, 90, 90},  {0, 2, 90, 90},
    {-1, 0, 150, 15}, {-1, -1, 90, 90}, {-1, 1, 90, 90}, {1, 0, 150, 15},  {1, -1, 90, 90},
    {1, 1, 90, 90},   {-2, 0, 60, 90},  {2, 0, 60, 90},
};

// The column-map point of a cell, or kNoPoint outside the map.
uint8_t PointAt(int column, int row) {
    if (column < 0 || column >= int(kMapColumns) || row < 0 || row >= int(kMapRows)) return kNoPoint;
    return kColumnMap[size_t(column)][size_t(row)];
}

}  // namespace

// ---- column fronts ----

uint8_t CKeyboardLightRenderer::ColumnsAt(size_t column) const {
    return columns_[kColumnsA][column] | columns_[kColumnsB][column] | columns_[kColumnsC][column] |
           columns_[kColumnsD][column];
}

void CKeyboardLightRenderer::SetColumnBit(size_t column, unsigned row) {
    for (auto& set : columns_) set[column] |= uint8_t(1u << row);
}

void CKeyboardLightRenderer::MarkColumnKeys() {
    CriticalSectionLock lock(stateLock_);
    ForEachCell(*geometry_->secondColumnMap, [&](size_t c, size_t r, uint8_t point) {
        if (ColumnsAt(c) & (1u << r)) LightPoint(point);
    });
}

void CKeyboardLightRenderer::ShiftColumns() {
    CriticalSectionLock lock(stateLock_);
    auto& a = columns_[kColumnsA];
    auto& b = columns_[kColumnsB];
    auto& c = columns_[kColumnsC];
    auto& d = columns_[kColumnsD];
    a[0] = uint8_t(a[0] >> 1);
    d[0] = uint8_t(d[0] << 1);
    for (size_t i = 1; i < kMapColumns; ++i) {
        a[i - 1] |= a[i];
        a[i] = uint8_t(a[i] >> 1);
        d[i - 1] |= d[i];
        d[i] = uint8_t(d[i] << 1);
    }
    b[kMapColumns - 1] = uint8_t(b[kMapColumns - 1] >> 1);
    c[kMapColumns - 1] = uint8_t(c[kMapColumns - 1] << 1);
    for (size_t i = kMapColumns - 1; i-- > 0;) {
        b[i + 1] |= b[i];
        b[i] = uint8_t(b[i] >> 1);
        c[i + 1] |= c[i];
        c[i] = uint8_t(c[i] << 1);
    }
}

void CKeyboardLightRenderer::ClearColumns() {
    CriticalSectionLock lock(stateLock_);
    for (auto& set : columns_) set.fill(0);
}

void CKeyboardLightRenderer::EnterSideWave() {
    CriticalSectionLock lock(stateLock_);
    SetColumnBit(9, 6);
}

void CKeyboardLightRenderer::EnterSideRipple() {
    CriticalSectionLock lock(stateLock_);
    SetColumnBit(1, 0);
}

// ---- key events and reactions ----

void CKeyboardLightRenderer::OnKeyEvent(int position, int state) {
    CriticalSectionLock lock(stateLock_);
    if (state != 1 && state != 2) return;
    for (const auto& [key, keyPosition] : keyToPosition_) {
        // 255 marks a key without a device position; it never matches an event.
        if (key < 0 || key >= int(kPoints) || keyPosition == 255 || keyPosition != position) continue;
        StartKeyReaction(size_t(key), state);
        return;
    }
}

void CKeyboardLightRenderer::StartKeyReaction(size_t key, int state) {
    CriticalSectionLock lock(stateLock_);
    if (key >= kPoints) return;
    switch (CurrentEffect()) {
        case 33: ReactKey33(key, state); break;
        case 7: ReactKeyGlow(key, state); break;
        case 8:
        case 9: ReactColumn(key, state); break;
        default: break;
    }
}

void CKeyboardLightRenderer::ReactColumn(size_t key, int state) {
    CriticalSectionLock lock(stateLock_);
    CellRef cell{};
    if (state != 1 || !FindCell(key, cell)) return;
    SetColumnBit(size_t(cell.column), unsigned(cell.row));
}

void CKeyboardLightRenderer::ReactKeyGlow(size_t key, int state) {
    CriticalSectionLock lock(stateLock_);
    if (key >= kPoints) return;
    reactionStates_[key] = uint8_t(state);
    intensity_[key] = 255;
    colourIndexes_[key] = RandomColourIndex();
}

bool CKeyboardLightRenderer::IsNeighbourHeld(int column, int row, size_t key) const {
    CriticalSectionLock lock(stateLock_);
    for (const NeighbourCell& n : kNeighbourhood) {
        const uint8_t point = PointAt(column + n.dc, row + n.dr);
        if (point < kNoPoint && point != key && heldFlags_[point] == 1) return true;
    }
    return false;
}

void CKeyboardLightRenderer::ReactKey33(size_t key, int state) {
    CriticalSectionLock lock(stateLock_);
    CellRef cell{};
    if (key >= kPoints || !FindCell(key, cell)) return;
    const auto others = std::span(kNeighbourhood).subspan(1);
    if (state == 1) {
        reactionStates_[key] = 1;
        heldFlags_[key] = 1;
        intensity_[key] = 255;
        for (const NeighbourCell& n : others) {
            const uint8_t point = PointAt(cell.column + n.dc, cell.row + n.dr);
            if (point >= kNoPoint) continue;
            reactionStates_[point] = 1;
            intensity_[point] = uint8_t(std::min(255, intensity_[point] + n.raise));
        }
    } else if (state == 2) {
        for (const NeighbourCell& n : others) {
            const int c = cell.column + n.dc, r = cell.row + n.dr;
            const uint8_t point = PointAt(c, r);
            if (point >= kNoPoint || IsNeighbourHeld(c, r, key)) continue;
            reactionStates_[point] = 2;
            intensity_[point] = uint8_t(std::max(0, intensity_[point] - n.lower));
        }
        if (!IsNeighbourHeld(cell.column, cell.row, key)) reactionStates_[key] = 2;
        heldFlags_[key] = 0;
    }
}

// ---- renderers ----

void CKeyboardLightRenderer::RenderSideWave() {
    CriticalSectionLock lock(stateLock_);
    const uint8_t front = ColumnsAt(9);
    if (front == 0x01) SetColumnBit(9, 0);
    if (front == 0x40) SetColumnBit(9, 6);
    if (stepCounter_ > 1) {
        stepCounter_ = 0;
        MarkColumnKeys();
        ShiftColumns();
    }
    ++stepCounter_;
    for (size_t p = 0; p < kPoints; ++p) DecayAndShow(p, CurrentEffect());
}

void CKeyboardLightRenderer::RenderSideRipple() {
    CriticalSectionLock lock(stateLock_);
    if (ColumnsAt(1) == 0x01) SetColumnBit(1, 0);
    if (ColumnsAt(22) == 0x40) SetColumnBit(22, 6);
    MarkColumnKeys();
    ShiftColumns();
    ForEachListed(*kGeometry5062.pointList, [&](uint8_t point) { DecayAndShow(point, CurrentEffect()); });
}

void CKeyboardLightRenderer::RenderColumnReaction() {
    CriticalSectionLock lock(stateLock_);
    MarkColumnKeys();
    ShiftColumns();
    for (size_t p = 0; p < kPoints; ++p) DecayAndShow(p, CurrentEffect());
}

void CKeyboardLightRenderer::RenderColumnReaction9() {
    CriticalSectionLock lock(stateLock_);
    MarkColumnKeys();
    ClearColumns();
    for (size_t p = 0; p < kPoints; ++p) DecayAndShow(p, CurrentEffect());
}

void CKeyboardLightRenderer::RenderKeyGlow() {
    CriticalSectionLock lock(stateLock_);
    for (size_t p = 0; p < kPoints; ++p) {
        if (reactionStates_[p] == 1) intensity_[p] = uint8_t(std::min(255, intensity_[p] + 15));
        if (reactionStates_[p] == 2) intensity_[p] = uint8_t(std::max(0, intensity_[p] - 5));
        ShowByIntensity(p);
    }
}

void CKeyboardLightRenderer::RenderKeyPressFade() {
    CriticalSectionLock lock(stateLock_);
    for (size_t p = 0; p < kPoints; ++p) {
        if (reactionStates_[p] == 1) intensity_[p] = uint8_t(std::max(0, intensity_[p] - 15));
        if (reactionStates_[p] == 2) intensity_[p] = uint8_t(std::min(255, intensity_[p] + 15));
        ShowByIntensity(p);
    }
}

void CKeyboardLightRenderer::RenderReactive() {
    CriticalSectionLock lock(stateLock_);
    for (size_t p = 0; p < kPoints; ++p) DecayAndShow(p, 25);
}

void CKeyboardLightRenderer::RenderMode14() {
    CriticalSectionLock lock(stateLock_);
    const Mode14Tables* tables = geometry_->mode14;
    uint8_t& stage = stepCounter_;
    uint8_t& count = effectPhase_;
    switch (stage) {
        case 0:
            if (tables && count < tables->stage0.size()) {
                for (uint8_t point : tables->stage0[count]) LightPoint(point);
            }
            if (++count > 19) {
                count = 0;
                stage = 1;
            }
            break;
        case 1:
            if (count < 31) {
                if (tables) {
                    for (uint8_t point : tables->stage1[count % 16]) LightPoint(point);
                }
                ++count;
            } else if (intensity_[72] == 0) {
                stage = 2;
                count = 0;
            }
            break;
        case 2:
            if (tables) ReactColumn(tables->frontKey, 1);
            stage = 3;
            break;
        case 3:
            MarkColumnKeys();
            ShiftColumns();
            if (intensity_[124] != 0) stage = 4;
            break;
        case 4:
            if (intensity_[124] == 0) {
                stage = 0;
                count = 0;
            }
            break;
        default:
            stage = 0;
            count = 0;
            break;
    }
    for (size_t p = 0; p < kPoints; ++p) DecayAndShow(p, 14);
}
