#pragma once

#include <cstdint>
#include <vector>

#include "io/output_file.h"
#include "outputs/table/nifti_conventions.h"
#include "voi/voi_space.h"

namespace zandrel {

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
