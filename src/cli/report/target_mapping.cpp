#include "cli/report/target_mapping.h"

#include "geometry/point4.h"
#include "geometry/volume_grid.h"

namespace zandrel::report {

TargetMapping::TargetMapping(const SetRecords& records) : tal_(records.tal) {
    const FmrHeader& fmr = records.fmr;
    dims_ = {fmr.ResolutionX.value, fmr.ResolutionY.value, fmr.NrOfSlices.value};
    // As the builder sets up its scans for a set.
    fmr.computeChainMatrix(records.ia, records.fa, records.acpc, setup_.chain);
    setup_.cx = static_cast<float>(dims_[0] - 1) * 0.5f;
    setup_.cy = static_cast<float>(dims_[1] - 1) * 0.5f;
    setup_.cz = static_cast<float>(dims_[2] - 1) * 0.5f;
    setup_.tal = &tal_;
    setup_.mapLandmarks = tal_.FileVersion.value > 0;
    setup_.talairachForm = tal_.FileVersion.value != -1;
}

bool TargetMapping::cellOf(std::int32_t i, std::int32_t j, std::int32_t k, std::array<std::int32_t, 3>& cell) const {
    // The reference scan's expression, operation by operation: a change here would picture
    // a different mapping than the one the VOIs were built with.
    Point4 p;
    p.x = static_cast<float>(i);
    p.y = static_cast<float>(j);
    p.z = static_cast<float>(k);
    p.w = 1.0f;
    if (setup_.mapLandmarks) p.mapTalairachToAcpc(*setup_.tal);
    p.x = p.x - 127.5f;
    p.y = p.y - 127.5f;
    p.z = p.z - 127.5f;
    Point4 q;
    setup_.chain.transform(p, q);
    const float position[3] = {q.x + setup_.cx, q.y + setup_.cy, q.z + setup_.cz};
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
