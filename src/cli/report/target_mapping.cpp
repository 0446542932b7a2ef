#include "cli/report/target_mapping.h"

#include "geometry/volume_grid.h"

namespace zandrel::report {

TargetMapping::TargetMapping(const SetChain& chain, const FmrHeader& fmr)
    : setup_(scanSetupOf(chain, fmr)), dims_{{fmr.ResolutionX.value, fmr.ResolutionY.value, fmr.NrOfSlices.value}} {}

bool TargetMapping::cellOf(std::int32_t i, std::int32_t j, std::int32_t k, std::array<std::int32_t, 3>& cell) const {
    float position[3];
    functionalPositionOf(setup_, i, j, k, position[0], position[1], position[2]);
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
