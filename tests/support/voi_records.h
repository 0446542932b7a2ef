#pragma once

// In-memory VOI records for the tests of the VOI writer, placement, figures and images.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "geometry/voxel_triple.h"
#include "voi/voi_file.h"

namespace zandrel::test {

// A VOI named `name` holding `voxels`, its name and count keys in the writer's columns.
inline Voi makeVoi(const std::string& name, std::vector<VoxelTriple> voxels) {
    Voi voi;
    voi.NameOfVOI = KeyedText{"NameOfVOI", name, 12, false, true};
    voi.NrOfVoxels = KeyedInt{"NrOfVoxels", static_cast<std::int32_t>(voxels.size()), 12, true};
    voi.voxels = std::move(voxels);
    return voi;
}

// A file in reference space `space` ("TAL", "ACPC", ...) holding `vois`, with a matching count.
inline VoiFile voiFileOf(const std::string& space, std::vector<Voi> vois) {
    VoiFile file;
    file.ReferenceSpace.value = space;
    file.vois = std::move(vois);
    file.NrOfVOIs.value = static_cast<std::int32_t>(file.vois.size());
    return file;
}

}  // namespace zandrel::test
