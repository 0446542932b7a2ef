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

// Functional cells are numbered as in the functional grid, column fastest: ascending numbers
// are ascending (slice, row, column). The grid holds at most kMaxFunctionalCells cells, so
// the numbers fit.
class CellNumbers {
public:
    explicit CellNumbers(const std::array<std::int32_t, 3>& dims)
        : dimX_(static_cast<std::uint32_t>(dims[0])), dimY_(static_cast<std::uint32_t>(dims[1])) {}

    std::uint32_t numberOf(const std::array<std::int32_t, 3>& cell) const {
        return (static_cast<std::uint32_t>(cell[2]) * dimY_ + static_cast<std::uint32_t>(cell[1])) * dimX_ +
               static_cast<std::uint32_t>(cell[0]);
    }
    std::array<std::int32_t, 3> cellOf(std::uint32_t number) const {
        return {{static_cast<std::int32_t>(number % dimX_), static_cast<std::int32_t>(number / dimX_ % dimY_),
                 static_cast<std::int32_t>(number / dimX_ / dimY_)}};
    }

private:
    std::uint32_t dimX_;
    std::uint32_t dimY_;
};

// Counters for the cells of one box of the functional grid, which holds every touched cell.
class BoxCounters {
public:
    explicit BoxCounters(const CellBox& box) : box_(box) {
        for (std::size_t a = 0; a < 3; ++a) size_[a] = static_cast<std::size_t>(box.max[a] - box.min[a] + 1);
        counts_.assign(size_[0] * size_[1] * size_[2], 0);
    }

    // The cell lies in the box.
    std::uint32_t& at(const std::array<std::int32_t, 3>& cell) {
        const auto offset = [&](std::size_t a) { return static_cast<std::size_t>(cell[a] - box_.min[a]); };
        return counts_[(offset(2) * size_[1] + offset(1)) * size_[0] + offset(0)];
    }
    bool contains(const std::array<std::int32_t, 3>& cell) const {
        for (std::size_t a = 0; a < 3; ++a)
            if (cell[a] < box_.min[a] || cell[a] > box_.max[a]) return false;
        return true;
    }

private:
    CellBox box_;
    std::array<std::size_t, 3> size_{};
    std::vector<std::uint32_t> counts_;
};

// The cell numbers of the points (anatomical grid numbers, i fastest) that land in the run.
// Hot loop: neither throws nor allocates (the list is sized before, and cut to size after).
std::vector<std::uint32_t> landedCells(const std::vector<std::uint32_t>& points, const GridToFunctionalTables& tables,
                                       const CellNumbers& numbers) {
    std::vector<std::uint32_t> landed(points.size());
    std::size_t count = 0;
    std::array<std::int32_t, 3> cell{};
    for (const std::uint32_t g : points) {
        const auto i = static_cast<std::int32_t>(g % kAnatomicalGridSize);
        const auto j = static_cast<std::int32_t>(g / kAnatomicalGridSize % kAnatomicalGridSize);
        const auto k = static_cast<std::int32_t>(g / kAnatomicalGridSize / kAnatomicalGridSize);
        if (tables.cellOf(i, j, k, cell)) landed[count++] = numbers.numberOf(cell);
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
    const CellNumbers numbers(tables.dims());
    Footprint footprint;
    footprint.dims = tables.dims();

    // Each VOI's cells, and the functional grid's mask of every cell a VOI touches.
    VolumeGrid mask(tables.dim(0), tables.dim(1), tables.dim(2));
    CellBox box;
    bool anyLanded = false;
    std::size_t mostLanded = 0;
    std::vector<std::vector<std::uint32_t>> landed;
    landed.reserve(points.size());
    for (std::vector<std::uint32_t>& voiPoints : points) {
        landed.push_back(landedCells(voiPoints, tables, numbers));
        mostLanded = std::max(mostLanded, landed.back().size());
        for (const std::uint32_t number : landed.back()) {
            const std::array<std::int32_t, 3> cell = numbers.cellOf(number);
            mask.set(cell[0], cell[1], cell[2], 1.0f);
            for (std::size_t a = 0; a < 3; ++a) {
                box.min[a] = anyLanded ? std::min(box.min[a], cell[a]) : cell[a];
                box.max[a] = anyLanded ? std::max(box.max[a], cell[a]) : cell[a];
            }
            anyLanded = true;
        }
        VoiFootprint voi;
        voi.name = file.vois[footprint.vois.size()].NameOfVOI.value;
        voi.voiVoxels = static_cast<std::int64_t>(voiPoints.size());
        voi.inRun = static_cast<std::int64_t>(landed.back().size());
        footprint.vois.push_back(std::move(voi));
        std::vector<std::uint32_t>().swap(voiPoints);
    }
    if (!anyLanded) return footprint;

    // N(c) of the touched cells: only the grid points that land on the mask are visited, the
    // same points the conversion keeps for it.
    BoxCounters all(box);
    scan.visitKept(mask, box, [&](std::int32_t i, std::int32_t j, std::int32_t k) {
        std::array<std::int32_t, 3> cell{};
        if (tables.cellOf(i, j, k, cell) && all.contains(cell)) ++all.at(cell);
    });

    // K(c) per VOI: counted, then the touched cells are listed in order and their counters
    // cleared for the next VOI.
    BoxCounters voiCounts(box);
    std::vector<std::uint32_t> touched;
    touched.reserve(mostLanded);
    for (std::size_t v = 0; v < landed.size(); ++v) {
        touched.clear();
        for (const std::uint32_t number : landed[v])
            if (voiCounts.at(numbers.cellOf(number))++ == 0) touched.push_back(number);
        std::sort(touched.begin(), touched.end());
        std::vector<FootprintCell>& cells = footprint.vois[v].touched;
        cells.reserve(touched.size());
        for (const std::uint32_t number : touched) {
            const std::array<std::int32_t, 3> cell = numbers.cellOf(number);
            std::uint32_t& count = voiCounts.at(cell);
            cells.push_back(FootprintCell{VoxelTriple{cell[0], cell[1], cell[2]}, count, all.at(cell)});
            count = 0;
        }
    }
    return footprint;
}

}  // namespace zandrel
