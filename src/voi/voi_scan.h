#pragma once

// The grid scans behind the VOI builder: the straightforward reference scan and the
// production scan, which evaluates the same float expression on fewer target points.

#include <array>
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

// Which target points can reach a box of functional cells: per-axis index lists (the
// bounding box of the box's preimage) and, per target row (j, k), the interval of the
// centred first coordinate that can reach it. Both are supersets of the kept points.
class ScanBounds {
public:
    using Centred = std::array<std::array<float, kTargetSize>, 3>;

    ScanBounds(const ScanSetup& setup, const Centred& centred, const CellBox& box);

    // Target indices per axis (i, j, k), ascending.
    const std::vector<std::uint8_t>& indices(int axis) const { return indices_[axis]; }
    // False when no candidate could be excluded (every index on every axis).
    bool bounded() const { return bounded_; }
    // Interval of the centred first coordinate for the row with centred coordinates uy, uz;
    // false when the row cannot reach the box.
    bool rowRange(float uy, float uz, double& low, double& high) const;

private:
    // lowest <= a[0]*ux + a[1]*uy + a[2]*uz <= highest, in exact arithmetic.
    struct Slab {
        bool constrains = false;  // false when the row's x coefficient is too small to divide by
        double a[3] = {0.0, 0.0, 0.0};
        double lowest = 0.0;
        double highest = 0.0;
    };

    void takeEveryIndex();

    std::array<std::vector<std::uint8_t>, 3> indices_;
    std::array<Slab, 3> slabs_;
    bool bounded_ = false;
};

// The production scan. The per-axis values of the reference expression (landmark mapping,
// centring and the products with the chain's elements) depend on one index each, so they
// are computed once per set; per point only the same sums remain, in the same order.
class ProductionScan {
public:
    explicit ProductionScan(const ScanSetup& setup);

    // Same result as scanReference for a mask whose marked cells all lie in `box`.
    void scan(const VolumeGrid& mask, const CellBox& box, std::vector<VoxelTriple>& voxels) const;

private:
    ScanSetup setup_;
    // centred[a][n]: coordinate a of target index n after the optional landmark mapping
    // and the subtraction of 127.5f, exactly as the reference forms it.
    ScanBounds::Centred centred_{};
    bool firstAxisAscending_ = false;  // centred_[0] never decreases: rows select a sub-range
    // product[r][a][n] = chain(r, a) * centred[a][n], the reference's float products.
    std::array<std::array<std::array<float, kTargetSize>, 3>, 3> product_{};
    std::array<float, 3> translation_{};  // chain(r, 3) * 1.0f
};

}  // namespace zandrel
