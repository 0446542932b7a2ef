#include "voi/voi_figures.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace zandrel {

VoiCells collectVoiCells(const VoiFile& file, const VoiPlacement& placement) {
    VoiCells result;
    result.cells.reserve(file.vois.size());
    for (std::size_t n = 0; n < file.vois.size(); ++n) {
        const Voi& voi = file.vois[n];
        std::vector<std::uint32_t> cells;
        cells.reserve(voi.voxels.size());
        for (const VoxelTriple& t : voi.voxels) {
            std::uint32_t cell = 0;
            if (!placement.cellOf(t, cell)) {
                throw std::runtime_error("VOI " + std::to_string(n + 1) + " (\"" + voi.NameOfVOI.value +
                                         "\"): voxel " + std::to_string(t.x) + " " + std::to_string(t.y) +
                                         " " + std::to_string(t.z) + " lies outside the grid");
            }
            cells.push_back(cell);
        }
        // The builder's lists are in ascending cell order in either triple form.
        if (!std::is_sorted(cells.begin(), cells.end())) std::sort(cells.begin(), cells.end());
        cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
        result.cells.push_back(std::move(cells));
    }
    return result;
}

namespace {

// The cells that more than one VOI holds, sorted. Each list holds a cell once, so a cell
// that appears twice among all lists belongs to two VOIs. Costs the VOIs' size, not the
// grid's: a report computes this once per set. The lists are sorted already, so they are
// merged pairwise, round by round, rather than sorted again as one.
std::vector<std::uint32_t> sharedCells(const VoiCells& cells) {
    std::vector<std::uint32_t> all;
    std::vector<std::size_t> starts;  // where each sorted run begins
    for (const auto& list : cells.cells) {
        starts.push_back(all.size());
        all.insert(all.end(), list.begin(), list.end());
    }
    while (starts.size() > 1) {
        std::vector<std::size_t> merged;
        for (std::size_t r = 0; r < starts.size(); r += 2) {
            merged.push_back(starts[r]);
            if (r + 1 == starts.size()) break;
            const std::size_t end = r + 2 < starts.size() ? starts[r + 2] : all.size();
            const auto at = [&](std::size_t n) { return all.begin() + static_cast<std::ptrdiff_t>(n); };
            std::inplace_merge(at(starts[r]), at(starts[r + 1]), at(end));
        }
        starts = std::move(merged);
    }
    std::vector<std::uint32_t> shared;
    for (std::size_t n = 1; n < all.size(); ++n) {
        if (all[n] == all[n - 1] && (shared.empty() || shared.back() != all[n])) shared.push_back(all[n]);
    }
    return shared;
}

}  // namespace

std::vector<VoiFigures> computeVoiFigures(const VoiCells& cells, const VoiPlacement& placement) {
    const std::vector<std::uint32_t> shared = sharedCells(cells);
    std::vector<VoiFigures> figures;
    figures.reserve(cells.cells.size());
    for (const auto& list : cells.cells) {
        VoiFigures f;
        f.voxels = static_cast<std::int64_t>(list.size());
        f.volumeMm3 = f.voxels * placement.voxelVolume();
        std::array<std::int64_t, 3> sum{{0, 0, 0}};
        for (std::uint32_t cell : list) {
            const std::array<std::int64_t, 3> world = placement.worldOf(cell);
            for (int a = 0; a < 3; ++a) sum[a] += world[a];
            if (std::binary_search(shared.begin(), shared.end(), cell)) ++f.sharedVoxels;
        }
        if (f.voxels > 0) {
            for (int a = 0; a < 3; ++a) f.centroid[a] = static_cast<double>(sum[a]) / static_cast<double>(f.voxels);
        }
        figures.push_back(f);
    }
    return figures;
}

namespace {

// Labels of `Label` width; the caller has checked that every VOI number fits.
template <class Label>
std::vector<Label> labelsOf(const VoiCells& cells, const VoiPlacement& placement) {
    std::vector<Label> labels(static_cast<std::size_t>(placement.cellCount()), 0);
    for (std::size_t n = 0; n < cells.cells.size(); ++n) {
        const Label k = static_cast<Label>(n + 1);
        for (std::uint32_t cell : cells.cells[n]) {
            if (labels[cell] == 0) labels[cell] = k;  // earlier VOIs keep their cells
        }
    }
    return labels;
}

void requireLabels(const VoiCells& cells, std::size_t most) {
    if (cells.cells.size() > most) {
        throw std::runtime_error("A label image holds at most " + std::to_string(most) + " VOIs, the file has " +
                                 std::to_string(cells.cells.size()));
    }
}

}  // namespace

std::vector<std::uint16_t> labelImage(const VoiCells& cells, const VoiPlacement& placement) {
    requireLabels(cells, 65535);
    return labelsOf<std::uint16_t>(cells, placement);
}

std::vector<std::uint8_t> narrowLabelImage(const VoiCells& cells, const VoiPlacement& placement) {
    requireLabels(cells, 255);
    return labelsOf<std::uint8_t>(cells, placement);
}

}  // namespace zandrel
