#pragma once

// PROVISIONAL: per-VOI figures computed by the report itself. The VOI layer is gaining its
// own figures; when it has them, replace the body of computeVoiFigures (voi_figures.cpp)
// by a call to them and keep this interface, which is all the report uses.

#include <array>
#include <cstdint>
#include <vector>

#include "voi/voi_file.h"

namespace zandrel::report {

struct VoiFigures {
    std::int64_t voxels = 0;
    double volumeMm3 = 0.0;               // voxels times the volume of one grid point
    std::array<double, 3> centroid{};     // mean of the triples as the file holds them
    std::int64_t sharedVoxels = 0;        // triples that another VOI of the file holds too
};

// One entry per VOI of `file`, in file order. `pointEdgeMm` is the edge of one grid point
// in millimetres (1 on the ACPC and Talairach grids).
std::vector<VoiFigures> computeVoiFigures(const VoiFile& file, double pointEdgeMm);

}  // namespace zandrel::report
