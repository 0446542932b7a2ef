#pragma once

// The grid scans behind the VOI builder: the straightforward reference scan and the
// production scan, which evaluates the same float expression on fewer target points.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "formats/tal_record.h"
#include "geometry/matrix4.h"
#include "geometry/volume_grid.h"
#include "geometry/voxel_triple.h"

namespace zandrel {

constexpr int kTargetSize = 256;  // points per axis of the anatomical grid

// Everything a scan needs besides the mask, fixed for one set.
struct ScanSetup {
    Matrix4 chain;              // centred target position -> centred functional position
    float cx = 0.0f;            // functional grid centre, (dim - 1) * 0.5f
    float cy = 0.0f;
    float cz = 0.0f;
    const TalRecord* tal = nullptr;
    bool mapLandmarks = false;  // TAL FileVersion > 0: landmark mapping before the chain
    bool talairachForm = false; // TAL FileVersion != -1: triples (128 - k, 128 - i, 128 - j)
};

inline VoxelTriple keptTriple(const ScanSetup& setup, std::int32_t i, std::int32_t j, std::int32_t k) {
    if (setup.talairachForm) return VoxelTriple{128 - k, 128 - i, 128 - j};
    return VoxelTriple{i, j, k};
}

// Inclusive bounds of the marked cells of one mask, per axis (x, y, z).
struct CellBox {
    std::array<std::int32_t, 3> min{};
    std::array<std::int32_t, 3> max{};
};

// Every one of the 256^3 target points, k outermost, then j, then i; appends the points
// whose functional position samples a mask value above 0.5.
void scanReference(const ScanSetup& setup, const VolumeGrid& mask, std::vector<VoxelTriple>& voxels);

// The floats that lie in cell range [0, size) along one axis: v >= -0.5f && v < the value
// returned here, the smallest float not below size - 0.5 (size - 0.5 itself while that is
// representable). Both comparisons are then exact, so they agree with nearestCellIndex.
float cellRangeEnd(std::int32_t size);

// Nearest cell of a float already known to lie in cell range [0, size): the same index as
// nearestCellIndex, from float operations only. The truncation gives t = 0 for v in
// [-0.5, 1), and t <= v < t + 1 otherwise; v - t is exact (t = 0, or t and v share a
// binade, or v is an integer), so comparing it with 0.5f decides exactly whether v lies
// in [t + 0.5, t + 1).
inline std::int32_t cellInRange(float v) {
    const std::int32_t t = static_cast<std::int32_t>(v);
    return t + (v - static_cast<float>(t) >= 0.5f ? 1 : 0);
}

// Which target points can reach a box of functional cells: per-axis index lists (the
// bounding box of the box's preimage) and, per target row (j, k), the interval of the
// centred first coordinate that can reach it. Both are supersets of the kept points.
// What depends on the chain only is prepared once per set; `reset` takes one box.
class ScanBounds {
public:
    using Centred = std::array<std::array<float, kTargetSize>, 3>;

    ScanBounds(const ScanSetup& setup, const Centred& centred);

    // Bounds for the points that can reach `box`, replacing those of the previous box.
    void reset(const CellBox& box);

    // Target indices per axis (i, j, k), ascending.
    const std::vector<std::uint8_t>& indices(int axis) const { return indices_[static_cast<std::size_t>(axis)]; }

