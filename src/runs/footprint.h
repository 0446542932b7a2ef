#pragma once

// The footprint of a .voi file on one functional run: the conversion read backwards. Every
// point g of the 256^3 anatomical grid lands in at most one functional cell, cell(g), exactly
// as the conversion maps it (the run's chain, the landmark mapping when it applies, the same
// float operations and nearest-cell rule). Per cell c: N(c) grid points in all land there,
// K(c) of them belong to the VOI; its occupancy is K(c) / N(c).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "geometry/voxel_triple.h"
#include "voi/voi_file.h"

namespace zandrel {

// One functional cell that a VOI touches.
struct FootprintCell {
    VoxelTriple cell;             // column, row, slice of the functional grid
    std::uint32_t voiPoints = 0;  // K(c) > 0: the VOI's grid points that land here
    std::uint32_t allPoints = 0;  // N(c) >= K(c): all grid points that land here

    // The share of the cell that the VOI fills, in double precision.
    double occupancy() const { return static_cast<double>(voiPoints) / static_cast<double>(allPoints); }
};

// One VOI on the run.
struct VoiFootprint {
    std::string name;             // the VOI's NameOfVOI
    std::int64_t voiVoxels = 0;   // distinct grid points of the VOI (a triple listed twice counts once)
    std::int64_t inRun = 0;       // those that land in a functional cell: the sum of voiPoints
    std::vector<FootprintCell> touched;  // ascending by slice, then row, then column
};

struct Footprint {
    std::array<std::int32_t, 3> dims{};  // the run's columns, rows and slices
    std::vector<VoiFootprint> vois;      // in file order
};

// The footprint of every VOI of `file` on the run of `chain` and `fmr`. The file must fit the
// run (spaceMismatch); its triples are read in the form the run's conversion writes. Judges
// nothing about the chain: callers check its verdict first. Throws std::runtime_error with
// the mismatch's reason, when the functional grid is unusable (checkFunctionalGrid), or when a
// triple names no grid point; std::bad_alloc on exhaustion. Costs, per VOI, one bounded pass
// over the grid points that can reach its touched cells (as the conversion's scan of one
// ROI), plus a walk over its own points; no array of the anatomical grid's size.
Footprint computeFootprint(const VoiFile& file, const SetChain& chain, const FmrHeader& fmr);

// A cell is selected at threshold `minOccupancy` (from 0 to 1) when the VOI fills at least
// that share of it.
inline bool isSelected(const FootprintCell& cell, double minOccupancy) {
    return cell.voiPoints > 0 && cell.occupancy() >= minOccupancy;
}

// The selected cells, in the order of `touched`.
std::vector<VoxelTriple> selectedCells(const VoiFootprint& voi, double minOccupancy);

// What a coverage table shows of one VOI.
struct CoverageFigures {
    std::int64_t voiVoxels = 0;
    std::int64_t inRun = 0;
    std::optional<double> coverage;  // inRun / voiVoxels; none for a VOI without points
    std::int64_t touched = 0;
    std::int64_t selected = 0;
    std::optional<double> occupancyMean;  // mean occupancy of the selected cells; none when none is
};

CoverageFigures coverageOf(const VoiFootprint& voi, double minOccupancy);

}  // namespace zandrel
