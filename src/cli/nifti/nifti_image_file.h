#pragma once

#include <cstdint>
#include <vector>

#include "voi/output_file.h"
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

// Writes one NIfTI-1 image (a single .nii or .nii.gz file, gzip at `gzipLevel` 1 to 9 for
// .nii.gz) of the placement's grid into the temporary file of `output`, and flushes it to
// the disk; the caller commits. `voxels` holds the grid's cells, i fastest, as uint8 or
// uint16. `label` marks a label image (intent "label"). Throws std::runtime_error
// "Cannot Create file: " + output.target() when the library reports any failure.
void writeNiftiImage(OutputFile& output, const VoiPlacement& placement, const std::vector<std::uint8_t>& voxels,
                     bool label, int gzipLevel);
void writeNiftiImage(OutputFile& output, const VoiPlacement& placement, const std::vector<std::uint16_t>& voxels,
                     bool label, int gzipLevel);

}  // namespace zandrel
