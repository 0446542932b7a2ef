#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "io/output_file.h"
#include "outputs/runs/occupancy_map.h"

namespace zandrel {

// Writes a float32 NIfTI-1 image (.nii.gz, gzip level 6) of `volumes` occupancy maps on a
// functional grid of `dims` into the temporary file of `output` and flushes it; the caller
// commits. `values` holds dims[0] * dims[1] * dims[2] * volumes floats, column fastest. The
// sform is `toWorld`, the qform its nearest rigid-body form with voxel sizes, both with code
// 2 (aligned anatomical). Throws std::runtime_error "Cannot Create file: " + target when the
// library reports any failure.
void writeOccupancyImage(OutputFile& output, const std::array<std::int32_t, 3>& dims, std::int32_t volumes,
                         const std::vector<float>& values, const WorldMatrix& toWorld);

}  // namespace zandrel
