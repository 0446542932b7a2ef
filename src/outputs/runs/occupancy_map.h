#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/run_projection.h"

namespace zandrel {

// Row-major 4 x 4 matrix in double precision.
using WorldMatrix = std::array<double, 16>;

// The matrix from a functional voxel (column, row, slice) of the run to world millimetres:
// the inverse of the run's chain (functional voxel, minus the functional grid's centre,
// through the inverse of gridToFunctional, plus 127.5) gives the anatomical grid point
// (i, j, k), which lies at (128 - k, 128 - i, 128 - j) mm. Computed in double precision from
// the chain's float elements; none when its linear part is singular.
std::optional<WorldMatrix> functionalToWorld(const SetChain& chain, const std::array<std::int32_t, 3>& dims);

// The occupancy map of a footprint: one volume per VOI in file order on the functional grid,
// column fastest, then row, slice and volume, f(c) = K(c) / N(c) rounded to float in every
// touched cell, 0 elsewhere. Throws std::runtime_error naming `target` when the map would
// exceed kMaxOccupancyBytes.
inline constexpr std::uint64_t kMaxOccupancyBytes = std::uint64_t{1} << 31;
std::vector<float> occupancyVolumes(const Footprint& footprint, const std::string& target);

// The JSON sidecar of the occupancy image `imageName` of a projected set: what the values
// are, the VOI name of each volume, the .voi file and the run's files, the space and the
// matrix to the world, and for Talairach VOIs that the map lies in the run's ACPC world.
std::string occupancySidecarText(const ProjectedRun& run, const std::string& imageName, const WorldMatrix& toWorld);

}  // namespace zandrel
