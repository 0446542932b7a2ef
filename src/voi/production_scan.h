#pragma once

// The production scan: the reference scan's float expression, evaluated only on the
// anatomical grid points that can reach a mask's marked cells.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/volume_grid.h"
#include "geometry/voxel_triple.h"
#include "voi/grid_tables.h"
#include "voi/voi_scan.h"

namespace zandrel {

class RowKernel;

// The per-axis values of the reference expression (landmark mapping, centring and the
// products with the chain's elements) depend on one index each, so they come from the set's
// tables; per point only the same sums remain, in the same order.
class ProductionScan {
public:
    explicit ProductionScan(const GridToFunctionalTables& tables, ScanLanes lanes = ScanLanes::four);
    // The bounds refer to the tables held here: a scan is neither copied nor moved.
    ProductionScan(const ProductionScan&) = delete;
    ProductionScan& operator=(const ProductionScan&) = delete;

    const GridToFunctionalTables& tables() const { return tables_; }

    // Appends to `voxels` what scanReference appends, for a mask of the tables' functional
    // grid whose marked cells all lie in `box`. The mask holds fewer than 2^31 cells (the
    // builder allows far fewer).
    void scan(const VolumeGrid& mask, const CellBox& box, std::vector<VoxelTriple>& voxels);

    // Adds one to counts[c - first] for every anatomical grid point that scan() would keep, c
    // the index of its cell in the mask's grid (column fastest) and first that of the box's
    // lowest corner: `counts` holds a counter for every index from the box's lowest corner to
    // its highest. Needs no memory per kept point.
    void countKept(const VolumeGrid& mask, const CellBox& box, std::uint32_t* counts);

private:
    static constexpr std::size_t kPadding = GridToFunctionalTables::kPadding;
    using PaddedProducts = GridToFunctionalTables::TermTable;
    using PaddedIndices = std::array<std::uint8_t, kAnatomicalGridSize + kPadding>;

    template <typename Row>
    void forEachRow(RowKernel& kernel, Row&& row);
    void collectKept(const VolumeGrid& mask);
    template <bool talairachForm>
    void appendKept(std::vector<VoxelTriple>& voxels) const;

    GridToFunctionalTables tables_;
    ScanLanes lanes_;
    PaddedIndices everyIndex_{};  // n at n
    ScanBounds bounds_;           // refers to tables_.centred()

    // Rows of the current mask with kept points, and those points' first-axis indices.
    struct KeptRow {
        std::uint8_t j = 0;
        std::uint8_t k = 0;
        std::uint16_t count = 0;
    };
    std::vector<KeptRow> keptRows_;
    std::vector<std::uint8_t> keptIndices_;
    std::size_t keptCount_ = 0;
    // First-axis candidates of a row and their products, when they are not contiguous.
    PaddedIndices listed_{};
    std::array<PaddedProducts, 3> listedProduct_{};
};

}  // namespace zandrel
