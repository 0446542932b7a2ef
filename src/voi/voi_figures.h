#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "voi/voi_file.h"
#include "voi/voi_space.h"

namespace zandrel {

// The grid cells of each VOI of a file: sorted, each cell once (a triple listed twice
// counts once). Cell numbers as in VoiPlacement::cellOf.
struct VoiCells {
    std::vector<std::vector<std::uint32_t>> cells;  // one list per VOI, in file order
};

// Throws std::runtime_error "VOI <k> (\"name\"): voxel x y z lies outside the grid" for the
// first triple that the placement cannot put on its grid: a file with such a voxel cannot
// be shown faithfully, so nothing is made of it.
VoiCells collectVoiCells(const VoiFile& file, const VoiPlacement& placement);

// Figures of one VOI, for tables and reports.
struct VoiFigures {
    std::int64_t voxels = 0;          // distinct grid cells
    std::int64_t volumeMm3 = 0;       // voxels times the voxel volume
    std::array<double, 3> centroid{{0.0, 0.0, 0.0}};  // mean world position, millimetres
    std::int64_t sharedVoxels = 0;    // cells that also belong to another VOI

    // An empty VOI has no centroid: its 0, 0, 0 is no place (that would be the anterior
    // commissure); tables write "n/a", JSON null.
    bool hasCentroid() const { return voxels > 0; }
};

// One entry per VOI. The centroid is the exact integer sum of the world positions divided
// once by the count (0, 0, 0 for an empty VOI).
std::vector<VoiFigures> computeVoiFigures(const VoiCells& cells, const VoiPlacement& placement);

// The label image, i fastest: 0 outside every VOI, k inside VOI k (counted from 1); a cell
// in several VOIs keeps the lowest k. Throws std::runtime_error when there are more than
// 65535 VOIs.
std::vector<std::uint16_t> labelImage(const VoiCells& cells, const VoiPlacement& placement);
// The same in one byte per cell, for files of at most 255 VOIs (throws beyond): half the
// memory of the wide image, and no copy to narrow it.
std::vector<std::uint8_t> narrowLabelImage(const VoiCells& cells, const VoiPlacement& placement);

}  // namespace zandrel
