#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "geometry/voxel_triple.h"
#include "voi/grid_tables.h"
#include "voi/voi_scan.h"

namespace zandrel::report {

// A plane of the target grid sampled every `step` points: index `fixedAxis` (0, 1, 2 for
// i, j, k) held at `position`; pixel (x, y) of its picture is the point whose index on
// `columnAxis` is x * step and on `rowAxis` is y * step.
struct GridPlane {
    int fixedAxis = 2;
    std::int32_t position = 0;
    int columnAxis = 0;
    int rowAxis = 1;
    std::int32_t step = 1;
    std::int32_t columns = 0;
    std::int32_t rows = 0;
};

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

    // The functional cell of every pixel of a plane, row by row, as its index in the
    // functional grid (column fastest, then row, then slice), -1 where the point lands
    // outside: the cells cellOf gives, at the cost of a few additions a point.
    void planeCells(const GridPlane& plane, std::vector<std::int64_t>& cells) const;

    // The target grid indices (i, j, k) of a triple of a VOI this set's builder wrote.
    std::array<std::int32_t, 3> gridOf(const VoxelTriple& triple) const;

    const ScanSetup& setup() const { return tables_.setup(); }
    std::int32_t dim(int axis) const { return tables_.dim(axis); }

private:
    // The set's per-axis tables: each product of a chain element and a centred coordinate is
    // taken once per set; summed in the matrix product's order, with the last column and the
    // centre, they give exactly the scans' float operations.
    GridToFunctionalTables tables_;
};

}  // namespace zandrel::report
