#include "chain/chain_factors.h"

#include <cmath>

#include "geometry/inversion.h"

namespace zandrel {

// The stack direction is the axis of the largest centre difference. A stack along z
// (or along y) is mirrored on the slice axis when it runs towards negative z; any other
// stack is mirrored on the column axis when it runs towards negative x. Both tests are
// strict, so a tie with |dX| goes to the column branch and a zero difference flips nothing.
Matrix4 sliceFlipOf(const FmrHeader& fmr) {
    const float dX = fmr.Slice1CenterX.value - fmr.SliceNCenterX.value;
    const float dY = fmr.Slice1CenterY.value - fmr.SliceNCenterY.value;
    const float dZ = fmr.Slice1CenterZ.value - fmr.SliceNCenterZ.value;
    Matrix4 flip;
    if (std::fabs(dZ) > std::fabs(dX) || std::fabs(dY) > std::fabs(dX)) {
        if (dZ < 0.0f) flip.at(2, 2) = -1.0f;
    } else {
        if (dX > 0.0f) flip.at(0, 0) = -1.0f;
    }
    return flip;
}

ChainFactors computeChainFactors(const FmrHeader& fmr, const TrfRecord& ia, const TrfRecord& fa,
                                 const TrfRecord& acpc) {
    ChainFactors f;
    invertRigid(ia.matrix, f.anatomicalToFunctional);
    f.sliceFlip = sliceFlipOf(fmr);

    const float sliceSpacing = fmr.SliceThickness.value + fmr.SliceGap.value;
    f.millimetresToFunctional.setDiagonal(1.0f / fmr.InplaneResolutionX.value,
                                          1.0f / fmr.InplaneResolutionY.value, 1.0f / sliceSpacing);

    const float voxelSize = ia.ToVMRVoxelRes.value;
    f.voxelsToMillimetres.setDiagonal(voxelSize, voxelSize, voxelSize);

    // An extra matrix whose diagonal is exactly (1, 1, 1) is ignored, whatever else it holds.
    const Matrix4& e = ia.extraMatrix;
    if (ia.ExtraVMRTransf.value == 1 &&
        !(e.at(0, 0) == 1.0f && e.at(1, 1) == 1.0f && e.at(2, 2) == 1.0f)) {
        f.sliceFlip.multiply(e, f.extraAnatomical);
    }

    // On failure the general inverse leaves its result as it was: the identity.
    if (fa.FileVersion.value != -1) f.faInverted = invertGeneral(fa.matrix, f.anatomicalToAligned);
    if (acpc.FileVersion.value != -1) f.acpcToAnatomical = acpc.matrix;

    // Left to right, each partial product into a fresh matrix: the order is part of the result.
    Matrix4 flippedScale, toFunctionalMm, withExtra, fromAnatomicalVoxels, fromAligned;
    f.sliceFlip.multiply(f.millimetresToFunctional, flippedScale);
    flippedScale.multiply(f.anatomicalToFunctional, toFunctionalMm);
    toFunctionalMm.multiply(f.extraAnatomical, withExtra);
    withExtra.multiply(f.voxelsToMillimetres, fromAnatomicalVoxels);
    fromAnatomicalVoxels.multiply(f.anatomicalToAligned, fromAligned);
    fromAligned.multiply(f.acpcToAnatomical, f.gridToFunctional);
    return f;
}

// Declared with the header record; the chain layer owns its arithmetic.
bool FmrHeader::computeChainMatrix(const TrfRecord& ia, const TrfRecord& fa, const TrfRecord& acpc,
                                   Matrix4& result) const {
    const ChainFactors factors = computeChainFactors(*this, ia, fa, acpc);
    result = factors.gridToFunctional;
    return factors.faInverted;
}

}  // namespace zandrel
