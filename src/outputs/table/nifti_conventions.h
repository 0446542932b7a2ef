#pragma once

#include "voi/voi_space.h"

namespace zandrel {

// The sform and qform code of a space: 3 Talairach, 4 MNI, 2 (aligned anatomical) for
// ACPC and native grids.
int niftiXformCode(VoiSpace space);

// The qform of a placement's grid-to-world matrix, exactly: the rotation part of every
// such matrix is the same signed permutation with determinant -1, so qfac is -1 and the
// quaternion of the remaining proper rotation is (a, b, c, d) = (1/2, -1/2, 1/2, -1/2).
struct NiftiQuaternion {
    float b, c, d, qfac;
    float offsetX, offsetY, offsetZ;
};
NiftiQuaternion niftiQuaternion(const VoiPlacement& placement);

}  // namespace zandrel
