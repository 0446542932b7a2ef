#include "chain/chain_verdict.h"

#include <cmath>
#include <string>
#include <utility>

namespace zandrel {

namespace {

ChainVerdict refused(std::string reason) {
    ChainVerdict verdict;
    verdict.usable = false;
    verdict.reason = std::move(reason);
    return verdict;
}

}  // namespace

// A chain whose linear part is singular or nearly so (an FA matrix of zeros, say) maps the
// whole anatomical grid onto a plane, a line or a point: the ROI voxel there would receive
// a whole slab of the grid, or all of it. The volume of the grid's image is |det| times
// its 256^3 points; below one functional voxel the chain cannot describe a real
// alignment. The determinant is formed in double from the float elements, where no
// product of them can underflow.
bool isDegenerate(const Matrix4& gridToFunctional) {
    const Matrix4& m = gridToFunctional;
    const auto e = [&m](int row, int column) { return static_cast<double>(m.at(row, column)); };
    const double determinant = e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
                               e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
                               e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
    constexpr double kGridPoints = 256.0 * 256.0 * 256.0;
    return !(std::fabs(determinant) * kGridPoints >= 1.0);
}

// Without this judgement a singular fine alignment or sizes that make the chain
// non-finite would give a VOI file that is silently empty or wrong.
ChainVerdict judgeChain(const ChainFactors& factors, const ChainFiles& files) {
    if (!factors.faInverted) return refused("The fine-alignment matrix could not be inverted: " + files.fa);
    if (!factors.gridToFunctional.isFinite()) {
        return refused("The transformation chain has non-finite elements (check the voxel sizes and "
                       "slice distance of " + files.fmr + " and ToVMRVoxelRes of " + files.ia + ")");
    }
    if (isDegenerate(factors.gridToFunctional)) {
        return refused("The transformation chain maps the whole anatomical grid into less than one functional "
                       "voxel (check the voxel sizes of " + files.fmr + ", the matrices of " + files.ia + ", " +
                       files.fa + " and " + files.acpc + ", and ToVMRVoxelRes of " + files.ia + ")");
    }
    return ChainVerdict{};
}

}  // namespace zandrel
