#include "cli/report/target_mapping.h"

#include "geometry/volume_grid.h"

namespace zandrel::report {

TargetMapping::TargetMapping(const SetChain& chain, const FmrHeader& fmr)
    : setup_(scanSetupOf(chain, fmr)), dims_{{fmr.ResolutionX.value, fmr.ResolutionY.value, fmr.NrOfSlices.value}} {
    for (std::int32_t n = 0; n < kAnatomicalGridSize; ++n) {
        const Point4 p = centredGridPoint(setup_, n, n, n);
        const auto at = static_cast<std::size_t>(n);
        centred_[0][at] = p.x;
        centred_[1][at] = p.y;
        centred_[2][at] = p.z;
    }
}

bool TargetMapping::cellOf(std::int32_t i, std::int32_t j, std::int32_t k, std::array<std::int32_t, 3>& cell) const {
    float position[3];
    const auto onGrid = [](std::int32_t n) { return n >= 0 && n < kAnatomicalGridSize; };
    if (onGrid(i) && onGrid(j) && onGrid(k)) {
        // The scans' expression with the centring looked up: the same float operations.
        const Point4 p{centred_[0][static_cast<std::size_t>(i)], centred_[1][static_cast<std::size_t>(j)],
                       centred_[2][static_cast<std::size_t>(k)], 1.0f};
        Point4 q;
        setup_.gridToFunctional.transform(p, q);
        position[0] = q.x + setup_.cx;
        position[1] = q.y + setup_.cy;
        position[2] = q.z + setup_.cz;
    } else {
        functionalPositionOf(setup_, i, j, k, position[0], position[1], position[2]);
    }
    for (std::size_t a = 0; a < 3; ++a) {
        cell[a] = nearestCellIndex(position[a], dims_[a]);
        if (cell[a] < 0) return false;
    }
    return true;
}

std::array<std::int32_t, 3> TargetMapping::gridOf(const VoxelTriple& t) const {
    // Inverse of the Talairach form (128 - k, 128 - i, 128 - j).
    if (setup_.talairachForm) return {128 - t.y, 128 - t.z, 128 - t.x};
    return {t.x, t.y, t.z};
}

}  // namespace zandrel::report
