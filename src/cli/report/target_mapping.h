#pragma once

#include <array>
#include <cstdint>

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "geometry/voxel_triple.h"
#include "voi/voi_scan.h"

namespace zandrel::report {

// Where a point of the 256^3 target grid lands in the functional grid of one set: the
// set-up the builder scanned with (from the very chain the VOIs were built with) and its
// reference scan's float expression and nearest-cell rule, point by point.
class TargetMapping {
public:
    TargetMapping(const SetChain& chain, const FmrHeader& fmr);
    TargetMapping(const TargetMapping&) = delete;
    TargetMapping& operator=(const TargetMapping&) = delete;

    // The functional cell (column, row, slice) that target point (i, j, k) samples; false
    // when the point lands outside the functional grid.
    bool cellOf(std::int32_t i, std::int32_t j, std::int32_t k, std::array<std::int32_t, 3>& cell) const;

    // The target grid indices (i, j, k) of a triple of a VOI this set's builder wrote.
    std::array<std::int32_t, 3> gridOf(const VoxelTriple& triple) const;

    const ScanSetup& setup() const { return setup_; }
    std::int32_t dim(int axis) const { return dims_[static_cast<std::size_t>(axis)]; }

private:
    ScanSetup setup_;
    std::array<std::int32_t, 3> dims_{};
    // The centred (and landmark-mapped) coordinate of every index on each axis: the mapping
    // treats each axis by itself, so these give exactly the scans' centred grid points.
    std::array<std::array<float, kAnatomicalGridSize>, 3> centred_{};
};

}  // namespace zandrel::report
