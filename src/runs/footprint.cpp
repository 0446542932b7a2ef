#include "runs/footprint.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "geometry/volume_grid.h"
#include "runs/voi_fit.h"
#include "voi/grid_tables.h"
#include "voi/production_scan.h"
#include "voi/voi_builder.h"
#include "voi/voi_figures.h"
#include "voi/voi_space.h"

namespace zandrel {

namespace {

using Cell = std::array<std::int32_t, 3>;  // column, row, slice

// Cell numbers in the functional grid, column fastest: ascending numbers are ascending
// (slice, row, column). The grid holds at most kMaxFunctionalCells cells, so they fit.
std::uint32_t numberOf(const Cell& cell, const std::array<std::int32_t, 3>& dims) {
    return (static_cast<std::uint32_t>(cell[2]) * static_cast<std::uint32_t>(dims[1]) +
            static_cast<std::uint32_t>(cell[1])) * static_cast<std::uint32_t>(dims[0]) +
           static_cast<std::uint32_t>(cell[0]);
}

// Counters for the cells of one box of the functional grid, which holds every touched cell.
class BoxCounters {
public:
    explicit BoxCounters(const CellBox& box) : box_(box) {
        for (std::size_t a = 0; a < 3; ++a) size_[a] = static_cast<std::size_t>(box.max[a] - box.min[a] + 1);
        counts_.assign(size_[0] * size_[1] * size_[2], 0);
    }

    // The cell lies in the box.
    std::uint32_t& at(const Cell& cell) {
        const auto offset = [&](std::size_t a) { return static_cast<std::size_t>(cell[a] - box_.min[a]); };
        return counts_[(offset(2) * size_[1] + offset(1)) * size_[0] + offset(0)];
    }

private:
    CellBox box_;
    std::array<std::size_t, 3> size_{};
    std::vector<std::uint32_t> counts_;
};

// The cells of the points (anatomical grid numbers, i fastest) that land in the run.
// Hot loop: neither throws nor allocates (the list is sized before, and cut to size after).
std::vector<Cell> landedCells(const std::vector<std::uint32_t>& points, const GridToFunctionalTables& tables) {
    std::vector<Cell> landed(points.size());
    std::size_t count = 0;
    for (const std::uint32_t g : points) {
        const auto i = static_cast<std::int32_t>(g % kAnatomicalGridSize);
        const auto j = static_cast<std::int32_t>(g / kAnatomicalGridSize % kAnatomicalGridSize);
        const auto k = static_cast<std::int32_t>(g / kAnatomicalGridSize / kAnatomicalGridSize);
        if (tables.cellOf(i, j, k, landed[count])) ++count;
    }
    landed.resize(count);
    return landed;
}

// The grid points of each VOI, read in the form the run's conversion writes its triples.
VoiCells gridPointsOf(const VoiFile& file, const SetChain& chain) {
    VoiPlacement placement;
    placement.millimetreTriples = chain.talairachForm;
    placement.dim = kAnatomicalGridSize;
    return collectVoiCells(file, placement);
}

}  // namespace

Footprint computeFootprint(const VoiFile& file, const SetChain& chain, const FmrHeader& fmr) {
    if (const std::optional<std::string> why = spaceMismatch(file, chain)) throw std::runtime_error(*why);
    checkFunctionalGrid(fmr);
    std::vector<std::vector<std::uint32_t>> points = gridPointsOf(file, chain).cells;

    ProductionScan scan(GridToFunctionalTables(chain, fmr));
    const GridToFunctionalTables& tables = scan.tables();
    Footprint footprint;
    footprint.dims = tables.dims();
    footprint.vois.resize(points.size());
    VolumeGrid mask(tables.dim(0), tables.dim(1), tables.dim(2));
    std::vector<std::pair<std::uint32_t, Cell>> touched;  // cell number first: sorts in cell order

    // One VOI at a time, like the conversion: its touched cells alone bound the scan, where
    // the cells of all VOIs together would span far more of the grid.
    for (std::size_t v = 0; v < points.size(); ++v) {
        VoiFootprint& voi = footprint.vois[v];
        voi.name = file.vois[v].NameOfVOI.value;
        voi.voiVoxels = static_cast<std::int64_t>(points[v].size());
        const std::vector<Cell> landed = landedCells(points[v], tables);
        std::vector<std::uint32_t>().swap(points[v]);
        voi.inRun = static_cast<std::int64_t>(landed.size());
        if (landed.empty()) continue;

        CellBox box;
        for (std::size_t n = 0; n < landed.size(); ++n) {
            const Cell& cell = landed[n];
            for (std::size_t a = 0; a < 3; ++a) {
                box.min[a] = n > 0 ? std::min(box.min[a], cell[a]) : cell[a];
                box.max[a] = n > 0 ? std::max(box.max[a], cell[a]) : cell[a];
            }
        }
        // K(c), and the touched cells in order, each marked on the mask. Hot loop: neither
        // throws nor allocates (room for every cell is reserved).
        BoxCounters inVoi(box);
        touched.clear();
        touched.reserve(landed.size());
        for (const Cell& cell : landed) {
            if (inVoi.at(cell)++ > 0) continue;
            touched.emplace_back(numberOf(cell, tables.dims()), cell);
            mask.set(cell[0], cell[1], cell[2], 1.0f);
        }
        std::sort(touched.begin(), touched.end());

        // N(c): only the grid points that can reach the mask are tested, as in the conversion,
        // and the kept ones counted where they land.
        const std::size_t first = mask.indexOf(box.min[0], box.min[1], box.min[2]);
        std::vector<std::uint32_t> all(mask.indexOf(box.max[0], box.max[1], box.max[2]) - first + 1, 0);
        scan.countKept(mask, box, all.data());

        voi.touched.reserve(touched.size());
        for (const auto& [number, cell] : touched) {
            voi.touched.push_back(FootprintCell{VoxelTriple{cell[0], cell[1], cell[2]}, inVoi.at(cell), all[number - first]});
            mask.set(cell[0], cell[1], cell[2], 0.0f);  // the next VOI starts from an empty mask
        }
    }
    return footprint;
}

}  // namespace zandrel
