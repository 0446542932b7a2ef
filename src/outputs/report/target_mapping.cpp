#include "outputs/report/target_mapping.h"

#include "geometry/volume_grid.h"

namespace zandrel::report {

namespace {

bool onGrid(std::int32_t n) { return n >= 0 && n < kAnatomicalGridSize; }

}  // namespace

TargetMapping::TargetMapping(const SetChain& chain, const FmrHeader& fmr) : tables_(chain, fmr) {}

bool TargetMapping::cellOf(std::int32_t i, std::int32_t j, std::int32_t k, std::array<std::int32_t, 3>& cell) const {
    if (onGrid(i) && onGrid(j) && onGrid(k)) return tables_.cellOf(i, j, k, cell);
    // Points off the grid are mapped in full.
    float position[3];
    functionalPositionOf(tables_.setup(), i, j, k, position[0], position[1], position[2]);
    for (std::size_t a = 0; a < 3; ++a) {
        cell[a] = nearestCellIndex(position[a], tables_.dim(static_cast<int>(a)));
        if (cell[a] < 0) return false;
    }
    return true;
}

void TargetMapping::planeCells(const GridPlane& plane, std::vector<std::int64_t>& cells) const {
    const std::array<std::int32_t, 3>& dims = tables_.dims();
    const auto count = static_cast<std::size_t>(plane.columns) * static_cast<std::size_t>(plane.rows);
    cells.assign(count, -1);
    const bool axesValid = plane.fixedAxis != plane.columnAxis && plane.fixedAxis != plane.rowAxis &&
                           plane.columnAxis != plane.rowAxis && plane.fixedAxis >= 0 && plane.fixedAxis < 3 &&
                           plane.columnAxis >= 0 && plane.columnAxis < 3 && plane.rowAxis >= 0 && plane.rowAxis < 3;
    if (!axesValid || count == 0) return;
    const bool inRange = onGrid(plane.position) && plane.step > 0 && onGrid((plane.columns - 1) * plane.step) &&
                         onGrid((plane.rows - 1) * plane.step);
    if (!inRange) {
        // Points off the grid: each one mapped in full.
        std::array<std::int32_t, 3> index{};
        index[static_cast<std::size_t>(plane.fixedAxis)] = plane.position;
        std::array<std::int32_t, 3> cell{};
        for (std::int32_t y = 0, at = 0; y < plane.rows; ++y) {
            index[static_cast<std::size_t>(plane.rowAxis)] = y * plane.step;
            for (std::int32_t x = 0; x < plane.columns; ++x, ++at) {
                index[static_cast<std::size_t>(plane.columnAxis)] = x * plane.step;
                if (cellOf(index[0], index[1], index[2], cell))
                    cells[static_cast<std::size_t>(at)] = (std::int64_t{cell[2]} * dims[1] + cell[1]) * dims[0] + cell[0];
            }
        }
        return;
    }

    // Each coordinate is ((term of i + term of j) + term of k) + last column, then + centre.
    // Addition is commutative but not associative, so the sum is grouped as that order fixes:
    // with the columns on i or j, the column's term comes first; with the columns on k, the
    // sum of the i and j terms is one per row.
    const auto column = static_cast<std::size_t>(plane.columnAxis);
    const auto row = static_cast<std::size_t>(plane.rowAxis);
    const auto fixed = static_cast<std::size_t>(plane.fixedAxis);
    const float end[3] = {cellRangeEnd(dims[0]), cellRangeEnd(dims[1]), cellRangeEnd(dims[2])};
    const auto columns = static_cast<std::size_t>(plane.columns);
    // The column terms side by side, so each row's sums run over contiguous floats.
    std::array<std::vector<float>, 3> along;
    std::array<std::vector<float>, 3> position;
    for (std::size_t r = 0; r < 3; ++r) {
        along[r].resize(columns);
        position[r].resize(columns);
        for (std::size_t x = 0; x < columns; ++x) along[r][x] = tables_.terms(static_cast<int>(r), static_cast<int>(column))[x * static_cast<std::size_t>(plane.step)];
    }
    std::size_t at = 0;
    for (std::int32_t y = 0; y < plane.rows; ++y) {
        const auto rowIndex = static_cast<std::size_t>(y * plane.step);
        for (std::size_t r = 0; r < 3; ++r) {
            const float rowTerm = tables_.terms(static_cast<int>(r), static_cast<int>(row))[rowIndex];
            const float fixedTerm = tables_.terms(static_cast<int>(r), static_cast<int>(fixed))[static_cast<std::size_t>(plane.position)];
            const float last = tables_.lastColumn()[r];
            const float centre = tables_.centre()[r];
            const float* in = along[r].data();
            float* out = position[r].data();
            if (column == 2) {
                const float first = rowTerm + fixedTerm;  // the i and j terms, in either order
                for (std::size_t x = 0; x < columns; ++x) out[x] = ((first + in[x]) + last) + centre;
            } else {
                const float second = row < fixed ? rowTerm : fixedTerm;  // the other of i and j
                const float third = row < fixed ? fixedTerm : rowTerm;   // the k term
                for (std::size_t x = 0; x < columns; ++x) out[x] = (((in[x] + second) + third) + last) + centre;
            }
        }
        const float* px = position[0].data();
        const float* py = position[1].data();
        const float* pz = position[2].data();
        for (std::size_t x = 0; x < columns; ++x, ++at) {
            // The float range test and rounding of the scans: the cells nearestCellIndex gives.
            if (px[x] >= -0.5f && px[x] < end[0] && py[x] >= -0.5f && py[x] < end[1] && pz[x] >= -0.5f && pz[x] < end[2])
                cells[at] = (std::int64_t{cellInRange(pz[x])} * dims[1] + cellInRange(py[x])) * dims[0] + cellInRange(px[x]);
        }
    }
}

std::array<std::int32_t, 3> TargetMapping::gridOf(const VoxelTriple& t) const {
    // Inverse of the Talairach form (128 - k, 128 - i, 128 - j).
    if (tables_.setup().talairachForm) return {128 - t.y, 128 - t.z, 128 - t.x};
    return {t.x, t.y, t.z};
}

}  // namespace zandrel::report
