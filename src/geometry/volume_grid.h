#pragma once

#include <cmath>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zandrel {

// Index of the nearest cell along one axis: cell c covers [c - 0.5, c + 0.5).
// The sum is formed in double, where it is exact for every float in range, so no
// rounding can move a value across a cell boundary. Returns -1 for anything outside
// [0, size), including NaN and values too large for an int.
inline std::int32_t nearestCellIndex(float v, std::int32_t size) {
    const double shifted = static_cast<double>(v) + 2.5;
    // NaN fails both comparisons; the bounds keep the conversion below defined. For the
    // positive values that pass, conversion to an integer is truncation toward zero.
    if (!(shifted >= 2.0) || !(shifted < static_cast<double>(size) + 2.0)) return -1;
    return static_cast<std::int32_t>(static_cast<std::int64_t>(shifted) - 2);
}

// A three-dimensional grid of floats, x fastest, then y, then z:
// cell (x, y, z) is element (z * dimY + y) * dimX + x.
// Holds the ROI mask of the builder and one volume of time-course data.
class VolumeGrid {
public:
    VolumeGrid() = default;
    // Sizes must be non-negative; their product is the cell count.
    // The cells start at 0 (a defined value, although callers fill before use).
    VolumeGrid(std::int32_t dimX, std::int32_t dimY, std::int32_t dimZ)
        : dimX_(dimX), dimY_(dimY), dimZ_(dimZ),
          cells_(static_cast<std::size_t>(dimX) * static_cast<std::size_t>(dimY) *
                 static_cast<std::size_t>(dimZ)) {}

    std::int32_t dimX() const { return dimX_; }
    std::int32_t dimY() const { return dimY_; }
    std::int32_t dimZ() const { return dimZ_; }
    std::size_t cellCount() const { return cells_.size(); }

    std::size_t indexOf(std::int32_t x, std::int32_t y, std::int32_t z) const {
        return (static_cast<std::size_t>(z) * static_cast<std::size_t>(dimY_) +
                static_cast<std::size_t>(y)) * static_cast<std::size_t>(dimX_) +
               static_cast<std::size_t>(x);
    }
    bool contains(std::int32_t x, std::int32_t y, std::int32_t z) const {
        return x >= 0 && y >= 0 && z >= 0 && x < dimX_ && y < dimY_ && z < dimZ_;
    }

    void fill(float value) { std::fill(cells_.begin(), cells_.end(), value); }
    void set(std::int32_t x, std::int32_t y, std::int32_t z, float value) { cells_[indexOf(x, y, z)] = value; }
    float get(std::int32_t x, std::int32_t y, std::int32_t z) const { return cells_[indexOf(x, y, z)]; }

    // Value of the nearest cell, or 0 when the position lies outside the grid on any axis.
    float sampleNearest(float x, float y, float z) const {
        const std::int32_t nx = nearestCellIndex(x, dimX_);
        const std::int32_t ny = nearestCellIndex(y, dimY_);
        const std::int32_t nz = nearestCellIndex(z, dimZ_);
        if (nx < 0 || ny < 0 || nz < 0) return 0.0f;
        return cells_[indexOf(nx, ny, nz)];
    }

    float* data() { return cells_.data(); }
    const float* data() const { return cells_.data(); }

private:
    std::int32_t dimX_ = 0;
    std::int32_t dimY_ = 0;
    std::int32_t dimZ_ = 0;
    std::vector<float> cells_;
};

}  // namespace zandrel