    // Share of the row interval that depends on the third centred coordinate only.
    using Partial = std::array<double, 3>;
    Partial partial(float uz) const {
        return {slabs_[0].perZ * static_cast<double>(uz), slabs_[1].perZ * static_cast<double>(uz),
                slabs_[2].perZ * static_cast<double>(uz)};
    }
    // Interval [low, high] of the centred first coordinate for the row with centred
    // coordinates uy and uz (`partial` of uz); false when the row cannot reach the box.
    bool rowRange(float uy, const Partial& partialOfZ, double& low, double& high) const {
        low = -HUGE_VAL;
        high = HUGE_VAL;
        for (std::size_t r = 0; r < 3; ++r) {
            const Slab& slab = slabs_[r];
            if (!slab.constrains) continue;
            const double rest = slab.perY * static_cast<double>(uy) + partialOfZ[r];
            low = std::max(low, slab.from - rest);
            high = std::min(high, slab.to - rest);
        }
        return low <= high;  // false for NaN
    }

private:
    // One functional axis r: lowest <= a[0]*ux + a[1]*uy + a[2]*uz <= highest, in exact
    // arithmetic, for every kept point; divided by a[0] it bounds ux per row.
    struct Slab {
        bool constrains = false;  // false when the x coefficient is too small to divide by
        double a[3] = {0.0, 0.0, 0.0};
        double widening = 0.0;    // from the box's cell bounds to the slab, in cells
        double centre = 0.0;      // functional centre plus translation
        double lowest = 0.0;
        double highest = 0.0;
        // ux in [from - rest, to - rest] with rest = perY * uy + perZ * uz.
        double perY = 0.0;
        double perZ = 0.0;
        double from = 0.0;
        double to = 0.0;
    };
    using Matrix3 = std::array<std::array<double, 3>, 3>;

    void takeEveryIndex();

    const Centred& centred_;
    std::array<double, 3> largest_{};  // largest finite magnitude of each centred coordinate
    std::array<Slab, 3> slabs_;
    Matrix3 inverse_{};
    bool invertible_ = false;
    std::array<std::vector<std::uint8_t>, 3> indices_;
};

// One target row (j, k) of the production scan: what its kernel adds to the first-axis
// products, per functional axis, and where the mask's cell range ends.
struct ScanRow {
    std::int32_t j = 0;
    std::int32_t k = 0;
    std::array<float, 3> fromJ{};        // chain(r, 1) * centred y of j
    std::array<float, 3> fromK{};        // chain(r, 2) * centred z of k
    std::array<float, 3> translation{};  // chain(r, 3) * 1.0f
    std::array<float, 3> centre{};       // cx, cy, cz
    std::array<float, 3> cellEnd{};      // cellRangeEnd of the mask's sizes
    std::int32_t dimX = 0;
    std::int32_t dimY = 0;
};

// The production scan. The per-axis values of the reference expression (landmark mapping,
// centring and the products with the chain's elements) depend on one index each, so they
// are computed once per set; per point only the same sums remain, in the same order.
class ProductionScan {
public:
    explicit ProductionScan(const ScanSetup& setup);

    // Same result as scanReference for a mask whose marked cells all lie in `box`. The
    // mask holds fewer than 2^31 cells (the builder allows far fewer).
    void scan(const VolumeGrid& mask, const CellBox& box, std::vector<VoxelTriple>& voxels);

private:
    void scanRow(const VolumeGrid& mask, const ScanRow& row, const std::uint8_t* is, const float* xs,
                 const float* ys, const float* zs, std::int32_t count, std::vector<VoxelTriple>& voxels);

    ScanSetup setup_;
    // centred[a][n]: coordinate a of target index n after the optional landmark mapping
    // and the subtraction of 127.5f, exactly as the reference forms it.
    ScanBounds::Centred centred_{};
    bool firstAxisAscending_ = false;  // centred_[0] never decreases: rows select a sub-range
    // product[r][a][n] = chain(r, a) * centred[a][n], the reference's float products.
    std::array<std::array<std::array<float, kTargetSize>, 3>, 3> product_{};
    std::array<float, 3> translation_{};  // chain(r, 3) * 1.0f
    std::array<std::uint8_t, kTargetSize> everyIndex_{};  // n at n
    ScanBounds bounds_;

    // Per-row scratch of the kernel, reused from row to row.
    std::array<std::uint8_t, kTargetSize> kept_{};  // first-axis indices of the kept points
    // First-axis candidates of a row and their products, when they are not contiguous.
    std::array<std::uint8_t, kTargetSize> listed_{};
    std::array<std::array<float, kTargetSize>, 3> listedProduct_{};
};

}  // namespace zandrel
