#pragma once

// The per-axis tables of one set's mapping from the anatomical grid to the functional grid,
// shared by every scan, cut and footprint of the set.

#include <array>
#include <cstddef>
#include <cstdint>

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "geometry/volume_grid.h"
#include "voi/voi_scan.h"

namespace zandrel {

// The landmark mapping treats each axis by itself, and so does the product of the chain's
// linear part with a point, term by term: the centred (landmark-mapped) coordinate of an
// index depends on its own axis only, and so does each product of a chain element with it.
// These tables hold those values once per set. Summed in the matrix product's order with
// the last column (times w = 1, which is exact) and the centre, they give exactly the float
// operations of functionalPositionOf.
class GridToFunctionalTables {
public:
    // Every term table has this many entries past the grid's last index, all 0.0f, so that
    // groups of four candidates may read past a row's end.
    static constexpr std::size_t kPadding = 3;
    using AxisTable = std::array<float, kAnatomicalGridSize>;
    using TermTable = std::array<float, kAnatomicalGridSize + kPadding>;

    // `dims`: the functional grid's columns, rows and slices.
    GridToFunctionalTables(const ScanSetup& setup, const std::array<std::int32_t, 3>& dims);
    // The set's scan setup (scanSetupOf) on the functional grid of `fmr`.
    GridToFunctionalTables(const SetChain& chain, const FmrHeader& fmr);

    const ScanSetup& setup() const { return setup_; }
    std::int32_t dim(int axis) const { return dims_[static_cast<std::size_t>(axis)]; }
    const std::array<std::int32_t, 3>& dims() const { return dims_; }

    // centred()[a][n]: coordinate a of anatomical grid index n after the landmark mapping
    // (when it applies) and the subtraction of 127.5f.
    const ScanBounds::Centred& centred() const { return centred_; }
    // terms(r, a)[n] = gridToFunctional(r, a) * centred()[a][n], for functional axis r.
    const TermTable& terms(int r, int a) const {
        return terms_[static_cast<std::size_t>(r)][static_cast<std::size_t>(a)];
    }
    // gridToFunctional(r, 3) * 1.0f, and the functional grid's centre (dim - 1) * 0.5f.
    const std::array<float, 3>& lastColumn() const { return lastColumn_; }
    const std::array<float, 3>& centre() const { return centre_; }

    // centred()[0] never decreases (false when it holds a NaN).
    bool firstAxisAscending() const { return firstAxisAscending_; }
    // centred()[0][n] = n - 127.5f: no landmark mapping on the first axis.
    bool firstAxisEven() const { return firstAxisEven_; }

    // Coordinate r of the functional position of grid point (i, j, k), each index from 0 to
    // 255: functionalPositionOf's value, from the tables.
    float position(int r, std::int32_t i, std::int32_t j, std::int32_t k) const {
        const auto& t = terms_[static_cast<std::size_t>(r)];
        float s = t[0][static_cast<std::size_t>(i)];
        s = s + t[1][static_cast<std::size_t>(j)];
        s = s + t[2][static_cast<std::size_t>(k)];
        s = s + lastColumn_[static_cast<std::size_t>(r)];
        return s + centre_[static_cast<std::size_t>(r)];
    }

    // The functional cell (column, row, slice) that grid point (i, j, k) samples, each index
    // from 0 to 255: the cell nearestCellIndex gives, from float comparisons and the
    // truncation of cellInRange; false when the point lands outside the grid.
    bool cellOf(std::int32_t i, std::int32_t j, std::int32_t k, std::array<std::int32_t, 3>& cell) const {
        const float x = position(0, i, j, k);
        const float y = position(1, i, j, k);
        const float z = position(2, i, j, k);
        // False for NaN too. Evaluated without branching per axis: whether a point lands is
        // hard to predict at a VOI's edge.
        const bool inside = (x >= -0.5f) & (x < cellEnd_[0]) & (y >= -0.5f) & (y < cellEnd_[1]) & (z >= -0.5f) &
                            (z < cellEnd_[2]);
        if (!inside) return false;
        cell = {{cellInRange(x), cellInRange(y), cellInRange(z)}};
        return true;
    }

private:
    ScanSetup setup_;
    std::array<std::int32_t, 3> dims_{};
    ScanBounds::Centred centred_{};
    std::array<std::array<TermTable, 3>, 3> terms_{};
    std::array<float, 3> lastColumn_{};
    std::array<float, 3> centre_{};
    std::array<float, 3> cellEnd_{};  // cellRangeEnd of each functional axis
    bool firstAxisAscending_ = false;
    bool firstAxisEven_ = false;
};

}  // namespace zandrel
