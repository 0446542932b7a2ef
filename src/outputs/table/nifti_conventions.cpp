// The numbers of the NIfTI-1 header that the images and their sidecars share: the codes of
// the spaces (NIfTI-1's xform codes 2 aligned anatomical, 3 Talairach, 4 MNI 152) and the
// exact quaternion of every placement.
#include "outputs/table/nifti_conventions.h"

#include <array>
#include <cstdint>

namespace zandrel {

int niftiXformCode(VoiSpace space) {
    switch (space) {
        case VoiSpace::Talairach: return 3;
        case VoiSpace::Mni: return 4;
        case VoiSpace::Acpc:
        case VoiSpace::Native: return 2;
    }
    return 2;
}

NiftiQuaternion niftiQuaternion(const VoiPlacement& placement) {
    // Columns of the rotation: i -> -y, j -> -z, k -> -x. Negating the k column (qfac -1)
    // leaves [[0,0,1],[-1,0,0],[0,-1,0]], trace 0: a = 1/2, b = (R32 - R23) / 4a = -1/2,
    // c = (R13 - R31) / 4a = 1/2, d = (R21 - R12) / 4a = -1/2. All exact in float.
    const std::array<std::int32_t, 12> m = placement.gridToWorld();
    return NiftiQuaternion{-0.5f, 0.5f, -0.5f, -1.0f, static_cast<float>(m[3]), static_cast<float>(m[7]),
                           static_cast<float>(m[11])};
}

}  // namespace zandrel
