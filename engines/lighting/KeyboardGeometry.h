#pragma once
// Where the lighting points of each keyboard model sit. Every entry is a lighting point (0-169);
// kNoPoint marks an empty cell. The tables are data, one file per model plus the shared ones.
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

inline constexpr uint8_t kNoPoint = 170;
inline constexpr size_t kMapColumns = 23;
inline constexpr size_t kMapRows = 6;

using ColumnGrid = std::array<std::array<uint8_t, kMapRows>, kMapColumns>;  // [column][row]
using DiagonalGrid = std::array<std::array<uint8_t, 7>, kMapColumns>;      // [column][row]
using MatrixGrid = std::array<std::array<uint8_t, 12>, 12>;                 // [row][column]
using PointList = std::array<uint8_t, 170>;
using SweepSteps = std::array<std::array<uint8_t, 12>, 52>;

// Effect 14's two stage tables and the key whose column front closes the loop.
struct Mode14Tables {
    std::array<std::array<uint8_t, 6>, 20> stage0;
    std::array<std::array<uint8_t, 2>, 16> stage1;
    uint8_t frontKey;
};

struct KeyboardModelGeometry {
    uint16_t productId;
    const ColumnGrid* secondColumnMap;
    const MatrixGrid* matrixMap;
    const PointList* pointList;
    const Mode14Tables* mode14;  // nullptr: the model has no tables for effect 14
    std::array<bool, 256> inPointList;
};

// Shared by every model.
extern const ColumnGrid kColumnMap;
extern const DiagonalGrid kDiagonalMap;
extern const ColumnGrid kStartTable;
extern const PointList kSnakeOrder;
extern const PointList kRandomOrder;
extern const SweepSteps kSweepMap;

extern const KeyboardModelGeometry kGeometry5062;
extern const KeyboardModelGeometry kGeometry5085;
extern const KeyboardModelGeometry kGeometry5086;

// The geometry of a product id; an unknown product gets that of 0x5062, the first keyboard.
const KeyboardModelGeometry& GeometryForProduct(uint16_t productId);

namespace geometry {

// The listed entries, then fill up to the table's size.
template <size_t N>
constexpr std::array<uint8_t, N> Padded(std::initializer_list<uint8_t> entries, uint8_t fill) {
    std::array<uint8_t, N> table{};
    table.fill(fill);
    size_t i = 0;
    for (uint8_t entry : entries) {
        if (i < N) table[i++] = entry;
    }
    return table;
}

constexpr std::array<bool, 256> Membership(const PointList& list) {
    std::array<bool, 256> member{};
    for (uint8_t point : list) member[point] = true;
    return member;
}

// Calls visit(column, row, point) for every non-empty cell, column by column.
template <typename Visit>
void ForEachCell(const ColumnGrid& grid, Visit visit) {
    for (size_t c = 0; c < kMapColumns; ++c) {
        for (size_t r = 0; r < kMapRows; ++r) {
            if (grid[c][r] < kNoPoint) visit(c, r, grid[c][r]);
        }
    }
}

// Calls visit(point) for every entry of a point list that is not empty, in list order.
template <typename Visit>
void ForEachListed(const PointList& list, Visit visit) {
    for (uint8_t point : list) {
        if (point < kNoPoint) visit(point);
    }
}

}  // namespace geometry
